// Kiosk placement on a private X server with a large screen, driven as an
// operator would: a scaled window at a fixed place takes clicks where its
// controls are shown, a full-screen station covers the monitor, and a monitor
// that does not exist or a bad option is refused.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "banner/BannerRecord.h"
#include "panels/PanelInterface.h"
#include "simlink/GenericSimShm.h"
#include "tests/support/ProcessTestSupport.h"
#include "tests/support/ShmTestPrefix.h"

namespace {

using process_test::BinPath;
using process_test::ChildProcess;
using process_test::FindOnPath;
using process_test::PrivateXServer;
using process_test::WaitFor;

struct Geometry {
  int x = -1, y = -1, width = -1, height = -1;
};

class TarnelKioskTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string xvfb = FindOnPath("Xvfb");
    if (xvfb.empty() || FindOnPath("xdotool").empty()) {
      GTEST_SKIP() << "Xvfb or xdotool is not installed: the kiosk placement was not checked";
    }
    tarnel_ = BinPath("tarnel");
    ASSERT_TRUE(process_test::IsExecutable(tarnel_)) << tarnel_;
    bin_ = tarnel_.substr(0, tarnel_.rfind('/'));
    prefix_ = test_support::UseUniqueShmPrefix();
    log_ = "/tmp/tarnel_kiosk_" + prefix_ + ".log";
    ASSERT_TRUE(server_.Start(xvfb, "1960x1400x24"));
  }

  void StartStation(std::vector<std::string> options) {
    std::vector<std::string> args{tarnel_, "--ini", bin_ + "/Tarnel.ini"};
    args.insert(args.end(), options.begin(), options.end());
    ASSERT_TRUE(station_.Start(args, {"DISPLAY=" + server_.Display(), "SDL_VIDEODRIVER=x11", "TARNEL_SHM_PREFIX=" + prefix_},
                               log_));
  }

  // The station's window once it is there; "" when none came.
  std::string StationWindow() { return process_test::WaitForStationWindow(server_, station_); }

  Geometry WindowGeometry(const std::string& window) {
    const std::string text = server_.Run("xdotool getwindowgeometry --shell " + window);
    auto value = [&](const char* key) {
      std::size_t at = text.find(key);
      return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + std::strlen(key));
    };
    return Geometry{value("X="), value("Y="), value("WIDTH="), value("HEIGHT=")};
  }

  // An option the station refuses: it ends at once with the status, naming it.
  void ExpectRefused(std::vector<std::string> options, int status, const char* text) {
    StartStation(options);
    ASSERT_TRUE(station_.WaitExit(15000)) << options[0] << " did not end the station";
    EXPECT_EQ(status, station_.ExitCode()) << options[0];
    const std::string said = server_.Run("cat " + log_);
    EXPECT_NE(std::string::npos, said.find(text)) << said;
  }

  std::string tarnel_;
  std::string bin_;
  std::string prefix_;
  std::string log_;
  PrivateXServer server_;
  ChildProcess station_;
};

TEST_F(TarnelKioskTest, ScaledWindowAtItsPlaceTakesClicksWhereTheControlsAreShown) {
  const double scale = 1.5;
  StartStation({"--geometry", "1380x1100+100+50", "--scale", "1.5"});
  const std::string window = StationWindow();
  ASSERT_FALSE(window.empty()) << "tarnel did not start; see " << log_;
  const Geometry placed = WindowGeometry(window);
  EXPECT_EQ(100, placed.x);
  EXPECT_EQ(50, placed.y);
  EXPECT_EQ(1380, placed.width);
  EXPECT_EQ(1100, placed.height);

  GenericSimShm area;
  ASSERT_TRUE(area.IsValid()) << area.GetErrorText();
  uint8_t* base = area.GetBase();
  ASSERT_TRUE(WaitFor([&] { return base[banner_record::kSuccess] == 1; }, 15000)) << "start-up did not finish";
  auto iterations = [&] {
    uint32_t count = 0;
    std::memcpy(&count, base + generic_area::kIterationCount, sizeof count);
    return count;
  };
  // A picture pixel of the client area, where the screen shows it.
  auto screen = [&](int x, int y) {
    return std::to_string(static_cast<int>(placed.x + x * scale)) + " " +
           std::to_string(static_cast<int>(placed.y + y * scale));
  };
  bool started = false;
  for (int attempt = 0; attempt < 5 && !started; attempt++) {
    server_.Run("xdotool mousemove --sync " + screen(450, 650) + " click 1");
    started = WaitFor([&] { return iterations() > 0; }, 2000);
  }
  ASSERT_TRUE(started) << "the real-time loop did not start; see " << log_;
  // Up by 300 picture pixels brings the oxygen panel into view, as unscaled.
  server_.Run("xdotool mousemove --sync " + screen(400, 700) + " mousedown 1");
  server_.Run("xdotool mousemove --sync " + screen(400, 550));
  server_.Run("xdotool mousemove --sync " + screen(400, 400) + " mouseup 1");
  ASSERT_TRUE(WaitFor([&] { return iterations() > 30; }, 10000)) << "the real-time loop did not run";

  const PanelFacts* oxygen = FindPanelFacts("oxygen");
  ASSERT_NE(nullptr, oxygen);
  uint32_t output = 0;
  VisitPanelFields(*oxygen, kLayoutA330, -1, [](const InterfaceField& field, void* context) {
    if (std::strcmp(field.name, "button 3 position") == 0) {
      *static_cast<uint32_t*>(context) = field.offset;
    }
    return true;
  }, &output);
  ASSERT_NE(0u, output);
  ASSERT_EQ(0, base[output]);
  // Oxygen button 3 at picture (833, 875) is client (242, 573) with the view
  // at (605, 305); the click lands 10 pixels inside it, on the scaled screen.
  server_.Run("xdotool mousemove --sync " + screen(252, 583) + " click 1");
  EXPECT_TRUE(WaitFor([&] { return base[output] == 1; }, 5000)) << "the scaled click did not latch the button";
  EXPECT_EQ(0, station_.Stop());
}

// Full screen fits the whole panel to the monitor, centred, and a click
// lands on the control shown under it.
TEST_F(TarnelKioskTest, FullScreenFitsThePanelCentredAndTakesClicksWhereTheControlsAreShown) {
  StartStation({"--fullscreen", "--autostart"});
  ASSERT_FALSE(StationWindow().empty()) << "tarnel did not start; see " << log_;
  GenericSimShm area;
  ASSERT_TRUE(area.IsValid()) << area.GetErrorText();
  uint8_t* base = area.GetBase();
  auto iterations = [&] {
    uint32_t count = 0;
    std::memcpy(&count, base + generic_area::kIterationCount, sizeof count);
    return count;
  };
  ASSERT_TRUE(WaitFor([&] { return iterations() > 30; }, 15000)) << "the loop did not run; see " << log_;
  // The panel (the view from picture (605, 5) with its 14 + 3 pixel margin)
  // as large as the 1960 x 1400 screen allows.
  const double scale = std::min(1960.0 / 1289, 1400.0 / 1298);
  const int left = (1960 - static_cast<int>(std::lround(1289 * scale))) / 2;
  auto screen = [&](int x, int y) {
    return std::to_string(left + static_cast<int>((x + 0.5) * scale)) + " " +
           std::to_string(static_cast<int>((y + 0.5) * scale));
  };
  const PanelFacts* oxygen = FindPanelFacts("oxygen");
  ASSERT_NE(nullptr, oxygen);
  InterfaceField field;
  ASSERT_TRUE(FindPanelField(*oxygen, kLayoutA330, 0, "button 3 position", &field));
  ASSERT_EQ(0, base[field.offset]);
  // Oxygen button 3 at picture (833, 875) is client (242, 873); 10 pixels inside it.
  server_.Run("xdotool mousemove --sync " + screen(252, 883) + " click 1");
  EXPECT_TRUE(WaitFor([&] { return base[field.offset] == 1; }, 5000)) << "the fitted click did not latch the button";
  EXPECT_EQ(0, station_.Stop());
}

TEST_F(TarnelKioskTest, FullScreenCoversTheMonitorAndBadPlacementsAreRefused) {
  StartStation({"--fullscreen", "--display", "0"});
  const std::string window = StationWindow();
  ASSERT_FALSE(window.empty()) << "tarnel did not start; see " << log_;
  EXPECT_TRUE(WaitFor(
      [&] {
        const Geometry g = WindowGeometry(window);
        return g.x == 0 && g.y == 0 && g.width == 1960 && g.height == 1400;
      },
      5000))
      << "the window does not cover the screen";
  EXPECT_EQ(0, station_.Stop());

  ExpectRefused({"--display", "1"}, 1, "there is no monitor 1: the display has 1");
  ExpectRefused({"--scale", "nan"}, 2, "--scale: wants a number from 0.25 to 8");
  ExpectRefused({"--scale"}, 2, "--scale needs a value");
  ExpectRefused({"--geometry", "800x600+10"}, 2, "--geometry: wants WxH+X+Y");
  ExpectRefused({"--geometry", "10x10"}, 2, "10x10 is too small");
  ExpectRefused({"--geometry", "99999x99999"}, 2, "larger than the largest window");
  ExpectRefused({"--geometry", "800x600+5000+5000"}, 2, "off every screen (0: 1960x1400+0+0)");
}

}  // namespace
