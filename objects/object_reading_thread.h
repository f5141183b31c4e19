// Reading objects.txt on a second thread, so that our own share of start-up
// (reading the file, parsing it, writing the parse log) runs on the second
// core beside Mesa's (creating the textures, compiling the display lists),
// which stays on the thread that holds the GL context.
//
// The design, small on purpose:
// - The file is opened on the calling thread when the reading starts, so what
//   is read is the file that stood under the name then, as a read in one go
//   would see it, whatever start-up writes into the folder afterwards.
// - The worker owns the line reader, the parse log's writer and a current
//   Statement of its own (a copy of the store's). It parses piece after piece
//   into batches of statements and never touches the store; only it writes
//   the log, so the log holds the same bytes in the same order as before.
// - Batches pass between the threads under one mutex and two condition
//   variables: a filled batch is queued for the store, an emptied one comes
//   back for reuse. At most kBatches exist, so the worker runs a bounded way
//   ahead and the statements are never held twice over.
// - The calling thread moves queued batches into store.statements whenever
//   the walk asks for a statement not yet there (the store's StatementSupply),
//   and Finish takes the rest and the last line's outcome for the store's
//   current Statement. The store is then exactly what ReadObjectFile leaves.
// - When no thread can be started, FetchMore reads each batch itself: slower,
//   never different.
// - A held log (Log::kHeld) goes to memory until ReleaseLog, then out in one
//   piece ahead of the rest; a reading destroyed before that writes none.
// - A parse log whose reader is gone (a closed pipe) ends the program where
//   reading in one go would have ended it: see Work().
//
// Uses the standard library's mutex and condition variables and a POSIX
// thread (whose failure is a result code, not an exception). Knows nothing of
// GL; the walk that consumes the statements is the compiler's.
#pragma once

#include <pthread.h>
#include <signal.h>

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <mutex>
#include <optional>
#include <string_view>
#include <vector>

#include "store/line_reader.h"
#include "store/scene_store.h"
#include "store/text_writer.h"

class ObjectReadingThread final : public StatementSupply {
 public:
  // Statements per batch: large enough that handing one over is rare, small
  // enough that the walk need not wait long for the first.
  static constexpr std::size_t kBatchStatements = 4096;

  // When the parse log may be written: at once, or only after ReleaseLog,
  // so that a start-up can begin reading before it knows it will go on (the
  // GL context may yet fail) and leave no log when it does not.
  enum class Log { kNow, kHeld };

  // Opens `fileName` and starts reading it into batches for `store`, the
  // parse log going to `log`; until Finish the store's statementSupply is
  // this reading. A file that cannot be opened starts nothing. A held log is
  // kept in memory meanwhile: at most what the batches in flight hold.
  ObjectReadingThread(SceneStore& store, const char* fileName, std::FILE* log,
                      Log when = Log::kNow);
  // The same over bytes in memory, which must outlive the reading; tests and
  // the fuzzer choose small batches to meet the walk waiting at every place.
  ObjectReadingThread(SceneStore& store, std::string_view bytes, std::FILE* log,
                      std::size_t batchStatements = kBatchStatements, Log when = Log::kNow);
  // Stops the worker early (at its next batch) if Finish was not called.
  ~ObjectReadingThread();
  ObjectReadingThread(const ObjectReadingThread&) = delete;
  ObjectReadingThread& operator=(const ObjectReadingThread&) = delete;

  // Lets a held parse log be written: what was read so far first, then the
  // rest as it is read. The walk's first request and Finish release it too.
  void ReleaseLog();

  // Appends the next statements that are ready to store.statements, waiting
  // for the worker when none is; false once every statement has been handed over.
  bool FetchMore(SceneStore& store) override;

  // Hands over every statement left, waits for the end of the file (the log
  // is then flushed), sets the store's current Statement to the last line's
  // outcome and detaches the reading from the store. Returns 1 when the file
  // could not be opened, otherwise 0, as ReadObjectFile does.
  std::int32_t Finish();

  // The worker's own wall-clock and CPU time, once Finish has returned.
  double WorkerWallSeconds() const { return workerWallSeconds_; }
  double WorkerCpuSeconds() const { return workerCpuSeconds_; }

 private:
  using Batch = std::vector<Statement>;
  static constexpr std::size_t kBatches = 16;

  void Start(Log when);
  static void* RunWorker(void* self);
  void Work();
  // Reads up to a batch of pieces into `batch`; false when the file has ended.
  bool ReadBatch(Batch& batch);
  // Has the kernel make the pages the statements after the first
  // `statementsRead` will be copied to, so the GL thread need not.
  void PrepareDestination(std::size_t statementsRead) const;
  // The worker's side of ReleaseLog: writes what the held log gathered to
  // the parse log, which takes every later line directly.
  void WriteHeldLog();
  // Drops a held log that was never released.
  void DiscardHeldLog();
  // Lets a broken pipe end the program, once the walk has begun.
  void EndLikeAReadInOneGo();
  // Moves every queued batch into the store; false when none was queued.
  bool TakeQueued(SceneStore& store, std::unique_lock<std::mutex>& lock);

  SceneStore& store_;
  std::optional<LineReader> reader_;  // the worker's until it has read the file
  bool opened_ = false;               // whether the file could be opened
  std::FILE* log_;
  std::optional<TextWriter> logWriter_;  // the worker's, or the caller's without a thread
  // A held log is written to memory until released (the worker's alone).
  std::FILE* heldLog_ = nullptr;
  char* heldBytes_ = nullptr;
  std::size_t heldSize_ = 0;
  bool logHeld_ = false;
  Statement current_;
  std::size_t batchStatements_ = kBatchStatements;
  std::int32_t lineNumber_ = 0;
  std::uintptr_t destinationStart_ = 0;  // the list's free room when the reading began
  std::uintptr_t destinationEnd_ = 0;
  bool threadStarted_ = false;
  bool finished_ = false;
  pthread_t thread_{};

  std::mutex mutex_;
  std::condition_variable batchQueued_;  // the worker queued a batch, or ended
  std::condition_variable batchFreed_;   // a batch came back, or the worker must stop
  std::vector<Batch> queued_;            // filled, in file order
  std::vector<Batch> free_;              // emptied, for reuse
  std::size_t batchesMade_ = 0;
  bool workerDone_ = false;
  bool stopWorker_ = false;
  bool walkStarted_ = false;  // the walk has asked for statements
  bool logReleased_ = false;
  sigset_t startMask_{};  // the worker's signal mask before SIGPIPE was blocked
  bool pipeSignalAllowed_ = false;
  double workerWallSeconds_ = 0;
  double workerCpuSeconds_ = 0;
};
