// Measures the web panel. In process: encoding the rectangles of a pass that
// changes one button, and a whole picture. Against a headless station serving
// browsers (started beside this program, on its own segment prefix): the
// bytes sent per second to 4 connected clients while nothing changes, the
// station's CPU with and without them, and the time from a lamp byte written
// into the segment until a client has decoded the changed pixels.
#include <signal.h>
#include <spawn.h>
#include <spng.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "panels/PanelInterface.h"
#include "platform/FilePath.h"
#include "platform/Graphics.h"
#include "simlink/GenericSimShm.h"
#include "simlink/SharedField.h"
#include "web/FrameEncoder.h"
#include "web/tests/WebTestClient.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> v, int percent) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  const size_t index = (v.size() * size_t(percent) + 99) / 100;
  return v[std::min(v.size() - 1, index == 0 ? 0 : index - 1)];
}

// CPU seconds (user + system) the process has used.
double CpuSeconds(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
  const size_t close = text.rfind(')');
  if (close == std::string::npos) return 0;
  unsigned long utime = 0;
  unsigned long stime = 0;
  // Fields after the name: state is field 3; utime and stime are 14 and 15.
  const char* p = text.c_str() + close + 2;
  for (int field = 3; field < 14 && *p != '\0'; field++) p = std::strchr(p, ' ') + 1;
  std::sscanf(p, "%lu %lu", &utime, &stime);
  return double(utime + stime) / double(sysconf(_SC_CLK_TCK));
}

void EncodeFigures() {
  char path[4096];
  std::snprintf(path, sizeof path, "%sPictures/OverheadPanel.bmp", platform::ProgramFolder());
  platform::DrawSurface surface;
  char error[256];
  if (!surface.LoadPicture(path, error, sizeof error)) {
    std::fprintf(stderr, "web_bench: %s\n", error);
    return;
  }
  web::FrameEncoder encoder;
  std::vector<uint8_t> message;
  message.reserve(1 << 20);
  std::vector<double> button;
  std::vector<double> whole;
  const platform::Rect oneButton{633, 875, 665, 907};
  for (int i = 0; i < 400; i++) {
    const auto start = Clock::now();
    encoder.Encode(surface, &oneButton, 1, false, &message, error, sizeof error);
    button.push_back(Ms(Clock::now() - start));
  }
  for (int i = 0; i < 10; i++) {
    const auto start = Clock::now();
    encoder.EncodeWhole(surface, &message, error, sizeof error);
    whole.push_back(Ms(Clock::now() - start));
  }
  std::printf("web_encode_p50_ms=%.3f\nweb_encode_p99_ms=%.3f\nweb_encode_whole_picture_ms=%.1f\n"
              "web_whole_picture_bytes=%zu\n",
              Percentile(button, 50), Percentile(button, 99), Percentile(whole, 50), message.size());
}

struct Station {
  pid_t pid = -1;
  int port = 0;
};

bool StartStation(const char* prefix, Station* station) {
  char program[4096];
  std::snprintf(program, sizeof program, "%starnel", platform::ProgramFolder());
  char log[] = "/tmp/tarnel-web-bench-XXXXXX";
  const int fd = ::mkstemp(log);
  if (fd < 0) return false;
  setenv("TARNEL_SHM_PREFIX", prefix, 1);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fd, 2);
  char* argv[] = {program, const_cast<char*>("--headless"), const_cast<char*>("--web"),
                  const_cast<char*>("127.0.0.1:0"), nullptr};
  const int rc = posix_spawn(&station->pid, program, &actions, nullptr, argv, environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(fd);
  if (rc != 0) return false;
  for (int i = 0; i < 200 && station->port == 0; i++) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    std::ifstream in(log);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t at = text.find("127.0.0.1:");
    if (at != std::string::npos) station->port = std::atoi(text.c_str() + at + 10);
  }
  ::unlink(log);
  return station->port > 0;
}

struct LampField {
  uint32_t offset = 0;
  bool found = false;
};

bool FindLamp(const InterfaceField& f, void* context) {
  auto* lamp = static_cast<LampField*>(context);
  if (std::strcmp(f.layout, "A330") == 0 && std::strcmp(f.name, "button 2 upper lamp") == 0) {
    lamp->offset = f.offset;
    lamp->found = true;
    return false;
  }
  return true;
}

// Every picture of the frame decodes.
bool Decodes(const std::vector<unsigned char>& frame) {
  bool whole = false;
  web::FramePicture pictures[web::FrameEncoder::kMaxRects];
  int count = 0;
  if (!web::ParseFrame(frame.data(), frame.size(), &whole, pictures, web::FrameEncoder::kMaxRects, &count)) return false;
  static std::vector<uint8_t> rgb(size_t(2048) * 2048 * 3);
  for (int i = 0; i < count; i++) {
    spng_ctx* ctx = spng_ctx_new(0);
    spng_set_png_buffer(ctx, pictures[i].png, pictures[i].size);
    const int rc = spng_decode_image(ctx, rgb.data(), rgb.size(), SPNG_FMT_RGB8, 0);
    spng_ctx_free(ctx);
    if (rc != 0) return false;
  }
  return true;
}

void StationFigures() {
  char prefix[64];
  std::snprintf(prefix, sizeof prefix, "webbench%d_", int(getpid()));
  Station station;
  if (!StartStation(prefix, &station)) {
    std::fprintf(stderr, "web_bench: the station did not start serving\n");
    if (station.pid > 0) kill(station.pid, SIGKILL);
    return;
  }
  constexpr double kSeconds = 5.0;
  std::this_thread::sleep_for(std::chrono::seconds(2));
  double cpu0 = CpuSeconds(station.pid);
  std::this_thread::sleep_for(std::chrono::duration<double>(kSeconds));
  const double cpuAlone = (CpuSeconds(station.pid) - cpu0) / kSeconds;

  web_test::WebTestClient clients[4];
  for (auto& c : clients) c.Connect(station.port, "http://127.0.0.1");
  for (auto& c : clients) c.WaitFor([&] { return !c.frames.empty(); }, 10000);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  auto bytes = [&] {
    size_t total = 0;
    for (auto& c : clients) {
      std::lock_guard<std::mutex> guard(c.Lock());
      total += c.bytes;
    }
    return total;
  };
  const size_t before = bytes();
  cpu0 = CpuSeconds(station.pid);
  std::this_thread::sleep_for(std::chrono::duration<double>(kSeconds));
  const double cpuWith = (CpuSeconds(station.pid) - cpu0) / kSeconds;
  const double idleBytes = double(bytes() - before) / kSeconds;

  // Lamp latency: write the byte, wait for the next frame at one client and decode it.
  LampField lamp;
  VisitInterface("oxygen", FindLamp, &lamp);
  GenericSimShm segment;
  std::vector<double> latency;
  if (lamp.found && segment.IsValid()) {
    std::mt19937 random(12345);
    web_test::WebTestClient& c = clients[0];
    for (int i = 0; i < 40; i++) {
      std::this_thread::sleep_for(std::chrono::milliseconds(60 + random() % 90));
      size_t seen = 0;
      {
        std::lock_guard<std::mutex> guard(c.Lock());
        seen = c.frames.size();
      }
      const auto start = Clock::now();
      shared_field::Store<uint8_t>(segment.GetBase() + lamp.offset, uint8_t(i % 2 == 0 ? 1 : 0));
      if (!c.WaitFor([&] { return c.frames.size() > seen; }, 3000)) continue;
      std::vector<unsigned char> frame;
      {
        std::lock_guard<std::mutex> guard(c.Lock());
        frame = c.frames[seen];
      }
      if (Decodes(frame)) latency.push_back(Ms(Clock::now() - start));
    }
    shared_field::Store<uint8_t>(segment.GetBase() + lamp.offset, 0);
  }
  for (auto& c : clients) c.Close();
  kill(station.pid, SIGTERM);
  int status = 0;
  waitpid(station.pid, &status, 0);
  std::printf("web_idle_bytes_per_s=%.0f\nstation_cpu_without_browsers=%.4f\nstation_cpu_with_4_browsers=%.4f\n"
              "web_lamp_latency_p50_ms=%.1f\nweb_lamp_latency_p99_ms=%.1f\nweb_lamp_samples=%zu\n",
              idleBytes, cpuAlone, cpuWith, Percentile(latency, 50), Percentile(latency, 99), latency.size());
}

}  // namespace

int main() {
  EncodeFigures();
  StationFigures();
  return 0;
}
