// Measures two tarnel-bridge processes on loopback, each on its own segment:
// the latency from a write in one segment to the value in the other (both
// directions, at random moments), the samples per second the pair carries
// while every area changes continuously, the bridges' CPU use at rest, and
// one bridge's resident memory before and after a flood of samples with
// distinct unknown area keys. Prints name=value lines.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "bridge/BridgeFields.h"
#include "bridge/tests/BridgePair.h"
#include "bridge/tests/HostilePeer.h"

namespace {

using bridge_test::BridgePair;
using Clock = std::chrono::steady_clock;

constexpr int kRoundTrips = 1000;
constexpr int kLoadSeconds = 3;
constexpr int kIdleSeconds = 2;
constexpr int kFloodKeys = 100000;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// CPU seconds a process used so far (user + system), from /proc.
double CpuSeconds(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/stat";
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return 0.0;
  char line[1024] = {};
  const size_t n = std::fread(line, 1, sizeof line - 1, f);
  std::fclose(f);
  line[n] = '\0';
  const char* p = std::strrchr(line, ')');
  unsigned long utime = 0;
  unsigned long stime = 0;
  if (p == nullptr || std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %lu %lu", &utime, &stime) != 2) {
    return 0.0;
  }
  return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

// Resident memory of a process in kB, from /proc.
long RssKb(pid_t pid) {
  const std::string path = "/proc/" + std::to_string(pid) + "/status";
  std::FILE* f = std::fopen(path.c_str(), "r");
  if (f == nullptr) return 0;
  char line[256];
  long kb = 0;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    if (std::sscanf(line, "VmRSS: %ld", &kb) == 1) break;
  }
  std::fclose(f);
  return kb;
}

long Received(const std::string& output) {
  const size_t at = output.rfind("received=");
  return at == std::string::npos ? 0 : std::atol(output.c_str() + at + 9);
}

bool Connect(BridgePair& pair) {
  if (!pair.SegmentsValid() || !pair.StartBoth() || !pair.WaitConnected(20000)) {
    std::fprintf(stderr, "bridge_bench: the bridges did not connect\n%s%s", pair.Output(true).c_str(),
                 pair.Output(false).c_str());
    return false;
  }
  return true;
}

}  // namespace

int main() {
  static BridgeFields fields;
  char report[256] = {};
  if (!fields.Build(report, sizeof report)) {
    std::fprintf(stderr, "bridge_bench: %s\n", report);
    return 1;
  }

  // Latency: alternately the iteration count (station to simulation) and the
  // paint inhibit (simulation to station), written at uneven moments.
  std::vector<double> latency;
  latency.reserve(kRoundTrips);
  {
    BridgePair pair;
    if (!Connect(pair)) return 1;
    const double cpuStart = CpuSeconds(pair.simBridge.Pid()) + CpuSeconds(pair.stationBridge.Pid());
    std::this_thread::sleep_for(std::chrono::seconds(kIdleSeconds));
    const double idleCpu = CpuSeconds(pair.simBridge.Pid()) + CpuSeconds(pair.stationBridge.Pid()) - cpuStart;
    std::printf("bridge_idle_cpu_percent=%.2f\n", 100.0 * idleCpu / (2.0 * kIdleSeconds));

    unsigned seed = 12345;
    for (int i = 1; i <= kRoundTrips; i++) {
      seed = seed * 1103515245u + 12345u;
      std::this_thread::sleep_for(std::chrono::microseconds(500 + (seed >> 16) % 4500));
      const bool toSim = (i % 2) == 0;
      const Clock::time_point start = Clock::now();
      bool arrived = false;
      if (toSim) {
        BridgePair::Put<uint32_t>(pair.StationBase(), generic_area::kIterationCount, uint32_t(i));
      } else {
        BridgePair::Put<uint8_t>(pair.SimBase(), generic_area::kPaintInhibit, uint8_t(i % 250 + 1));
      }
      while (Clock::now() - start < std::chrono::seconds(2)) {
        arrived = toSim ? BridgePair::Get<uint32_t>(pair.SimBase(), generic_area::kIterationCount) == uint32_t(i)
                        : BridgePair::Get<uint8_t>(pair.StationBase(), generic_area::kPaintInhibit) == i % 250 + 1;
        if (arrived) break;
        std::this_thread::sleep_for(std::chrono::microseconds(50));
      }
      if (!arrived) {
        std::fprintf(stderr, "bridge_bench: a write did not cross within 2 s\n");
        return 1;
      }
      latency.push_back(Ms(Clock::now() - start));
    }
  }
  std::sort(latency.begin(), latency.end());
  const auto at = [&](double q) { return latency[std::min(latency.size() - 1, size_t(q * double(latency.size())))]; };
  std::printf("bridge_round_trips=%d\n", kRoundTrips);
  std::printf("bridge_p50_ms=%.3f\n", at(0.50));
  std::printf("bridge_p99_ms=%.3f\n", at(0.99));
  std::printf("bridge_max_ms=%.3f\n", latency.back());
  std::fflush(stdout);

  // Load: one field of every area in both directions changes every 200 us.
  {
    BridgePair pair;
    if (!Connect(pair)) return 1;
    const Clock::time_point start = Clock::now();
    uint32_t value = 0;
    while (Clock::now() - start < std::chrono::seconds(kLoadSeconds)) {
      value++;
      for (int a = 0; a < fields.AreaCount(); a++) {
        for (FieldWriter w : {FieldWriter::kSimulation, FieldWriter::kStation}) {
          const std::span<const BridgeField> list = fields.Fields(a, w);
          if (list.empty()) continue;
          uint8_t* base = w == FieldWriter::kSimulation ? pair.SimBase() : pair.StationBase();
          BridgePair::Put<uint8_t>(base, list.front().offset, uint8_t(value));
        }
      }
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    pair.simBridge.Stop(SIGTERM);
    pair.stationBridge.Stop(SIGTERM);
    const long received = Received(pair.Output(true)) + Received(pair.Output(false));
    std::printf("bridge_samples_per_s=%.0f\n", double(received) / seconds);
  }
  std::fflush(stdout);

  // Key flood: a participant writes samples of distinct unknown areas to a
  // station-side bridge and keeps them registered (as an attacker would, at
  // the cost of its own memory); the bridge's memory must stay flat.
  {
    BridgePair pair;
    if (!pair.SegmentsValid() || !pair.Start(false)) return 1;
    bridge_test::HostilePeer peer;
    if (!peer.Open(pair.Domain(), DdsLink::kSimTopic) || !peer.WaitMatched(20000)) {
      std::fprintf(stderr, "bridge_bench: the flooding peer did not match\n%s", pair.Output(false).c_str());
      return 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const long before = RssKb(pair.stationBridge.Pid());
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kFloodKeys; i++) {
      if (!peer.Write(1000000 + i, 1, 0, 0)) {
        std::fprintf(stderr, "bridge_bench: the flooding peer could not write\n");
        return 1;
      }
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    const long after = RssKb(pair.stationBridge.Pid());
    std::printf("bridge_flood_keys=%d\n", kFloodKeys);
    std::printf("bridge_flood_seconds=%.1f\n", std::chrono::duration<double>(Clock::now() - start).count());
    std::printf("bridge_rss_before_flood_kb=%ld\n", before);
    std::printf("bridge_rss_after_flood_kb=%ld\n", after);
  }
  return 0;
}
