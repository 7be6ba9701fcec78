// The oxygen panel's departures from the common panel: its layouts, the
// forced button, the cover plate over the call button, and its reset
// request that does nothing.
#include <gtest/gtest.h>

#include <vector>

#include "panels/A330_Oxygen.h"
#include "panels/tests/PanelHarness.h"

namespace {

class OxygenPanelTest : public ::testing::Test {
 protected:
  COxygenPanel& Oxygen() { return static_cast<COxygenPanel&>(h->Panel()); }
  void Start(int32_t type = 9) {
    h.reset();
    h = std::make_unique<PanelHarness>(FindPanelFacts("oxygen")->id);
    ASSERT_TRUE(h->Start(type)) << h->Error();
  }
  std::unique_ptr<PanelHarness> h;
};

TEST_F(OxygenPanelTest, LayoutsPlaceTheButtonsAndButtonZeroIsDrawnOnlyOnTheA330) {
  Start(9);
  EXPECT_EQ(Oxygen().Button(0).GetX(), 613 + 20);
  EXPECT_EQ(Oxygen().Plate().GetX(), 613 + 98);
  EXPECT_TRUE(h->AnyPixel(Oxygen().Button(0)));
  Start(12);
  EXPECT_EQ(Oxygen().Button(0).GetX(), 613 + 25);
  EXPECT_EQ(Oxygen().Plate().GetY(), 830 + 35);
  EXPECT_FALSE(h->AnyPixel(Oxygen().Button(0)));  // created and processed, never drawn
  h->Click(1, Oxygen().Button(0));
  EXPECT_EQ(h->Area()[0x1EFF5 + 3], 1);
}

TEST_F(OxygenPanelTest, ButtonTwoIsForcedInAndReadsZeroForTheClickPassOnly) {
  Start();
  EXPECT_EQ(h->Out(5), 1);  // from the very first pass
  for (int round = 0; round < 2; round++) {
    h->Press(1, Oxygen().Button(2));
    EXPECT_EQ(h->Out(5), 0) << round;
    h->Pass();  // still held down
    EXPECT_EQ(h->Out(5), 1);
    h->Press(0, Oxygen().Button(2));
    h->Pass();
    EXPECT_EQ(h->Out(5), 1);
    EXPECT_LT(Oxygen().Button(2).GetState(), 4);  // drawn in
  }
}

TEST_F(OxygenPanelTest, PlateHidesAndGuardsTheMomentaryCallButton) {
  Start();
  const CButtonClass& call = Oxygen().Button(COxygenPanel::kCallButton);
  h->Press(1, call);  // on the closed plate: the click goes to the plate only
  EXPECT_EQ(h->Out(4), 0);
  h->Press(0, call);
  EXPECT_FALSE(h->AnyPixel(call) && h->Drawn(call) == h->Drawn(Oxygen().Plate()));
  h->Click(2, Oxygen().Plate());
  ASSERT_FALSE(Oxygen().Plate().IsClosed());
  h->Press(1, call);
  EXPECT_EQ(h->Out(4), 1);
  h->Pass();
  EXPECT_EQ(h->Out(4), 1);  // held
  h->Press(0, call);
  EXPECT_EQ(h->Out(4), 0);  // momentary
}

TEST_F(OxygenPanelTest, DisplayOnlyShowsTheCallButtonLampFromByteTwo) {
  Start();
  Oxygen().SetDisplayOnly(true);
  h->In(2) = 1;
  h->Pass();
  EXPECT_EQ(Oxygen().Button(COxygenPanel::kCallButton).GetLightCode(), 0);
}

TEST_F(OxygenPanelTest, ResetRequestChangesNothing) {
  Start();
  h->Click(1, Oxygen().Button(0));
  const std::vector<uint8_t> out(&h->Out(0), &h->Out(0) + 7);
  h->In(10) = 1;
  h->Manager().ResetAll();
  h->Pass();
  EXPECT_EQ(std::vector<uint8_t>(&h->Out(0), &h->Out(0) + 7), out);
}

TEST_F(OxygenPanelTest, MissingArtStopsWithTheControlsText) {
  h = std::make_unique<PanelHarness>(FindPanelFacts("oxygen")->id);
  h->Panel().SetAircraftType(9);
  EXPECT_FALSE(h->Manager().InitialisePanels("/nonexistent"));
  EXPECT_NE(std::string(h->Manager().GetErrorText()).find("DotsOnBlue"), std::string::npos);
}

}  // namespace
