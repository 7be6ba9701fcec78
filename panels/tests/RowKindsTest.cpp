// Each row kind's create, serve, show and draw steps, on a small panel built
// here from one row of every kind, and the typed fields of a block.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "panels/tests/PanelHarness.h"

namespace {

// A panel of every row kind, behind the id of the rectangle without a panel.
constexpr PanelFacts kTestFacts = {23,      "test", "CTestPanel", "Initialising Test Panel items", "CTestPanel",
                                   nullptr, PanelFit::kNone, 613, 937, 285, 130, 0, false, -1, 0, nullptr};

constexpr PushButtonRow kButtons[] = {
    Button("Buttons\\FaultOff", {10, 10}, 0, 1, 3),
    Button("Buttons\\FaultOff", {60, 10}, 2, 3, 4),  // under the cover
};
constexpr CoverRow kCovers[] = {Cover("Guards\\StandardBlack", 1)};
constexpr GuardedRow kGuarded[] = {Guarded("Guards\\StandardRed", "Buttons\\ShutOn", {110, 10}, 4, 5, 5)};
constexpr SwitchRow kSwitches[] = {
    Switch(1, "RoundSwUp.bmp", "RoundSwMid.bmp", "RoundSwDwn.bmp", {160, 10}, 6, 7)};
constexpr KnobRow kKnobs[] = {Knob("Knobs\\ColdHot", Positions({0, 1, 2, 3, 5, 6, 7}), {190, 5}, 8)};
constexpr LightRow kLights[] = {
    Light(0, "Lights\\AdruOnBat", {10, 70}, 6),
    Light(42, "Lights\\N1Mode", {75, 70}, 7).OnChange(),
};
constexpr DisplayRow kDisplays[] = {Display(4, {140, 95})};
constexpr RotaryRow kRotaries[] = {Rotary("RmpKnob.bmp", {230, 88}, 1, 40000, 9000)};
constexpr FieldDecl kFields[] = {InputField("value", 12, FieldType::kF32, "shown on the display")};

constexpr PanelTables kTestTables{
    .a330 = {0x12700, 12, 0x12600, 16},
    .lampTest = 8,
    .resetRequest = 9,
    .buttons = kButtons,
    .covers = kCovers,
    .guarded = kGuarded,
    .switches = kSwitches,
    .knobs = kKnobs,
    .lights = kLights,
    .displays = kDisplays,
    .rotaries = kRotaries,
    .fields = kFields,
};
static_assert(TablesFit(kTestTables));

class CTestPanel : public SubPanel {
 public:
  CTestPanel() : SubPanel(kTestFacts, kTestTables, "test.cpp", "test.h") {
    BindControls({buttons, covers, {}, guarded, switches, knobs, lights, displays, rotaries});
  }
  void ResetToDefaults() override { SetButtons({0, 1}, true); }
  void Draw(platform::DrawSurface& surface) override {
    DrawControls(surface);
    ShowNumber(0, input_.Get<float>(12), 0.0f, 99.9f, "%04.1f", surface);
  }

  CButtonClass buttons[2];
  GuardedButton covers[1];
  GuardedButton guarded[1];
  SwitchClass switches[1];
  KnobClass knobs[1];
  PanelLight lights[2];
  CPanelDisplay displays[1];
  RotaryKnobClass rotaries[1];
};

class RowKinds : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(h.Start()) << h.Error(); }
  // Clicks a point given relative to a control's top-left corner.
  void ClickIn(const CBaseCockpitControl& c, const platform::Rect& r, int button = 1) {
    h.Click(button, c.GetX() + (r.left + r.right) / 2, c.GetY() + (r.top + r.bottom) / 2);
  }
  std::string Shown() {
    h.Drawn(panel.buttons[0]);
    std::string text;
    for (int i = 0; i < 4; i++) text += panel.displays[0].Cell(i)->GetLastChar();
    return text;
  }

  CTestPanel panel;
  PanelHarness h{panel};
};

TEST_F(RowKinds, ButtonsSetByThePanelComeOutWithOneClick) {
  h.In(9) = 1;  // reset request: both buttons in
  h.Pass();
  h.In(9) = 0;
  EXPECT_EQ(h.Out(3), 1);
  h.Click(1, panel.buttons[0]);
  EXPECT_EQ(h.Out(3), 0);
  EXPECT_FALSE(panel.buttons[0].IsPressed());
}

TEST_F(RowKinds, ClosedCoverKeepsClicksFromItsButtonFromTheStart) {
  h.Click(1, panel.buttons[1]);
  EXPECT_EQ(h.Out(4), 0);
  h.Click(2, panel.covers[0]);  // right button lifts the cover
  ASSERT_FALSE(panel.covers[0].IsClosed());
  h.Click(1, panel.buttons[1]);
  EXPECT_EQ(h.Out(4), 1);
  h.Click(2, panel.covers[0]);
  h.Click(1, panel.buttons[1]);
  EXPECT_EQ(h.Out(4), 1);  // closed again: the click goes to the cover only
}

TEST_F(RowKinds, GuardedButtonTakesClicksOnlyWhileLifted) {
  h.Click(1, panel.guarded[0].Button());
  EXPECT_EQ(h.Out(5), 0);
  h.Click(2, panel.guarded[0]);
  h.Click(1, panel.guarded[0].Button());
  EXPECT_EQ(h.Out(5), 1);
  h.In(4) = 1;
  h.Pass();
  EXPECT_EQ(panel.guarded[0].Button().GetLightCode(), 0);  // upper lamp
}

TEST_F(RowKinds, SwitchWritesTwoFlagsAndFollowsThemInDisplayOnly) {
  SwitchClass& s = panel.switches[0];
  ClickIn(s, s.GetRegion(SwitchClass::kRegionTop));
  EXPECT_EQ(h.Out(6), 1);
  EXPECT_EQ(h.Out(7), 0);
  ClickIn(s, s.GetRegion(SwitchClass::kRegionBottom));
  EXPECT_EQ(h.Out(6), 0);
  EXPECT_EQ(h.Out(7), 1);
  ClickIn(s, s.GetRegion(SwitchClass::kRegionMiddle));
  EXPECT_EQ(h.Out(6) | h.Out(7), 0);
  panel.SetDisplayOnly(true);
  h.Out(6) = 7;
  h.Pass();
  EXPECT_EQ(s.GetPosition(), 0);
  h.Out(6) = 0;
  h.Out(7) = 1;
  h.Pass();
  EXPECT_EQ(s.GetPosition(), 2);
}

TEST_F(RowKinds, KnobWritesItsPositionAsInt32AndIgnoresForeignValues) {
  KnobClass& k = panel.knobs[0];
  platform::Rect r;
  k.GetRegion(2, r);
  ClickIn(k, r);
  EXPECT_EQ(h.Panel().OutputBlock().Get<int32_t>(8), 2);
  EXPECT_EQ(h.Out(8), 2);  // little-endian
  panel.SetDisplayOnly(true);
  for (int32_t foreign : {4, 9, -1, std::numeric_limits<int32_t>::min()}) {
    std::memcpy(&h.Out(8), &foreign, 4);
    h.Pass();
    EXPECT_EQ(k.GetPosition(), 2) << foreign;
  }
  const int32_t six = 6;
  std::memcpy(&h.Out(8), &six, 4);
  h.Pass();
  EXPECT_EQ(k.GetPosition(), 6);
}

TEST_F(RowKinds, LightsFollowTheirByteAndOnChangeLightsShowTheRiseOnce) {
  h.In(6) = 3;
  h.Pass();
  EXPECT_EQ(panel.lights[0].light.GetState(), 0);
  h.In(6) = 0;
  h.Pass();
  EXPECT_EQ(panel.lights[0].light.GetState(), 1);

  const CBaseCockpitControl& change = panel.lights[1].light;
  const uint64_t unlit = h.Drawn(change);
  EXPECT_TRUE(h.AnyPixel(change));  // clear: drawn unlit on every frame
  h.In(7) = 1;
  const uint64_t rise = h.Drawn(change);
  EXPECT_NE(rise, unlit);
  EXPECT_FALSE(h.AnyPixel(change));  // still set: not drawn
  h.In(7) = 0;
  EXPECT_EQ(h.Drawn(change), unlit);
}

TEST_F(RowKinds, DisplayShowsClampedNumbersWhateverTheFloat) {
  const float values[] = {5.3f, 123.4f, -3.0f, std::numeric_limits<float>::quiet_NaN(),
                          std::numeric_limits<float>::infinity(), -std::numeric_limits<float>::infinity()};
  const char* shown[] = {"05.3", "99.9", "00.0", "00.0", "99.9", "00.0"};
  for (int i = 0; i < 6; i++) {
    std::memcpy(&h.In(12), &values[i], 4);
    EXPECT_EQ(Shown(), shown[i]) << values[i];
  }
  EXPECT_TRUE(panel.rotaries[0].IsValid());
  EXPECT_TRUE(h.AnyPixel(panel.rotaries[0]));
}

TEST_F(RowKinds, LampTestLightsButtonsGuardedButtonsAndLights) {
  h.In(8) = 1;
  h.Pass();
  EXPECT_EQ(panel.buttons[0].GetLightCode(), 2);
  EXPECT_EQ(panel.guarded[0].Button().GetLightCode(), 2);
  EXPECT_EQ(panel.lights[0].light.GetState(), 0);
}

TEST(PanelBlockFields, TypedFieldsStayInsideTheBlockAndTheArea) {
  std::vector<uint8_t> area(generic_area::kSize, 0x5A);
  BasePanel::SetSharedMemory(area.data());
  PanelBlock block;
  block.Select(0x12600, 9);
  block.Put<int32_t>(1, -2);  // unaligned
  EXPECT_EQ(area[0x12601], 0xFE);
  EXPECT_EQ(area[0x12604], 0xFF);
  EXPECT_EQ(block.Get<int32_t>(1), -2);
  block.Put<float>(4, 1.5f);
  EXPECT_EQ(block.Get<float>(4), 1.5f);
  block.Put<uint16_t>(7, 0x1234);
  EXPECT_EQ(area[0x12607], 0x34);
  block.Put<int32_t>(6, 7);  // would run past the block
  block.Write(kNoField, 7);
  EXPECT_EQ(area[0x12609], 0x5A);
  EXPECT_EQ(block.Get<int32_t>(6), 0);
  EXPECT_EQ(block.Get<uint16_t>(kNoField), 0);
  block.Select(generic_area::kSize - 4, 5);  // past the area
  EXPECT_FALSE(block.IsSelected());
  EXPECT_EQ(block.Read(0), 0);
  BasePanel::SetSharedMemory(nullptr);
  block.Select(0x12600, 9);
  EXPECT_FALSE(block.IsSelected());

  for (int32_t code : {7, 9}) EXPECT_EQ(AircraftLayoutFor(code), kLayoutA330);
  for (int32_t code : {10, 13}) EXPECT_EQ(AircraftLayoutFor(code), kLayoutA320);
  for (int32_t code : {std::numeric_limits<int32_t>::min(), 0, 5, 6, 14}) {
    EXPECT_EQ(AircraftLayoutFor(code), kLayoutNone) << code;
  }
}

TEST(PanelTablesCheck, FieldsOutsideTheirBlockOrZoneFail) {
  static constexpr KnobRow knob[] = {Knob("Knobs\\ColdHot", kAllPositions, {0, 0}, 10)};  // 10..13
  constexpr PanelTables fits{.a330 = {0x12700, 14, 0x12600, 1}, .knobs = knob};
  constexpr PanelTables tooSmall{.a330 = {0x12700, 13, 0x12600, 1}, .knobs = knob};
  constexpr PanelTables outOfZone{.a330 = {0x100, 14, 0x12600, 1}, .knobs = knob};
  EXPECT_TRUE(TablesFit(fits));
  EXPECT_FALSE(TablesFit(tooSmall));
  EXPECT_FALSE(TablesFit(outOfZone));
  static constexpr CoverRow stray[] = {Cover("Guards\\StandardBlack", 0)};
  constexpr PanelTables noButton{.a330 = {0x12700, 14, 0x12600, 1}, .covers = stray};
  EXPECT_FALSE(TablesFit(noButton));
}

TEST(PanelBinding, ATableAndItsControlsMustAgree) {
  struct Unbound : SubPanel {
    Unbound() : SubPanel(kTestFacts, kTestTables, "u.cpp", "u.h") {}
  } panel;
  PanelHarness h(panel);
  EXPECT_FALSE(h.Start());
  EXPECT_STREQ(h.Error(), "CTestPanel::Initialise --> 2 push buttons in the table, 0 bound");
}

}  // namespace
