// The loading vocabulary between real threads: what a channel delivers, in
// what order, and how every wait on it ends.
#include "loading/channel.h"

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "loading/worker.h"

namespace {

using namespace std::chrono_literals;

TEST(Channel, ItemsThenTheWorkersExceptionArriveInOrder) {
  Channel<int> channel(2);
  const int callerNiceness = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
  std::atomic<int> workerNiceness = -100;
  Worker worker(
      [&](std::stop_token stop) {
        workerNiceness = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        // More items than the channel holds: the worker waits for room.
        for (int k = 0; k < 10; ++k) channel.Send(k, stop);
        throw std::runtime_error("the disk went away");
      },
      [&](std::exception_ptr error) { channel.Fail(error); });
  std::vector<int> received;
  int item = 0;
  Received what;
  while ((what = channel.Receive(item)) == Received::kItem) received.push_back(item);
  EXPECT_EQ(received, (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8, 9}));
  ASSERT_EQ(what, Received::kFailed);
  try {
    std::rethrow_exception(channel.Error());
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()), "the disk went away");
  }
  worker.Join();
  // Workers run at the priority of the thread that waits for them.
  EXPECT_EQ(workerNiceness.load(), callerNiceness);
}

TEST(Channel, EveryWaitEnds) {
  Channel<int> channel(1);
  int item = 0;
  // A deadline with nothing sent.
  EXPECT_EQ(channel.Receive(item, {}, LoadClock::now() + 10ms), Received::kNotYet);
  EXPECT_EQ(channel.TryReceive(item), Received::kNotYet);
  // A stop token requested while the receiver waits.
  std::stop_source stop;
  std::optional<Worker> stopper;
  stopper.emplace(
      [&](std::stop_token) {
        std::this_thread::sleep_for(20ms);
        stop.request_stop();
      },
      [](std::exception_ptr) {});
  EXPECT_EQ(channel.Receive(item, stop.get_token()), Received::kStopped);
  stopper.reset();
  // A sender waiting for room, freed when the receiver stops.
  ASSERT_TRUE(channel.Send(1));
  std::atomic<bool> sent = true;
  Worker sender([&](std::stop_token token) { sent = channel.Send(2, token); },
                [](std::exception_ptr) {});
  std::this_thread::sleep_for(20ms);
  channel.Stop();
  sender.Join();
  EXPECT_FALSE(sent.load());
  // A closed channel gives what was sent, then its end.
  Channel<int> closed(4);
  closed.Send(7);
  closed.Close();
  EXPECT_EQ(closed.Receive(item), Received::kItem);
  EXPECT_EQ(item, 7);
  EXPECT_EQ(closed.Receive(item), Received::kEnd);
}

}  // namespace
