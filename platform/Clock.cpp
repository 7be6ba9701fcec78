#include "platform/Clock.h"

#include <time.h>

#include <cerrno>

namespace platform {

namespace {

constexpr int64_t kNanosPerSecond = 1000000000;
constexpr int64_t kNanosPerMilli = 1000000;

int64_t MonotonicNanos() {
  timespec ts{};
  ::clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<int64_t>(ts.tv_sec) * kNanosPerSecond + ts.tv_nsec;
}

void SleepUntilNanos(int64_t target) {
  if (target <= 0) {
    return;
  }
  timespec ts{};
  ts.tv_sec = static_cast<time_t>(target / kNanosPerSecond);
  ts.tv_nsec = static_cast<long>(target % kNanosPerSecond);
  // An absolute deadline survives signal interruptions: just sleep again.
  while (::clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &ts, nullptr) == EINTR) {
  }
}

}  // namespace

bool MonotonicClock::CounterFrequency(int64_t* frequency) {
  timespec res{};
  if (frequency == nullptr || ::clock_getres(CLOCK_MONOTONIC, &res) != 0) {
    return false;
  }
  *frequency = kNanosPerSecond;
  return true;
}

int64_t MonotonicClock::Counter() { return MonotonicNanos(); }

uint32_t MonotonicClock::Milliseconds() {
  return static_cast<uint32_t>(static_cast<uint64_t>(MonotonicNanos() / kNanosPerMilli));
}

void MonotonicClock::SleepUntilCounter(int64_t counter) { SleepUntilNanos(counter); }

void MonotonicClock::SleepUntilMilliseconds(int64_t milliseconds) {
  // The millisecond clock is the monotonic clock cut to 32 bits: find the
  // nanosecond time at which it reaches the target from the current reading.
  const int64_t nowNanos = MonotonicNanos();
  const int64_t nowMillis = static_cast<int64_t>(static_cast<uint32_t>(static_cast<uint64_t>(nowNanos / kNanosPerMilli)));
  const int64_t ahead = milliseconds - nowMillis;
  if (ahead <= 0) {
    return;
  }
  SleepUntilNanos((nowNanos / kNanosPerMilli + ahead) * kNanosPerMilli);
}

Clock& SystemClock() {
  static MonotonicClock clock;
  return clock;
}

}  // namespace platform
