// The running station under a private X server with its virtual button box:
// lines written to the box's pipe drive a switch, a guarded button and a
// knob into shared memory, and in inspect mode a pressed button over a
// control appends the control's mapping line to the mapping file.
#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>

#include "config/tests/TempFolder.h"
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

uint32_t Offset(const char* panel, const char* field) {
  InterfaceField f;
  return FindPanelField(*FindPanelFacts(panel), kLayoutA330, 0, field, &f) ? f.offset : 0;
}

std::string Read(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(DevicesGui, VirtualBoxDrivesSwitchGuardedButtonAndKnobAndTeachesALine) {
  const std::string xvfb = FindOnPath("Xvfb");
  if (xvfb.empty() || FindOnPath("xdotool").empty()) {
    GTEST_SKIP() << "Xvfb or xdotool is not installed: the GUI check did not run";
  }
  const std::string tarnel = BinPath("tarnel");
  ASSERT_TRUE(process_test::IsExecutable(tarnel)) << tarnel;
  const std::string bin = tarnel.substr(0, tarnel.rfind('/'));
  const char* prefix = test_support::UseUniqueShmPrefix();
  TempFolder folder;
  const std::string inputs = folder.Write("inputs.ini",
                                          "[Virtual button box]\n"
                                          "air: switch 0 = buttons 0 1\n"
                                          "fuel-jettison: guarded button 0 = button 2 toggle-guard\n"
                                          "fuel-jettison: guarded button 0 = button 3 toggle\n"
                                          "air: knob D = axis 0\n"
                                          "air: bogus = button 4 toggle\n");
  const std::string pipe = folder.File("box");

  PrivateXServer server;
  ASSERT_TRUE(server.Start(xvfb));
  ChildProcess station;
  const std::string log = folder.File("station.log");
  ASSERT_TRUE(station.Start({tarnel, "--ini", bin + "/Tarnel.ini", "--autostart", "--inspect", "--inputs", inputs,
                             "--virtual-device", pipe},
                            {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11",
                             std::string("TARNEL_SHM_PREFIX=") + prefix},
                            log));
  const std::string window = process_test::WaitForStationWindow(server, station);
  ASSERT_FALSE(window.empty()) << "tarnel ended; see " << Read(log);
  server.Run("xdotool windowmove --sync " + window + " 0 0");

  GenericSimShm area;
  ASSERT_TRUE(area.IsValid()) << area.GetErrorText();
  const uint8_t* base = area.GetBase();
  // The box is plugged in at the loop's first poll, and opens its pipe then.
  int fd = -1;
  ASSERT_TRUE(WaitFor([&] { return (fd = ::open(pipe.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC)) >= 0; }, 15000))
      << Read(log);
  auto send = [&](const std::string& lines) { return ::write(fd, lines.data(), lines.size()) == ssize_t(lines.size()); };

  const uint32_t up = Offset("air", "switch 0 up"), down = Offset("air", "switch 0 down");
  const uint32_t jettison = Offset("fuel-jettison", "guarded button 0 position");
  const uint32_t knob = Offset("air", "knob D position");
  ASSERT_TRUE(up != 0 && down != 0 && jettison != 0 && knob != 0);
  auto knobAt = [&] {
    int32_t v;
    std::memcpy(&v, base + knob, 4);
    return v;
  };
  // At start the hardware's positions hold: the switch in the middle, the knob at the axis centre.
  EXPECT_TRUE(WaitFor([&] { return base[up] == 0 && base[down] == 0 && knobAt() == 1; }, 5000)) << Read(log);

  ASSERT_TRUE(send("button 0 1\n"));
  EXPECT_TRUE(WaitFor([&] { return base[up] == 1; }, 5000)) << Read(log);
  ASSERT_TRUE(send("button 0 0\nbutton 1 1\n"));
  EXPECT_TRUE(WaitFor([&] { return base[up] == 0 && base[down] == 1; }, 5000)) << Read(log);

  const uint8_t before = base[jettison];
  ASSERT_TRUE(send("button 3 1\nbutton 3 0\n"));  // guard closed: nothing
  ASSERT_TRUE(send("button 2 1\nbutton 2 0\nbutton 3 1\nbutton 3 0\n"));
  EXPECT_TRUE(WaitFor([&] { return base[jettison] != before; }, 5000)) << Read(log);

  ASSERT_TRUE(send("axis 0 32767\n"));
  EXPECT_TRUE(WaitFor([&] { return knobAt() == 7; }, 5000)) << Read(log);

  // Learn mode: the pointer over the jettison panel's guarded button 1.
  const PanelFacts& facts = *FindPanelFacts("fuel-jettison");
  const int x = facts.x + facts.tables->guarded[1].at.x + 12 - 605 + 14;
  const int y = facts.y + facts.tables->guarded[1].at.y + 12 - 5 + 3;
  server.Run("xdotool mousemove --sync " + std::to_string(x) + " " + std::to_string(y));
  ASSERT_TRUE(send("button 9 1\n"));
  EXPECT_TRUE(WaitFor(
      [&] { return Read(inputs).find("fuel-jettison: guarded button 1 = button 9 toggle") != std::string::npos; },
      5000))
      << Read(log) << Read(inputs);

  const std::string text = Read(log);
  EXPECT_NE(text.find(inputs + ":6: panel air has no control 'bogus'"), std::string::npos) << text;
  EXPECT_NE(text.find("hardware 'Virtual button box': air: knob D = position 7"), std::string::npos) << text;
  ::close(fd);
  EXPECT_EQ(0, station.Stop());
}

}  // namespace
