// The fuel and fuel jettison panels' departures: presets written at
// initialisation or by the next pass, the reset before the preset, the switch
// created first, and the guarded buttons latched by the preset.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "panels/A330_FuelJeterson.h"
#include "panels/A330_FuelPanel.h"
#include "panels/tests/PanelHarness.h"

namespace {

std::vector<uint8_t> Bytes(PanelHarness& h, int first, int last) {
  std::vector<uint8_t> bytes;
  for (int i = first; i <= last; i++) bytes.push_back(h.Out(i));
  return bytes;
}

class FuelPanelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.Start()) << h.Error(); }
  CA330_FuelPanel& Fuel() { return static_cast<CA330_FuelPanel&>(h.Panel()); }
  PanelHarness h{FindPanelFacts("fuel")->id};
};

TEST_F(FuelPanelTest, StartUpPresetPutsTheTransferAndCrossFeedButtonsIn) {
  //                                    0  1  2  3  4  5  6  7  8  9 10 11
  EXPECT_EQ(Bytes(h, 3, 14), (std::vector<uint8_t>{0, 0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0}));
  EXPECT_EQ(Bytes(h, 15, 16), (std::vector<uint8_t>{0, 0}));  // switch in the middle
  // Latched: one click on button 7 brings it out.
  h.Click(1, Fuel().Button(7));
  EXPECT_EQ(h.Out(10), 0);
}

TEST_F(FuelPanelTest, BothRequestsRunTheResetFirstThenThePresetAndButtonSixKeepsItsState) {
  h.Click(1, Fuel().Button(CA330_FuelPanel::kKeptButton));
  ASSERT_EQ(h.Out(9), 1);
  const platform::Rect down = Fuel().Selector().GetRegion(SwitchClass::kRegionBottom);
  h.Click(1, Fuel().Selector().GetX() + (down.left + down.right) / 2,
          Fuel().Selector().GetY() + (down.top + down.bottom) / 2);
  ASSERT_EQ(h.Out(16), 1);
  h.In(25) = 0xFF;  // any non-zero value is a request
  h.In(26) = 1;
  h.Pass();
  EXPECT_EQ(Bytes(h, 3, 14), (std::vector<uint8_t>{0, 0, 1, 0, 0, 1, 1, 1, 1, 1, 1, 1}));
  EXPECT_EQ(Bytes(h, 15, 16), (std::vector<uint8_t>{0, 0}));
}

TEST_F(FuelPanelTest, CoverKeepsClicksFromTheCrossFeedButtonUntilLifted) {
  const CButtonClass& crossFeed = Fuel().Button(CA330_FuelPanel::kCoveredButton);
  h.Click(1, crossFeed);
  EXPECT_EQ(h.Out(11), 1);  // still in from the preset
  h.Click(2, Fuel().Cover());
  ASSERT_FALSE(Fuel().Cover().IsClosed());
  h.Click(1, crossFeed);
  EXPECT_EQ(h.Out(11), 0);
}

TEST_F(FuelPanelTest, CockpitResetWritesAtOnceButNotInDisplayOnlyMode) {
  h.Manager().ResetAll();
  EXPECT_EQ(Bytes(h, 3, 14), (std::vector<uint8_t>{1, 1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1}));
  h.Click(1, Fuel().Button(0));
  Fuel().SetDisplayOnly(true);
  const std::vector<uint8_t> before = h.Area();
  h.Manager().ResetAll();  // another writer owns the block while it is only shown
  EXPECT_TRUE(h.Area() == before);
}

TEST(FuelPanelStart, TheSwitchIsCreatedBeforeTheButtons) {
  PanelHarness h(FindPanelFacts("fuel")->id);
  EXPECT_FALSE(h.Manager().InitialisePanels("/nonexistent"));
  EXPECT_NE(std::string(h.Manager().GetErrorText()).find("RoundSw"), std::string::npos) << h.Error();
}

class FuelJettisonTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.Start()) << h.Error(); }
  CA330_FuelJeterson& Jettison() { return static_cast<CA330_FuelJeterson&>(h.Panel()); }
  PanelHarness h{FindPanelFacts("fuel-jettison")->id};
};

TEST_F(FuelJettisonTest, PresetReachesTheBlockOnTheFirstPassAndIsLatched) {
  PanelHarness fresh(FindPanelFacts("fuel-jettison")->id);
  ASSERT_TRUE(fresh.Manager().InitialisePanels(fresh.Folder().c_str()));
  EXPECT_EQ(Bytes(fresh, 3, 6), (std::vector<uint8_t>{0, 0, 0, 0}));  // nothing written by Initialise
  EXPECT_EQ(Bytes(h, 3, 6), (std::vector<uint8_t>{1, 1, 0, 0}));
  h.Click(2, Jettison().Guarded(0));
  h.Click(1, Jettison().Guarded(0).Button());
  EXPECT_EQ(h.Out(3), 0);  // one click brings a preset button out
}

TEST_F(FuelJettisonTest, HeldResetPutsArmAndActiveOutAtTheStartOfEveryPass) {
  h.Click(2, Jettison().Guarded(2));
  h.Click(1, Jettison().Guarded(2).Button());
  ASSERT_EQ(h.Out(5), 1);
  h.In(10) = 1;
  h.Pass();
  EXPECT_EQ(h.Out(5), 0);
  h.Press(1, Jettison().Guarded(2).Button());
  EXPECT_EQ(h.Out(5), 1);  // in for the pass of the press only
  h.Press(0, Jettison().Guarded(2).Button());
  EXPECT_EQ(h.Out(5), 0);
  EXPECT_EQ(Bytes(h, 3, 4), (std::vector<uint8_t>{1, 1}));
}

}  // namespace
