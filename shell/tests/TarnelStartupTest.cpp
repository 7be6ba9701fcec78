// How the station program starts and ends when nobody is watching: a banner
// never outlives its station, an unattended failed start ends the program,
// and without a display the station fails instead of running invisibly.
#include <gtest/gtest.h>
#include <dirent.h>
#include <signal.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>

#include "banner/BannerRecord.h"
#include "simlink/GenericSimShm.h"
#include "tests/support/ProcessTestSupport.h"
#include "tests/support/ShmTestPrefix.h"

namespace {

using process_test::BinPath;
using process_test::ChildProcess;
using process_test::FindOnPath;
using process_test::PrivateXServer;
using process_test::WaitFor;

std::string ReadFile(const std::string& path) {
  std::stringstream text;
  text << std::ifstream(path).rdbuf();
  return text.str();
}

// The pid of a live child of parent named name (from /proc); 0 when none.
pid_t ChildNamed(pid_t parent, const char* name) {
  DIR* proc = ::opendir("/proc");
  pid_t found = 0;
  while (proc != nullptr && found == 0) {
    const dirent* entry = ::readdir(proc);
    if (entry == nullptr) break;
    const pid_t pid = std::atoi(entry->d_name);
    if (pid <= 0) continue;
    // "pid (comm) state ppid ..."
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const std::size_t close = stat.rfind(')');
    if (close == std::string::npos || stat.compare(stat.find('(') + 1, close - stat.find('(') - 1, name) != 0) continue;
    char state = 0;
    int ppid = 0;
    if (std::sscanf(stat.c_str() + close + 1, " %c %d", &state, &ppid) == 2 && ppid == parent && state != 'Z') {
      found = pid;
    }
  }
  if (proc != nullptr) ::closedir(proc);
  return found;
}

// Gone, or a zombie waiting for whoever adopted it.
bool Ended(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const std::size_t close = stat.rfind(')');
  return close == std::string::npos || (close + 2 < stat.size() && stat[close + 2] == 'Z');
}

class TarnelStartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tarnel_ = BinPath("tarnel");
    ASSERT_TRUE(process_test::IsExecutable(tarnel_)) << tarnel_;
    bin_ = tarnel_.substr(0, tarnel_.rfind('/'));
    prefix_ = test_support::UseUniqueShmPrefix();
    log_ = ::testing::TempDir() + "tarnel_startup_" + prefix_ + ".log";
  }
  void TearDown() override { std::remove(log_.c_str()); }

  // An ini whose main picture does not exist: the start fails.
  std::string BadIni() {
    const std::string ini = ::testing::TempDir() + "tarnel_startup_" + prefix_ + ".ini";
    std::ofstream(ini) << "[DIRECTORY_PATHS]\nCockpitPanelBitMaps = " << bin_
                       << "/CockpitBitmaps\n[FILES]\nMainPicture = /no/such/Panel.bmp\n";
    return ini;
  }

  std::string tarnel_;
  std::string bin_;
  std::string prefix_;
  std::string log_;
};

// The banner (started by the station) ends within 2 s of a station killed
// outright, early in its start or after a failed start.
TEST_F(TarnelStartupTest, ASigkilledStationTakesItsBannerWithIt) {
  for (const bool fails : {false, true}) {
    ChildProcess station;
    const std::vector<std::string> args =
        fails ? std::vector<std::string>{tarnel_, "--ini", BadIni()} : std::vector<std::string>{tarnel_};
    ASSERT_TRUE(station.Start(args, {"TARNEL_SHM_PREFIX=" + prefix_, "SDL_VIDEODRIVER=dummy"}, log_));
    pid_t banner = 0;
    ASSERT_TRUE(WaitFor([&] { return (banner = ChildNamed(station.Pid(), "lisket")) != 0 || !station.Running(); },
                        15000));
    ASSERT_NE(0, banner) << "the station started no banner; see " << log_;
    // A failed start keeps its banner up: kill once the failure shows.
    // Otherwise kill at once, before any outcome (the banner would wait).
    if (fails) {
      GenericSimShm area;
      ASSERT_TRUE(area.IsValid()) << area.GetErrorText();
      ASSERT_TRUE(WaitFor([&] { return area.GetBase()[banner_record::kFailure] != 0; }, 15000));
    }
    ::kill(station.Pid(), SIGKILL);
    station.WaitExit(5000);
    EXPECT_TRUE(WaitFor([&] { return Ended(banner); }, 2000)) << "the banner outlived its station; fails=" << fails;
    if (!Ended(banner)) ::kill(banner, SIGKILL);
  }
}

// Headless, no box can be shown: an unattended failed start ends at once
// with status 1; attended, the station stays until it is closed.
TEST_F(TarnelStartupTest, AnUnattendedFailedStartEndsWithStatusOne) {
  const std::string ini = BadIni();
  ChildProcess unattended;
  ASSERT_TRUE(unattended.Start({tarnel_, "--autostart", "--ini", ini},
                               {"TARNEL_SHM_PREFIX=" + prefix_, "SDL_VIDEODRIVER=dummy"}, log_));
  ASSERT_TRUE(unattended.WaitExit(15000)) << "a failed unattended start did not end";
  EXPECT_EQ(1, unattended.ExitCode());
  EXPECT_NE(std::string::npos, ReadFile(log_).find("tarnel: start-up failed")) << ReadFile(log_);

  ChildProcess attended;
  ASSERT_TRUE(attended.Start({tarnel_, "--ini", ini}, {"TARNEL_SHM_PREFIX=" + prefix_, "SDL_VIDEODRIVER=dummy"}));
  EXPECT_FALSE(attended.WaitExit(1500)) << "an attended failed start must stay open";
  EXPECT_EQ(1, attended.Stop());
}

// On a bare X server: the box of an unattended failed start, once closed,
// ends the station with status 1.
TEST_F(TarnelStartupTest, AnUnattendedFailedStartEndsWhenItsBoxIsClosed) {
  const std::string xvfb = FindOnPath("Xvfb");
  if (xvfb.empty() || FindOnPath("xdotool").empty()) {
    GTEST_SKIP() << "Xvfb or xdotool is not installed: the box was not checked";
  }
  PrivateXServer server;
  ASSERT_TRUE(server.Start(xvfb));
  ChildProcess station;
  ASSERT_TRUE(station.Start({tarnel_, "--autostart", "--ini", BadIni()},
                            {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11", "TARNEL_SHM_PREFIX=" + prefix_},
                            log_));
  std::string box;
  WaitFor(
      [&] {
        box = server.Run("xdotool search --name '^Tarnel$'");
        return !box.empty() || !station.Running();
      },
      15000);
  ASSERT_FALSE(box.empty()) << "no box appeared; see " << log_;
  EXPECT_TRUE(station.Running()) << "the box must wait for the operator (up to 30 s)";
  // The box may be found before it takes keys, and the main window has the
  // same title: Return goes to every such window until the station ends.
  const bool ended = WaitFor(
      [&] {
        std::string windows = server.Run("xdotool search --name '^Tarnel$'");
        for (std::size_t at = 0; at < windows.size();) {
          const std::size_t end = windows.find('\n', at);
          const std::string id = windows.substr(at, end == std::string::npos ? std::string::npos : end - at);
          if (!id.empty()) server.Run("xdotool key --window " + id + " Return");
          if (end == std::string::npos) break;
          at = end + 1;
        }
        return station.WaitExit(500);
      },
      10000);
  ASSERT_TRUE(ended) << "closing the box did not end the station";
  EXPECT_EQ(1, station.ExitCode());
}

// No display server: the station fails with the display named instead of
// falling back to an invisible driver.
TEST_F(TarnelStartupTest, WithoutADisplayTheStationFailsAndNamesIt) {
  const std::string runtime = ::testing::TempDir();
  ChildProcess station;
  ASSERT_TRUE(station.Start({tarnel_, "--autostart"},
                            {"TARNEL_SHM_PREFIX=" + prefix_, "SDL_VIDEODRIVER=", "DISPLAY=:65531",
                             "WAYLAND_DISPLAY=", "XDG_RUNTIME_DIR=" + runtime},
                            log_));
  ASSERT_TRUE(station.WaitExit(15000)) << "the station runs without a display";
  EXPECT_EQ(1, station.ExitCode());
  EXPECT_NE(std::string::npos, ReadFile(log_).find("tarnel: cannot open the display: DISPLAY ':65531'"))
      << ReadFile(log_);
}

}  // namespace
