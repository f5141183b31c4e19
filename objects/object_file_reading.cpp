#include "objects/object_file_reading.h"

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <utility>

#include "objects/object_reader.h"
#include "store/phase_clock.h"

ObjectFileReading::ObjectFileReading(SceneStore& store, const char* fileName, std::FILE* log,
                                     Log when, std::stop_token stop)
    : store_(store), log_(log), current_(store.currentStatement), stop_(std::move(stop)) {
  reader_.emplace(fileName);
  Start(when);
}

ObjectFileReading::ObjectFileReading(SceneStore& store, std::string_view bytes, std::FILE* log,
                                     std::size_t batchStatements, Log when)
    : store_(store),
      log_(log),
      current_(store.currentStatement),
      batchStatements_(batchStatements > 0 ? batchStatements : 1) {
  reader_.emplace(bytes);
  Start(when);
}

void ObjectFileReading::Start(Log when) {
  // A file that cannot be opened is not read at all: no log, no statements.
  if (!reader_->IsOpen()) {
    reader_.reset();
    ended_ = true;
    return;
  }
  opened_ = true;
  if (when == Log::kHeld) {
    heldLog_ = open_memstream(&heldBytes_, &heldSize_);
    logHeld_ = true;
  } else {
    released_ = true;
    release_.Close();
  }
  // Without room to hold it in memory, the log goes out at once.
  logWriter_.emplace(heldLog_ != nullptr ? heldLog_ : log_);
  ReserveStatements(store_, reader_->SizeHint());
  // Where the statements will be copied, while the list keeps its room.
  const Statement* const room = store_.statements.data();
  destinationStart_ = reinterpret_cast<std::uintptr_t>(room + store_.statements.size());
  destinationEnd_ = reinterpret_cast<std::uintptr_t>(room + store_.statements.capacity());
  worker_.emplace([this](std::stop_token stop) { Work(stop); },
                  [this](std::exception_ptr error) { filled_.Fail(error); });
}

ObjectFileReading::~ObjectFileReading() {
  filled_.Stop();
  worker_.reset();  // asks the worker to stop and waits for it
  if (heldLog_ != nullptr) {
    // Never released: dropped.
    logWriter_.reset();
    std::fclose(heldLog_);
  }
  std::free(heldBytes_);
}

void ObjectFileReading::ReleaseLog() {
  if (released_.exchange(true)) return;
  release_.Close();
}

void ObjectFileReading::WriteHeldLog() {
  if (heldLog_ == nullptr) return;
  logWriter_.reset();  // flushes into the memory stream
  std::fclose(heldLog_);
  heldLog_ = nullptr;
  logWriter_.emplace(log_);
  logWriter_->Write(std::string_view(heldBytes_ != nullptr ? heldBytes_ : "", heldSize_));
  std::free(heldBytes_);
  heldBytes_ = nullptr;
}

void ObjectFileReading::PrepareDestination(std::size_t statementsRead) const {
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

bool ObjectFileReading::ReadBatch(Batch& batch) {
  LineReader::Piece piece;
  std::size_t pieceLength = 0;
  while (batch.size() < batchStatements_) {
    if (!reader_->ReadPiece(piece, pieceLength)) return false;
    ParseObjectPiece(piece, lineNumber_++, current_, *logWriter_);
    batch.push_back(current_);
  }
  return true;
}

void ObjectFileReading::EndLikeAReadInOneGo() {
  if (pipeSignalAllowed_ || heldLog_ != nullptr || logWriter_->FailureReason() != EPIPE) return;
  pipeSignalAllowed_ = true;
  // The mask the program started with: a SIGPIPE it blocked stays blocked.
  pthread_sigmask(SIG_SETMASK, &startMask_, nullptr);
}

void ObjectFileReading::Work(std::stop_token stop) {
  const PhaseClock clock(PhaseClock::Cpu::kThisThread);
  // A write to a parse log whose reader is gone raises SIGPIPE, which ends
  // the program unless it is ignored. Read in one go, after the textures
  // and before the compilation, the file could only end the program there.
  // So the signal waits, blocked, until the log is let go (the textures and
  // their boxes are then done); the compilation's transcript is not yet in
  // place by then, and vanishes with the program.
  sigset_t pipeSignal;
  sigemptyset(&pipeSignal);
  sigaddset(&pipeSignal, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSignal, &startMask_);
  PrepareDestination(0);
  for (bool more = true; more;) {
    Batch batch;
    if (emptied_.TryReceive(batch) != Received::kItem) batch.reserve(batchStatements_);
    if (released_) WriteHeldLog();
    more = ReadBatch(batch);
    PrepareDestination(static_cast<std::size_t>(lineNumber_));
    EndLikeAReadInOneGo();
    if (!batch.empty() && !filled_.Send(std::move(batch), stop)) return;
  }
  // The file's bytes are not needed any more: they go before the compilation
  // reaches its largest.
  reader_.reset();
  if (heldLog_ != nullptr) {
    // The whole file was read before the log was let go.
    char ignored = 0;
    if (release_.Receive(ignored, stop) != Received::kEnd) return;
    WriteHeldLog();
  }
  logWriter_->Flush();
  EndLikeAReadInOneGo();
  workerWallSeconds_ = clock.WallSeconds();
  workerCpuSeconds_ = clock.CpuSeconds();
  filled_.Close();
}

bool ObjectFileReading::TakeBatch(Deadline deadline) {
  if (ended_) return false;
  Batch batch;
  switch (filled_.Receive(batch, stop_, deadline)) {
    case Received::kItem:
      store_.statements.insert(store_.statements.end(), batch.begin(), batch.end());
      batch.clear();
      emptied_.TrySend(batch);  // for reuse, when the worker has room for it
      return true;
    case Received::kNotYet:
      return false;
    case Received::kStopped:
      stopped_ = true;
      ended_ = true;
      return false;
    case Received::kEnd:
    case Received::kFailed:  // a failed worker ends the file where it failed
      ended_ = true;
      return false;
  }
  return false;
}

const Statement* ObjectFileReading::At(std::size_t position) {
  ReleaseLog();
  while (position >= store_.statements.size()) {
    if (!TakeBatch(kNoDeadline)) return nullptr;
  }
  return &store_.statements[position];
}

bool ObjectFileReading::TakeArrived(Deadline deadline) {
  while (TakeBatch(deadline)) {
  }
  return ended_;
}

std::int32_t ObjectFileReading::Finish() {
  if (!finished_ && opened_) {
    ReleaseLog();
    TakeArrived(kNoDeadline);
    if (!stopped_) {
      worker_->Join();
      store_.currentStatement = current_;
    }
  }
  finished_ = true;
  return opened_ ? 0 : 1;
}
