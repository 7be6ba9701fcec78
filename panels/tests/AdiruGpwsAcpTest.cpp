// Departures of the ADIRU, GPWS and audio control panels: the ADIRU's forced
// buttons, start-up and reset positions and 32-bit knob fields; the GPWS
// reset; the audio panel's seat blocks, key selection and odd third row.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <string>

#include "panels/A330_Acp.h"
#include "panels/A330_AdiruPanel.h"
#include "panels/A330_GpwsPanel.h"
#include "panels/tests/PanelHarness.h"

namespace {

template <class Panel>
using PanelTest = PanelFixture<Panel>;

using AdiruPanel = PanelTest<CA330_AdiruPanel>;
using GpwsPanel = PanelTest<CGpwsPanel>;
using AcpPanel = PanelTest<CA330_Acp>;

TEST_F(AdiruPanel, StartsInItsPresetAndTheRequestsSetPresetOrResetPositions) {
  Start("adiru");
  EXPECT_EQ(h->Panel().OutputBlock().Offset(), 0x123BCu);
  EXPECT_EQ(h->Panel().InputBlock().Offset(), 0x1209Du);
  const auto expectPositions = [&](int lowerRow, int32_t knobs, const char* when) {
    for (int i = 0; i < 6; i++) EXPECT_EQ(h->Out(3 + i), i < 3 ? lowerRow : 1) << when << " button " << i;
    for (int k = 0; k < 3; k++) EXPECT_EQ(OutI32(12 + 4 * k), knobs) << when << " knob " << k;
  };
  expectPositions(0, 7, "start-up");
  // Knob 1 to position 1 (upper right): the 32-bit field follows.
  platform::Rect r;
  P().Knob(1).GetRegion(1, r);
  ClickIn(P().Knob(1), r);
  EXPECT_EQ(OutI32(16), 1);
  h->In(15) = 1;  // reset request
  h->Pass();
  expectPositions(1, 0, "reset");
  h->In(15) = 0;
  h->In(14) = 1;  // preset request
  h->Pass();
  expectPositions(0, 7, "preset");
}

TEST_F(AdiruPanel, HeldUpperButtonReadsZeroForOnePassOnly) {
  Start("adiru");
  h->Press(1, P().Button(4));
  EXPECT_EQ(h->Out(7), 0);
  h->Pass();  // still held: forced in again
  EXPECT_EQ(h->Out(7), 1);
  EXPECT_LT(P().Button(4).GetState(), 4);  // drawn in
  h->Press(0, P().Button(4));
  EXPECT_EQ(h->Out(7), 1);
}

TEST_F(AdiruPanel, DisplayOnlyKnobsTakeOnlyTheirOwnPositions) {
  Start("adiru");
  h->Panel().SetDisplayOnly(true);
  SetOutI32(20, 3);  // a position the mode knobs do not have
  h->Pass();
  EXPECT_EQ(P().Knob(2).GetPosition(), 7);
  SetOutI32(20, 1);
  h->In(12) = 1;
  h->Pass();
  EXPECT_EQ(P().Knob(2).GetPosition(), 1);
  EXPECT_EQ(P().OnBatteryLight().GetState(), 0);  // lit
}

TEST_F(GpwsPanel, ResetRequestPutsTheFirstTwoButtonsIn) {
  Start("gpws");
  EXPECT_EQ(h->Panel().OutputBlock().Offset(), 0x124FAu);
  h->Click(1, P().Button(2));
  h->Manager().ResetAll();  // not one of the cockpit's reset panels
  EXPECT_EQ(h->Out(3) + h->Out(4), 0);
  EXPECT_EQ(h->Out(5), 1);
  h->In(10) = 1;
  h->Pass();
  EXPECT_EQ(h->Out(3), 1);
  EXPECT_EQ(h->Out(4), 1);
  EXPECT_EQ(h->Out(5), 0);
  EXPECT_EQ(h->Out(6), 0);
}

TEST_F(AcpPanel, UsesTheSeatTwoBlocksInEachLayout) {
  Start("acp");
  EXPECT_EQ(P().GetUnit(), 2);
  EXPECT_EQ(h->Panel().OutputBlock().Offset(), 0x124ECu);
  EXPECT_EQ(h->Panel().InputBlock().Offset(), 0x121C4u);
  Start("acp", 12);
  EXPECT_EQ(h->Panel().OutputBlock().Offset(), 0x1F0CCu);
  EXPECT_EQ(h->Panel().InputBlock().Offset(), 0x1EDB8u);
  const BlockPair seat1 = kAcpTables.Blocks(kLayoutA320, 1);
  EXPECT_EQ(seat1.output, 0x1F2ACu + 14);
  EXPECT_EQ(seat1.input, 0x1EE6Cu + 6);
}

TEST_F(AcpPanel, TransmissionKeySelectionIsA16BitValueThatStaysAfterRelease) {
  Start("acp");
  const auto selection = [&] { return h->Out(4) | h->Out(5) << 8; };
  EXPECT_EQ(selection(), 125);
  EXPECT_EQ(h->Out(6), 0);
  h->Click(1, P().ReceptionKey(2));  // a reception key without a selection
  EXPECT_EQ(h->Out(6), 0);
  h->Press(1, P().TransmissionKey(2));
  EXPECT_EQ(selection(), 2);
  h->Press(0, P().TransmissionKey(2));
  EXPECT_EQ(selection(), 2);
  EXPECT_FALSE(P().TransmissionKey(2).IsPressed());  // momentary
  EXPECT_EQ(h->Out(6), 1);                           // reception key 2 is in
  EXPECT_EQ(P().TransmissionKey(2).GetLightCode(), 0);
  h->Click(1, P().TransmissionKey(5));
  h->Pass();
  EXPECT_EQ(selection(), 5);
  EXPECT_EQ(P().LastSelectedKey(), 5);
  EXPECT_EQ(P().TransmissionKey(2).GetLightCode(), 3);  // out
  EXPECT_EQ(P().TransmissionKey(5).GetLightCode(), 0);
  EXPECT_EQ(h->Out(6), 0);
  h->Click(1, P().ReceptionKey(5));
  EXPECT_EQ(h->Out(6), 1);
}

TEST_F(AcpPanel, ThirdRowKeysWriteInTheirOwnOrderAndKeyFourNowhere) {
  Start("acp");
  const int byteOf[7] = {7, 8, 11, 12, -1, 9, 10};
  uint8_t expected[13] = {};
  for (int k = 0; k < 7; k++) {
    h->Click(1, P().ThirdRowKey(k));
    if (byteOf[k] >= 0) expected[byteOf[k]] = 1;
    for (int at = 7; at <= 12; at++) EXPECT_EQ(h->Out(at), expected[at]) << "key " << k << ", byte " << at;
  }
  EXPECT_TRUE(P().ThirdRowKey(4).IsPressed());
  EXPECT_FALSE(h->AnyPixel(P().ThirdRowKey(4)));
  EXPECT_TRUE(h->AnyPixel(P().ThirdRowKey(3)));
}

TEST_F(AcpPanel, EveryRowIsCreatedEvenAfterAFailure) {
  h = std::make_unique<PanelHarness>(FindPanelFacts("acp")->id);
  EXPECT_FALSE(h->Manager().InitialisePanels("/nonexistent"));
  // The transmission row comes last, so its failure is the one reported.
  EXPECT_NE(std::string(h->Manager().GetErrorText()).find("AcpCall"), std::string::npos);
}

}  // namespace
