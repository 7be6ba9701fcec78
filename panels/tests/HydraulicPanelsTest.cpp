// The hydraulic and flight-control panels' departures: the hydraulic preset
// and reset, buttons that no cover blocks, and resets written by the next
// pass.
#include <gtest/gtest.h>

#include <vector>

#include "panels/A330_FltCtl2Panel.h"
#include "panels/A330_FltCtlPanel.h"
#include "panels/A330_HydPanel.h"
#include "panels/tests/PanelHarness.h"

namespace {

std::vector<uint8_t> Bytes(PanelHarness& h, int first, int last) {
  std::vector<uint8_t> bytes;
  for (int i = first; i <= last; i++) bytes.push_back(h.Out(i));
  return bytes;
}

class HydraulicPanelTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.Start()) << h.Error(); }
  CHydPanelPanel& Hyd() { return static_cast<CHydPanelPanel&>(h.Panel()); }
  PanelHarness h{FindPanelFacts("hydraulic")->id};
};

TEST_F(HydraulicPanelTest, ResetWritesAtOnceAndWithThePresetEveryButtonEndsOut) {
  h.Manager().ResetAll();
  EXPECT_EQ(Bytes(h, 3, 12), (std::vector<uint8_t>{0, 0, 0, 1, 1, 1, 1, 1, 1, 1}));
  h.In(22) = 1;
  h.In(21) = 1;
  h.Pass();
  EXPECT_EQ(Bytes(h, 3, 12), std::vector<uint8_t>(10, 0));
  // In display-only mode the block belongs to another writer.
  h.In(21) = 0;
  Hyd().SetDisplayOnly(true);
  const std::vector<uint8_t> before = h.Area();
  h.Manager().ResetAll();
  EXPECT_TRUE(h.Area() == before);
}

TEST_F(HydraulicPanelTest, ClosedCoversBlockButtonsZeroToSixButNeverSevenToNine) {
  for (int i = 0; i < CHydPanelPanel::kButtonCount; i++) {
    h.Click(1, Hyd().Button(i));
    EXPECT_EQ(h.Out(3 + i), i < CHydPanelPanel::kCoveredCount ? 0 : 1) << "button " << i;
  }
  h.Click(2, Hyd().Cover(3));
  h.Click(1, Hyd().Button(3));
  EXPECT_EQ(h.Out(6), 1);
}

TEST(FlightControlPanels, CoversBlockOnlyTheirButtonsAndResetsReachTheBlockOnTheNextPass) {
  PanelHarness one(FindPanelFacts("flight-control")->id);
  ASSERT_TRUE(one.Start()) << one.Error();
  auto& first = static_cast<CFltCtlPanel&>(one.Panel());
  for (int i = 0; i < CFltCtlPanel::kButtonCount; i++) one.Click(1, first.Button(i));
  EXPECT_EQ(Bytes(one, 3, 5), (std::vector<uint8_t>{1, 0, 0}));  // button 0 has no cover
  first.ResetToDefaults();
  EXPECT_EQ(Bytes(one, 3, 5), (std::vector<uint8_t>{1, 0, 0}));
  one.Pass();
  EXPECT_EQ(Bytes(one, 3, 5), (std::vector<uint8_t>{1, 1, 1}));

  PanelHarness two(FindPanelFacts("flight-control-2")->id);
  ASSERT_TRUE(two.Start()) << two.Error();
  auto& second = static_cast<CFltCtl2Panel&>(two.Panel());
  two.Click(2, second.Cover(1));
  for (int i = 0; i < CFltCtl2Panel::kButtonCount; i++) two.Click(1, second.Button(i));
  EXPECT_EQ(Bytes(two, 3, 5), (std::vector<uint8_t>{0, 1, 0}));
  two.In(8) = 1;
  two.Pass();
  EXPECT_EQ(Bytes(two, 3, 5), (std::vector<uint8_t>{1, 1, 1}));
}

}  // namespace
