// Reading objects.txt on a worker, so that our own share of start-up (reading
// the file, parsing it, writing the parse log) runs on the second core beside
// Mesa's (creating the textures, compiling the display lists), which stays on
// the thread that holds the GL context.
//
// - The file is opened on the calling thread when the reading starts, so what
//   is read is the file that stood under the name then, whatever start-up
//   writes into the folder afterwards.
// - The worker owns the line reader, the parse log's writer and a current
//   Statement of its own (a copy of the store's). It parses piece after piece
//   into batches and never touches the store; only it writes the log, so the
//   log holds the same bytes in the same order as reading in one go.
// - Batches travel to the calling thread through a bounded channel, and come
//   back emptied through another for reuse, so the worker runs a bounded way
//   ahead and the statements are never held twice over.
// - The calling thread is the StatementSource of the compiler's walk: At
//   moves arrived batches into store.statements until the statement asked
//   for is there. Finish takes the rest and the last line's outcome for the
//   store's current Statement; the store is then exactly what ReadObjectFile
//   leaves.
// - A held log (Log::kHeld) goes to memory until ReleaseLog (or the walk's
//   first request), then out in one piece ahead of the rest; a reading
//   destroyed before writes none.
// - A worker that fails (an exception, or no thread to run on) ends the
//   statements where it failed, as a read error ends a file; a stopped
//   reading ends them where the stop found it.
// - A parse log whose reader is gone (a closed pipe) ends the program, but
//   only once the log has been let go: see Work().
//
// Knows nothing of GL; the walk that consumes the statements is the compiler's.
#pragma once

#include <signal.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <stop_token>
#include <string_view>
#include <vector>

#include "loading/channel.h"
#include "loading/worker.h"
#include "store/line_reader.h"
#include "store/scene_store.h"
#include "store/statement_source.h"
#include "store/text_writer.h"

class ObjectFileReading final : public StatementSource {
 public:
  // Statements per batch: large enough that handing one over is rare, small
  // enough that the walk need not wait long for the first.
  static constexpr std::size_t kBatchStatements = 4096;

  // When the parse log may be written: at once, or only after ReleaseLog,
  // so that a start-up can begin reading before it knows it will go on (the
  // GL context may yet fail) and leave no log when it does not.
  enum class Log { kNow, kHeld };

  // Opens `fileName` and starts reading it into batches for `store`, the
  // parse log going to `log`. A file that cannot be opened starts nothing.
  // Every wait of the calling thread ends when `stop` is requested.
  ObjectFileReading(SceneStore& store, const char* fileName, std::FILE* log, Log when = Log::kNow,
                    std::stop_token stop = {});
  // The same over bytes in memory, which must outlive the reading; tests and
  // the fuzzer choose small batches to meet the walk waiting at every place.
  ObjectFileReading(SceneStore& store, std::string_view bytes, std::FILE* log,
                    std::size_t batchStatements = kBatchStatements, Log when = Log::kNow);
  // Stops the worker where it is if Finish was not called.
  ~ObjectFileReading();
  ObjectFileReading(const ObjectFileReading&) = delete;
  ObjectFileReading& operator=(const ObjectFileReading&) = delete;

  // Lets a held parse log be written: what was read so far first, then the
  // rest as it is read.
  void ReleaseLog();

  // The statement at `position`, waiting for it to arrive; null past the
  // last one (or once stopped). Releases a held log on the first call.
  const Statement* At(std::size_t position) override;

  // Moves the batches that arrive until `deadline` into the store. True once
  // every statement is there (or the reading stopped).
  bool TakeArrived(Deadline deadline);

  // Takes every statement left, waits for the end of the file (the log is
  // then flushed), sets the store's current Statement to the last line's
  // outcome. Returns 1 when the file could not be opened, otherwise 0, as
  // ReadObjectFile does.
  std::int32_t Finish();

  // Whether the reading ended because a stop was requested.
  bool Stopped() const { return stopped_; }

  // The worker's own wall-clock and CPU time, once Finish has returned.
  double WorkerWallSeconds() const { return workerWallSeconds_; }
  double WorkerCpuSeconds() const { return workerCpuSeconds_; }

 private:
  using Batch = std::vector<Statement>;
  static constexpr std::size_t kBatches = 16;

  void Start(Log when);
  void Work(std::stop_token stop);
  // Reads up to a batch of pieces into `batch`; false when the file has ended.
  bool ReadBatch(Batch& batch);
  // Has the kernel make the pages the statements after the first
  // `statementsRead` will be copied to, so the GL thread need not.
  void PrepareDestination(std::size_t statementsRead) const;
  // Writes what the held log gathered to the parse log, which takes every
  // later line directly (the worker's).
  void WriteHeldLog();
  // Lets a broken pipe end the program, once the log has been let go.
  void EndLikeAReadInOneGo();
  // Takes one batch, waiting until `deadline`; false when none came.
  bool TakeBatch(Deadline deadline);

  SceneStore& store_;
  std::optional<LineReader> reader_;  // the worker's until it has read the file
  bool opened_ = false;               // whether the file could be opened
  std::FILE* log_;
  std::optional<TextWriter> logWriter_;  // the worker's
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
  std::stop_token stop_;  // ends the calling thread's waits
  bool ended_ = false;    // every statement has been taken, or the reading stopped
  bool stopped_ = false;
  bool finished_ = false;

  Channel<Batch> filled_{kBatches};
  Channel<Batch> emptied_{kBatches};
  Channel<char> release_{1};  // closed when the held log may go out
  std::atomic<bool> released_ = false;
  sigset_t startMask_{};  // the worker's signal mask before SIGPIPE was blocked
  bool pipeSignalAllowed_ = false;
  double workerWallSeconds_ = 0;
  double workerCpuSeconds_ = 0;
  std::optional<Worker> worker_;  // last: it ends before what it uses
};
