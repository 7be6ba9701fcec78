// Drives the station like an operator on a private X server: start it, click
// to start the loop, drag the picture to the oxygen panel, click a button and
// watch its byte in shared memory, light a lamp and see the screen change.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "banner/BannerRecord.h"
#include "panels/PanelInterface.h"
#include "tests/support/ProcessTestSupport.h"
#include "simlink/GenericSimShm.h"
#include "tests/support/ShmTestPrefix.h"

namespace {

using process_test::BinPath;
using process_test::ChildProcess;
using process_test::FindOnPath;
using process_test::PrivateXServer;
using process_test::WaitFor;

// A screenshot of the root window in X window dump format, read as raw pixels.
class Screenshot {
 public:
  bool Take(const PrivateXServer& server) {
    data_ = server.Run("xwd -root -silent");
    if (data_.size() < 100) {
      return false;
    }
    uint32_t headerSize = Field(0);
    width_ = static_cast<int>(Field(4));
    height_ = static_cast<int>(Field(5));
    bitsPerPixel_ = static_cast<int>(Field(11));
    bytesPerLine_ = static_cast<int>(Field(12));
    uint32_t colours = Field(19);
    pixels_ = headerSize + colours * 12;
    return bitsPerPixel_ >= 8 && pixels_ + static_cast<std::size_t>(bytesPerLine_) * height_ <= data_.size();
  }
  // The raw bytes of one pixel.
  std::string Pixel(int x, int y) const {
    std::size_t bytes = static_cast<std::size_t>(bitsPerPixel_ / 8);
    return data_.substr(pixels_ + static_cast<std::size_t>(y) * bytesPerLine_ + x * bytes, bytes);
  }
  int Width() const { return width_; }
  int Height() const { return height_; }

 private:
  uint32_t Field(int index) const {
    const auto* p = reinterpret_cast<const unsigned char*>(data_.data()) + 4 * index;
    return (uint32_t{p[0]} << 24) | (uint32_t{p[1]} << 16) | (uint32_t{p[2]} << 8) | p[3];
  }
  std::string data_;
  std::size_t pixels_ = 0;
  int width_ = 0;
  int height_ = 0;
  int bitsPerPixel_ = 0;
  int bytesPerLine_ = 0;
};

// Pixels that differ between two screenshots inside a rectangle.
int ChangedPixels(const Screenshot& a, const Screenshot& b, int x0, int y0, int x1, int y1) {
  int changed = 0;
  for (int y = y0; y < y1 && y < a.Height() && y < b.Height(); y++) {
    for (int x = x0; x < x1 && x < a.Width() && x < b.Width(); x++) {
      changed += a.Pixel(x, y) != b.Pixel(x, y) ? 1 : 0;
    }
  }
  return changed;
}

// The private server takes every client, also while others leave (a server
// that resets when its last client leaves drops connections being set up).
TEST(TarnelGui, PrivateServerTakesClientsWhileOthersLeave) {
  const std::string xvfb = FindOnPath("Xvfb");
  if (xvfb.empty() || FindOnPath("xdotool").empty()) {
    GTEST_SKIP() << "Xvfb or xdotool is not installed: the server was not checked";
  }
  PrivateXServer server;
  ASSERT_TRUE(server.Start(xvfb));
  const std::string failed = server.Run(
      "sh -c '(for i in $(seq 300); do xdotool getdisplaygeometry >/dev/null 2>&1; done) & "
      "for i in $(seq 150); do xdotool getdisplaygeometry >/dev/null 2>&1 || echo x; done; wait'");
  EXPECT_EQ("", failed) << "clients that could not connect: " << failed.size() / 2;
}

TEST(TarnelGui, OxygenButtonClickReachesSharedMemoryAndLampShowsOnScreen) {
  const std::string xvfb = FindOnPath("Xvfb");
  if (xvfb.empty() || FindOnPath("xdotool").empty() || FindOnPath("xwd").empty()) {
    GTEST_SKIP() << "Xvfb, xdotool or xwd is not installed: the GUI check did not run";
  }
  const std::string tarnel = BinPath("tarnel");
  ASSERT_TRUE(process_test::IsExecutable(tarnel)) << tarnel;
  const std::string bin = tarnel.substr(0, tarnel.rfind('/'));
  const char* prefix = test_support::UseUniqueShmPrefix();

  PrivateXServer server;
  ASSERT_TRUE(server.Start(xvfb));
  ChildProcess station;
  const std::string log = "/tmp/tarnel_gui_" + std::string(prefix) + ".log";
  ASSERT_TRUE(station.Start({tarnel, "--ini", bin + "/Tarnel.ini"},
                            {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11",
                             std::string("TARNEL_SHM_PREFIX=") + prefix},
                            log));
  const std::string window = process_test::WaitForStationWindow(server, station);
  ASSERT_FALSE(window.empty()) << "tarnel ended; see " << log;

  // The station is the creator; attaching here counts this test as a user.
  GenericSimShm area;
  ASSERT_TRUE(area.IsValid()) << area.GetErrorText();
  uint8_t* base = area.GetBase();
  ASSERT_TRUE(WaitFor([&] { return base[banner_record::kSuccess] == 1; }, 15000)) << "start-up did not finish";

  server.Run("xdotool windowmove --sync " + window + " 0 0");
  auto iterations = [&] {
    uint32_t count = 0;
    std::memcpy(&count, base + 0x0814, sizeof count);
    return count;
  };
  // The first click starts the loop; like an operator, click again when a
  // click is not taken (a busy machine may still be settling the new window).
  bool started = false;
  for (int attempt = 0; attempt < 5 && !started; attempt++) {
    server.Run("xdotool mousemove --sync 450 650 click 1");
    started = WaitFor([&] { return iterations() > 0; }, 2000);
  }
  ASSERT_TRUE(started) << "the real-time loop did not start; see " << log;
  // Dragging up by 300 pixels brings the oxygen panel (picture y 830..940)
  // into view at client y 528..638.
  server.Run("xdotool mousemove --sync 400 700 mousedown 1");
  server.Run("xdotool mousemove --sync 400 550");
  server.Run("xdotool mousemove --sync 400 400 mouseup 1");
  // Panel updates begin with the twentieth iteration (one second at 20 Hz).
  ASSERT_TRUE(WaitFor([&] { return iterations() > 30; }, 10000)) << "the real-time loop did not run";

  // Oxygen button 3 lies at picture (833, 875); with the view at (605, 305)
  // and the view origin at (14, 3) that is client (242, 573).
  const int buttonX = 833 - 605 + 14;
  const int buttonY = 875 - 305 + 3;
  const uint32_t output = 0x12494 + 6;
  const uint32_t upperLamp = 0x12177 + 6;
  ASSERT_EQ(0, base[output]);
  server.Run("xdotool mousemove --sync " + std::to_string(buttonX + 10) + " " + std::to_string(buttonY + 10) +
             " click 1");
  EXPECT_TRUE(WaitFor([&] { return base[output] == 1; }, 5000)) << "the click did not latch the button";

  // The button's own picture settles first (pressed image), so that only the
  // lamp can change the screen below.
  Screenshot before;
  ASSERT_TRUE(WaitFor(
      [&] {
        Screenshot first;
        if (!first.Take(server)) {
          return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1500));
        return before.Take(server) && ChangedPixels(first, before, buttonX, buttonY, buttonX + 40, buttonY + 40) == 0;
      },
      10000))
      << "the screen at the button did not settle";
  base[upperLamp] = 1;
  // The oxygen panel is updated at its next rotation pass and painted after it.
  Screenshot after;
  EXPECT_TRUE(WaitFor(
      [&] {
        return after.Take(server) && ChangedPixels(before, after, buttonX, buttonY, buttonX + 40, buttonY + 40) > 20;
      },
      8000))
      << "the lamp did not light the button on screen";

  // A closed terminal (SIGHUP) ends it as SIGTERM does: normally, the
  // segments released.
  EXPECT_EQ(0, station.Stop(SIGHUP));
  EXPECT_EQ(1, area.GetUserCount());
}

// Bright pixels (a lit legend) inside a rectangle.
int BrightPixels(const Screenshot& shot, int x0, int y0, int x1, int y1) {
  int bright = 0;
  for (int y = y0; y < y1 && y < shot.Height(); y++) {
    for (int x = x0; x < x1 && x < shot.Width(); x++) {
      const std::string p = shot.Pixel(x, y);
      bright += p.size() >= 3 && static_cast<unsigned char>(p[0]) > 0xC0 && static_cast<unsigned char>(p[1]) > 0xC0 &&
                        static_cast<unsigned char>(p[2]) > 0xC0
                    ? 1
                    : 0;
    }
  }
  return bright;
}

// Unattended: with --autostart and the demonstration simulation, the loop
// runs and a lamp the simulation lights is seen lit, without any click.
TEST(TarnelGui, AutostartWithTheDemoSimulationShowsALitLampWithoutAClick) {
  const std::string xvfb = FindOnPath("Xvfb");
  if (xvfb.empty() || FindOnPath("xwd").empty()) {
    GTEST_SKIP() << "Xvfb or xwd is not installed: the GUI check did not run";
  }
  const std::string tarnel = BinPath("tarnel");
  const std::string demoSim = BinPath("tarnel-demo-sim");
  ASSERT_TRUE(process_test::IsExecutable(tarnel)) << tarnel;
  ASSERT_TRUE(process_test::IsExecutable(demoSim)) << demoSim;
  const std::string bin = tarnel.substr(0, tarnel.rfind('/'));
  const char* prefix = test_support::UseUniqueShmPrefix();
  const std::string env = std::string("TARNEL_SHM_PREFIX=") + prefix;

  PrivateXServer server;
  ASSERT_TRUE(server.Start(xvfb));
  // The simulation first: it creates the segment, and the station attaches.
  ChildProcess demo;
  const std::string demoLog = "/tmp/tarnel_demo_" + std::string(prefix) + ".log";
  ASSERT_TRUE(demo.Start({demoSim}, {env}, demoLog));
  ChildProcess station;
  const std::string log = "/tmp/tarnel_gui_" + std::string(prefix) + ".log";
  ASSERT_TRUE(station.Start({tarnel, "--autostart", "--ini", bin + "/Tarnel.ini"},
                            {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11", env}, log));
  const std::string window = process_test::WaitForStationWindow(server, station);
  ASSERT_FALSE(window.empty()) << "tarnel ended; see " << log << " and the X server's " << server.LogFile();
  server.Run("xdotool windowmove --sync " + window + " 0 0");

  GenericSimShm area;
  ASSERT_TRUE(area.IsValid()) << area.GetErrorText();
  const uint8_t* base = area.GetBase();
  auto iterations = [&] {
    uint32_t count = 0;
    std::memcpy(&count, base + 0x0814, sizeof count);
    return count;
  };
  ASSERT_TRUE(WaitFor([&] { return iterations() > 40; }, 15000)) << "the loop did not start by itself; see " << log;

  // ADIRU IR 1 (button 3) is kept in, so the simulation lights its lower
  // legend (OFF); ADR 1 (button 0) below it is out and stays dark. Both 32 x 32 at picture (641, 83)
  // and (641, 180): client (50, 81) and (50, 178) with the view at (605, 5).
  const PanelFacts& adiru = *FindPanelFacts("adiru");
  InterfaceField lamp;
  ASSERT_TRUE(FindPanelField(adiru, kLayoutA330, 0, "button 3 lower lamp", &lamp));
  EXPECT_TRUE(WaitFor([&] { return base[lamp.offset] == 1; }, 5000)) << "the simulation did not light the lamp";
  Screenshot shot;
  EXPECT_TRUE(WaitFor(
      [&] {
        return shot.Take(server) && BrightPixels(shot, 50, 81 + 16, 82, 81 + 32) > 15 &&
               BrightPixels(shot, 50, 178 + 16, 82, 178 + 32) < 5;
      },
      8000))
      << "no lit lamp on the screen";

  EXPECT_EQ(0, station.Stop());
  EXPECT_EQ(0, demo.Stop());
}

// Pixels of one colour (any byte order) inside a rectangle.
int PixelsOf(const Screenshot& shot, uint8_t r, uint8_t g, uint8_t b, int x0, int y0, int x1, int y1) {
  int count = 0;
  for (int y = y0; y < y1 && y < shot.Height(); y++) {
    for (int x = x0; x < x1 && x < shot.Width(); x++) {
      const std::string p = shot.Pixel(x, y);
      count += p.size() >= 3 && ((uint8_t(p[0]) == b && uint8_t(p[2]) == r) || (uint8_t(p[0]) == r && uint8_t(p[2]) == b)) &&
                       uint8_t(p[1]) == g
                   ? 1
                   : 0;
    }
  }
  return count;
}

// On a bare X server (no window manager gives the focus), one click in the
// window starts the loop and is enough for the keys: F2 then shows the
// inspect status line. The pointer resting on a control gets the hover frame.
TEST(TarnelGui, OneClickGivesTheKeyboardWithoutAWindowManager) {
  const std::string xvfb = FindOnPath("Xvfb");
  if (xvfb.empty() || FindOnPath("xdotool").empty() || FindOnPath("xwd").empty()) {
    GTEST_SKIP() << "Xvfb, xdotool or xwd is not installed: the GUI check did not run";
  }
  const std::string tarnel = BinPath("tarnel");
  ASSERT_TRUE(process_test::IsExecutable(tarnel)) << tarnel;
  const std::string bin = tarnel.substr(0, tarnel.rfind('/'));
  const char* prefix = test_support::UseUniqueShmPrefix();
  PrivateXServer server;
  ASSERT_TRUE(server.Start(xvfb));
  ChildProcess station;
  const std::string log = "/tmp/tarnel_gui_" + std::string(prefix) + ".log";
  ASSERT_TRUE(station.Start({tarnel, "--ini", bin + "/Tarnel.ini"},
                            {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11",
                             std::string("TARNEL_SHM_PREFIX=") + prefix},
                            log));
  const std::string window = process_test::WaitForStationWindow(server, station);
  ASSERT_FALSE(window.empty()) << "tarnel ended; see " << log;
  GenericSimShm area;
  ASSERT_TRUE(area.IsValid()) << area.GetErrorText();
  const uint8_t* base = area.GetBase();
  ASSERT_TRUE(WaitFor([&] { return base[banner_record::kSuccess] == 1; }, 15000)) << "start-up did not finish";
  // The window opens at the top-left corner. The banner may still hold the
  // focus; nothing outside gives it back.
  auto iterations = [&] {
    uint32_t count = 0;
    std::memcpy(&count, base + 0x0814, sizeof count);
    return count;
  };
  // One click, taken also when it comes just after the window took the focus.
  server.Run("xdotool mousemove --sync 450 650 click 1");
  ASSERT_TRUE(WaitFor([&] { return iterations() > 0; }, 5000)) << "the click did not start the loop; see " << log;
  // ADIRU IR 1 (button 3) at picture (641, 83) is client (50, 81): its frame.
  server.Run("xdotool mousemove --sync 66 97");
  Screenshot shot;
  EXPECT_TRUE(WaitFor([&] { return shot.Take(server) && PixelsOf(shot, 0xFF, 0x30, 0xC0, 40, 70, 95, 125) > 60; },
                      5000))
      << "no hover frame around the button";
  // Keys go to the window with the focus: xdotool sends F2 to no window.
  server.Run("xdotool key F2");
  EXPECT_TRUE(WaitFor(
      [&] { return shot.Take(server) && PixelsOf(shot, 0x20, 0x20, 0x28, 0, 700, 900, 749) > 2000; }, 5000))
      << "F2 after one click showed no status line";
  EXPECT_EQ(0, station.Stop());
}

// The modal boxes on a bare X server (no window manager): the about box on
// F1 and the start-up error box appear with their text and close with a key.
class TarnelBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string xvfb = FindOnPath("Xvfb");
    if (xvfb.empty() || FindOnPath("xdotool").empty() || FindOnPath("xwd").empty()) {
      GTEST_SKIP() << "Xvfb, xdotool or xwd is not installed: the boxes were not checked";
    }
    tarnel_ = BinPath("tarnel");
    ASSERT_TRUE(process_test::IsExecutable(tarnel_)) << tarnel_;
    bin_ = tarnel_.substr(0, tarnel_.rfind('/'));
    prefix_ = test_support::UseUniqueShmPrefix();
    ASSERT_TRUE(server_.Start(xvfb));
  }

  void StartStation(const std::string& ini) {
    log_ = "/tmp/tarnel_box_" + prefix_ + ".log";
    ASSERT_TRUE(station_.Start({tarnel_, "--ini", ini},
                               {"DISPLAY=" + server_.Display(), "SDL_VIDEODRIVER=x11", "TARNEL_SHM_PREFIX=" + prefix_},
                               log_));
  }

  // The first window whose name matches, waiting for it; "" when none came.
  std::string FindWindow(const std::string& name, int timeoutMs = 15000) {
    std::string id;
    WaitFor(
        [&] {
          id = server_.Run("xdotool search --name '" + name + "'");
          return !id.empty() || !station_.Running();
        },
        timeoutMs);
    return id.substr(0, id.find('\n'));
  }

  // Dark (text) pixels inside the window on the screen.
  int DarkPixelsIn(const std::string& window) {
    const std::string geometry = server_.Run("xdotool getwindowgeometry --shell " + window);
    auto value = [&](const char* key) {
      std::size_t at = geometry.find(key);
      return at == std::string::npos ? 0 : std::atoi(geometry.c_str() + at + std::strlen(key));
    };
    const int x = value("X="), y = value("Y="), w = value("WIDTH="), h = value("HEIGHT=");
    Screenshot shot;
    if (w <= 0 || h <= 0 || !shot.Take(server_)) {
      return 0;
    }
    int dark = 0;
    for (int j = y; j < y + h && j < shot.Height(); j++) {
      for (int i = x; i < x + w && i < shot.Width(); i++) {
        const std::string pixel = shot.Pixel(i, j);
        dark += pixel.size() >= 3 && static_cast<unsigned char>(pixel[0]) < 0x50 &&
                        static_cast<unsigned char>(pixel[1]) < 0x50 && static_cast<unsigned char>(pixel[2]) < 0x50
                    ? 1
                    : 0;
      }
    }
    return dark;
  }

  // The box shows text and closes with the key; the station runs on.
  void CheckBoxClosesWith(const std::string& box, const char* key) {
    ASSERT_FALSE(box.empty()) << "no box appeared; see " << log_;
    EXPECT_TRUE(WaitFor([&] { return DarkPixelsIn(box) > 40; }, 5000)) << "the box shows no text";
    server_.Run(std::string("xdotool key --window ") + box + " " + key);
    EXPECT_TRUE(WaitFor([&] { return server_.Run("xdotool getwindowname " + box).empty(); }, 5000))
        << "the box did not close with " << key;
    EXPECT_TRUE(station_.Running());
  }

  std::string tarnel_;
  std::string bin_;
  std::string prefix_;
  std::string log_;
  PrivateXServer server_;
  ChildProcess station_;
};

TEST_F(TarnelBoxTest, AboutBoxOnF1ShowsAndClosesWithEnter) {
  StartStation(bin_ + "/Tarnel.ini");
  const std::string window = FindWindow("QX-P-0077");
  ASSERT_FALSE(window.empty()) << "tarnel did not start; see " << log_;
  // The start-up finishes first: the banner takes the focus while it opens.
  GenericSimShm area;
  ASSERT_TRUE(area.IsValid()) << area.GetErrorText();
  ASSERT_TRUE(WaitFor([&] { return area.GetBase()[banner_record::kSuccess] == 1; }, 15000));
  // Like an operator, press again when a busy machine lost the first press.
  std::string box;
  for (int attempt = 0; attempt < 5 && box.empty(); attempt++) {
    server_.Run("xdotool windowfocus --sync " + window + " key F1");
    box = FindWindow("^About Tarnel$", 3000);
  }
  CheckBoxClosesWith(box, "Return");
  EXPECT_EQ(0, station_.Stop());
}

TEST_F(TarnelBoxTest, StartupErrorBoxShowsAndClosesWithEscape) {
  const std::string ini = "/tmp/tarnel_box_" + prefix_ + ".ini";
  {
    std::FILE* f = std::fopen(ini.c_str(), "w");
    ASSERT_NE(f, nullptr);
    std::fprintf(f, "[DIRECTORY_PATHS]\nCockpitPanelBitMaps = %s/CockpitBitmaps\n[FILES]\nMainPicture = %s\n",
                 bin_.c_str(), "/no/such/Panel.bmp");
    std::fclose(f);
  }
  StartStation(ini);
  // The title of the station's window is set before the picture fails, so
  // only the box is named "Tarnel" by then.
  ASSERT_FALSE(FindWindow("QX-P-0077").empty()) << "tarnel did not start; see " << log_;
  CheckBoxClosesWith(FindWindow("^Tarnel$"), "Escape");
  EXPECT_EQ(1, station_.Stop()) << "a failed start ends with status 1";
  std::remove(ini.c_str());
}

}  // namespace
