// The manual engine start panel's departures: the second pair that exists
// only while input +0 is set, the N1 MODE light on change, the A320 shift
// and its reset.
#include <gtest/gtest.h>

#include "panels/A330_ManEngPanel.h"
#include "panels/tests/PanelHarness.h"

namespace {

class ManualStartTest : public ::testing::Test {
 protected:
  void Start(int32_t type = 9) { ASSERT_TRUE(h.Start(type)) << h.Error(); }
  CManEngPanel& Panel() { return static_cast<CManEngPanel&>(h.Panel()); }
  PanelHarness h{FindPanelFacts("manual-start")->id};
};

TEST_F(ManualStartTest, SecondPairIsAbsentWhileTheFlagIsClear) {
  Start();
  h.Out(5) = 1;  // bytes the simulation wrote are overwritten
  h.Click(2, Panel().Cover(2));
  h.Click(1, Panel().Button(2));
  EXPECT_TRUE(Panel().Cover(2).IsClosed());
  EXPECT_EQ(h.Out(5), 0);
  EXPECT_FALSE(h.AnyPixel(Panel().Button(3)));
  EXPECT_TRUE(h.AnyPixel(Panel().Button(1)));

  h.In(CManEngPanel::kSecondPairFlag) = 0x80;
  h.Pass();  // present from this pass on
  h.Click(2, Panel().Cover(2));
  h.Click(1, Panel().Button(2));
  EXPECT_EQ(h.Out(5), 1);
  EXPECT_TRUE(h.AnyPixel(Panel().Button(3)));
  // Gone again: its byte reads 0, its position is kept for its return.
  h.In(CManEngPanel::kSecondPairFlag) = 0;
  h.Pass();
  EXPECT_EQ(h.Out(5), 0);
  h.In(CManEngPanel::kSecondPairFlag) = 1;
  h.Pass();
  EXPECT_EQ(h.Out(5), 1);
}

// A pair that goes away leaves the panel picture beneath it, and takes
// nothing drawn before it (the N1 MODE light, drawn on change only) with it.
TEST_F(ManualStartTest, ASecondPairThatGoesAwayLeavesThePictureBeneath) {
  Start();
  platform::DrawSurface surface;
  ASSERT_TRUE(surface.Create(1880, 1300));
  surface.FillRect(platform::Rect{0, 0, 1880, 1300}, 0x12, 0x34, 0x56);
  ASSERT_TRUE(surface.KeepBackground());
  auto draw = [&] { h.Manager().DrawPanel(h.Panel().Facts().id, surface); };
  auto onlyPicture = [&](const platform::Rect& r) {
    for (int y = r.top; y < r.bottom; y++) {
      for (int x = r.left; x < r.right; x++) {
        if (surface.PixelAt(x, y) != 0x123456u) return false;
      }
    }
    return true;
  };
  const platform::Rect light = Panel().Light().DrawnArea();
  h.In(CManEngPanel::kSecondPairFlag) = 1;
  h.Pass();
  draw();
  const platform::Rect pair[] = {Panel().Button(2).DrawnArea(), Panel().Button(3).DrawnArea(),
                                 Panel().Cover(2).DrawnArea(), Panel().Cover(3).DrawnArea()};
  for (const platform::Rect& r : pair) ASSERT_FALSE(onlyPicture(r));
  ASSERT_FALSE(onlyPicture(light));
  h.In(CManEngPanel::kSecondPairFlag) = 0;
  h.Pass();
  draw();
  for (const platform::Rect& r : pair) EXPECT_TRUE(onlyPicture(r));
  EXPECT_FALSE(onlyPicture(light));
}

TEST_F(ManualStartTest, LightIsDrawnLitOnTheRiseOnlyAndUnlitWhileTheFlagIsClear) {
  Start();
  const CBaseCockpitControl& light = Panel().Light();
  ASSERT_TRUE(h.AnyPixel(light));
  EXPECT_EQ(light.GetState(), 1);  // unlit, on every frame
  ASSERT_TRUE(h.AnyPixel(light));
  h.In(CManEngPanel::kSecondPairFlag) = 1;
  h.In(9) = 1;  // the lamp test plays no part
  EXPECT_TRUE(h.AnyPixel(light));
  EXPECT_EQ(light.GetState(), 0);
  EXPECT_FALSE(h.AnyPixel(light));
  h.In(CManEngPanel::kSecondPairFlag) = 0;
  EXPECT_TRUE(h.AnyPixel(light));
  EXPECT_EQ(light.GetState(), 1);
}

TEST_F(ManualStartTest, A320LayoutShiftsEveryControlAndMovesTheLight) {
  Start(12);
  EXPECT_EQ(Panel().Button(0).GetX(), 1567 + 40);
  EXPECT_EQ(Panel().Button(0).GetY(), 950 + 41);
  EXPECT_EQ(Panel().Cover(0).GetPartPosition(GuardedButton::kLeft).x, 1567 + 40);
  EXPECT_EQ(Panel().Cover(0).GetPartPosition(GuardedButton::kLeft).y, 950 + 41);
  EXPECT_EQ(Panel().Button(3).GetX(), 1567 + 215);
  EXPECT_EQ(Panel().Light().GetX(), 1567 + 155);
  EXPECT_EQ(Panel().Light().GetY(), 950 + 5);
}

TEST_F(ManualStartTest, ResetRequestPutsTheFirstPairOut) {
  Start();
  h.In(CManEngPanel::kSecondPairFlag) = 1;
  for (int i = 0; i < CManEngPanel::kButtonCount; i++) {
    h.Click(2, Panel().Cover(i));
    h.Click(1, Panel().Button(i));
  }
  ASSERT_EQ(h.Out(3) + h.Out(4) + h.Out(5) + h.Out(6), 4);
  h.In(11) = 1;
  h.Pass();
  EXPECT_EQ(h.Out(3) + h.Out(4), 0);
  EXPECT_EQ(h.Out(5) + h.Out(6), 2);
}

}  // namespace
