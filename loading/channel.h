// The one way loading work passes between threads: a bounded channel from one
// thread to another that carries items, the end of the items, a stop request
// and a worker's exception.
//
// - The sender waits while the channel holds `capacity` items, so a worker
//   runs a bounded way ahead and the memory in flight is bounded whatever
//   the input's size.
// - Either side may end it: the sender by Close (no more items; every item
//   sent before still arrives) or Fail (an exception, which arrives after
//   the items sent before it), the receiver by Stop (no more items wanted;
//   a waiting sender returns at once).
// - Every wait also ends when the caller's stop token is requested, or at
//   the caller's deadline, so nothing waits without a way to be stopped.
//
// Uses the standard library only; throws nothing of its own.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <mutex>
#include <stop_token>
#include <utility>

using LoadClock = std::chrono::steady_clock;
using Deadline = LoadClock::time_point;
// A deadline that never comes: the wait ends only on an item, the end or a stop.
inline constexpr Deadline kNoDeadline = Deadline::max();

// What Receive found.
enum class Received {
  kItem,     // the next item
  kEnd,      // the sender closed the channel and every item has been taken
  kFailed,   // the sender's exception (Error()) after every item sent before it
  kStopped,  // the caller's stop token was requested, or the receiver stopped
  kNotYet,   // the deadline passed with nothing to take
};

template <typename Item>
class Channel {
 public:
  explicit Channel(std::size_t capacity = 1) : capacity_(capacity > 0 ? capacity : 1) {}
  Channel(const Channel&) = delete;
  Channel& operator=(const Channel&) = delete;

  // Sender: queues `item`, waiting while the channel is full. False (the
  // item dropped) once the receiver has stopped or `stop` is requested.
  bool Send(Item item, std::stop_token stop = {}) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, stop, [this] { return stopped_ || items_.size() < capacity_; });
    if (stopped_ || stop.stop_requested()) return false;
    items_.push_back(std::move(item));
    lock.unlock();
    changed_.notify_all();
    return true;
  }

  // Sender: queues `item` when there is room, without waiting; false (the
  // item left with the caller) when the channel is full or stopped.
  bool TrySend(Item& item) {
    {
      const std::lock_guard lock(mutex_);
      if (stopped_ || items_.size() >= capacity_) return false;
      items_.push_back(std::move(item));
    }
    changed_.notify_all();
    return true;
  }

  // Sender: no more items will come.
  void Close() { End(nullptr); }

  // Sender: ends the channel with `error`, which the receiver gets once it
  // has taken the items sent before.
  void Fail(std::exception_ptr error) { End(std::move(error)); }

  // Receiver: no more items are wanted; what is queued is dropped.
  void Stop() {
    {
      const std::lock_guard lock(mutex_);
      stopped_ = true;
      items_.clear();
    }
    changed_.notify_all();
  }

  // Receiver: the next item, waiting until one comes, the channel ends,
  // `stop` is requested or `deadline` passes.
  Received Receive(Item& item, std::stop_token stop = {}, Deadline deadline = kNoDeadline) {
    std::unique_lock lock(mutex_);
    const auto ready = [this] { return stopped_ || ended_ || !items_.empty(); };
    if (deadline == kNoDeadline) {
      changed_.wait(lock, stop, ready);
    } else {
      changed_.wait_until(lock, stop, deadline, ready);
    }
    if (!items_.empty()) {
      item = std::move(items_.front());
      items_.pop_front();
      lock.unlock();
      changed_.notify_all();
      return Received::kItem;
    }
    if (stopped_ || stop.stop_requested()) return Received::kStopped;
    if (ended_) return error_ != nullptr ? Received::kFailed : Received::kEnd;
    return Received::kNotYet;
  }

  // Receiver: the next item if one is queued, without waiting.
  Received TryReceive(Item& item) { return Receive(item, {}, LoadClock::now()); }

  // The exception the channel ended with; null when it has none.
  std::exception_ptr Error() const {
    const std::lock_guard lock(mutex_);
    return error_;
  }

 private:
  void End(std::exception_ptr error) {
    {
      const std::lock_guard lock(mutex_);
      if (ended_) return;
      ended_ = true;
      error_ = std::move(error);
    }
    changed_.notify_all();
  }

  const std::size_t capacity_;
  mutable std::mutex mutex_;
  std::condition_variable_any changed_;
  std::deque<Item> items_;
  bool ended_ = false;
  bool stopped_ = false;
  std::exception_ptr error_;
};
