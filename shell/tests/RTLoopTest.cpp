#include "shell/RTLoop.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "shell/RealTimeLoop.h"
#include "shell/tests/FakeTiming.h"

namespace {

constexpr int64_t kFrequency = 1000000;  // microsecond ticks
constexpr int64_t kTicksPerMilli = 1000;

// Records each iteration's start and due time and runs a hook.
class TestLoop : public RTLoop {
 public:
  TestLoop(int32_t rate, FakeClock& clock, FakePump* pump) : RTLoop(rate, &clock, pump), clock_(clock) {}

  int32_t Iterate(int32_t windowPosition, int32_t state) override {
    starts.push_back(CurrentStartTicks());
    dues.push_back(CurrentDueTicks());
    states.push_back(state);
    positions.push_back(windowPosition);
    if (hook) {
      hook(static_cast<int32_t>(starts.size()));
    }
    if (stopAfter > 0 && static_cast<int32_t>(starts.size()) >= stopAfter) {
      Stop();
    }
    return 0;
  }

  // Runs until the given total number of iterations.
  int32_t RunTo(int32_t frames) {
    stopAfter = frames;
    Enable();
    return Run();
  }

  FakeClock& clock_;
  std::function<void(int32_t)> hook;
  int32_t stopAfter = 0;
  std::vector<int64_t> starts;
  std::vector<int64_t> dues;
  std::vector<int32_t> states;
  std::vector<int32_t> positions;
};

TEST(RTLoopTest, RateOutsideOneToThousandBecomesOnePerSecond) {
  FakeClock clock(kFrequency);
  for (int32_t rate : {0, -1, 1001}) {
    RTLoop loop(rate, &clock);
    EXPECT_EQ(loop.GetRate(), 1) << rate;
    EXPECT_EQ(loop.GetTicksPerIteration(), kFrequency) << rate;
  }
  RTLoop fast(1000, &clock);
  EXPECT_EQ(fast.GetRate(), 1000);
  EXPECT_EQ(fast.GetTicksPerIteration(), kFrequency / 1000);
  EXPECT_EQ(fast.GetState(), RTLoop::Stopped);
}

TEST(RTLoopTest, TicksPerIterationIsTheIntegerQuotient) {
  // 1,999,999 / 1000 = 1999 ticks: the overrun threshold is 1.02 x 1999 ticks
  // (2038.98), not 1.02 x 1/1000 s (2039.99 ticks).
  FakeClock clock(1999999);
  TestLoop loop(1000, clock, nullptr);
  EXPECT_EQ(loop.GetTicksPerIteration(), 1999);
  RTLoopTiming timing;
  loop.GetTiming(&timing);
  EXPECT_DOUBLE_EQ(timing.nominalPeriod, 1999.0 / 1999999.0);
  EXPECT_EQ(timing.highResolution, 1);
  loop.hook = [&](int32_t frame) { clock.Advance(frame == 3 ? 2039 : 2038); };
  EXPECT_EQ(loop.RunTo(5), 5);
  RTLoopStatistics stats;
  loop.GetStatistics(&stats);
  EXPECT_EQ(stats.overruns, 1);
}

TEST(RTLoopTest, StopInsideIterateEndsRunAfterThatIteration) {
  FakeClock clock(kFrequency);
  TestLoop loop(20, clock, nullptr);
  EXPECT_EQ(loop.RunTo(5), 5);
  EXPECT_EQ(loop.GetState(), RTLoop::Stopped);
  RTLoopStatistics stats;
  loop.GetStatistics(&stats);
  EXPECT_EQ(stats.frames, 5);
  // Run on a stopped loop returns at once with the frame count.
  EXPECT_EQ(loop.Run(), 5);
  EXPECT_EQ(loop.starts.size(), 5u);
  EXPECT_EQ(loop.positions, (std::vector<int32_t>{0, 1, 2, 3, 4}));
}

TEST(RTLoopTest, ScheduleIsRebasedAndNeverStartsBeforeItsDueTime) {
  FakeClock clock(kFrequency);
  TestLoop loop(20, clock, nullptr);
  const int64_t period = kFrequency / 20;
  // The fourth iteration takes three periods.
  loop.hook = [&](int32_t frame) {
    clock.Advance(frame == 4 ? 3 * period : 100);
  };
  loop.RunTo(8);
  ASSERT_EQ(loop.starts.size(), 8u);
  for (std::size_t i = 0; i < loop.starts.size(); i++) {
    EXPECT_GT(loop.starts[i], loop.dues[i]) << i;
  }
  // The iteration after the long one starts at once, the next one a full
  // period later: no catch-up iterations.
  EXPECT_EQ(loop.starts[4] - loop.starts[3], 3 * period);
  EXPECT_EQ(loop.starts[5] - loop.starts[4], period + 1);
  EXPECT_EQ(loop.starts[2] - loop.starts[1], period + 1);
  RTLoopStatistics stats;
  loop.GetStatistics(&stats);
  EXPECT_EQ(stats.overruns, 1);
  EXPECT_DOUBLE_EQ(stats.lastPeriod, static_cast<double>(period + 1) / kFrequency);
}

TEST(RTLoopTest, LateStartsAreCountedFromThe18thIterationAndThenEvery121) {
  FakeClock clock(kFrequency);
  TestLoop loop(20, clock, nullptr);
  // Every iteration takes two periods, so every later period is late.
  loop.hook = [&](int32_t) { clock.Advance(2 * kFrequency / 20); };
  RTLoopStatistics stats;
  loop.RunTo(17);
  loop.GetStatistics(&stats);
  EXPECT_EQ(stats.lateStarts, 0);
  // A new Run starts a new countdown; count in one run instead.
  TestLoop second(20, clock, nullptr);
  std::vector<int32_t> lateAt;
  int32_t seen = 0;
  second.hook = [&](int32_t frame) {
    clock.Advance(2 * kFrequency / 20);
    RTLoopStatistics s;
    second.GetStatistics(&s);
    // The block is published after Iterate: lateStarts already counts this one.
    if (s.lateStarts != seen) {
      seen = s.lateStarts;
      lateAt.push_back(frame);
    }
  };
  second.RunTo(260);
  EXPECT_EQ(lateAt, (std::vector<int32_t>{18, 139, 260}));
}

TEST(RTLoopTest, MaximaCoverOnlyIterationsAfterTheWarmUp) {
  FakeClock clock(kFrequency);
  TestLoop loop(20, clock, nullptr);
  std::vector<int64_t> work(200, 10);
  work[10 - 1] = 60000;  // an overrun inside the warm-up
  work[60 - 1] = 200;
  work[61 - 1] = 300;
  work[62 - 1] = 250;
  work[100 - 1] = 40000;
  work[158 - 1] = 500;
  loop.hook = [&](int32_t frame) { clock.Advance(work[static_cast<std::size_t>(frame - 1)]); };
  RTLoopStatistics stats;

  loop.RunTo(59);
  loop.GetStatistics(&stats);
  // Published before the 59th reset: only that iteration's own work.
  EXPECT_DOUBLE_EQ(stats.maxWorkTime, 10e-6);
  EXPECT_EQ(stats.overruns, 1);

  loop.RunTo(62);
  loop.GetStatistics(&stats);
  EXPECT_DOUBLE_EQ(stats.maxWorkTime, 300e-6);
  EXPECT_GT(stats.maxTotalTime, 0.0);

  loop.RunTo(99);
  EXPECT_TRUE(loop.ResetStatistics());
  loop.GetStatistics(&stats);
  EXPECT_EQ(stats.overruns, 0);
  // Iteration 100 (the first after the reset) is large, yet 59 iterations on
  // the maxima only show the latest work.
  loop.RunTo(158);
  loop.GetStatistics(&stats);
  EXPECT_DOUBLE_EQ(stats.maxWorkTime, 500e-6);
  loop.RunTo(160);
  loop.GetStatistics(&stats);
  EXPECT_DOUBLE_EQ(stats.maxWorkTime, 10e-6);
  EXPECT_EQ(stats.frames, 160);
}

TEST(RTLoopTest, WindowAveragesAndHistory) {
  FakeClock clock(kFrequency);
  TestLoop loop(20, clock, nullptr);
  loop.hook = [&](int32_t frame) { clock.Advance(frame <= 16 ? 100 : 200); };
  loop.RunTo(17);
  RTLoopStatistics stats;
  loop.GetStatistics(&stats);
  EXPECT_DOUBLE_EQ(stats.averageWorkTime, 100e-6);
  EXPECT_DOUBLE_EQ(stats.lastWorkTime, 200e-6);
  // The 16th iteration wrapped the window to 0, the 17th wrote position 1.
  EXPECT_DOUBLE_EQ(stats.workHistory[0], 100e-6);
  EXPECT_DOUBLE_EQ(stats.workHistory[1], 200e-6);
  EXPECT_EQ(loop.positions[16], 0);
}

TEST(RTLoopTest, PauseKeepsIteratingAndHidesWorkStatistics) {
  FakeClock clock(kFrequency);
  TestLoop loop(20, clock, nullptr);
  EXPECT_FALSE(loop.TogglePause());
  EXPECT_EQ(loop.GetState(), RTLoop::Stopped);

  RTLoopStatistics stats;
  loop.hook = [&](int32_t frame) {
    clock.Advance(100);
    if (frame == 2) {
      EXPECT_TRUE(loop.TogglePause());
    }
    if (frame == 4) {
      loop.GetStatistics(&stats);  // as published after the paused third iteration
    }
  };
  loop.RunTo(4);
  EXPECT_EQ(loop.states, (std::vector<int32_t>{0, 0, 1, 1}));
  EXPECT_EQ(stats.lastWorkTime, 0.0);
  EXPECT_EQ(stats.maxWorkTime, 0.0);
  EXPECT_EQ(stats.averageWorkTime, 0.0);
  EXPECT_DOUBLE_EQ(stats.workHistory[3], 100e-6);
  EXPECT_EQ(stats.frames, 3);
  EXPECT_TRUE(loop.Enable());
  EXPECT_TRUE(loop.TogglePause());
  EXPECT_FALSE(loop.TogglePause());
  EXPECT_EQ(loop.GetState(), RTLoop::Running);
}

TEST(RTLoopTest, MessagesAreDispatchedWithinOneMillisecondWhileWaiting) {
  FakeClock clock(kFrequency);
  FakePump pump(clock, kTicksPerMilli);
  TestLoop loop(20, clock, &pump);
  std::vector<int64_t> latency;
  uint32_t seed = 7;
  int64_t arrival = clock.ticks_;
  for (int i = 0; i < 300; i++) {
    seed = seed * 1103515245u + 12345u;
    arrival += 1 + (seed >> 8) % 7000;
    const int64_t at = arrival;
    pump.Post(at, [&latency, &clock, at] { latency.push_back(clock.ticks_ - at); });
  }
  loop.hook = [&](int32_t) { clock.Advance(300); };
  loop.RunTo(40);
  ASSERT_GT(latency.size(), 250u);
  for (int64_t l : latency) {
    EXPECT_LE(l, kTicksPerMilli + 300);  // at most 1 ms, or behind one iteration's work
  }
  for (std::size_t i = 0; i < loop.starts.size(); i++) {
    EXPECT_GT(loop.starts[i], loop.dues[i]) << i;
    if (i > 0) {
      EXPECT_LE(loop.starts[i] - loop.dues[i], kTicksPerMilli) << i;
    }
  }
  EXPECT_GT(pump.waits_, 0);
}

TEST(RTLoopTest, ContinuousMessagesStillLetIterationsRun) {
  FakeClock clock(kFrequency);
  FakePump pump(clock, kTicksPerMilli);
  TestLoop loop(20, clock, &pump);
  loop.SetWaitMode(RTLoop::WaitMode::BusyWait);
  clock.readStep_ = 1;
  // A message every 50 ticks for a second.
  for (int64_t t = clock.ticks_; t < clock.ticks_ + kFrequency; t += 50) {
    pump.Post(t, [] {});
  }
  loop.RunTo(10);
  EXPECT_EQ(loop.starts.size(), 10u);
  EXPECT_GT(pump.dispatched_, 1000);
  EXPECT_EQ(clock.sleeps_, 0);
  for (std::size_t i = 0; i < loop.starts.size(); i++) {
    EXPECT_GT(loop.starts[i], loop.dues[i]);
  }
}

TEST(RTLoopTest, StopFromAMessageHandlerEndsRunAfterTheDispatch) {
  FakeClock clock(kFrequency);
  FakePump pump(clock, kTicksPerMilli);
  TestLoop loop(20, clock, &pump);
  bool afterStop = false;
  // Arrives during the wait for the fourth iteration.
  pump.Post(clock.ticks_ + 3 * kFrequency / 20 - 10000, [&] {
    loop.Stop();
    // A handler that calls Run again while it runs gets the count back at once.
    EXPECT_EQ(loop.Run(), 3);
  });
  pump.Post(clock.ticks_ + 3 * kFrequency / 20 - 9000, [&] { afterStop = true; });
  EXPECT_EQ(loop.RunTo(100), 3);
  EXPECT_FALSE(afterStop);
  EXPECT_EQ(pump.dispatched_, 1);
}

TEST(RTLoopTest, MillisecondClockFallbackIgnoresTheRateAndSurvivesTheWrap) {
  FakeClock clock(0);
  clock.millis_ = (int64_t{1} << 32) - 40;
  FakePump pump(clock, 1);
  TestLoop loop(20, clock, &pump);
  EXPECT_FALSE(loop.IsHighResolution());
  EXPECT_EQ(loop.GetTicksPerIteration(), 16);
  RTLoopTiming timing;
  loop.GetTiming(&timing);
  EXPECT_DOUBLE_EQ(timing.nominalPeriod, 0.016);
  EXPECT_EQ(timing.highResolution, 0);
  loop.SetRate(50);  // ignored without the high-resolution clock
  EXPECT_EQ(loop.GetTicksPerIteration(), 16);
  loop.RunTo(8);
  ASSERT_EQ(loop.starts.size(), 8u);
  for (std::size_t i = 1; i < loop.starts.size(); i++) {
    EXPECT_EQ(loop.starts[i] - loop.starts[i - 1], 17) << i;
  }
  RTLoopStatistics stats;
  loop.GetStatistics(&stats);
  EXPECT_EQ(stats.lastTotalTime, 0.0);
}

TEST(RTLoopTest, SetRateChangesTheSpacingOnly) {
  FakeClock clock(kFrequency);
  TestLoop loop(20, clock, nullptr);
  loop.SetRate(0);
  EXPECT_EQ(loop.GetTicksPerIteration(), kFrequency / 20);
  loop.SetRate(100);
  EXPECT_EQ(loop.GetTicksPerIteration(), kFrequency / 100);
  EXPECT_EQ(loop.GetRate(), 20);
  RTLoopTiming timing;
  loop.GetTiming(&timing);
  EXPECT_DOUBLE_EQ(timing.nominalPeriod, 0.05);
}

class CountingDialog : public RealTimeClient {
 public:
  void OnRealTimeIteration() override { calls++; }
  int calls = 0;
};

TEST(RealTimeLoopTest, EveryIterationCallsTheDialog) {
  FakeClock clock(kFrequency);
  CountingDialog dialog;
  {
    RealTimeLoop loop(&dialog, 20, &clock);
    EXPECT_EQ(RealTimeLoop::Dialog(), &dialog);
    EXPECT_EQ(loop.Iterate(3, 1), 0);
    EXPECT_EQ(dialog.calls, 1);
    EXPECT_EQ(loop.GetState(), RTLoop::Stopped);
  }
  EXPECT_EQ(RealTimeLoop::Dialog(), nullptr);
}

}  // namespace
