// A fixed-rate loop on the user-interface thread: paces iterations from a
// high-resolution clock, keeps the window messages flowing while it waits,
// times every iteration and keeps timing statistics.
#pragma once

#include <cstdint>

namespace platform {
class Clock;
class MessagePump;
}  // namespace platform

// The timing statistics block that GetStatistics copies.
struct RTLoopStatistics {
  double lastPeriod = 0.0;
  int32_t frames = 0;
  int32_t overruns = 0;
  int32_t lateStarts = 0;
  double maxWorkTime = 0.0;      // 0 while paused
  double averageWorkTime = 0.0;  // 0 while paused
  double lastWorkTime = 0.0;     // 0 while paused
  double maxTotalTime = 0.0;
  double averageTotalTime = 0.0;
  double lastTotalTime = 0.0;
  double workHistory[16] = {};
  double elapsed = 0.0;
};

// What GetTiming writes.
struct RTLoopTiming {
  double nominalPeriod = 0.0;
  uint8_t highResolution = 0;
};

class RTLoop {
 public:
  enum State : int32_t { Running = 0, Paused = 1, Stopped = 2 };

  // How Run waits for the due time of the next iteration.
  enum class WaitMode {
    // Block on the message queue until shortly before the due time, then
    // sleep to it in slices of at most 1 ms, dispatching messages in between.
    OsWait,
    // Spin reading the clock and dispatching messages.
    BusyWait,
  };

  static constexpr int32_t kWindow = 16;
  static constexpr int32_t kWarmUp = 60;

  // clock: the system's monotonic clock when null. pump: no messages are
  // pumped when null (the loop still waits for its due times).
  explicit RTLoop(int32_t rate, platform::Clock* clock = nullptr, platform::MessagePump* pump = nullptr);
  virtual ~RTLoop();
  RTLoop(const RTLoop&) = delete;
  RTLoop& operator=(const RTLoop&) = delete;

  // The per-iteration work. windowPosition is 0..15; the result is ignored.
  virtual int32_t Iterate(int32_t windowPosition, int32_t state);

  // Runs until the state is Stopped; returns the frame count.
  int32_t Run();
  bool Enable();
  bool Stop();
  // Running <-> Paused; true when the loop is now paused.
  bool TogglePause();
  int32_t GetState() const { return state_; }
  void SetRate(int32_t rate);
  void GetStatistics(RTLoopStatistics* destination) const;
  void GetTiming(RTLoopTiming* destination) const;
  bool ResetStatistics();

  void SetMessagePump(platform::MessagePump* pump) { pump_ = pump; }
  void SetWaitMode(WaitMode mode) { waitMode_ = mode; }
  WaitMode GetWaitMode() const { return waitMode_; }

  int32_t GetRate() const { return rate_; }
  int64_t GetTicksPerIteration() const { return ticksPerIteration_; }
  bool IsHighResolution() const { return highResolution_; }

 protected:
  // For a derived Iterate: the clock reading at the start of the current
  // iteration and the due time it waited for (clock ticks).
  int64_t CurrentStartTicks() const { return now_; }
  int64_t CurrentDueTicks() const { return nextDue_; }
  double SecondsPerTick() const { return secondsPerTick_; }

 private:
  void Reset();
  void InitialiseClock();
  int64_t ReadClock();
  // Waits towards the due time; returns after at most about 1 ms when a
  // message could be pending, so the caller can dispatch it.
  void WaitStep();
  void Publish(int32_t windowPosition);

  RTLoopStatistics statistics_;
  bool highResolution_ = false;
  int64_t nextDue_ = 0;
  int64_t lastStart_ = 0;
  double period_ = 0.0;
  int64_t frequency_ = 0;
  int64_t now_ = 0;
  int64_t ticksPerIteration_ = 0;
  double secondsPerTick_ = 0.0;
  double elapsed_ = 0.0;
  double workTime_ = 0.0;
  double maxTotalTime_ = 0.0;
  double maxWorkTime_ = 0.0;
  double averageWorkTime_ = 0.0;
  double workSum_ = 0.0;
  double totalTime_ = 0.0;
  double nominalPeriod_ = 0.0;
  int32_t rate_ = 0;
  int32_t frameCount_ = 0;
  double totalSum_ = 0.0;
  double averageTotalTime_ = 0.0;
  int32_t warmUp_ = kWarmUp;
  int32_t state_ = Stopped;

  platform::Clock* clock_ = nullptr;
  platform::MessagePump* pump_ = nullptr;
  WaitMode waitMode_ = WaitMode::OsWait;
  bool inRun_ = false;
  // The millisecond clock widened past its 32-bit wrap.
  uint32_t lastMillis_ = 0;
  int64_t millisWraps_ = 0;
};
