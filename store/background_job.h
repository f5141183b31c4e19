// Work that runs on a thread of its own while the caller goes on, and that
// the caller then waits for. Start-up uses it to keep work that needs no GL
// context off the thread that holds one.
//
// When no thread can be started (a result code, never an exception), the
// work runs inside Wait instead: later, never different. Work that another
// thread must not wait for without it running asks Running() first.
#pragma once

#include <pthread.h>

#include <functional>
#include <utility>

class BackgroundJob {
 public:
  explicit BackgroundJob(std::function<void()> work) : work_(std::move(work)) {
    running_ = pthread_create(&thread_, nullptr, &BackgroundJob::Run, this) == 0;
  }
  ~BackgroundJob() { Wait(); }
  BackgroundJob(const BackgroundJob&) = delete;
  BackgroundJob& operator=(const BackgroundJob&) = delete;

  // Whether the work runs on its own thread (until Wait returns).
  bool Running() const { return running_; }

  // Returns once the work is done, doing it here if no thread could be started.
  void Wait() {
    if (running_) {
      pthread_join(thread_, nullptr);
      running_ = false;
    } else if (work_) {
      work_();
    }
    work_ = nullptr;
  }

 private:
  static void* Run(void* self) {
    static_cast<BackgroundJob*>(self)->work_();
    return nullptr;
  }

  std::function<void()> work_;
  pthread_t thread_{};
  bool running_ = false;
};
