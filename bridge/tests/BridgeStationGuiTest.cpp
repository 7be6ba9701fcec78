// The station on its own segment, attached to the simulation's segment only
// through the two bridges: an operator's click reaches the simulation's
// segment, and a lamp the simulation lights reaches the station's.
#include <gtest/gtest.h>

#include "bridge/tests/BridgePair.h"
#include "panels/A330_Oxygen.h"
#include "panels/PanelRows.h"

namespace {

using bridge_test::BridgePair;
using process_test::FindOnPath;
using process_test::WaitFor;

TEST(BridgeStationGui, ClickInTheStationReachesTheSimulationsSegment) {
  const std::string xvfb = FindOnPath("Xvfb");
  if (xvfb.empty() || FindOnPath("xdotool").empty()) {
    GTEST_SKIP() << "Xvfb or xdotool is not installed: the click through the bridge was not checked";
  }
  const std::string tarnel = process_test::BinPath("tarnel");
  ASSERT_TRUE(process_test::IsExecutable(tarnel)) << tarnel;
  const std::string bin = tarnel.substr(0, tarnel.rfind('/'));

  BridgePair pair;
  ASSERT_TRUE(pair.SegmentsValid());
  ASSERT_TRUE(pair.StartBoth());
  ASSERT_TRUE(pair.WaitConnected(15000)) << pair.Output(true) << pair.Output(false);

  process_test::PrivateXServer server;
  ASSERT_TRUE(server.Start(xvfb));
  process_test::ChildProcess station;
  ASSERT_TRUE(station.Start({tarnel, "--ini", bin + "/Tarnel.ini"},
                            {"DISPLAY=" + server.Display(), "SDL_VIDEODRIVER=x11",
                             "TARNEL_SHM_PREFIX=" + pair.StationPrefix()}));
  const std::string window = process_test::WaitForStationWindow(server, station);
  ASSERT_FALSE(window.empty());
  uint8_t* sim = pair.SimBase();
  ASSERT_TRUE(WaitFor([&] { return pair.StationBase()[banner_record::kSuccess] == 1; }, 15000));

  // Start the loop with a click; the station's iterations show on the
  // simulation's side.
  server.Run("xdotool windowmove --sync " + window + " 0 0");
  const auto simIterations = [&] { return BridgePair::Get<uint32_t>(sim, generic_area::kIterationCount); };
  bool started = false;
  for (int attempt = 0; attempt < 5 && !started; attempt++) {
    server.Run("xdotool mousemove --sync 450 650 click 1");
    started = WaitFor([&] { return simIterations() > 0; }, 2000);
  }
  ASSERT_TRUE(started) << "the iterations did not reach the simulation's side";
  // Bring the oxygen panel into view, as an operator drags the picture.
  server.Run("xdotool mousemove --sync 400 700 mousedown 1");
  server.Run("xdotool mousemove --sync 400 550");
  server.Run("xdotool mousemove --sync 400 400 mouseup 1");
  ASSERT_TRUE(WaitFor([&] { return simIterations() > 30; }, 10000));

  // Oxygen button 3 at picture (833, 875), client (242, 573) after the drag.
  const uint32_t output = kOxygenTables.a330.output + uint32_t(kOxygenTables.buttons[3].output);
  const uint32_t lamp = kOxygenTables.a330.input + uint32_t(kOxygenTables.buttons[3].upperLamp);
  ASSERT_EQ(sim[output], 0);
  server.Run("xdotool mousemove --sync 252 583 click 1");
  EXPECT_TRUE(WaitFor([&] { return sim[output] == 1; }, 5000)) << "the click did not reach the simulation's side";
  BridgePair::Put<uint8_t>(sim, lamp, 1);
  EXPECT_TRUE(WaitFor([&] { return pair.StationBase()[lamp] == 1; }, 5000));
  EXPECT_EQ(station.Stop(SIGTERM), 0);
}

}  // namespace
