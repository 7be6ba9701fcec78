// Measures the station's iteration work headless: the main dialog on a window
// that exists only in memory, so each iteration is one panel update in
// rotation, the paint of the visible view onto the memory surface and the
// copy of what changed to a window-sized surface. The simulation side lights
// and clears every lamp test once in 40 iterations and moves the electrical
// display's values on every iteration. Run for the default view and for the
// whole picture (a 1900 x 1350 window); each is compared with a plain memcpy
// of the view's pixels in the same run. Last, the peak resident memory of
// the station program started beside this one, on the dummy video driver.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "config/IniRead.h"
#include "panels/SubPanel.h"
#include "platform/FilePath.h"
#include "platform/MemoryWindow.h"
#include "shell/TarnelDlg.h"
#include "simlink/SharedField.h"

extern char** environ;

namespace {

constexpr int kWarmUp = 60;
constexpr int kIterations = 2000;
constexpr int kLampTestPeriod = 40;
constexpr int kMemcpyRuns = 200;

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

double Percentile(std::vector<double> values, int percent) {
  if (values.empty()) {
    return 0.0;
  }
  std::sort(values.begin(), values.end());
  const std::size_t index = (values.size() * static_cast<std::size_t>(percent) + 99) / 100;
  return values[std::min(values.size() - 1, index == 0 ? 0 : index - 1)];
}

// What the simulation writes: every panel's lamp test on for one iteration in
// kLampTestPeriod, off otherwise, and a moving value for the electrical display.
void Simulate(CTarnelDlg& dialog, int iteration) {
  uint8_t* base = dialog.GetGenericBase();
  if (base == nullptr) {
    return;
  }
  CockpitManager& cockpit = dialog.GetCockpitManager();
  const bool lampTest = iteration % kLampTestPeriod == 0;
  for (int32_t id = 0; id < CockpitManager::kPanelCount; id++) {
    auto* panel = dynamic_cast<SubPanel*>(cockpit.GetPanel(id));
    if (panel == nullptr || panel->Tables().lampTest == kNoField) {
      continue;
    }
    base[panel->InputBlock().Offset() + static_cast<uint32_t>(panel->Tables().lampTest)] = lampTest ? 1 : 0;
    if (panel->Facts().id == 1) {
      const float value = static_cast<float>(iteration % 1000) * 0.1f;
      for (uint32_t field = 0; field < 12; field += 4) {
        shared_field::Store<float>(base + panel->InputBlock().Offset() + field, value);
      }
    }
  }
}

struct Figures {
  double p50 = 0.0;
  double p99 = 0.0;
  double memcpyP50 = 0.0;
  double copiedPerIteration = 0.0;
};

Figures Measure(CTarnelDlg& dialog, platform::MemoryWindow& window) {
  dialog.ReadWindowRect();
  dialog.InvalidateWholeView();
  for (int i = 0; i < kWarmUp; i++) {
    Simulate(dialog, i);
    dialog.OnRealTimeIteration();
  }
  const int64_t copiedBefore = window.CopiedPixels();
  std::vector<double> work;
  work.reserve(kIterations);
  for (int i = 0; i < kIterations; i++) {
    Simulate(dialog, i);
    const Clock::time_point start = Clock::now();
    dialog.OnRealTimeIteration();
    work.push_back(Milliseconds(Clock::now() - start));
  }
  Figures figures;
  figures.p50 = Percentile(work, 50);
  figures.p99 = Percentile(work, 99);
  figures.copiedPerIteration = static_cast<double>(window.CopiedPixels() - copiedBefore) / kIterations;

  // The view's pixels: the client area less the dialog's margins, at most the picture.
  const platform::Rect client = window.GetClientRect();
  const int width = std::min(client.Width() - dialog.GetViewOriginX(), dialog.GetSurface().Width());
  const int height = std::min(client.Height() - dialog.GetViewOriginY(), dialog.GetSurface().Height());
  const std::size_t bytes = static_cast<std::size_t>(std::max(width, 0)) * static_cast<std::size_t>(std::max(height, 0)) * 4;
  if (bytes == 0) {
    return figures;
  }
  std::vector<unsigned char> from(bytes, 0x5A);
  std::vector<unsigned char> to(bytes, 0);
  std::vector<double> copies;
  for (int i = 0; i < kMemcpyRuns; i++) {
    from[static_cast<std::size_t>(i) % bytes] = static_cast<unsigned char>(i);
    const Clock::time_point start = Clock::now();
    std::memcpy(to.data(), from.data(), bytes);
    copies.push_back(Milliseconds(Clock::now() - start));
  }
  volatile unsigned char sink = to[bytes / 2];
  (void)sink;
  figures.memcpyP50 = Percentile(copies, 50);
  return figures;
}

// Starts the station beside this program on the dummy video driver and its
// own segments, waits until its resident memory has settled, reads the peak
// and stops it. 0 when it could not be measured.
double StationPeakMegabytes(const std::string& folder) {
  const std::string program = folder + "tarnel";
  const std::string ini = folder + "Tarnel.ini";
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, "TARNEL_SHM_PREFIX=framebench_rss_%d_%llx_", static_cast<int>(::getpid()),
                static_cast<unsigned long long>(Clock::now().time_since_epoch().count()) & 0xFFFFFFFFULL);
  std::vector<std::string> variables;
  for (char** e = environ; *e != nullptr; e++) {
    if (std::strncmp(*e, "TARNEL_SHM_PREFIX=", 18) != 0 && std::strncmp(*e, "SDL_VIDEODRIVER=", 16) != 0) {
      variables.emplace_back(*e);
    }
  }
  variables.emplace_back(prefix);
  variables.emplace_back("SDL_VIDEODRIVER=dummy");
  std::vector<char*> envp;
  for (std::string& v : variables) {
    envp.push_back(v.data());
  }
  envp.push_back(nullptr);
  std::string iniOption = "--ini";
  std::vector<char*> argv{const_cast<char*>(program.c_str()), iniOption.data(), const_cast<char*>(ini.c_str()),
                          nullptr};
  pid_t pid = 0;
  if (::posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), envp.data()) != 0) {
    std::fprintf(stderr, "frame_bench: cannot start %s\n", program.c_str());
    return 0.0;
  }
  auto readPeakKb = [pid]() -> long {
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/status", static_cast<int>(pid));
    std::FILE* file = std::fopen(path, "r");
    if (file == nullptr) {
      return -1;
    }
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, file) != nullptr) {
      if (std::strncmp(line, "VmHWM:", 6) == 0) {
        kb = std::strtol(line + 6, nullptr, 10);
      }
    }
    std::fclose(file);
    return kb;
  };
  // Settled: the peak unchanged for a second, after at least two seconds.
  long peak = -1;
  int steady = 0;
  for (int tick = 0; tick < 150 && steady < 10; tick++) {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int status = 0;
    if (::waitpid(pid, &status, WNOHANG) == pid) {
      std::fprintf(stderr, "frame_bench: %s ended during start-up\n", program.c_str());
      return 0.0;
    }
    const long now = readPeakKb();
    steady = (now == peak && tick >= 20) ? steady + 1 : 0;
    peak = now;
  }
  ::kill(pid, SIGTERM);
  int status = 0;
  ::waitpid(pid, &status, 0);
  return peak > 0 ? static_cast<double>(peak) / 1024.0 : 0.0;
}

}  // namespace

int main() {
  // Headless: no window of the window system, here or in the started banner.
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, "framebench_%d_%llx_", static_cast<int>(::getpid()),
                static_cast<unsigned long long>(Clock::now().time_since_epoch().count()) & 0xFFFFFFFFULL);
  ::setenv("TARNEL_SHM_PREFIX", prefix, 1);
  CInitProgress::SetPauseMilliseconds(0);

  const std::string folder = platform::ProgramFolder();
  const std::string ini = folder + "Tarnel.ini";
  platform::MemoryWindow window;
  if (!window.Create(CTarnelDlg::kClientWidth, CTarnelDlg::kClientHeight)) {
    std::fprintf(stderr, "frame_bench: no memory window\n");
    return 1;
  }
  auto dialog = std::make_unique<CTarnelDlg>();
  dialog->SetIniFile(ini.c_str());
  dialog->OnInitDialog(&window);
  if (dialog->InitialisationFailed()) {
    std::fprintf(stderr, "frame_bench: the station did not start from %s: %s\n", ini.c_str(),
                 dialog->GetShownError());
    return 1;
  }
  const Figures standard = Measure(*dialog, window);
  std::fprintf(stderr, "default view: %.0f pixels copied to the window per iteration\n",
               standard.copiedPerIteration);
  if (!window.Create(1900, 1350)) {
    std::fprintf(stderr, "frame_bench: no memory window\n");
    return 1;
  }
  const Figures whole = Measure(*dialog, window);
  std::fprintf(stderr, "whole picture: %.0f pixels copied to the window per iteration\n", whole.copiedPerIteration);
  dialog->OnClose();
  dialog.reset();

  const double rss = StationPeakMegabytes(folder);
  std::printf("default_view_p50_ms=%.3f\n", standard.p50);
  std::printf("default_view_p99_ms=%.3f\n", standard.p99);
  std::printf("default_view_memcpy_ratio=%.2f\n", standard.memcpyP50 > 0.0 ? standard.p99 / standard.memcpyP50 : 0.0);
  std::printf("full_view_p50_ms=%.3f\n", whole.p50);
  std::printf("full_view_p99_ms=%.3f\n", whole.p99);
  std::printf("full_view_memcpy_ratio=%.2f\n", whole.memcpyP50 > 0.0 ? whole.p99 / whole.memcpyP50 : 0.0);
  std::printf("tarnel_rss_mb=%.1f\n", rss);
  return rss > 0.0 ? 0 : 1;
}
