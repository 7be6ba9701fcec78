#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "controls/CButtonClass.h"
#include "controls/tests/ControlFixtures.h"

namespace {
const char* const kEight[8] = {"TopIn", "BotIn", "BothIn", "NoneIn", "TopOut", "BotOut", "BothOut", "NoneOut"};
const char* const kFour[4] = {"OnIn", "OffIn", "OnOut", "OffOut"};

// Buttons are 20 x 16 at (100 + 5, 50 + 6).
class ButtonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (int i = 0; i < 8; i++) {
      dir.Bitmap(std::string("Buttons/Eight/") + kEight[i] + ".bmp", 20, 16, 0x111111u * (i + 1));
    }
    for (int i = 0; i < 4; i++) {
      dir.Bitmap(std::string("Buttons/Four/") + kFour[i] + ".bmp", 20, 16, 0x111111u * (i + 1));
    }
  }

  ButtonDescriptor Descriptor(bool momentary, bool twoLight) {
    ButtonDescriptor d;
    d.id = 7;
    d.folder = dir.Root();
    d.name = twoLight ? "Buttons\\Four" : "Buttons\\Eight";
    d.originX = 100;
    d.originY = 50;
    d.offsetX = 5;
    d.offsetY = 6;
    d.momentary = momentary;
    d.twoLight = twoLight;
    return d;
  }

  // A pointer position relative to the button's top-left corner.
  static void On(int x, int y) { PointerAt(105 + x, 56 + y); }

  FixtureFolder dir;
};
}  // namespace

TEST_F(ButtonTest, InitialisePlacesTheButtonAndKeepsTheId) {
  CButtonClass b;
  ASSERT_TRUE(b.Initialise(Descriptor(false, false))) << b.GetFullText();
  EXPECT_EQ(b.GetId(), 7);
  EXPECT_EQ(b.GetX(), 105);
  EXPECT_EQ(b.GetY(), 56);
  EXPECT_EQ(b.GetRect().right, 125);

  dir.Remove("Buttons/Eight/NoneOut.bmp");
  CButtonClass missing;
  EXPECT_FALSE(missing.Initialise(Descriptor(false, false)));
  EXPECT_EQ(missing.GetId(), 7);
  EXPECT_NE(missing.GetFullText().find("NoneOut.bmp"), std::string::npos);
}

TEST_F(ButtonTest, LightCodesAndLampTest) {
  CButtonClass b;
  ASSERT_TRUE(b.Initialise(Descriptor(false, false)));
  PointerAt(0, 0);  // off the button
  b.Update(kEventNone, false, false, true);
  EXPECT_EQ(b.GetState(), 6);  // BothOut
  b.Update(kEventNone, true, false, false);
  EXPECT_EQ(b.GetState(), 4);
  b.Update(kEventNone, false, true, false);
  EXPECT_EQ(b.GetState(), 5);
  b.Update(kEventNone, false, false, false);
  EXPECT_EQ(b.GetState(), 7);
  // Without an event only the light code changes.
  b.Update(std::nullopt, true, true, false);
  EXPECT_EQ(b.GetLightCode(), 2);
  EXPECT_EQ(b.GetState(), 7);
  b.SetPressed(true);
  EXPECT_EQ(b.GetState(), 2);  // BothIn

  platform::DrawSurface dc;
  BlankSurface(dc);
  b.Paint(dc);
  EXPECT_EQ(dc.PixelAt(105, 56), 0x333333u);
  EXPECT_EQ(b.GetLastDrawnState(), 2);
}

TEST_F(ButtonTest, FourImageButtons) {
  CButtonClass b;
  ASSERT_TRUE(b.Initialise(Descriptor(false, true))) << b.GetFullText();
  On(5, 5);
  b.Update(kEventNone, false, false, false);
  EXPECT_EQ(b.GetState(), 3);  // OffOut
  b.UpdateTwoLight(kEventNone, false, true);
  EXPECT_EQ(b.GetState(), 2);  // OnOut
  b.Update(kEventLeftDown, true, false, false);
  b.Update(kEventNone, true, false, false);
  EXPECT_TRUE(b.IsPressed());
  EXPECT_EQ(b.GetState(), 0);  // OnIn
}

TEST_F(ButtonTest, LatchingPressAndRelease) {
  CButtonClass b;
  ASSERT_TRUE(b.Initialise(Descriptor(false, false)));
  On(10, 8);
  b.Update(kEventNone, false, false, false);
  b.Update(kEventLeftDown, false, false, false);
  EXPECT_EQ(b.GetPressed(), 1);
  b.Update(kEventLeftDown, false, false, false);  // held: still one press
  EXPECT_EQ(b.GetPressed(), 1);
  b.Update(kEventNone, false, false, false);
  EXPECT_EQ(b.GetPressed(), 2);
  EXPECT_TRUE(b.IsPressed());
  EXPECT_EQ(b.GetState(), 3);  // drawn in
  b.Update(kEventLeftDown, false, false, false);
  EXPECT_FALSE(b.IsPressed());  // out at once, before the release
  EXPECT_EQ(b.GetState(), 3);   // the image follows at the next event
  b.Update(kEventNone, false, false, false);
  EXPECT_FALSE(b.IsPressed());
  EXPECT_EQ(b.GetState(), 7);
}

TEST_F(ButtonTest, MomentaryReleasesOnReleaseAndWhenThePointerSlidesOff) {
  CButtonClass b;
  ASSERT_TRUE(b.Initialise(Descriptor(true, false)));
  On(10, 8);
  b.Update(kEventLeftDown, false, false, false);
  EXPECT_TRUE(b.IsPressed());
  b.Update(kEventNone, false, false, false);
  EXPECT_FALSE(b.IsPressed());

  b.Update(kEventLeftDown, false, false, false);
  EXPECT_TRUE(b.IsPressed());
  On(21, 8);  // one column past the image
  b.Update(kEventLeftDown, false, false, false);
  EXPECT_FALSE(b.IsPressed());
  EXPECT_EQ(b.GetLastEvent(), kEventLeftDown);  // the off-button event is not remembered
}

TEST_F(ButtonTest, BorderIsInsideForTheEventTest) {
  CButtonClass b;
  ASSERT_TRUE(b.Initialise(Descriptor(false, false)));
  for (ViewPoint p : {ViewPoint{20, 8}, ViewPoint{0, 0}, ViewPoint{20, 16}}) {
    CButtonClass c;
    ASSERT_TRUE(c.Initialise(Descriptor(false, false)));
    On(p.x, p.y);
    c.Update(kEventLeftDown, false, false, false);
    EXPECT_TRUE(c.IsPressed()) << p.x << "," << p.y;
    EXPECT_FALSE(c.HitTest({105 + p.x, 56 + p.y}));
  }
  On(-1, 8);
  b.Update(kEventLeftDown, false, false, false);
  EXPECT_FALSE(b.IsPressed());
}

TEST_F(ButtonTest, DisabledButtonIgnoresEvents) {
  CButtonClass b;
  ASSERT_TRUE(b.Initialise(Descriptor(false, false)));
  On(10, 8);
  b.Update(kEventNone, false, false, false);
  b.SetDisabled(true);
  b.Update(kEventLeftDown, false, false, false);
  b.Update(kEventNone, false, false, false);
  EXPECT_FALSE(b.IsPressed());
  EXPECT_EQ(b.GetLastEvent(), kEventNone);
  EXPECT_EQ(b.GetState(), 7);
  b.SetDisabled(false);
  b.Update(kEventLeftDown, false, false, false);
  EXPECT_TRUE(b.IsPressed());
}
