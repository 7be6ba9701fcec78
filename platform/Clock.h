// The clocks that pace the real-time loop: a high-resolution counter
// (CLOCK_MONOTONIC in nanoseconds, frequency 1,000,000,000) and a millisecond
// clock (the same clock in milliseconds, cut to 32 bits) as the fallback.
// The loop takes a Clock by pointer so tests can drive time themselves.
#pragma once

#include <cstdint>

namespace platform {

class Clock {
 public:
  virtual ~Clock() = default;

  // Ticks per second of the high-resolution counter; false when there is none.
  virtual bool CounterFrequency(int64_t* frequency) = 0;
  // The high-resolution counter.
  virtual int64_t Counter() = 0;
  // The millisecond clock; wraps after 2^32 ms like the system's.
  virtual uint32_t Milliseconds() = 0;
  // Sleeps until the high-resolution counter reads at least `counter`.
  virtual void SleepUntilCounter(int64_t counter) = 0;
  // Sleeps until the millisecond clock, widened to 64 bits with a zero high
  // half, reads at least `milliseconds`.
  virtual void SleepUntilMilliseconds(int64_t milliseconds) = 0;
};

// CLOCK_MONOTONIC; sleeps with clock_nanosleep(TIMER_ABSTIME).
class MonotonicClock final : public Clock {
 public:
  bool CounterFrequency(int64_t* frequency) override;
  int64_t Counter() override;
  uint32_t Milliseconds() override;
  void SleepUntilCounter(int64_t counter) override;
  void SleepUntilMilliseconds(int64_t milliseconds) override;
};

// The process-wide monotonic clock.
Clock& SystemClock();

}  // namespace platform
