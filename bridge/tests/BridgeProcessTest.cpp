// Two tarnel-bridge processes on loopback, each on its own segment: fields
// cross in their writer's direction only, promptly, and a side that stops,
// dies or restarts leaves a consistent pair behind.
#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>

#include "bridge/tests/BridgePair.h"
#include "panels/A330_Oxygen.h"
#include "panels/PanelRows.h"

namespace {

using bridge_test::BridgePair;
using process_test::WaitFor;

// The most a change may take to cross, from the write on one side to the
// value on the other (generous for sanitizer builds, where DDS runs slower).
#if defined(__SANITIZE_ADDRESS__)
constexpr int kCrossingMs = 500;
#else
constexpr int kCrossingMs = 100;
#endif
constexpr int kConnectMs = 15000;

// Oxygen panel: an output the station writes and a lamp the simulation writes.
const uint32_t kOxygenButton0 = kOxygenTables.a330.output + uint32_t(kOxygenTables.buttons[0].output);
const uint32_t kOxygenLamp0 = kOxygenTables.a330.input + uint32_t(kOxygenTables.buttons[0].upperLamp);

// Milliseconds until the byte at offset in to reads value; -1 after timeoutMs.
long MsUntil(const uint8_t* to, uint32_t offset, uint8_t value, int timeoutMs) {
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    if (BridgePair::Get<uint8_t>(to, offset) == value) return static_cast<long>(ms.count());
    if (ms.count() > timeoutMs) return -1;
    std::this_thread::sleep_for(std::chrono::microseconds(200));
  }
}

class BridgeProcessTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(process_test::IsExecutable(process_test::BinPath("tarnel-bridge")));
    ASSERT_TRUE(pair_.SegmentsValid());
    ASSERT_TRUE(pair_.StartBoth());
    ASSERT_TRUE(pair_.WaitConnected(kConnectMs)) << pair_.Output(true) << pair_.Output(false);
  }
  BridgePair pair_;
};

TEST_F(BridgeProcessTest, FieldsCrossPromptlyInTheirWritersDirectionOnly) {
  uint8_t* sim = pair_.SimBase();
  uint8_t* station = pair_.StationBase();
  // A click's output on the station's side reaches the simulation's segment.
  BridgePair::Put<uint8_t>(station, kOxygenButton0, 1);
  const long toSim = MsUntil(sim, kOxygenButton0, 1, 5000);
  // A lamp the simulation lights reaches the station's segment.
  BridgePair::Put<uint8_t>(sim, kOxygenLamp0, 1);
  const long toStation = MsUntil(station, kOxygenLamp0, 1, 5000);
  EXPECT_GE(toSim, 0);
  EXPECT_LE(toSim, kCrossingMs);
  EXPECT_GE(toStation, 0);
  EXPECT_LE(toStation, kCrossingMs);

  // The area-wide fields: the 32-bit iteration count arrives whole, the panel
  // reset request crosses to the station.
  BridgePair::Put<uint32_t>(station, generic_area::kIterationCount, 0x01020304);
  BridgePair::Put<uint8_t>(sim, generic_area::kPanelResetRequest, 1);
  EXPECT_TRUE(WaitFor([&] { return BridgePair::Get<uint32_t>(sim, generic_area::kIterationCount) == 0x01020304; },
                      5000));
  EXPECT_TRUE(
      WaitFor([&] { return BridgePair::Get<uint8_t>(station, generic_area::kPanelResetRequest) == 1; }, 5000));

  // A field written on the wrong side never crosses: the station's output
  // written in the simulation's segment, the lamp in the station's. The
  // side that owns the field puts its value back within the repeat interval.
  BridgePair::Put<uint8_t>(sim, kOxygenButton0, 7);
  BridgePair::Put<uint8_t>(station, kOxygenLamp0, 7);
  EXPECT_TRUE(WaitFor([&] { return BridgePair::Get<uint8_t>(sim, kOxygenButton0) == 1; }, 3000));
  EXPECT_TRUE(WaitFor([&] { return BridgePair::Get<uint8_t>(station, kOxygenLamp0) == 1; }, 3000));

  // Bytes nobody declares are left alone on both sides.
  const uint32_t undeclared = kOxygenTables.a330.output;  // the output block's first byte: no field
  BridgePair::Put<uint8_t>(station, undeclared, 9);
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
  EXPECT_EQ(BridgePair::Get<uint8_t>(sim, undeclared), 0);
}

TEST_F(BridgeProcessTest, RestartedSideResynchronisesAndALostPeerKeepsItsState) {
  uint8_t* sim = pair_.SimBase();
  uint8_t* station = pair_.StationBase();
  BridgePair::Put<uint8_t>(station, kOxygenButton0, 1);
  ASSERT_TRUE(WaitFor([&] { return BridgePair::Get<uint8_t>(sim, kOxygenButton0) == 1; }, 5000));

  // Stopped cleanly: exit status 0, its user count returned, the other side
  // reports the loss and keeps the last state.
  const int32_t users = pair_.StationSegment().GetUserCount();
  EXPECT_EQ(pair_.stationBridge.Stop(SIGTERM), 0);
  EXPECT_EQ(pair_.StationSegment().GetUserCount(), users - 1);
  EXPECT_TRUE(WaitFor([&] { return pair_.Output(true).find("lost the station side") != std::string::npos; }, 5000))
      << pair_.Output(true);
  EXPECT_EQ(BridgePair::Get<uint8_t>(sim, kOxygenButton0), 1);

  // Both sides change while apart; the restarted bridge brings them together.
  BridgePair::Put<uint8_t>(station, kOxygenButton0, 0);
  BridgePair::Put<uint8_t>(sim, kOxygenLamp0, 1);
  ASSERT_TRUE(pair_.Start(false));
  EXPECT_TRUE(WaitFor([&] { return BridgePair::Get<uint8_t>(sim, kOxygenButton0) == 0; }, kConnectMs));
  EXPECT_TRUE(WaitFor([&] { return BridgePair::Get<uint8_t>(station, kOxygenLamp0) == 1; }, kConnectMs));
  EXPECT_TRUE(WaitFor([&] { return pair_.Output(true).find("station side is connected") != std::string::npos; },
                      5000));

  // Killed outright: the loss is still seen (its samples stop for 3 s),
  // and the simulation's segment keeps the station's last state.
  BridgePair::Put<uint8_t>(station, kOxygenButton0, 1);
  ASSERT_TRUE(WaitFor([&] { return BridgePair::Get<uint8_t>(sim, kOxygenButton0) == 1; }, 5000));
  const size_t losses = [&] {
    size_t n = 0;
    for (size_t at = 0; (at = pair_.Output(true).find("lost the station side", at)) != std::string::npos; at++) n++;
    return n;
  }();
  pair_.stationBridge.Stop(SIGKILL);
  pair_.StationSegment().RemoveUserFor();  // the killed bridge's count, so the segment goes at the end
  EXPECT_TRUE(WaitFor(
      [&] {
        const std::string out = pair_.Output(true);
        return out.find("lost the station side", out.rfind("station side is connected")) != std::string::npos;
      },
      8000))
      << pair_.Output(true);
  EXPECT_EQ(losses, 1u);
  EXPECT_EQ(BridgePair::Get<uint8_t>(sim, kOxygenButton0), 1);
  EXPECT_TRUE(pair_.simBridge.Running());
  EXPECT_EQ(pair_.simBridge.Stop(SIGINT), 0);
}

TEST(BridgeProgramTest, RefusesBadArgumentsAndASecondWriterOfTheSameFields) {
  BridgePair pair;
  ASSERT_TRUE(pair.SegmentsValid());
  ASSERT_TRUE(pair.Start(true, "--bogus"));
  ASSERT_TRUE(pair.simBridge.WaitExit(5000));
  EXPECT_EQ(pair.simBridge.ExitCode(), 2);
  EXPECT_NE(pair.Output(true).find("unknown argument '--bogus'"), std::string::npos);

  // The simulation's side writes the station's fields: a station, or a second
  // bridge, on the same segment is refused.
  ASSERT_TRUE(pair.Start(true));
  ASSERT_TRUE(WaitFor([&] { return pair.Output(true).find("sends") != std::string::npos; }, 5000));
  process_test::ChildProcess second;
  ASSERT_TRUE(pair.Start(true, "", &second));
  ASSERT_TRUE(second.WaitExit(5000));
  EXPECT_EQ(second.ExitCode(), 1);
  EXPECT_NE(pair.Output(true, true).find("already writes the station's fields"), std::string::npos)
      << pair.Output(true, true);
  EXPECT_TRUE(pair.simBridge.Running());
}

TEST(BridgeProgramTest, SetUpMistakesAreNamedAtStart) {
  struct Case {
    const char* peer;
    const char* uri;  // CYCLONEDDS_URI
    int exitCode;
    const char* says;
  };
  const Case cases[] = {
      {"no-such-host.invalid", "", 2, "--peer no-such-host.invalid: the name does not resolve"},
      {"127.0.0.1", "<General><Interfaces><NetworkInterface address=\"127.0.0.1\"/></Interfaces></General>", 1,
       "--interface 127.0.0.1 conflicts with the network interface CYCLONEDDS_URI sets"},
  };
  test_support::UseUniqueShmPrefix();
  GenericSimShm segment;
  ASSERT_TRUE(segment.IsValid());
  const std::string log = std::string("/tmp/") + std::getenv("TARNEL_SHM_PREFIX") + "setup.log";
  for (const Case& c : cases) {
    process_test::ChildProcess bridge;
    ASSERT_TRUE(bridge.Start({process_test::BinPath("tarnel-bridge"), "--role", "station", "--domain", "231",
                              "--interface", "127.0.0.1", "--peer", c.peer},
                             {std::string("CYCLONEDDS_URI=") + c.uri}, log));
    ASSERT_TRUE(bridge.WaitExit(10000)) << c.says;
    EXPECT_EQ(bridge.ExitCode(), c.exitCode) << c.says;
    std::ifstream in(log);
    const std::string out((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(out.find(c.says), std::string::npos) << out;
  }
  std::remove(log.c_str());
}

}  // namespace
