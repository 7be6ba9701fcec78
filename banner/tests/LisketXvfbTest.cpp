// The banner on a real X server (a private Xvfb): the window appears with its
// title and size, the bar shows the outcome's colour, a clean start closes it
// and after a failure it stays until the operator closes it.
#include <gtest/gtest.h>
#include <sys/mman.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <string>

#include "banner/BannerRecord.h"
#include "tests/support/ProcessTestSupport.h"
#include "simlink/GenericSimShm.h"
#include "tests/support/ShmTestPrefix.h"

// Last: Xlib's macros clash with names in the headers above.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#undef None
#undef Bool
#undef Status

namespace {

using process_test::ChildProcess;
using process_test::WaitFor;

constexpr const char* kTitle = "Qx Banner :: [ QX_P_0305_02_genericSim.h $Revision: 5.5.2 ]";
// A point inside the progress bar near its left end (the window sits at the
// screen's top-left and the server has no window manager).
constexpr int kBarX = 24;
constexpr int kBarY = 78;

struct Rgb {
  int r, g, b;
  bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) {
  return out << "(" << c.r << "," << c.g << "," << c.b << ")";
}

class LisketXvfbTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string xvfb = process_test::FindOnPath("Xvfb");
    if (xvfb.empty()) {
      GTEST_SKIP() << "Xvfb is not installed: the banner's window is not checked on an X server";
    }
    if (process_test::FindOnPath("xdotool").empty()) {
      GTEST_SKIP() << "xdotool is not installed: the banner's window cannot be found";
    }
    lisket = process_test::BinPath("lisket");
    ASSERT_TRUE(process_test::IsExecutable(lisket)) << lisket;
    prefix = test_support::UseUniqueShmPrefix();
    ASSERT_TRUE(server.Start(xvfb)) << "no private X server";
    display = XOpenDisplay(server.Display().c_str());
    ASSERT_NE(nullptr, display);
  }
  void TearDown() override {
    if (display != nullptr) {
      XCloseDisplay(display);
    }
  }
  std::vector<std::string> Settings() const {
    // In sanitizer builds the X11 and D-Bus libraries that SDL loads report
    // leaks of their own at exit; lisket's own leaks are checked headless.
    const char* asan = std::getenv("ASAN_OPTIONS");
    std::string options = std::string("ASAN_OPTIONS=") + (asan != nullptr ? std::string(asan) + ":" : "") +
                          "detect_leaks=0";
    return {"TARNEL_SHM_PREFIX=" + prefix, "SDL_VIDEODRIVER=x11", "DISPLAY=" + server.Display(), options};
  }
  // The banner's window id, or "" when there is none.
  std::string FindBanner() const {
    std::string id = server.Run("xdotool search --name 'Qx Banner'");
    return id.substr(0, id.find('\n'));
  }
  Rgb PixelAt(int x, int y) {
    XImage* image = XGetImage(display, DefaultRootWindow(display), x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) {
      return {-1, -1, -1};
    }
    unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    return {static_cast<int>((pixel >> 16) & 0xFF), static_cast<int>((pixel >> 8) & 0xFF),
            static_cast<int>(pixel & 0xFF)};
  }
  bool BarBecomes(const Rgb& colour) {
    return WaitFor([&] { return PixelAt(kBarX, kBarY) == colour; }, 3000);
  }
  // What the operator's close button does: ask the window to close.
  void CloseWindow(const std::string& id) {
    Window window = std::stoul(id);
    XEvent event = {};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XFlush(display);
  }
  // Starts lisket and waits for it to attach and show its window.
  void StartBanner(GenericSimShm& shm, ChildProcess& child) {
    ASSERT_TRUE(child.Start({lisket}, Settings()));
    ASSERT_TRUE(WaitFor([&] { return shm.GetUserCount() == 2; }, 5000)) << "lisket did not attach";
    ASSERT_TRUE(WaitFor([&] { return !FindBanner().empty(); }, 5000)) << "no banner window";
  }
  void Write(GenericSimShm& shm, uint32_t offset, const char* text, std::size_t size) {
    std::memset(shm.GetBase() + offset, 0, size);
    std::memcpy(shm.GetBase() + offset, text, std::min(std::strlen(text), size));
  }
  void Progress(GenericSimShm& shm, int32_t value) {
    std::memcpy(shm.GetBase() + banner_record::kProgress, &value, sizeof value);
  }

  std::string lisket;
  std::string prefix;
  process_test::PrivateXServer server;
  Display* display = nullptr;
};

TEST_F(LisketXvfbTest, CleanStartShowsTheWindowAndClosesIt) {
  GenericSimShm shm;
  ASSERT_TRUE(shm.IsValid()) << shm.GetErrorText();
  Write(shm, banner_record::kProgramName, "QX-P-0077 v1.1", banner_record::kProgramNameSize);
  ChildProcess child;
  StartBanner(shm, child);
  const std::string id = FindBanner();
  EXPECT_EQ(std::string(kTitle) + "\n", server.Run("xdotool getwindowname " + id));
  // 576 by 132 dialog units.
  EXPECT_NE(std::string::npos, server.Run("xdotool getwindowgeometry " + id).find("Geometry: 864x215"));

  Progress(shm, 60);
  EXPECT_TRUE(BarBecomes({204, 0, 204})) << PixelAt(kBarX, kBarY);
  shm.GetBase()[banner_record::kSuccess] = 1;
  EXPECT_TRUE(BarBecomes({0, 255, 0})) << PixelAt(kBarX, kBarY);
  ASSERT_TRUE(child.WaitExit(6000)) << "the banner did not close itself";
  EXPECT_EQ(0, child.ExitCode());
  EXPECT_EQ("", FindBanner());
  EXPECT_EQ(1, shm.GetUserCount());
}

TEST_F(LisketXvfbTest, FailureStaysOpenRedUntilTheOperatorClosesIt) {
  GenericSimShm shm;
  ASSERT_TRUE(shm.IsValid()) << shm.GetErrorText();
  ChildProcess child;
  StartBanner(shm, child);
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // past the attach-and-clear
  Progress(shm, 30);
  Write(shm, banner_record::kMessage, "Unable tp load main picture", banner_record::kMessageSize);
  shm.GetBase()[banner_record::kFailure] = 1;
  EXPECT_TRUE(BarBecomes({255, 0, 0})) << PixelAt(kBarX, kBarY);
  EXPECT_FALSE(child.WaitExit(3000));
  // A search can miss the window while it is being redrawn: look again.
  std::string id;
  ASSERT_TRUE(WaitFor([&] { return !(id = FindBanner()).empty(); }, 3000)) << "no banner window";
  CloseWindow(id);
  ASSERT_TRUE(child.WaitExit(3000)) << "closing the window did not end the banner";
  EXPECT_EQ(0, child.ExitCode());
  EXPECT_EQ(1, shm.GetUserCount());
}

// The station launches the banner at the start of its initialisation. It
// reads "Tarnel.ini" from its working folder.
class LisketStationTest : public LisketXvfbTest {
 protected:
  void SetUp() override {
    LisketXvfbTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) {
      return;
    }
    tarnel = process_test::BinPath("tarnel");
    if (!process_test::IsExecutable(tarnel)) {
      GTEST_SKIP() << tarnel << " does not exist yet: the launch of lisket by the station is not checked";
    }
    binDir = tarnel.substr(0, tarnel.rfind('/'));
  }
  void TearDown() override {
    // A station stopped by a signal may leave its segments behind.
    for (const char* name : {"GenericSimSharedMemory", "TrnShmSpace"}) {
      if (!prefix.empty()) {
        ::shm_unlink(("/" + prefix + name).c_str());
      }
    }
    LisketXvfbTest::TearDown();
  }
  std::string tarnel;
  std::string binDir;
};

TEST_F(LisketStationTest, StationStartBringsTheBannerUpAndItClosesItself) {
  ChildProcess station;
  ASSERT_TRUE(station.Start({tarnel}, Settings(), "/dev/null", binDir));
  EXPECT_TRUE(WaitFor([&] { return !FindBanner().empty(); }, 10000)) << "the station did not bring up lisket";
  EXPECT_TRUE(WaitFor([&] { return FindBanner().empty(); }, 15000)) << "lisket did not close after a clean start";
  station.Stop();
}

// The station holds the banner's user count: a banner killed outright during
// the start-up leaves none behind, and the segment goes with the last user.
TEST_F(LisketStationTest, ABannerKilledOutrightLeavesNoUserCount) {
  GenericSimShm area;  // this test counts as one user
  ASSERT_TRUE(area.IsValid());
  ChildProcess station;
  ASSERT_TRUE(station.Start({tarnel}, Settings(), "/dev/null", binDir));
  ASSERT_TRUE(WaitFor([&] { return !FindBanner().empty(); }, 10000)) << "the station did not bring up lisket";
  ASSERT_EQ(3, area.GetUserCount());  // this test, the station, the banner held by the station
  server.Run("pkill -KILL -x -P " + std::to_string(station.Pid()) + " lisket");
  EXPECT_TRUE(WaitFor([&] { return area.GetUserCount() == 2; }, 3000)) << area.GetUserCount();
  EXPECT_EQ(0, station.Stop());
  EXPECT_EQ(1, area.GetUserCount());
}

TEST_F(LisketStationTest, MissingMainPictureKeepsTheBannerOpen) {
  // The default ini with its main picture renamed; its "..\" paths still
  // lead to the program's folder.
  const std::string dir = ::testing::TempDir() + "lisket_station_" + std::to_string(::getpid());
  ASSERT_TRUE(::mkdir(dir.c_str(), 0700) == 0 || errno == EEXIST) << dir;
  std::ifstream in(binDir + "/Tarnel.ini");
  ASSERT_TRUE(in.good());
  std::ofstream out(dir + "/Tarnel.ini");
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind("MainPicture", 0) == 0) {
      line = "MainPicture = ..\\Pictures\\NoSuchPicture.bmp";
    }
    out << line << "\n";
  }
  out.close();

  ChildProcess station;
  ASSERT_TRUE(station.Start({tarnel}, Settings(), "/dev/null", dir));
  ASSERT_TRUE(WaitFor([&] { return !FindBanner().empty(); }, 10000)) << "the station did not bring up lisket";
  // A clean start would have closed the banner well within this time.
  std::this_thread::sleep_for(std::chrono::milliseconds(5000));
  const std::string id = FindBanner();
  EXPECT_NE("", id) << "lisket closed after a failed start";
  if (!id.empty()) {
    CloseWindow(id);
    EXPECT_TRUE(WaitFor([&] { return FindBanner().empty(); }, 3000));
  }
  station.Stop();
  std::remove((dir + "/Tarnel.ini").c_str());
  ::rmdir(dir.c_str());
}

}  // namespace
