// Batches of items passed in order from one producing thread to one consuming
// thread. At most a fixed number of batches exist at once: the producer waits
// for an emptied one when all are in flight, so it runs a bounded way ahead
// and the memory in flight is bounded whatever the input's size.
//
// Either side may end the hand-over: the producer by Close (no more batches
// will come; the consumer still receives every batch submitted before), the
// consumer by Stop (batches no longer wanted; the producer's next TakeEmpty
// returns false).
#pragma once

#include <condition_variable>
#include <cstddef>
#include <deque>
#include <mutex>
#include <utility>
#include <vector>

template <typename Item>
class BatchHandOver {
 public:
  using Batch = std::vector<Item>;

  BatchHandOver(std::size_t itemsPerBatch, std::size_t batches)
      : itemsPerBatch_(itemsPerBatch > 0 ? itemsPerBatch : 1),
        batches_(batches > 0 ? batches : 1) {}

  std::size_t ItemsPerBatch() const { return itemsPerBatch_; }

  // Producer: an empty batch with room for ItemsPerBatch() items, waiting
  // while every batch is in flight; false once the consumer has stopped.
  bool TakeEmpty(Batch& batch) {
    std::unique_lock lock(mutex_);
    emptied_.wait(lock, [this] { return stopped_ || !empty_.empty() || made_ < batches_; });
    if (stopped_) return false;
    if (empty_.empty()) {
      ++made_;
      batch.clear();
      batch.reserve(itemsPerBatch_);
    } else {
      batch = std::move(empty_.back());
      empty_.pop_back();
    }
    return true;
  }

  // Producer: queues a filled batch for the consumer (an empty one is dropped).
  void Submit(Batch&& batch) {
    {
      const std::lock_guard lock(mutex_);
      if (batch.empty()) {
        empty_.push_back(std::move(batch));
      } else {
        filled_.push_back(std::move(batch));
      }
    }
    filledOrClosed_.notify_one();
    emptied_.notify_one();
  }

  // Producer: no more batches will come.
  void Close() {
    {
      const std::lock_guard lock(mutex_);
      closed_ = true;
    }
    filledOrClosed_.notify_one();
  }

  // Consumer: the next filled batch, waiting for it; false once the producer
  // has closed and every batch was received.
  bool Receive(Batch& batch) {
    std::unique_lock lock(mutex_);
    filledOrClosed_.wait(lock, [this] { return closed_ || !filled_.empty(); });
    if (filled_.empty()) return false;
    batch = std::move(filled_.front());
    filled_.pop_front();
    return true;
  }

  // Consumer: gives a received batch back for reuse.
  void Return(Batch&& batch) {
    batch.clear();
    {
      const std::lock_guard lock(mutex_);
      empty_.push_back(std::move(batch));
    }
    emptied_.notify_one();
  }

  // Consumer: no more batches are wanted.
  void Stop() {
    {
      const std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    emptied_.notify_one();
  }

 private:
  const std::size_t itemsPerBatch_;
  const std::size_t batches_;
  std::mutex mutex_;
  std::condition_variable filledOrClosed_;
  std::condition_variable emptied_;
  std::deque<Batch> filled_;  // in the producer's order
  std::vector<Batch> empty_;
  std::size_t made_ = 0;
  bool closed_ = false;
  bool stopped_ = false;
};
