#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "controls/KnobClass.h"
#include "controls/RotaryKnobClass.h"
#include "controls/SwitchClass.h"
#include "controls/tests/ControlFixtures.h"

namespace {
constexpr uint32_t kUp = 0x0000FF;
constexpr uint32_t kMid = 0x00FF00;
constexpr uint32_t kDown = 0xFF0000;

class SwitchTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Bitmap("Switches/Up.bmp", 12, 30, kUp);
    dir.Bitmap("Switches/Mid.bmp", 12, 30, kMid);
    dir.Bitmap("Switches/Dn.bmp", 12, 30, kDown);
    dir.Bitmap("Switches/Left.bmp", 30, 12, kUp);
  }

  SwitchDescriptor Descriptor(int kind) {
    SwitchDescriptor d;
    d.folder = dir.Root();
    d.kind = kind;
    d.names[0] = "Up.bmp";
    d.names[1] = kind == 2 ? "Dn.bmp" : "Mid.bmp";
    d.names[2] = "Dn.bmp";
    d.originX = 200;
    d.originY = 100;
    return d;
  }

  // Left click at a point relative to the switch at (200, 100).
  static void ClickAt(SwitchClass& s, int x, int y) {
    PointerAt(200 + x, 100 + y);
    s.Click(kEventLeftDown);
  }

  FixtureFolder dir;
};
}  // namespace

TEST_F(SwitchTest, TwoPositionVerticalSwitch) {
  SwitchClass s;
  ASSERT_TRUE(s.Initialise(Descriptor(2))) << s.GetFullText();
  uint8_t first = 9;
  uint8_t second = 9;
  ClickAt(s, 6, 5);
  EXPECT_EQ(s.GetPosition(), 0);
  s.GetOutputs(first, second);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(second, 0);
  ClickAt(s, 6, 20);
  EXPECT_EQ(s.GetPosition(), 2);
  s.GetOutputs(first, second);
  EXPECT_EQ(first, 0);
  EXPECT_EQ(second, 1);
  ClickAt(s, 6, 15);  // on the dividing row
  EXPECT_EQ(s.GetPosition(), 2);
  PointerAt(206, 105);
  s.Click(kEventRightDown);  // only the left button moves a switch
  EXPECT_EQ(s.GetPosition(), 2);
}

TEST_F(SwitchTest, ThreePositionRegionsSplitAtExactRows) {
  SwitchClass s;
  ASSERT_TRUE(s.Initialise(Descriptor(1)));
  EXPECT_EQ(s.GetRegion(SwitchClass::kRegionTop).bottom, 10);
  EXPECT_EQ(s.GetRegion(SwitchClass::kRegionBottom).top, 20);
  ClickAt(s, 6, 9);
  EXPECT_EQ(s.GetPosition(), 0);
  ClickAt(s, 6, 10);
  EXPECT_EQ(s.GetPosition(), 0);
  ClickAt(s, 6, 11);
  EXPECT_EQ(s.GetPosition(), 1);
  ClickAt(s, 6, 20);
  EXPECT_EQ(s.GetPosition(), 1);
  ClickAt(s, 6, 21);
  EXPECT_EQ(s.GetPosition(), 2);
  ClickAt(s, 0, 25);  // left edge is outside every region
  ClickAt(s, 6, 5);
  EXPECT_EQ(s.GetPosition(), 0);

  platform::DrawSurface dc;
  BlankSurface(dc);
  s.Paint(dc);
  EXPECT_EQ(dc.PixelAt(200, 100), kUp);
}

TEST_F(SwitchTest, HorizontalThirds) {
  SwitchDescriptor d = Descriptor(3);
  d.names[0] = d.names[1] = d.names[2] = "Left.bmp";
  SwitchClass s;
  ASSERT_TRUE(s.Initialise(d));
  ClickAt(s, 25, 6);
  EXPECT_EQ(s.GetPosition(), 2);
  ClickAt(s, 15, 6);
  EXPECT_EQ(s.GetPosition(), 1);
  ClickAt(s, 5, 6);
  EXPECT_EQ(s.GetPosition(), 0);
}

TEST_F(SwitchTest, SpringLoadedSwitchHoldsElevenCyclesThenCentres) {
  SwitchClass s;
  ASSERT_TRUE(s.Initialise(Descriptor(5)));
  s.SetPosition(1);
  ClickAt(s, 6, 5);
  uint8_t first = 0;
  uint8_t second = 0;
  for (int cycle = 0; cycle < 11; cycle++) {
    s.GetOutputs(first, second);
    EXPECT_EQ(first, 1) << cycle;
    EXPECT_EQ(second, 0) << cycle;
  }
  for (int cycle = 0; cycle < 3; cycle++) {
    s.GetOutputs(first, second);
    EXPECT_EQ(first, 0);
    EXPECT_EQ(second, 0);
  }
  EXPECT_EQ(s.GetPosition(), 1);
  platform::DrawSurface dc;
  BlankSurface(dc);
  s.Paint(dc);
  EXPECT_EQ(dc.PixelAt(200, 100), kMid);

  // Resting in the middle for a long time keeps the timer armed.
  for (int cycle = 0; cycle < 100000; cycle++) {
    s.GetOutputs(first, second);
  }
  EXPECT_GE(s.GetSpringTimer(), -2);
  ClickAt(s, 6, 25);
  int down = 0;
  for (int cycle = 0; cycle < 20; cycle++) {
    s.GetOutputs(first, second);
    down += second;
  }
  EXPECT_EQ(down, 11);

  SwitchClass plain;
  ASSERT_TRUE(plain.Initialise(Descriptor(1)));
  ClickAt(plain, 6, 5);
  for (int cycle = 0; cycle < 20; cycle++) {
    plain.GetOutputs(first, second);
  }
  EXPECT_EQ(plain.GetPosition(), 0);  // only kinds 5 and 6 spring back
}

TEST_F(SwitchTest, InputsAndPositions) {
  SwitchClass s;
  ASSERT_TRUE(s.Initialise(Descriptor(1)));
  s.SetFromInputs(1, 1);
  EXPECT_EQ(s.GetPosition(), 0);
  s.SetFromInputs(0, 200);
  EXPECT_EQ(s.GetPosition(), 2);
  s.SetFromInputs(0, 0);
  EXPECT_EQ(s.GetPosition(), 1);
  s.SetPosition(3);
  s.SetPosition(-1);
  EXPECT_EQ(s.GetPosition(), 1);
}

TEST_F(SwitchTest, FailedSwitchReportsNoPositionAndLeavesOutputs) {
  SwitchDescriptor d = Descriptor(1);
  d.names[2] = "Missing.bmp";
  SwitchClass s;
  EXPECT_FALSE(s.Initialise(d));
  EXPECT_FALSE(s.IsValid());
  EXPECT_NE(s.GetFullText().find("Missing.bmp"), std::string::npos);
  EXPECT_EQ(s.GetPosition(), -1);
  uint8_t first = 0xAA;
  uint8_t second = 0xBB;
  s.GetOutputs(first, second);
  EXPECT_EQ(first, 0xAA);
  EXPECT_EQ(second, 0xBB);
}

TEST_F(SwitchTest, RecordFormScalesOriginAndKeepsId) {
  SwitchRecord r;
  r.id = 12;
  r.folder = dir.Root();
  r.kind = 2;
  r.names[0] = "Up.bmp";
  r.names[1] = "Dn.bmp";
  r.names[2] = "Dn.bmp";
  r.originX = 200;
  r.originY = 100;
  r.offsetX = 10;
  r.offsetY = 21;
  r.scale = 0.5;
  SwitchClass s;
  ASSERT_TRUE(s.Initialise(r));
  EXPECT_EQ(s.GetId(), 12);
  EXPECT_EQ(s.GetX(), 105);
  EXPECT_EQ(s.GetY(), 60);
}

namespace {
class KnobTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* files[8] = {"Knob000", "Knob045", "Knob090", "Knob135", "Knob180", "Knob225", "Knob270", "Knob315"};
    for (int i = 0; i < 8; i++) {
      dir.Bitmap(std::string("Knobs/Sel/") + files[i] + ".bmp", 30, 30, 0x111111u * (i + 1));
    }
    for (int i = 0; i < 3; i++) {
      dir.Bitmap("RotaryKnobs/Rot" + std::to_string(i) + ".bmp", 40, 20, 0x202020u * (i + 1));
    }
  }

  KnobDescriptor Knob(std::initializer_list<int> allowed) {
    KnobDescriptor d;
    for (int p : allowed) {
      d.allowed[p] = true;
    }
    d.folder = dir.Root();
    d.name = "Knobs\\Sel";
    d.originX = 300;
    d.originY = 200;
    return d;
  }

  static void ClickAt(KnobClass& k, int x, int y, int event = kEventLeftDown) {
    PointerAt(300 + x, 200 + y);
    k.Click(event);
  }

  FixtureFolder dir;
};
}  // namespace

TEST_F(KnobTest, CellsAndDisallowedPositions) {
  KnobClass k;
  ASSERT_TRUE(k.Initialise(Knob({0, 2, 4}))) << k.GetFullText();
  EXPECT_FALSE(k.IsImageLoaded(1));
  EXPECT_EQ(k.GetPosition(), 0);
  ClickAt(k, 25, 15);
  EXPECT_EQ(k.GetPosition(), 2);
  ClickAt(k, 25, 5);  // up-right cell: not allowed
  EXPECT_EQ(k.GetPosition(), 2);
  ClickAt(k, 15, 25, kEventRightDown);
  EXPECT_EQ(k.GetPosition(), 4);
  ClickAt(k, 15, 15);  // centre selects nothing
  ClickAt(k, 20, 15);  // cell border
  ClickAt(k, 15, 5, kEventNone);
  EXPECT_EQ(k.GetPosition(), 4);
  ClickAt(k, 15, 5);
  EXPECT_EQ(k.GetPosition(), 0);

  k.SetPosition(8);
  k.SetPosition(-1);
  k.SetPosition(1);
  EXPECT_EQ(k.GetPosition(), 0);
  k.SetPosition(4);
  EXPECT_EQ(k.GetPosition(), 4);

  platform::DrawSurface dc;
  BlankSurface(dc, 400, 300);
  k.Paint(dc);
  EXPECT_EQ(dc.PixelAt(300, 200), 0x555555u);
}

TEST_F(KnobTest, MarginsWidenTheOuterCells) {
  KnobDescriptor d = Knob({0, 1, 2, 3, 4, 5, 6, 7});
  d.verticalMargin = 5;
  d.horizontalMargin = 4;
  KnobClass k;
  ASSERT_TRUE(k.InitialiseWithMargins(d));
  platform::Rect r{-99, -99, -99, -99};
  k.GetRegion(4, r);
  EXPECT_EQ(r.left, 10);
  EXPECT_EQ(r.top, 20);
  EXPECT_EQ(r.right, 20);
  EXPECT_EQ(r.bottom, 35);
  k.GetRegion(7, r);
  EXPECT_EQ(r.left, -4);
  EXPECT_EQ(r.top, -5);
  k.GetRegion(8, r);
  EXPECT_EQ(r.left, -4);  // unchanged
  ClickAt(k, 15, -3);
  EXPECT_EQ(k.GetPosition(), 0);
  ClickAt(k, 32, 15);
  EXPECT_EQ(k.GetPosition(), 2);

  KnobClass plain;
  ASSERT_TRUE(plain.Initialise(Knob({0, 2})));
  ClickAt(plain, 32, 15);  // outside without margins
  EXPECT_EQ(plain.GetPosition(), 0);
}

TEST_F(KnobTest, MissingAllowedImageFails) {
  dir.Remove("Knobs/Sel/Knob090.bmp");
  KnobClass k;
  EXPECT_FALSE(k.Initialise(Knob({0, 2})));
  EXPECT_EQ(k.GetFullText(), "CBaseCockpitControl::Initialise ... No image was loaded ");
  KnobClass other;
  EXPECT_TRUE(other.Initialise(Knob({0, 4})));
}

TEST_F(KnobTest, RotaryKnobAccelerates) {
  RotaryKnobDescriptor d;
  d.folder = dir.Root();
  d.names[0] = "Rot0.bmp";
  d.names[1] = "Rot1.bmp";
  d.names[2] = "Rot2.bmp";
  d.offsetX = 50;
  d.offsetY = 50;
  d.step = 5;
  d.maximum = 100;
  d.minimum = 10;
  RotaryKnobClass k;
  ASSERT_TRUE(k.Initialise(d)) << k.GetFullText();
  EXPECT_EQ(k.GetStep(), 5);

  const std::vector<int> expected = {1, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 2, 3,
                                     3, 3, 3, 3, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5};
  PointerAt(50 + 30, 50 + 10);
  std::vector<int> deltas;
  for (int i = 0; i < 30; i++) {
    deltas.push_back(k.GetDelta(kEventLeftDown));
  }
  EXPECT_EQ(deltas, expected);
  EXPECT_EQ(k.GetDelta(kEventNone), 0);
  EXPECT_EQ(k.GetHoldCount(), 0);

  PointerAt(50 + 5, 50 + 10);
  EXPECT_EQ(k.GetDelta(kEventLeftDown), -1);
  PointerAt(50 + 20, 50 + 10);  // the dividing column belongs to neither half
  EXPECT_EQ(k.GetDelta(kEventLeftDown), 0);
  k.CheckTouched(kEventNone);
  EXPECT_FALSE(k.IsTouched());
  PointerAt(50 + 21, 50 + 10);
  k.CheckTouched(kEventNone);
  EXPECT_TRUE(k.IsTouched());

  k.SetValue(5);
  EXPECT_EQ(k.GetValue(), 10);
  k.SetValue(500);
  EXPECT_EQ(k.GetValue(), 100);
  k.SetRange(15000, 9000);
  k.SetValue(12600);
  EXPECT_EQ(k.GetValue(), 12600);

  platform::DrawSurface dc;
  BlankSurface(dc);
  k.SetImage(7);
  k.SetImage(2);
  k.Paint(dc);
  EXPECT_EQ(dc.PixelAt(50, 50), 0x606060u);
}
