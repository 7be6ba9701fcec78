#include "shell/RTLoop.h"

#include <climits>

#include "common/RevisionString.h"
#include "platform/Clock.h"
#include "platform/MessagePump.h"

namespace {

RevisionLines gRevisions("%Z% RTLoop QX_P_0102_01 RTLoop.cpp $Revision: 1.7 $",
                         "%Z% RTLoop QX_P_0102_01 RTLoop.h $Revision: 1.3 $");

constexpr int32_t kMinRate = 1;
constexpr int32_t kMaxRate = 1000;
constexpr int64_t kMillisecondTicks = 16;
constexpr double kOverrunFactor = 1.02;
constexpr int32_t kFirstLateCountdown = 16;
constexpr int32_t kLateCountdown = 120;
// A long wait in the operating system can wake a little late; it ends up to
// this much before the due time and one short sleep covers the rest. Each
// wake-up is a look at the message queue, the larger part of an idle
// station's processor time, so there is one short sleep per iteration.
constexpr int64_t kWakeEarlyMillis = 1;

// Counters that run for the life of the program never overflow.
void CountUp(int32_t& counter) {
  if (counter < INT32_MAX) {
    counter++;
  }
}

}  // namespace

RTLoop::RTLoop(int32_t rate, platform::Clock* clock, platform::MessagePump* pump)
    : rate_(rate), clock_(clock != nullptr ? clock : &platform::SystemClock()), pump_(pump) {
  gRevisions.RegisterOnce();
  Reset();
  InitialiseClock();
}

RTLoop::~RTLoop() { state_ = Stopped; }

int32_t RTLoop::Iterate(int32_t /*windowPosition*/, int32_t /*state*/) { return -1; }

void RTLoop::Reset() {
  state_ = Stopped;
  warmUp_ = kWarmUp;
  statistics_ = RTLoopStatistics{};
  nextDue_ = 0;
  lastStart_ = 0;
  period_ = 0.0;
  now_ = 0;
  elapsed_ = 0.0;
  workTime_ = 0.0;
  maxTotalTime_ = 0.0;
  maxWorkTime_ = 0.0;
  averageWorkTime_ = 0.0;
  workSum_ = 0.0;
  totalTime_ = 0.0;
  frameCount_ = 0;
  totalSum_ = 0.0;
  averageTotalTime_ = 0.0;
  Publish(1);
}

void RTLoop::InitialiseClock() {
  if (rate_ < kMinRate || rate_ > kMaxRate) {
    rate_ = kMinRate;
  }
  int64_t frequency = 0;
  if (clock_->CounterFrequency(&frequency) && frequency > 0) {
    highResolution_ = true;
    frequency_ = frequency;
    ticksPerIteration_ = frequency / rate_;
    if (ticksPerIteration_ < 1) {
      ticksPerIteration_ = 1;
    }
    secondsPerTick_ = 1.0 / static_cast<double>(frequency);
  } else {
    highResolution_ = false;
    frequency_ = 0;
    secondsPerTick_ = 0.001;
    ticksPerIteration_ = kMillisecondTicks;
  }
  nextDue_ = ReadClock();
  lastStart_ = nextDue_;
  nominalPeriod_ = static_cast<double>(ticksPerIteration_) * secondsPerTick_;
}

int64_t RTLoop::ReadClock() {
  if (highResolution_) {
    return clock_->Counter();
  }
  // The millisecond clock wraps every 2^32 ms; carry the wraps so the due
  // times keep increasing instead of stalling the loop for 49 days.
  const uint32_t millis = clock_->Milliseconds();
  if (millis < lastMillis_) {
    millisWraps_++;
  }
  lastMillis_ = millis;
  return (millisWraps_ << 32) + static_cast<int64_t>(millis);
}

void RTLoop::WaitStep() {
  const int64_t ticksPerMilli = highResolution_ ? (frequency_ >= 1000 ? frequency_ / 1000 : 1) : 1;
  const int64_t remaining = nextDue_ - now_;
  if (pump_ != nullptr && remaining > (kWakeEarlyMillis + 1) * ticksPerMilli) {
    // Block on the message queue until less than kWakeEarlyMillis before
    // the due time (whole milliseconds, rounded up).
    int64_t millis = (remaining - kWakeEarlyMillis * ticksPerMilli + ticksPerMilli - 1) / ticksPerMilli;
    if (millis > INT32_MAX) {
      millis = INT32_MAX;
    }
    pump_->WaitForMessage(static_cast<int32_t>(millis));
    return;
  }
  // An iteration starts only once the clock has passed its due time.
  int64_t target = nextDue_ + 1;
  if (pump_ != nullptr && target - now_ > ticksPerMilli) {
    // Short sleeps, so a message waits at most 1 ms for its dispatch.
    target = now_ + ticksPerMilli;
  } else if (pump_ == nullptr && target - now_ > (kWakeEarlyMillis + 1) * ticksPerMilli) {
    target = nextDue_ - kWakeEarlyMillis * ticksPerMilli;
  }
  if (highResolution_) {
    clock_->SleepUntilCounter(target);
  } else {
    clock_->SleepUntilMilliseconds(target - (millisWraps_ << 32));
  }
}

int32_t RTLoop::Run() {
  if (inRun_ || (state_ != Running && state_ != Paused)) {
    return frameCount_;
  }
  inRun_ = true;
  int32_t windowPosition = 0;
  const double overrunThreshold = static_cast<double>(ticksPerIteration_) * secondsPerTick_ * kOverrunFactor;
  int32_t lateCountdown = kFirstLateCountdown;
  nextDue_ = ReadClock();
  lastStart_ = nextDue_;
  elapsed_ = 0.0;

  while (state_ == Running || state_ == Paused) {
    if (pump_ != nullptr && pump_->DispatchOne()) {
      continue;
    }
    now_ = ReadClock();
    if (now_ <= nextDue_) {
      if (waitMode_ == WaitMode::OsWait) {
        WaitStep();
      }
      continue;
    }
    period_ = static_cast<double>(now_ - lastStart_) * secondsPerTick_;
    lastStart_ = now_;

    if (period_ > overrunThreshold && lateCountdown < 0) {
      CountUp(statistics_.lateStarts);
      lateCountdown = kLateCountdown;
    }
    if (lateCountdown >= 0) {
      lateCountdown--;
    }

    const int64_t workStart = ReadClock();
    Iterate(windowPosition, state_);
    const int64_t workEnd = ReadClock();
    workTime_ = static_cast<double>(workEnd - workStart) * secondsPerTick_;

    if (workTime_ > maxWorkTime_) {
      maxWorkTime_ = workTime_;
    }
    if (workTime_ > overrunThreshold) {
      CountUp(statistics_.overruns);
    }
    if (highResolution_) {
      totalTime_ = static_cast<double>(ReadClock() - now_) * secondsPerTick_;
      if (totalTime_ > maxTotalTime_) {
        maxTotalTime_ = totalTime_;
      }
    }
    workSum_ += workTime_;
    totalSum_ += totalTime_;

    // Re-based on the actual start: missed periods are never made up.
    nextDue_ = now_ + ticksPerIteration_;
    elapsed_ += period_;
    CountUp(frameCount_);

    windowPosition++;
    if (windowPosition >= kWindow) {
      averageWorkTime_ = workSum_ / kWindow;
      averageTotalTime_ = totalSum_ / kWindow;
      windowPosition = 0;
      workSum_ = 0.0;
      totalSum_ = 0.0;
    }
    Publish(windowPosition);

    // The maxima only cover iterations from the 60th after a reset onwards.
    if (warmUp_ > 0) {
      warmUp_--;
      if (warmUp_ > 0) {
        maxWorkTime_ = 0.0;
        maxTotalTime_ = 0.0;
      }
    }
  }
  inRun_ = false;
  return frameCount_;
}

void RTLoop::Publish(int32_t windowPosition) {
  statistics_.elapsed = elapsed_;
  statistics_.lastTotalTime = totalTime_;
  statistics_.averageTotalTime = averageTotalTime_;
  statistics_.maxTotalTime = maxTotalTime_;
  statistics_.lastPeriod = period_;
  if (state_ == Paused) {
    statistics_.lastWorkTime = 0.0;
    statistics_.averageWorkTime = 0.0;
    statistics_.maxWorkTime = 0.0;
  } else {
    statistics_.lastWorkTime = workTime_;
    statistics_.averageWorkTime = averageWorkTime_;
    statistics_.maxWorkTime = maxWorkTime_;
  }
  if (windowPosition >= 0 && windowPosition < kWindow) {
    statistics_.workHistory[windowPosition] = workTime_;
  }
  statistics_.frames = frameCount_;
}

bool RTLoop::Enable() {
  if (state_ == Stopped) {
    state_ = Running;
  }
  return true;
}

bool RTLoop::Stop() {
  if (state_ == Running || state_ == Paused) {
    state_ = Stopped;
  }
  return true;
}

bool RTLoop::TogglePause() {
  if (state_ == Running) {
    state_ = Paused;
    return true;
  }
  if (state_ == Paused) {
    state_ = Running;
  }
  return false;
}

void RTLoop::SetRate(int32_t rate) {
  if (rate >= kMinRate && highResolution_) {
    ticksPerIteration_ = frequency_ / rate;
    if (ticksPerIteration_ < 1) {
      ticksPerIteration_ = 1;
    }
  }
}

void RTLoop::GetStatistics(RTLoopStatistics* destination) const {
  if (destination != nullptr) {
    *destination = statistics_;
  }
}

void RTLoop::GetTiming(RTLoopTiming* destination) const {
  if (destination != nullptr) {
    destination->nominalPeriod = nominalPeriod_;
    destination->highResolution = highResolution_ ? 1 : 0;
  }
}

bool RTLoop::ResetStatistics() {
  statistics_.overruns = 0;
  maxWorkTime_ = 0.0;
  maxTotalTime_ = 0.0;
  warmUp_ = kWarmUp;
  return true;
}
