// The bridge against peers that break the rules: a second bridge of the same
// role on the domain, and a participant that floods the topic with samples
// of unknown areas and with more fields than a sample may carry.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "bridge/tests/BridgePair.h"
#include "bridge/tests/HostilePeer.h"
#include "panels/A330_Oxygen.h"
#include "panels/PanelCatalogue.h"

namespace {

using bridge_test::BridgePair;
using process_test::WaitFor;

const uint32_t kOxygenLamp0 = kOxygenTables.a330.input + uint32_t(kOxygenTables.buttons[0].upperLamp);

size_t Count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = 0; (at = text.find(what, at)) != std::string::npos; at += what.size()) n++;
  return n;
}

TEST(BridgeHostilePeer, ASecondSideOfOneRoleIsReportedOnceAndIgnoredUntilTheFirstIsLost) {
  BridgePair pair;
  ASSERT_TRUE(pair.SegmentsValid());
  ASSERT_TRUE(pair.StartBoth());
  ASSERT_TRUE(pair.WaitConnected(15000)) << pair.Output(true) << pair.Output(false);
  BridgePair::Put<uint8_t>(pair.SimBase(), kOxygenLamp0, 1);
  ASSERT_TRUE(WaitFor([&] { return BridgePair::Get<uint8_t>(pair.StationBase(), kOxygenLamp0) == 1; }, 5000));

  // A second simulation side, on a segment of its own, lights the lamp with 2.
  const std::string prefix = test_support::UseUniqueShmPrefix();
  GenericSimShm other;
  ASSERT_TRUE(other.IsValid());
  BridgePair::Put<uint8_t>(other.GetBase(), kOxygenLamp0, 2);
  const std::string log = "/tmp/" + prefix + "bridge.log";
  process_test::ChildProcess second;
  ASSERT_TRUE(pair.StartOn(true, prefix, second, log));
  ASSERT_TRUE(WaitFor([&] { return pair.Output(false).find("a second simulation side") != std::string::npos; }, 10000))
      << pair.Output(false);
  // Both identities are named.
  const std::string station = pair.Output(false);
  const std::string line = station.substr(station.find("a second simulation side"));
  EXPECT_EQ(Count(line.substr(0, line.find('\n')), "role=sim instance="), 2u) << line;
  // The repeats of the second side do not reach the station's segment.
  std::this_thread::sleep_for(std::chrono::milliseconds(2500));
  EXPECT_EQ(BridgePair::Get<uint8_t>(pair.StationBase(), kOxygenLamp0), 1);

  // The first one is killed: lost within 4 s, and the second takes over.
  const auto killed = std::chrono::steady_clock::now();
  pair.simBridge.Stop(SIGKILL);
  pair.SimSegment().RemoveUserFor();
  ASSERT_TRUE(WaitFor([&] { return pair.Output(false).find("lost the simulation side") != std::string::npos; }, 6000));
  EXPECT_LE(std::chrono::steady_clock::now() - killed, std::chrono::milliseconds(4000));
  EXPECT_TRUE(WaitFor([&] { return BridgePair::Get<uint8_t>(pair.StationBase(), kOxygenLamp0) == 2; }, 3000));
  EXPECT_NE(pair.Output(false).find("taking over from the lost"), std::string::npos) << pair.Output(false);
  EXPECT_EQ(Count(pair.Output(false), "a second simulation side"), 1u);
  second.Stop(SIGTERM);
  std::remove(log.c_str());
}

TEST(BridgeHostilePeer, FloodsOfUnknownAreasAndOversizedSamplesAreReportedOnce) {
  BridgePair pair;
  ASSERT_TRUE(pair.SegmentsValid());
  ASSERT_TRUE(pair.Start(false));
  bridge_test::HostilePeer peer;
  ASSERT_TRUE(peer.Open(pair.Domain(), DdsLink::kSimTopic, true));
  ASSERT_TRUE(peer.WaitMatched(15000)) << pair.Output(false);
  const int32_t oxygen = FindPanelFacts("oxygen")->id;
  for (int i = 0; i < 2000; i++) {
    ASSERT_TRUE(peer.Write(oxygen, 513, kOxygenLamp0, 3));
    ASSERT_TRUE(peer.Write(100000 + i, 1, kOxygenLamp0, 3, true));
  }
  // A sample within the rules still lands (in the second encoding).
  ASSERT_TRUE(peer.Write(oxygen, 1, kOxygenLamp0, 1));
  EXPECT_TRUE(WaitFor([&] { return BridgePair::Get<uint8_t>(pair.StationBase(), kOxygenLamp0) == 1; }, 10000))
      << pair.Output(false);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  const std::string out = pair.Output(false);
  EXPECT_EQ(Count(out, "areas this side does not know"), 1u) << out;
  // The oversized samples: refused, and told at most once.
  EXPECT_LE(Count(out, "\n"), 4u) << out;
  EXPECT_EQ(BridgePair::Get<uint8_t>(pair.StationBase(), kOxygenLamp0), 1);
}

}  // namespace
