// Departures of the air-conditioning, cargo air-conditioning, ventilation and
// cargo smoke panels from the common panel.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "panels/A330_AirPanel.h"
#include "panels/CargoAirConPanel.h"
#include "panels/CargoSmokePanel.h"
#include "panels/VentilationPanel.h"
#include "panels/tests/PanelHarness.h"

namespace {


// Clicks the middle of a switch's row of the given third (0 top, 1 middle, 2 bottom).
void ClickSwitch(PanelHarness& h, const SwitchClass& s, int third) {
  const platform::Rect r = s.GetRect();
  h.Click(1, (r.left + r.right) / 2, r.top + (r.bottom - r.top) * (2 * third + 1) / 6);
}

// Clicks the region of a knob that selects position p.
void ClickKnob(PanelHarness& h, const KnobClass& knob, int p) {
  platform::Rect r;
  knob.GetRegion(p, r);
  h.Click(1, knob.GetX() + (r.left + r.right) / 2, knob.GetY() + (r.top + r.bottom) / 2);
}

template <class Panel>
using PanelTest = PanelFixture<Panel>;

// ------------------------------------------------------------ air conditioning

class AirPanelTest : public PanelTest<CA330_AirPanel> {
 protected:
  void SetUp() override { Start("air"); }
};

TEST_F(AirPanelTest, KnobsInDisplayOnlyTakeOnlyTheirOwnPositions) {
  using K = CA330_AirPanel;
  P().SetDisplayOnly(true);
  SetOutI32(40, 3);  // knob C
  SetOutI32(28, 2);  // knob A
  h->Pass();
  ASSERT_EQ(P().KnobAt(K::kKnobC).GetPosition(), 3);
  for (int32_t bad : {9, -1, 8, INT32_MIN}) {
    SetOutI32(40, bad);
    h->Pass();
    EXPECT_EQ(P().KnobAt(K::kKnobC).GetPosition(), 3) << bad;
  }
  SetOutI32(40, 4);  // a position of knob C, none of knobs A and B
  SetOutI32(28, 4);
  SetOutI32(32, 4);
  h->Pass();
  EXPECT_EQ(P().KnobAt(K::kKnobC).GetPosition(), 4);
  EXPECT_EQ(P().KnobAt(K::kKnobA).GetPosition(), 2);
  EXPECT_EQ(P().KnobAt(K::kKnobB).GetPosition(), 0);
}

TEST_F(AirPanelTest, CoversBlockTheirButtonsAndLetClicksThroughOnceLifted) {
  for (int c = 0; c < 2; c++) {
    const int button = c == 0 ? 0 : 13;
    const int out = c == 0 ? 3 : 16;
    h->Click(1, P().Button(button));
    EXPECT_EQ(h->Out(out), 0) << c;  // closed from the start
    h->Click(2, P().Cover(c));
    ASSERT_FALSE(P().Cover(c).IsClosed());
    h->Click(1, P().Button(button));
    EXPECT_EQ(h->Out(out), 1) << c;
    h->Click(2, P().Cover(c));  // closed again: the button keeps its position
    h->Click(1, P().Button(button));
    EXPECT_EQ(h->Out(out), 1) << c;
  }
}

TEST_F(AirPanelTest, SwitchesWriteTwoFlagsAndTheSpringSwitchRestsInTheMiddle) {
  EXPECT_EQ(h->Out(17), 1);  // switch 0 starts up
  EXPECT_EQ(h->Out(18), 0);
  EXPECT_EQ(h->Out(19), 0);  // the spring switch at rest
  EXPECT_EQ(h->Out(20), 0);
  ClickSwitch(*h, P().Switch(0), 1);
  EXPECT_EQ(h->Out(17), 0);
  EXPECT_EQ(h->Out(18), 0);
  ClickSwitch(*h, P().Switch(0), 2);
  EXPECT_EQ(h->Out(18), 1);
  const platform::Rect r = P().Switch(1).GetRect();
  const int x = (r.left + r.right) / 2, y = r.top + (r.bottom - r.top) / 6;
  h->Mouse(1, x, y);
  int up = h->Out(19);
  h->Mouse(0, x, y);
  up += h->Out(19);
  while (h->Out(19) == 1 && up < 20) {
    h->Pass();
    up += h->Out(19);
  }
  EXPECT_EQ(up, 11);  // passes with the up flag, then back to the middle
  EXPECT_EQ(h->Out(20), 0);
}

TEST_F(AirPanelTest, KnobFieldsAndResetPositions) {
  for (int i = 0; i < CA330_AirPanel::kButtonCount; i++) EXPECT_EQ(h->Out(3 + i), 0) << i;
  const int fields[] = {40, 44, 24, 28, 32};  // knobs C, D, E, A, B
  for (int k = 0; k < CA330_AirPanel::kKnobCount; k++) {
    ClickKnob(*h, P().KnobAt(CA330_AirPanel::Knob(k)), 7);  // a position of every knob
    EXPECT_EQ(OutI32(fields[k]), 7) << k;
  }
  EXPECT_EQ(OutI32(36), 0);  // no knob's
  ClickSwitch(*h, P().Switch(0), 2);
  h->Click(1, P().Button(5));
  h->In(30) = 1;
  h->Pass();
  for (int i : {1, 2, 3, 4, 5, 6, 7}) EXPECT_EQ(h->Out(3 + i), 1) << i;
  EXPECT_EQ(h->Out(3 + 0), 0);
  EXPECT_EQ(h->Out(18), 1);  // switches and knobs keep their positions
  EXPECT_EQ(OutI32(28), 7);
}

TEST(AirPanelStart, SwitchesAndKnobsAreCreatedBeforeTheAreaIsChecked) {
  PanelHarness h(FindPanelFacts("air")->id);
  h.DetachArea();
  EXPECT_FALSE(h.Manager().InitialisePanels("/nonexistent"));
  EXPECT_STREQ(h.Manager().GetErrorText(), "CA330_AirPanel::Initialise --> Unable to set up switches");
  EXPECT_FALSE(static_cast<CA330_AirPanel&>(h.Panel()).IsReady());
}

// ---------------------------------------------------- cargo air conditioning

class CargoAirTest : public PanelTest<CCargoAirConPanel> {
 protected:
  void SetUp() override { Start("cargo-air"); }
};

TEST_F(CargoAirTest, ResetPutsAllFourButtonsInAndLeavesTheKnobs) {
  ClickKnob(*h, P().Knob(0), 7);
  EXPECT_EQ(OutI32(8), 7);
  h->Manager().ResetAll();
  for (int i = 0; i < 4; i++) EXPECT_EQ(h->Out(3 + i), 1) << i;
  EXPECT_EQ(OutI32(8), 7);
  h->Click(1, P().Button(2));  // set by the reset: one click brings it out
  EXPECT_EQ(h->Out(5), 0);
}

// ------------------------------------------------------------------ ventilation

class VentilationTest : public PanelTest<CVentilationPanel> {};

TEST_F(VentilationTest, ButtonZeroIsAlwaysInOnlyInTheA330LayoutAndResetPositions) {
  Start("ventilation", 9);
  EXPECT_EQ(h->Out(3), 1);
  h->Press(1, P().Button(0));
  EXPECT_EQ(h->Out(3), 1);
  h->Press(0, P().Button(0));
  h->Pass();
  EXPECT_EQ(h->Out(3), 1);
  EXPECT_TRUE(h->AnyPixel(P().Button(2)));

  Start("ventilation", 12);
  EXPECT_EQ(h->Panel().OutputBlock().Offset(), 0x1F05Cu);
  EXPECT_EQ(P().Button(0).GetX(), 1567 + 38);
  EXPECT_EQ(h->Out(3), 0);
  h->Click(1, P().Button(0));
  EXPECT_EQ(h->Out(3), 1);
  h->Click(1, P().Button(0));
  EXPECT_EQ(h->Out(3), 0);
  EXPECT_FALSE(h->AnyPixel(P().Button(2)));  // processed, never drawn
  h->Click(1, P().Button(2));
  EXPECT_EQ(h->Out(5), 1);
  h->In(10) = 1;  // reset: buttons 1 and 2 out, 3 in
  h->Pass();
  EXPECT_EQ(h->Out(5), 0);
  EXPECT_EQ(h->Out(6), 1);
}

// ------------------------------------------------------------------ cargo smoke

class CargoSmokeTest : public PanelTest<CCargoSmokePanel> {
 protected:
  void SetUp() override { Start("cargo-smoke"); }
};

TEST_F(CargoSmokeTest, BottleIsAlwaysInAndTestOnlyWhileHeld) {
  EXPECT_EQ(h->Out(5), 1);
  h->Press(1, P().Button(CCargoSmokePanel::kBottleButton));
  EXPECT_EQ(h->Out(5), 1);
  h->Press(0, P().Button(CCargoSmokePanel::kBottleButton));
  EXPECT_EQ(h->Out(5), 1);
  h->Press(1, P().Button(CCargoSmokePanel::kTestButton));
  EXPECT_EQ(h->Out(6), 1);
  h->Pass();
  EXPECT_EQ(h->Out(6), 1);
  h->Press(0, P().Button(CCargoSmokePanel::kTestButton));
  EXPECT_EQ(h->Out(6), 0);
}

TEST_F(CargoSmokeTest, CoversBlockTheDischargeButtonsInTheSamePass) {
  h->Click(1, P().Button(0));
  EXPECT_EQ(h->Out(3), 0);
  h->Click(2, P().Cover(0));
  h->Click(1, P().Button(0));
  EXPECT_EQ(h->Out(3), 1);
  EXPECT_EQ(h->Out(4), 0);  // the other cover is still closed
  h->In(10) = 1;            // reset: both out
  h->Pass();
  EXPECT_EQ(h->Out(3), 0);
}

}  // namespace
