// The one kind of thread loading starts: work with a stop token, at the
// process's normal priority, whose exception is handed to the caller's
// channel instead of ending the process.
//
// Work ends by itself, or when asked to stop (RequestStop, or the worker's
// destruction): it is given a stop token to pass to every wait. A worker
// that throws hands the exception to `onFailure` on its own thread, and one
// whose thread cannot be started hands over the reason (std::system_error)
// on the caller's thread; either way the work's channel then carries it to
// whoever waits, who turns it into that piece's ordinary failure.
#pragma once

#include <exception>
#include <functional>
#include <stop_token>
#include <thread>
#include <utility>

class Worker {
 public:
  using Work = std::function<void(std::stop_token)>;
  using Failure = std::function<void(std::exception_ptr)>;

  Worker(Work work, Failure onFailure) {
    try {
      thread_ = std::jthread([work = std::move(work), onFailure](std::stop_token stop) {
        try {
          work(stop);
        } catch (...) {
          onFailure(std::current_exception());
        }
      });
    } catch (...) {
      onFailure(std::current_exception());
    }
  }
  // Asks the work to stop and waits for it.
  ~Worker() = default;
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  void RequestStop() { thread_.request_stop(); }

  // Waits until the work has ended (at once when it never started).
  void Join() {
    if (thread_.joinable()) thread_.join();
  }

 private:
  std::jthread thread_;
};

// Starts `work` on a worker whose failure ends `channel` with the exception.
template <typename Channel>
Worker StartWorker(Channel& channel, Worker::Work work) {
  return Worker(std::move(work), [&channel](std::exception_ptr error) { channel.Fail(error); });
}
