// The example simulation on Fast DDS against tarnel-bridge --role station on
// a station segment this test writes, over loopback: both directions cross,
// a late joiner on either side gets the current state within 1 s, and a side
// killed outright is reported by the other within 4 s.
#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "bridge/tests/BridgePair.h"
#include "panels/A330_Oxygen.h"

namespace {

using bridge_test::BridgePair;
using Clock = std::chrono::steady_clock;
using process_test::WaitFor;

// Generous for sanitizer builds and a busy machine; the contract's figures
// are 1 s and 4 s.
#if defined(__SANITIZE_ADDRESS__)
constexpr int kSlackMs = 1500;
#else
constexpr int kSlackMs = 0;
#endif

const uint32_t kButton0 = kOxygenTables.a330.output + uint32_t(kOxygenTables.buttons[0].output);
const uint32_t kButton3 = kOxygenTables.a330.output + uint32_t(kOxygenTables.buttons[3].output);
const uint32_t kLowerLamp0 = kOxygenTables.a330.input + uint32_t(kOxygenTables.buttons[0].lowerLamp);
const uint32_t kLowerLamp3 = kOxygenTables.a330.input + uint32_t(kOxygenTables.buttons[3].lowerLamp);

long MsSince(Clock::time_point start) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
}

class FastDdsInterop : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pair_.SegmentsValid());
    // The field list the example reads, as a sim team would make it.
    bool described = false;
    for (const char* format : {"--csv", "--format=csv"}) {
      process_test::ChildProcess describe;
      ASSERT_TRUE(describe.Start({process_test::BinPath("tarnel-shm"), "describe", format}, {}, fields_));
      ASSERT_TRUE(describe.WaitExit(10000));
      described = described || describe.ExitCode() == 0;
      if (described) break;
    }
    ASSERT_TRUE(described);
  }
  void TearDown() override {
    sim_.Stop();
    std::remove(fields_.c_str());
    std::remove(simLog_.c_str());
  }
  bool StartSim() {
    return sim_.Start({process_test::BinPath("tarnel-fastdds-sim"), "--fields", fields_, "--domain",
                       std::to_string(pair_.Domain()), "--peer", "127.0.0.1"},
                      {}, simLog_);
  }
  std::string SimOutput() const {
    std::ifstream in(simLog_);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool SimSays(const std::string& text, int timeoutMs, size_t from = 0) {
    return WaitFor([&] { return SimOutput().find(text, from) != std::string::npos; }, timeoutMs);
  }
  // A line "fastdds-sim: oxygen <name of button n> position: in" (the name
  // as describe gives it).
  bool SimSaysPushed(int button, int timeoutMs) {
    const std::string tag = "button " + std::to_string(button);
    const std::string tail = " position: in";
    return WaitFor(
        [&] {
          std::istringstream lines(SimOutput());
          for (std::string line; std::getline(lines, line);) {
            if (line.rfind("fastdds-sim: oxygen ", 0) == 0 && line.find(tag + " ") != std::string::npos &&
                line.size() > tail.size() && line.compare(line.size() - tail.size(), tail.size(), tail) == 0) {
              return true;
            }
          }
          return false;
        },
        timeoutMs);
  }

  BridgePair pair_;
  process_test::ChildProcess sim_;
  const std::string fields_ = "/tmp/" + pair_.StationPrefix() + "fields.csv";
  const std::string simLog_ = "/tmp/" + pair_.StationPrefix() + "fastdds-sim.log";
};

TEST_F(FastDdsInterop, BothDirectionsLateJoinersAndLossesCross) {
  uint8_t* station = pair_.StationBase();
  BridgePair::Put<uint8_t>(station, kButton3, 1);
  ASSERT_TRUE(pair_.Start(false));
  ASSERT_TRUE(WaitFor([&] { return pair_.Output(false).find("announces") != std::string::npos; }, 10000));

  // The simulation joins late (from the moment its reader and writer exist):
  // it hears the pushed-in button 3 and lights its lower lamp in the
  // station's segment.
  ASSERT_TRUE(StartSim());
  ASSERT_TRUE(SimSays("running in DDS domain", 10000)) << SimOutput();
  Clock::time_point start = Clock::now();
  ASSERT_TRUE(SimSaysPushed(3, 5000)) << SimOutput() << pair_.Output(false);
  EXPECT_LE(MsSince(start), 1000 + kSlackMs) << "the late simulation side waited for the station's state";
  EXPECT_TRUE(WaitFor([&] { return station[kLowerLamp3] == 1; }, 1000 + kSlackMs)) << pair_.Output(false);

  // A push now crosses to the simulation and its lamp comes back.
  start = Clock::now();
  BridgePair::Put<uint8_t>(station, kButton0, 1);
  EXPECT_TRUE(SimSaysPushed(0, 2000)) << SimOutput();
  EXPECT_TRUE(WaitFor([&] { return station[kLowerLamp0] == 1; }, 2000));
  EXPECT_LE(MsSince(start), 500 + kSlackMs);
  BridgePair::Put<uint8_t>(station, kButton0, 0);
  EXPECT_TRUE(WaitFor([&] { return station[kLowerLamp0] == 0; }, 2000));

  // The bridge is killed: the simulation reports it within 4 s.
  start = Clock::now();
  pair_.stationBridge.Stop(SIGKILL);
  pair_.StationSegment().RemoveUserFor();
  EXPECT_TRUE(SimSays("lost the station side", 4000 + kSlackMs)) << SimOutput();

  // The bridge joins late: the simulation's lamp reaches the station within 1 s.
  BridgePair::Put<uint8_t>(station, kLowerLamp3, 0);
  ASSERT_TRUE(pair_.Start(false));
  ASSERT_TRUE(WaitFor([&] { return pair_.Output(false).find("announces") != std::string::npos; }, 10000));
  start = Clock::now();
  EXPECT_TRUE(WaitFor([&] { return station[kLowerLamp3] == 1; }, 1000 + kSlackMs)) << pair_.Output(false);
  EXPECT_TRUE(
      WaitFor([&] { return pair_.Output(false).find("simulation side is connected") != std::string::npos; }, 2000));

  // The simulation is killed: the bridge reports it within 4 s.
  ASSERT_TRUE(SimSays("station side is connected", 3000, SimOutput().find("lost the station side")));
  start = Clock::now();
  sim_.Stop(SIGKILL);
  EXPECT_TRUE(WaitFor([&] { return pair_.Output(false).find("lost the simulation side") != std::string::npos; },
                      4000 + kSlackMs))
      << pair_.Output(false);
  EXPECT_EQ(station[kLowerLamp3], 1);  // the last state stays
}

}  // namespace
