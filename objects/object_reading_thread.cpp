#include "objects/object_reading_thread.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <utility>

#include "objects/object_reader.h"
#include "store/background_job.h"
#include "store/phase_clock.h"

ObjectReadingThread::ObjectReadingThread(SceneStore& store, const char* fileName, std::FILE* log,
                                         Log when)
    : store_(store), log_(log), current_(store.currentStatement) {
  reader_.emplace(fileName);
  Start(when);
}

ObjectReadingThread::ObjectReadingThread(SceneStore& store, std::string_view bytes, std::FILE* log,
                                         std::size_t batchStatements, Log when)
    : store_(store),
      log_(log),
      current_(store.currentStatement),
      batchStatements_(batchStatements > 0 ? batchStatements : 1) {
  reader_.emplace(bytes);
  Start(when);
}

void ObjectReadingThread::Start(Log when) {
  // A file that cannot be opened is not read at all: no log, no statements.
  if (!reader_->IsOpen()) {
    reader_.reset();
    return;
  }
  opened_ = true;
  if (when == Log::kHeld) {
    heldLog_ = open_memstream(&heldBytes_, &heldSize_);
    // Without room to hold it, the log is not held: it waits, and so does the
    // reading (see Work).
    logHeld_ = true;
  }
  ReserveStatements(store_, reader_->SizeHint());
  // Where the statements will be copied, while the list keeps its room.
  const Statement* const room = store_.statements.data();
  destinationStart_ = reinterpret_cast<std::uintptr_t>(room + store_.statements.size());
  destinationEnd_ = reinterpret_cast<std::uintptr_t>(room + store_.statements.capacity());
  logWriter_.emplace(logHeld_ ? heldLog_ : log_);
  store_.statementSupply = this;
  threadStarted_ = pthread_create(&thread_, nullptr, &ObjectReadingThread::RunWorker, this) == 0;
}

ObjectReadingThread::~ObjectReadingThread() {
  if (threadStarted_) {
    {
      const std::lock_guard lock(mutex_);
      stopWorker_ = true;
    }
    batchFreed_.notify_one();
    pthread_join(thread_, nullptr);
  }
  DiscardHeldLog();
  if (store_.statementSupply == this) store_.statementSupply = nullptr;
}

void ObjectReadingThread::ReleaseLog() {
  if (!threadStarted_) {
    // No worker: the reading happens here, so the log is written here.
    if (logHeld_) WriteHeldLog();
    return;
  }
  {
    const std::lock_guard lock(mutex_);
    if (logReleased_) return;
    logReleased_ = true;
  }
  batchFreed_.notify_one();
}

void ObjectReadingThread::WriteHeldLog() {
  logWriter_.reset();  // flushes into the memory stream
  if (heldLog_ != nullptr) std::fclose(heldLog_);
  heldLog_ = nullptr;
  logWriter_.emplace(log_);
  logWriter_->Write(std::string_view(heldBytes_ != nullptr ? heldBytes_ : "", heldSize_));
  std::free(heldBytes_);
  heldBytes_ = nullptr;
  logHeld_ = false;
}

void ObjectReadingThread::DiscardHeldLog() {
  if (!logHeld_) return;
  logWriter_.reset();
  if (heldLog_ != nullptr) std::fclose(heldLog_);
  heldLog_ = nullptr;
  std::free(heldBytes_);
  heldBytes_ = nullptr;
  logHeld_ = false;
}

void* ObjectReadingThread::RunWorker(void* self) {
  YieldToTheCallingThread();
  static_cast<ObjectReadingThread*>(self)->Work();
  return nullptr;
}

void ObjectReadingThread::PrepareDestination(std::size_t statementsRead) const {
#ifdef MADV_POPULATE_WRITE
  // The store's list has its room reserved, but its pages are only made when
  // first written, which would happen on the GL thread as it takes the
  // batches. Asking the kernel for the next batch's pages here moves that work
  // to this thread; it writes nothing, so it is harmless even where the list
  // has since moved. A kernel without the request refuses it, and nothing changes.
  static const std::uintptr_t kPage = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
  const std::uintptr_t from = destinationStart_ + statementsRead * sizeof(Statement);
  const std::uintptr_t to =
      std::min(destinationEnd_, from + batchStatements_ * sizeof(Statement) + kPage - 1);
  const std::uintptr_t first = from & ~(kPage - 1);
  if (to <= first + kPage) return;
  const std::uintptr_t last = to & ~(kPage - 1);
  madvise(reinterpret_cast<void*>(first), last - first, MADV_POPULATE_WRITE);
#else
  (void)statementsRead;
#endif
}

bool ObjectReadingThread::ReadBatch(Batch& batch) {
  LineReader::Piece piece;
  std::size_t pieceLength = 0;
  while (batch.size() < batchStatements_) {
    if (!reader_->ReadPiece(piece, pieceLength)) return false;
    ParseObjectPiece(piece, lineNumber_++, current_, *logWriter_);
    batch.push_back(current_);
  }
  return true;
}

void ObjectReadingThread::EndLikeAReadInOneGo() {
  if (pipeSignalAllowed_ || logWriter_->FailureReason() != EPIPE) return;
  {
    std::unique_lock lock(mutex_);
    batchFreed_.wait(lock, [this] { return walkStarted_ || stopWorker_; });
  }
  pipeSignalAllowed_ = true;
  // The mask the program started with: a SIGPIPE it blocked stays blocked.
  pthread_sigmask(SIG_SETMASK, &startMask_, nullptr);
}

void ObjectReadingThread::Work() {
  const PhaseClock clock(PhaseClock::Cpu::kThisThread);
  // A write to a parse log whose reader is gone raises SIGPIPE, which ends
  // the program unless it is ignored. Read in one go, after the textures
  // and before the compilation, the file could only end the program there.
  // So the signal waits, blocked, until the walk has asked for statements
  // (the textures and their boxes are then done); the compilation's
  // transcript is not yet in place by then, and vanishes with the program.
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &startMask_);
  PrepareDestination(0);
  for (bool more = true; more;) {
    Batch batch;
    {
      std::unique_lock lock(mutex_);
      // A log that could not be held in memory holds the reading instead.
      const bool mayRead = !logHeld_ || heldLog_ != nullptr;
      batchFreed_.wait(lock, [&] {
        return stopWorker_ || (logHeld_ && logReleased_) ||
               (mayRead && (!free_.empty() || batchesMade_ < kBatches));
      });
      if (stopWorker_) break;
      if (logHeld_ && logReleased_) {
        lock.unlock();
        WriteHeldLog();
        continue;
      }
      if (free_.empty()) {
        ++batchesMade_;
        batch.reserve(batchStatements_);
      } else {
        batch = std::move(free_.back());
        free_.pop_back();
      }
    }
    more = ReadBatch(batch);
    PrepareDestination(lineNumber_);
    EndLikeAReadInOneGo();
    const std::lock_guard lock(mutex_);
    if (!batch.empty()) queued_.push_back(std::move(batch));
    batchQueued_.notify_one();
  }
  // The file's bytes are not needed any more: they go before the compilation
  // reaches its largest.
  reader_.reset();
  if (logHeld_) {
    // The whole file was read before the log was let go.
    std::unique_lock lock(mutex_);
    batchFreed_.wait(lock, [this] { return stopWorker_ || logReleased_; });
    const bool released = logReleased_ && !stopWorker_;
    lock.unlock();
    if (released) WriteHeldLog();
  }
  if (!logHeld_) logWriter_->Flush();
  EndLikeAReadInOneGo();
  const std::lock_guard lock(mutex_);
  workerWallSeconds_ = clock.WallSeconds();
  workerCpuSeconds_ = clock.CpuSeconds();
  workerDone_ = true;
  batchQueued_.notify_one();
}

bool ObjectReadingThread::TakeQueued(SceneStore& store, std::unique_lock<std::mutex>& lock) {
  std::vector<Batch> taken;
  taken.swap(queued_);
  // The copying needs no lock: the worker only ever touches batches it holds.
  lock.unlock();
  for (Batch& batch : taken) {
    store.statements.insert(store.statements.end(), batch.begin(), batch.end());
    batch.clear();
  }
  lock.lock();
  for (Batch& batch : taken) free_.push_back(std::move(batch));
  batchFreed_.notify_one();
  return !taken.empty();
}

bool ObjectReadingThread::FetchMore(SceneStore& store) {
  if (!opened_ || finished_) return false;
  if (!threadStarted_) {
    if (logHeld_) WriteHeldLog();
    Batch batch;
    ReadBatch(batch);
    store.statements.insert(store.statements.end(), batch.begin(), batch.end());
    return !batch.empty();
  }
  std::unique_lock lock(mutex_);
  if (!walkStarted_) {
    walkStarted_ = true;
    logReleased_ = true;
    batchFreed_.notify_one();
  }
  batchQueued_.wait(lock, [this] { return !queued_.empty() || workerDone_; });
  return TakeQueued(store, lock);
}

std::int32_t ObjectReadingThread::Finish() {
  if (!finished_ && opened_) {
    ReleaseLog();
    while (FetchMore(store_)) {
    }
    if (threadStarted_) pthread_join(thread_, nullptr);
    threadStarted_ = false;
    logWriter_->Flush();
    store_.currentStatement = current_;
  }
  finished_ = true;
  if (store_.statementSupply == this) store_.statementSupply = nullptr;
  return opened_ ? 0 : 1;
}
