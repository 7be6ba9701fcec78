// A clock that only moves when told to, and a message queue whose messages
// arrive at given clock times, so the loop's tests are exact and fast.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>

#include "platform/Clock.h"
#include "platform/MessagePump.h"

class FakeClock : public platform::Clock {
 public:
  explicit FakeClock(int64_t frequency) : frequency_(frequency) {}

  bool CounterFrequency(int64_t* frequency) override {
    if (frequency_ <= 0) {
      return false;
    }
    *frequency = frequency_;
    return true;
  }
  int64_t Counter() override {
    reads_++;
    ticks_ += readStep_;
    return ticks_;
  }
  uint32_t Milliseconds() override {
    reads_++;
    millis_ += readStep_;
    return static_cast<uint32_t>(millis_);
  }
  void SleepUntilCounter(int64_t counter) override {
    sleeps_++;
    if (counter > ticks_) {
      ticks_ = counter;
    }
  }
  void SleepUntilMilliseconds(int64_t milliseconds) override {
    sleeps_++;
    if (milliseconds > static_cast<int64_t>(static_cast<uint32_t>(millis_))) {
      millis_ += milliseconds - static_cast<int64_t>(static_cast<uint32_t>(millis_));
    }
  }

  // The time of whichever clock the loop uses (the millisecond clock unwrapped).
  int64_t Now() const { return frequency_ > 0 ? ticks_ : millis_; }
  void MoveTo(int64_t time) {
    if (frequency_ > 0) {
      ticks_ = time;
    } else {
      millis_ = time;
    }
  }

  void Advance(int64_t ticks) {
    ticks_ += ticks;
    millis_ += ticks;
  }

  int64_t frequency_;
  int64_t ticks_ = 1000;
  int64_t millis_ = 1000;
  int64_t readStep_ = 0;  // ticks added by every read (for the busy wait)
  int64_t reads_ = 0;
  int64_t sleeps_ = 0;
};

class FakePump : public platform::MessagePump {
 public:
  struct Message {
    int64_t arrival;
    std::function<void()> handler;
  };

  explicit FakePump(FakeClock& clock, int64_t ticksPerMilli) : clock_(clock), ticksPerMilli_(ticksPerMilli) {}

  void Post(int64_t arrival, std::function<void()> handler) { queue_.push_back({arrival, std::move(handler)}); }

  bool DispatchOne() override {
    if (queue_.empty() || queue_.front().arrival > clock_.Now()) {
      return false;
    }
    Message message = std::move(queue_.front());
    queue_.pop_front();
    dispatched_++;
    message.handler();
    return true;
  }

  bool WaitForMessage(int32_t timeoutMs) override {
    waits_++;
    const int64_t deadline = clock_.Now() + static_cast<int64_t>(timeoutMs) * ticksPerMilli_;
    if (!queue_.empty() && queue_.front().arrival <= deadline) {
      if (queue_.front().arrival > clock_.Now()) {
        clock_.MoveTo(queue_.front().arrival);
      }
      return true;
    }
    clock_.MoveTo(deadline);
    return false;
  }

  FakeClock& clock_;
  int64_t ticksPerMilli_;
  std::deque<Message> queue_;
  int dispatched_ = 0;
  int waits_ = 0;
};
