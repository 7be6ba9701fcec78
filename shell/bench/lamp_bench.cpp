// Measures how soon a lamp written by the simulation shows, and what an
// iteration costs when nothing changes, with the whole picture in view: the
// main dialog on a 1900 x 1350 window that exists only in memory.
//
// lamp_latency_p99_ms: a lamp byte of a push button, picked at random, is
// flipped at a random moment of the 50 ms period; the iterations then run
// until the button's pixels on the window differ. The latency is the wait
// for the next iteration, the periods until the iteration that showed it,
// and that iteration's own work, measured.
// idle_iteration_us_p50 / _p99: iterations with nothing written.
// lamp_test_iteration_ms_max: an iteration that meets every panel's lamp
// test switched on or off.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "config/IniRead.h"
#include "panels/SubPanel.h"
#include "platform/FilePath.h"
#include "platform/MemoryWindow.h"
#include "shell/TarnelDlg.h"

namespace {

constexpr double kPeriodMs = 50.0;  // the loop runs 20 iterations a second
constexpr int kTrials = 300;
constexpr int kGiveUp = 100;  // iterations; a lamp not shown by then is hidden (under a cover)
constexpr int kIdleIterations = 3000;

using Clock = std::chrono::steady_clock;

double Micro(Clock::duration d) { return std::chrono::duration<double, std::micro>(d).count(); }

double Percentile(std::vector<double> values, int percent) {
  if (values.empty()) return 0.0;
  std::sort(values.begin(), values.end());
  const std::size_t index = (values.size() * static_cast<std::size_t>(percent) + 99) / 100;
  return values[std::min(values.size() - 1, index == 0 ? 0 : index - 1)];
}

struct Lamp {
  uint32_t offset;      // in the generic area
  platform::Rect rect;  // picture coordinates
};

// The window's pixels over the lamp's button.
std::vector<uint32_t> Pixels(const CTarnelDlg& dialog, const platform::MemoryWindow& window, const Lamp& lamp) {
  std::vector<uint32_t> pixels;
  const int dx = dialog.GetViewOriginX() - dialog.GetScrollX();
  const int dy = dialog.GetViewOriginY() - dialog.GetScrollY();
  for (int y = lamp.rect.top; y < lamp.rect.bottom; y++) {
    for (int x = lamp.rect.left; x < lamp.rect.right; x++) pixels.push_back(window.Client().PixelAt(x + dx, y + dy));
  }
  return pixels;
}

}  // namespace

int main() {
  ::setenv("SDL_VIDEODRIVER", "dummy", 1);
  char prefix[96];
  std::snprintf(prefix, sizeof prefix, "lampbench_%d_", static_cast<int>(::getpid()));
  ::setenv("TARNEL_SHM_PREFIX", prefix, 1);
  CInitProgress::SetPauseMilliseconds(0);

  const std::string ini = std::string(platform::ProgramFolder()) + "Tarnel.ini";
  platform::MemoryWindow window;
  if (!window.Create(1900, 1350)) {
    std::fprintf(stderr, "lamp_bench: no memory window\n");
    return 1;
  }
  auto dialog = std::make_unique<CTarnelDlg>();
  dialog->SetIniFile(ini.c_str());
  dialog->OnInitDialog(&window);
  if (dialog->InitialisationFailed()) {
    std::fprintf(stderr, "lamp_bench: the station did not start from %s: %s\n", ini.c_str(), dialog->GetShownError());
    return 1;
  }
  dialog->ReadWindowRect();
  dialog->InvalidateWholeView();
  uint8_t* base = dialog->GetGenericBase();
  std::vector<Lamp> lamps;
  CockpitManager& cockpit = dialog->GetCockpitManager();
  for (int32_t id = 0; id < CockpitManager::kPanelCount; id++) {
    const auto* panel = dynamic_cast<const SubPanel*>(cockpit.GetPanel(id));
    if (panel == nullptr) continue;
    const PanelTables& tables = panel->Tables();
    for (size_t i = 0; i < tables.buttons.size(); i++) {
      if (tables.buttons[i].upperLamp == kNoField) continue;
      const platform::Rect rect = panel->RowRect(RowRef{RowKind::kButton, int16_t(i)});
      if (rect.IsEmpty()) continue;
      lamps.push_back({panel->InputBlock().Offset() + uint32_t(tables.buttons[i].upperLamp), rect});
    }
  }
  for (int i = 0; i < 100; i++) dialog->OnRealTimeIteration();

  std::mt19937 random(12345);
  std::vector<double> latencies;
  int hidden = 0;
  for (int trial = 0; trial < kTrials && !lamps.empty(); trial++) {
    const Lamp& lamp = lamps[random() % lamps.size()];
    const std::vector<uint32_t> before = Pixels(*dialog, window, lamp);
    base[lamp.offset] = base[lamp.offset] != 0 ? 0 : 1;
    const double wait = std::uniform_real_distribution<double>(0.0, kPeriodMs)(random);
    bool shown = false;
    for (int k = 0; k < kGiveUp && !shown; k++) {
      const Clock::time_point start = Clock::now();
      dialog->OnRealTimeIteration();
      const double work = Micro(Clock::now() - start) / 1000.0;
      if (Pixels(*dialog, window, lamp) != before) {
        latencies.push_back(wait + k * kPeriodMs + work);
        shown = true;
      }
    }
    if (!shown) hidden++;
    // A few quiet iterations between writes, as a simulation writes at any time.
    for (int k = int(random() % 4); k > 0; k--) dialog->OnRealTimeIteration();
  }

  for (int i = 0; i < 60; i++) dialog->OnRealTimeIteration();
  std::vector<double> idle;
  idle.reserve(kIdleIterations);
  for (int i = 0; i < kIdleIterations; i++) {
    const Clock::time_point start = Clock::now();
    dialog->OnRealTimeIteration();
    idle.push_back(Micro(Clock::now() - start));
  }
  // Every panel's lamp test on, then off: the largest change an iteration
  // can meet, every lamp of the picture at once.
  std::vector<double> lampTests;
  for (int round = 0; round < 20; round++) {
    for (int32_t id = 0; id < CockpitManager::kPanelCount; id++) {
      const auto* panel = dynamic_cast<const SubPanel*>(cockpit.GetPanel(id));
      if (panel != nullptr && panel->Tables().lampTest != kNoField) {
        base[panel->InputBlock().Offset() + uint32_t(panel->Tables().lampTest)] = round % 2 == 0 ? 1 : 0;
      }
    }
    const Clock::time_point start = Clock::now();
    dialog->OnRealTimeIteration();
    lampTests.push_back(Micro(Clock::now() - start) / 1000.0);
    for (int k = 0; k < 3; k++) dialog->OnRealTimeIteration();
  }
  dialog->OnClose();
  dialog.reset();

  std::fprintf(stderr, "%zu lamps shown, %d writes not shown within %d iterations (lamp hidden)\n", latencies.size(),
               hidden, kGiveUp);
  std::printf("lamp_latency_p50_ms=%.1f\n", Percentile(latencies, 50));
  std::printf("lamp_latency_p99_ms=%.1f\n", Percentile(latencies, 99));
  std::printf("idle_iteration_us_p50=%.1f\n", Percentile(idle, 50));
  std::printf("idle_iteration_us_p99=%.1f\n", Percentile(idle, 99));
  std::printf("lamp_test_iteration_ms_max=%.2f\n", Percentile(lampTests, 100));
  return latencies.empty() ? 1 : 0;
}
