// The light switch panel's departures: its layout from the aircraft type
// argument, switches down at start, outputs placed by control number, the
// forced and momentary buttons, switch 6 hidden in the A330 layout, and the
// cockpit reset positions.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "panels/A330_LtSwPanel.h"
#include "panels/tests/PanelHarness.h"

namespace {

class LightSwitchPanel : public ::testing::Test {
 protected:
  CA330_LtSwPanel& P() { return static_cast<CA330_LtSwPanel&>(h->Panel()); }
  void Make() { h = std::make_unique<PanelHarness>(FindPanelFacts("light-switches")->id); }
  void Start(int32_t type = 8) {
    Make();
    ASSERT_TRUE(h->Start(type)) << h->Error();
  }
  void ClickRegion(int i, int region) {
    const SwitchClass& s = P().Switch(i);
    const platform::Rect r = s.GetRegion(region);
    h->Click(1, s.GetX() + (r.left + r.right) / 2, s.GetY() + (r.top + r.bottom) / 2);
  }
  std::unique_ptr<PanelHarness> h;
};

TEST_F(LightSwitchPanel, TypesOutsideBothLayoutsFailWithoutAMessage) {
  for (int32_t type : {6, 14}) {
    Make();
    h->DetachArea();  // the type is looked at first
    EXPECT_FALSE(h->Start(type));
    EXPECT_STREQ(h->Error(), "") << type;
  }
}

TEST_F(LightSwitchPanel, StartsWithEverySwitchDownAndTheForcedButtonIn) {
  for (int32_t type : {8, 11}) {
    Start(type);
    const uint32_t output = type == 8 ? 0x12395u : 0x1EFACu;
    EXPECT_EQ(h->Panel().OutputBlock().Offset(), output);
    EXPECT_EQ(h->Panel().InputBlock().Offset(), type == 8 ? 0x12094u : 0x1EC8Du);
    for (int n = 0; n < CA330_LtSwPanel::kSwitchCount; n++) {
      EXPECT_EQ(P().Switch(n).GetState(), 2) << n;
      EXPECT_EQ(h->Area()[output + 6 + 2 * n], 0) << n;
      EXPECT_EQ(h->Area()[output + 7 + 2 * n], 1) << n;
    }
    EXPECT_EQ(h->Area()[output + 5], 1);
  }
}

TEST_F(LightSwitchPanel, EachSwitchWritesThePairOfItsControlNumber) {
  Start();
  for (int n = 0; n < CA330_LtSwPanel::kSwitchCount; n++) {
    ClickRegion(n, SwitchClass::kRegionTop);
    for (int m = 0; m < CA330_LtSwPanel::kSwitchCount; m++) {
      const bool up = m <= n;
      EXPECT_EQ(h->Out(6 + 2 * m), up ? 1 : 0) << "after switch " << n << ", switch " << m;
      EXPECT_EQ(h->Out(7 + 2 * m), up ? 0 : 1) << "after switch " << n << ", switch " << m;
    }
  }
}

TEST_F(LightSwitchPanel, SwitchSixIsProcessedInBothLayoutsButDrawnOnlyInTheA320) {
  for (int32_t type : {8, 12}) {
    Start(type);
    EXPECT_EQ(h->AnyPixel(P().Switch(6)), type == 12) << type;
    EXPECT_TRUE(h->AnyPixel(P().Switch(5)));
    ClickRegion(6, SwitchClass::kRegionTop);
    EXPECT_EQ(h->Out(18), 1) << type;
    EXPECT_EQ(h->Out(19), 0) << type;
  }
}

TEST_F(LightSwitchPanel, ButtonsByControlNumberWithForcedAndMomentaryOnes) {
  Start();
  h->Click(1, P().Button(0));
  EXPECT_EQ(h->Out(3), 1);
  h->Press(1, P().Button(1));
  EXPECT_EQ(h->Out(4), 1);
  h->Press(0, P().Button(1));
  EXPECT_EQ(h->Out(4), 0);
  h->Press(1, P().Button(2));
  EXPECT_EQ(h->Out(5), 0);  // the pass that clicked it out
  h->Press(0, P().Button(2));
  EXPECT_EQ(h->Out(5), 1);
}

TEST_F(LightSwitchPanel, CockpitResetSetsTheDefaultPositions) {
  Start();
  h->Manager().ResetAll();
  const int expected[CA330_LtSwPanel::kSwitchCount] = {0, 0, 0, 0, 2, 2, 2, 2, 0, 0, 1, 0, 0, 2, 2};
  for (int n = 0; n < CA330_LtSwPanel::kSwitchCount; n++) {
    EXPECT_EQ(P().Switch(n).GetState(), expected[n]) << n;
    EXPECT_EQ(h->Out(6 + 2 * n), expected[n] == 0 ? 1 : 0) << n;
    EXPECT_EQ(h->Out(7 + 2 * n), expected[n] == 2 ? 1 : 0) << n;
  }
  EXPECT_EQ(h->Out(3), 1);
  EXPECT_EQ(h->Out(5), 1);
}

}  // namespace
