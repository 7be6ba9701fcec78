// The fire panels' departures: the fire guards' geometry, guards that keep
// clicks from the fire buttons, and the momentary single-lamp test buttons.
#include <gtest/gtest.h>

#include "panels/A330_ApuFirePanel.h"
#include "panels/A330_EngFirePanel.h"
#include "panels/tests/PanelHarness.h"

namespace {

class EngineFireTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.Start()) << h.Error(); }
  CEngFirePanel& Fire() { return static_cast<CEngFirePanel&>(h.Panel()); }
  PanelHarness h{FindPanelFacts("engine-fire")->id};
};

TEST_F(EngineFireTest, FireGuardSpansTheButtonAndItsHoodAndKeepsClicksFromItUntilLifted) {
  const CButtonClass& fire = Fire().Button(CEngFirePanel::kFireButtons[0]);
  const GuardedButton& guard = Fire().Guard(0);
  const platform::Rect r = guard.GetGuardRect();
  EXPECT_EQ(r.left, fire.GetX());
  EXPECT_EQ(r.top, fire.GetY() - 20);
  EXPECT_EQ(r.right, fire.GetX() + 106);
  EXPECT_EQ(r.bottom, fire.GetY() + 45);
  EXPECT_EQ(guard.GetPartPosition(GuardedButton::kOpenBottom).y, fire.GetY() + 20);
  EXPECT_FALSE(guard.GetGeometry().flag1 || guard.GetGeometry().flag2);
  h.Click(1, fire);
  EXPECT_EQ(h.Out(7), 0);
  h.Click(2, fire.GetX() + 50, fire.GetY() - 10);  // on the hood, above the button
  ASSERT_FALSE(guard.IsClosed());
  h.Click(1, fire);
  EXPECT_EQ(h.Out(7), 1);
  h.Click(1, Fire().Button(CEngFirePanel::kFireButtons[1]));
  EXPECT_EQ(h.Out(8), 0);  // the other guard is still closed
}

TEST_F(EngineFireTest, TestButtonIsMomentaryAndLitOnlyByTheLampTest) {
  const CButtonClass& test = Fire().Button(CEngFirePanel::kTestButton);
  h.Press(1, test);
  EXPECT_EQ(h.Out(9), 1);
  h.Pass();
  EXPECT_EQ(h.Out(9), 1);  // held
  h.Press(0, test);
  EXPECT_EQ(h.Out(9), 0);
  h.In(12) = 1;
  h.Pass();
  EXPECT_EQ(test.GetLightCode(), 3);
  h.In(14) = 1;
  h.Pass();
  EXPECT_EQ(test.GetLightCode(), 0);
  h.In(14) = 0;
  Fire().SetDisplayOnly(true);
  h.Pass();
  EXPECT_EQ(test.GetLightCode(), 0);  // its display-only lamp is +12
}

TEST(ApuFire, GuardKeepsClicksFromTheFireButtonAndTheTestButtonIsMomentary) {
  PanelHarness h(FindPanelFacts("apu-fire")->id);
  ASSERT_TRUE(h.Start()) << h.Error();
  auto& apu = static_cast<CApuFirePanel&>(h.Panel());
  const CButtonClass& fire = apu.Button(CApuFirePanel::kFireButton);
  EXPECT_EQ(apu.Guard().GetGuardRect().top, fire.GetY() - 20);
  h.Click(1, fire);
  EXPECT_EQ(h.Out(5), 0);
  h.Click(2, apu.Guard());
  h.Click(1, fire);
  EXPECT_EQ(h.Out(5), 1);
  const CButtonClass& test = apu.Button(CApuFirePanel::kTestButton);
  h.In(0) = 1;  // its lamp only in display-only mode
  h.Press(1, test);
  EXPECT_EQ(h.Out(3), 1);
  EXPECT_EQ(test.GetLightCode(), 3);
  h.Press(0, test);
  EXPECT_EQ(h.Out(3), 0);
}

}  // namespace
