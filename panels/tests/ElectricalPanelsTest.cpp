// Departures of the electrical and emergency electrical power panels from
// the common panel.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>
#include <memory>
#include <string>

#include "panels/A330_ElectricalPanel.h"
#include "panels/EmrPwrPanel.h"
#include "panels/tests/PanelHarness.h"

namespace {

class ElectricalTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.Start()) << h.Error(); }
  CA330_ElectricalPanel& P() { return static_cast<CA330_ElectricalPanel&>(h.Panel()); }
  void PutValue(int field, float v) { std::memcpy(&h.In(field), &v, 4); }
  std::string Shown() {
    h.Drawn(P().Selector());
    std::string text;
    for (int i = 0; i < 4; i++) text += P().ValueDisplay().Cell(i)->GetLastChar();
    return text;
  }
  void ClickSelector(int third) {
    const platform::Rect r = P().Selector().GetRect();
    h.Click(1, (r.left + r.right) / 2, r.top + (r.bottom - r.top) * (2 * third + 1) / 6);
  }

  PanelHarness h{FindPanelFacts("electrical")->id};
};

TEST_F(ElectricalTest, DisplayShowsTheSelectedValueClampedWhateverTheFloat) {
  ClickSelector(1);
  ASSERT_EQ(P().SelectorPosition(), 1);
  const float inf = std::numeric_limits<float>::infinity();
  const float values[] = {123.4f, -3.0f, 5.3f, std::numeric_limits<float>::quiet_NaN(), inf, -inf, 3.0e38f,
                          -0.0f, 99.94f};
  const char* shown[] = {"99.9", "00.0", "05.3", "00.0", "99.9", "00.0", "99.9", "00.0", "99.9"};
  for (int i = 0; i < 9; i++) {
    PutValue(4, values[i]);
    EXPECT_EQ(Shown(), shown[i]) << values[i];
  }
}

TEST_F(ElectricalTest, SelectorChoosesTheValueAndWritesItsFlags) {
  PutValue(0, 1.0f);
  PutValue(4, 2.0f);
  PutValue(8, 3.0f);
  EXPECT_EQ(Shown(), "01.0");  // up from the start
  EXPECT_EQ(h.Out(17), 1);
  ClickSelector(2);
  EXPECT_EQ(Shown(), "03.0");
  EXPECT_EQ(h.Out(17), 0);
  EXPECT_EQ(h.Out(18), 1);
  // A display-only station follows the flags, and shows the matching value.
  P().SetDisplayOnly(true);
  h.Out(18) = 0;
  h.Pass();
  EXPECT_EQ(P().SelectorPosition(), 1);
  EXPECT_EQ(Shown(), "02.0");
}

TEST_F(ElectricalTest, StartAndResetPositions) {
  const int atStart[14] = {0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 0, 0, 0};
  for (int i = 0; i < 14; i++) EXPECT_EQ(h.Out(3 + i), atStart[i]) << i;
  h.Manager().ResetAll();
  const int afterReset[14] = {1, 1, 1, 1, 1, 0, 1, 1, 1, 1, 1, 0, 0, 0};
  for (int i = 0; i < 14; i++) EXPECT_EQ(h.Out(3 + i), afterReset[i]) << i;
}

TEST_F(ElectricalTest, ClosedCoversKeepClicksFromTheirButtons) {
  for (int c = 0; c < 3; c++) {
    const int button = c == 0 ? 7 : c == 1 ? 8 : 5;
    const uint8_t before = h.Out(3 + button);
    h.Click(1, P().Button(button));
    EXPECT_EQ(h.Out(3 + button), before) << c;
    h.Click(2, P().Cover(c));
    h.Click(1, P().Button(button));
    EXPECT_NE(h.Out(3 + button), before) << c;
  }
}

TEST(ElectricalStart, SelectorAndDisplayAreCreatedBeforeTheAreaIsChecked) {
  PanelHarness h(FindPanelFacts("electrical")->id);
  h.DetachArea();
  EXPECT_FALSE(h.Manager().InitialisePanels("/nonexistent"));
  EXPECT_NE(std::string(h.Manager().GetErrorText()).find("\\Switches\\"), std::string::npos)
      << h.Manager().GetErrorText();
}

// ------------------------------------------------------------ emergency power

class EmrPwrTest : public ::testing::Test {
 protected:
  CEmrPwrPanel& P() { return static_cast<CEmrPwrPanel&>(h->Panel()); }
  void Start(int32_t type) {
    h = std::make_unique<PanelHarness>(FindPanelFacts("emergency-power")->id);
    ASSERT_TRUE(h->Start(type)) << h->Error();
  }
  std::unique_ptr<PanelHarness> h;
};

TEST_F(EmrPwrTest, LayoutsChooseBlocksAndButtonZerosImages) {
  Start(9);
  const uint64_t a330 = h->Drawn(P().Button(0));
  EXPECT_EQ(h->Panel().OutputBlock().Offset(), 0x12461u);
  Start(12);
  EXPECT_EQ(h->Panel().OutputBlock().Offset(), 0x1EFDEu);
  EXPECT_EQ(h->Panel().InputBlock().Offset(), 0x1ECA8u);
  EXPECT_EQ(P().Button(0).GetX(), 613 + 100);
  EXPECT_NE(h->Drawn(P().Button(0)), a330);
}

TEST_F(EmrPwrTest, HeldResetPutsButtonsZeroAndThreeOutOnEveryPass) {
  Start(9);
  h->In(10) = 1;
  for (int i : {0, 3}) {
    const int out = i == 0 ? 3 : 6;
    h->Press(1, P().Button(i));
    EXPECT_EQ(h->Out(out), 1) << i;  // the pass of the click
    h->Press(0, P().Button(i));
    EXPECT_EQ(h->Out(out), 0) << i;
  }
  h->In(10) = 0;
  h->Click(1, P().Button(3));
  h->Pass();
  EXPECT_EQ(h->Out(6), 1);
}

TEST_F(EmrPwrTest, PlatesGuardTheMomentaryButtons) {
  Start(9);
  h->Press(1, P().Button(2));
  EXPECT_EQ(h->Out(5), 0);  // under the closed red plate
  h->Press(0, P().Button(2));
  h->Click(2, P().Plate(CEmrPwrPanel::kRedPlate));
  h->Press(1, P().Button(2));
  EXPECT_EQ(h->Out(5), 1);
  h->Press(0, P().Button(2));
  EXPECT_EQ(h->Out(5), 0);
  P().SetDisplayOnly(true);
  h->In(4) = 1;  // button 2's lamp in display-only mode
  h->Pass();
  EXPECT_EQ(P().Button(2).GetLightCode(), 0);
  EXPECT_NE(P().Button(1).GetLightCode(), 0);
}

}  // namespace
