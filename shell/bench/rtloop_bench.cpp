// Measures the real-time loop at 20 iterations per second, waiting in the
// operating system and busy-waiting: process CPU time over wall time, how late
// iterations start (actual start minus due time) and the mean period. A third
// run posts events from another thread and reports, on stderr, how long they
// waited for their dispatch.
#include <sys/resource.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/Clock.h"
#include "platform/Events.h"
#include "platform/MessagePump.h"
#include "platform/Window.h"
#include "shell/RTLoop.h"

namespace {

constexpr int32_t kRate = 20;
constexpr int32_t kIterations = 100;  // 5 s per mode

double ProcessCpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  auto seconds = [](const timeval& tv) { return static_cast<double>(tv.tv_sec) + static_cast<double>(tv.tv_usec) * 1e-6; };
  return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

double WallSeconds() { return static_cast<double>(platform::SystemClock().Counter()) * 1e-9; }

class BenchLoop final : public RTLoop {
 public:
  BenchLoop(platform::MessagePump* pump, int32_t iterations) : RTLoop(kRate, nullptr, pump), target_(iterations) {
    lateness_.reserve(static_cast<std::size_t>(iterations));
    starts_.reserve(static_cast<std::size_t>(iterations));
  }

  int32_t Iterate(int32_t windowPosition, int32_t /*state*/) override {
    lateness_.push_back(static_cast<double>(CurrentStartTicks() - CurrentDueTicks()) * SecondsPerTick());
    starts_.push_back(CurrentStartTicks());
    // A light piece of work.
    volatile double sum = 0.0;
    for (int i = 0; i < 2000; i++) {
      sum = sum + static_cast<double>(i * windowPosition);
    }
    if (static_cast<int32_t>(lateness_.size()) >= target_) {
      Stop();
    }
    return 0;
  }

  double LatenessP99Ms() {
    // The first iteration is due at Run's start and carries no waiting.
    std::vector<double> late(lateness_.begin() + 1, lateness_.end());
    std::sort(late.begin(), late.end());
    const std::size_t index = (late.size() * 99 + 99) / 100 - 1;
    return late.empty() ? 0.0 : late[std::min(index, late.size() - 1)] * 1e3;
  }

  double MeanPeriodMs() const {
    if (starts_.size() < 2) {
      return 0.0;
    }
    return static_cast<double>(starts_.back() - starts_.front()) * SecondsPerTick() * 1e3 /
           static_cast<double>(starts_.size() - 1);
  }

 private:
  int32_t target_;
  std::vector<double> lateness_;
  std::vector<int64_t> starts_;
};

struct Result {
  double cpuFraction = 0.0;
  double lateP99Ms = 0.0;
  double meanPeriodMs = 0.0;
};

Result Measure(RTLoop::WaitMode mode, platform::MessagePump* pump) {
  BenchLoop loop(pump, kIterations);
  loop.SetWaitMode(mode);
  loop.Enable();
  const double cpu0 = ProcessCpuSeconds();
  const double wall0 = WallSeconds();
  loop.Run();
  const double cpu1 = ProcessCpuSeconds();
  const double wall1 = WallSeconds();
  return {(cpu1 - cpu0) / (wall1 - wall0), loop.LatenessP99Ms(), loop.MeanPeriodMs()};
}

// Dispatch latency of events posted from another thread while the loop waits.
std::vector<double> gDispatchLatency;
class LatencyRecorder final : public platform::EventHandler {
 public:
  void OnEvent(const platform::Event& event) override {
    if (event.type == platform::EventType::Wake) {
      gDispatchLatency.push_back(static_cast<double>(platform::SystemClock().Counter() - event.data) * 1e-6);
    }
  }
};

double DispatchP99Ms(platform::MessagePump* pump) {
  std::atomic<bool> done{false};
  std::thread poster([&done] {
    unsigned seed = 12345;
    while (!done.load()) {
      seed = seed * 1103515245u + 12345u;
      std::this_thread::sleep_for(std::chrono::microseconds(3000 + (seed >> 8) % 17000));
      platform::PostWake(platform::SystemClock().Counter());
    }
  });
  Measure(RTLoop::WaitMode::OsWait, pump);
  done.store(true);
  poster.join();
  std::sort(gDispatchLatency.begin(), gDispatchLatency.end());
  if (gDispatchLatency.empty()) {
    return 0.0;
  }
  return gDispatchLatency[(gDispatchLatency.size() * 99) / 100 == gDispatchLatency.size()
                              ? gDispatchLatency.size() - 1
                              : (gDispatchLatency.size() * 99) / 100];
}

}  // namespace

int main() {
  // With a display, a window makes the queue block in the operating system
  // as it does in the station; headless, the queue is polled every millisecond.
  char error[256];
  const char* driver = std::getenv("SDL_VIDEODRIVER");
  const bool display = std::getenv("DISPLAY") != nullptr && (driver == nullptr || std::strcmp(driver, "dummy") != 0) &&
                       platform::StartVideo(false, error, sizeof error);
  if (!display && !platform::StartEvents(error, sizeof error)) {
    std::fprintf(stderr, "event queue: %s\n", error);
    return 1;
  }
  platform::SdlWindow window;
  if (display) {
    window.Create("rtloop_bench", 64, 64, error, sizeof error);
  }
  std::fprintf(stderr, "message queue: %s\n", window.IsOpen() ? "window" : "headless");
  LatencyRecorder recorder;
  platform::SdlMessagePump pump(&recorder);

  const Result os = Measure(RTLoop::WaitMode::OsWait, &pump);
  const Result busy = Measure(RTLoop::WaitMode::BusyWait, &pump);
  gDispatchLatency.reserve(4096);
  const double dispatchP99 = DispatchP99Ms(&pump);

  std::printf("cpu_fraction_os_wait=%.4f\n", os.cpuFraction);
  std::printf("cpu_fraction_busy_wait=%.4f\n", busy.cpuFraction);
  std::printf("late_p99_ms_os_wait=%.3f\n", os.lateP99Ms);
  std::printf("late_p99_ms_busy_wait=%.3f\n", busy.lateP99Ms);
  std::printf("period_mean_ms_os_wait=%.3f\n", os.meanPeriodMs);
  std::fprintf(stderr, "dispatch_p99_ms_os_wait=%.3f (%zu events)\n", dispatchP99, gDispatchLatency.size());
  window.Destroy();
  platform::StopVideo();
  return 0;
}
