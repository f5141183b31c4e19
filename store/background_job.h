// Work that runs on a thread of its own while the caller goes on, and that
// the caller then waits for. Start-up uses it to keep work that needs no GL
// context off the thread that holds one.
//
// When no thread can be started (a result code, never an exception), the
// work runs inside Wait instead: later, never different. Work that another
// thread must not wait for without it running asks Running() first.
#pragma once

#include <pthread.h>
#include <sys/resource.h>
#include <unistd.h>

#include <functional>
#include <utility>

// How much less the helpers claim: on Linux's scheduler, a weight of about a
// tenth of the starting thread's.
inline constexpr int kHelperNiceness = 10;

// Gives the calling thread (a helper) less claim on the processor than the
// thread that started it: where more threads want to run than there are
// cores, the thread that holds the GL context keeps a core to itself and the
// helpers share what is left. Threads of the same process only; harmless
// where the system refuses.
inline void YieldToTheCallingThread() {
  setpriority(PRIO_PROCESS, static_cast<id_t>(gettid()), kHelperNiceness);
}

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
    YieldToTheCallingThread();
    static_cast<BackgroundJob*>(self)->work_();
    return nullptr;
  }

  std::function<void()> work_;
  pthread_t thread_{};
  bool running_ = false;
};
