// The demonstration simulation's model against the station's own panels,
// headless: a cockpit manager on the generated art shares one memory area
// with the model, the test clicks as an operator would, and the model's
// answers must reach the panels within a few iterations.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <set>
#include <vector>

#include "panels/PanelInterface.h"
#include "panels/tests/PanelHarness.h"
#include "tools/DemoSimulation.h"

namespace {

class DemoSimulationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char error[256] = "";
    ASSERT_TRUE(demo_.Build(error, sizeof error)) << error;
  }

  void Start(const char* key) {
    h_ = std::make_unique<PanelHarness>(FindPanelFacts(key)->id);
    ASSERT_TRUE(h_->Start()) << h_->Error();
  }

  // One station iteration with this panel's rotation pass, then a model step.
  void Iterate(int count = 1) {
    for (int i = 0; i < count; i++) {
      demo_.Step(h_->Area().data(), step_++);
      h_->Pass();
    }
  }

  uint8_t& At(const char* key, const char* name) {
    const PanelFacts& facts = *FindPanelFacts(key);
    InterfaceField f;
    EXPECT_TRUE(FindPanelField(facts, kLayoutA330, facts.unit >= 0 ? facts.unit : 0, name, &f)) << name;
    return h_->Area()[f.offset];
  }
  float F32(const char* key, const char* name) {
    float v;
    std::memcpy(&v, &At(key, name), sizeof v);
    return v;
  }

  DemoSimulation demo_;
  std::unique_ptr<PanelHarness> h_;
  uint32_t step_ = 0;
};

// Every push button with a lower lamp, clicked in the station, shows that
// lamp lit within three iterations, and dark again after the next click.
TEST_F(DemoSimulationTest, ClickedButtonsLightTheirLowerLampWithinAFewIterations) {
  EXPECT_GT(demo_.ButtonLampCount(), 60);
  for (const char* key : {"fuel", "hydraulic", "oxygen", "adiru", "flight-control-2", "ventilation"}) {
    SCOPED_TRACE(key);
    Start(key);
    const PanelTables& t = *FindPanelFacts(key)->tables;
    const PanelControls& c = h_->Panel().Controls();
    for (const GuardedButton& cover : c.covers) h_->Click(2, cover);
    for (const GuardedCover& plate : c.plates) h_->Click(2, plate);
    int checked = 0;
    for (size_t i = 0; i < t.buttons.size(); i++) {
      const PushButtonRow& row = t.buttons[i];
      if (row.lowerLamp == kNoField || row.output == kNoField || row.momentary || row.singleLamp) continue;
      if (row.IsForcedIn(kLayoutA330)) continue;
      SCOPED_TRACE(i);
      Iterate();
      const bool wasIn = h_->Out(row.output) != 0;
      ASSERT_EQ(h_->In(row.lowerLamp), wasIn ? 1 : 0);
      h_->Click(1, c.buttons[i]);
      ASSERT_NE(h_->Out(row.output) != 0, wasIn);
      Iterate(3);
      EXPECT_EQ(h_->In(row.lowerLamp), wasIn ? 0 : 1);
      // Lit lower lamp alone: light code 1.
      if (!wasIn && h_->In(row.upperLamp) == 0) {
        EXPECT_EQ(c.buttons[i].GetLightCode(), 1);
      }
      checked++;
    }
    EXPECT_GT(checked, 0);
  }
}

TEST_F(DemoSimulationTest, AnnLtInTestLightsEveryLampTestAndTheScriptFailsAndClearsFaults) {
  Start("light-switches");
  uint8_t& fuelTest = At("fuel", "lamp test");
  uint8_t& rmpTest = At("rmp", "lamp test");
  Iterate();
  EXPECT_EQ(fuelTest, 0);
  // Every switch stands down after start: clicks on its top region bring ANN LT up (TEST).
  const SwitchClass& ann = h_->Panel().Controls().switches[9];
  const platform::Rect top = ann.GetRegion(SwitchClass::kRegionTop);
  for (int i = 0; i < 3 && At("light-switches", "ANN LT switch up") == 0; i++) {
    h_->Click(1, ann.GetX() + (top.left + top.right) / 2, ann.GetY() + (top.top + top.bottom) / 2);
    Iterate();
  }
  Iterate();
  ASSERT_EQ(At("light-switches", "ANN LT switch up"), 1);
  EXPECT_EQ(fuelTest, 1);
  EXPECT_EQ(rmpTest, 1);

  // A fault lamp of the script: lit inside its window of the cycle only.
  uint8_t& fault = At("hydraulic", "button 1 upper lamp");
  step_ = 2 * DemoSimulation::kStepsPerSecond;
  Iterate();
  EXPECT_EQ(fault, 0);
  step_ = 5 * DemoSimulation::kStepsPerSecond;
  Iterate();
  EXPECT_EQ(fault, 1);
  step_ = 45 * DemoSimulation::kStepsPerSecond;  // the next cycle
  Iterate();
  EXPECT_EQ(fault, 1);
}

TEST_F(DemoSimulationTest, ElectricalDisplayShowsAPlausibleValueInEachSelectorPosition) {
  Start("electrical");
  Iterate();
  for (const char* name : {"value 0", "value 1", "value 2"}) {
    const float v = F32("electrical", name);
    EXPECT_TRUE(v > 20.0f && v < 30.0f) << name << " " << v;
  }
}

// XFR: the standby becomes the active frequency, the transfer is
// acknowledged, and the acknowledge falls once the request has.
TEST_F(DemoSimulationTest, RadioTransferSwapsActiveAndStandbyWithAnAcknowledge) {
  Start("rmp");
  Iterate(2);
  EXPECT_EQ(At("rmp", "power"), At("rmp", "ON/OFF switch up"));
  EXPECT_FLOAT_EQ(F32("rmp", "VHF1 active frequency"), 118.7f);
  auto& rmp = static_cast<CA330_Rmp&>(h_->Panel());
  h_->Click(1, rmp.Key(CA330_Rmp::kVhf1));
  Iterate();
  const float standby = rmp.Comm(0).real;
  ASSERT_NE(standby, 118.7f);
  h_->Click(1, rmp.Key(CA330_Rmp::kTransfer));
  Iterate();
  EXPECT_FLOAT_EQ(F32("rmp", "VHF1 active frequency"), standby);
  Iterate(3);
  EXPECT_EQ(At("rmp", "communication transfer request"), 0);
  EXPECT_EQ(At("rmp", "transfer acknowledge"), 0);
  EXPECT_NEAR(rmp.Comm(0).real, 118.7f, 0.001f);  // the old active is the standby now
}

// Whatever the station's fields hold, the model writes only fields the
// declarations give to the simulation, and keeps running.
TEST_F(DemoSimulationTest, HostileStationFieldsLeaveTheModelSoundAndInItsOwnFields) {
  std::set<uint32_t> simulation;
  VisitInterface(
      nullptr,
      [](const InterfaceField& f, void* context) {
        for (uint32_t b = 0; f.writer == FieldWriter::kSimulation && b < FieldWidth(f.type); b++) {
          static_cast<std::set<uint32_t>*>(context)->insert(f.offset + b);
        }
        return true;
      },
      &simulation);
  std::vector<uint8_t> area(generic_area::kSize);
  std::mt19937 random(7);
  for (uint8_t& b : area) b = uint8_t(random());
  for (uint32_t step = 0; step < 2000; step += 37) {
    for (uint32_t at = 0x12380; at < 0x127E0; at++) area[at] = uint8_t(random());  // output blocks
    const std::vector<uint8_t> noisy = area;
    demo_.Step(area.data(), step);
    for (uint32_t at = 0; at < area.size(); at++) {
      if (simulation.count(at) == 0) {
        ASSERT_EQ(area[at], noisy[at]) << "byte 0x" << std::hex << at;
      }
    }
  }
}

}  // namespace
