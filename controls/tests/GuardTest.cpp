#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "controls/GuardedButton.h"
#include "controls/GuardedCover.h"
#include "controls/tests/ControlFixtures.h"

namespace {
const char* const kParts[8] = {"top", "bottom", "left", "right", "vertical", "horizontal", "opentop", "openbot"};
const char* const kEight[8] = {"TopIn", "BotIn", "BothIn", "NoneIn", "TopOut", "BotOut", "BothOut", "NoneOut"};

uint32_t PartColour(int part) { return 0x101010u * (part + 1) + 0x000005u; }

class GuardTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Bitmap("Guards/Plate/Up.bmp", 20, 30, 0x00FF00);
    dir.Bitmap("Guards/Plate/Down.bmp", 20, 30, 0xFF0000);
    for (int i = 0; i < 8; i++) {
      dir.Bitmap(std::string("Guards/Black/") + kParts[i] + ".bmp", 2, 2, PartColour(i));
    }
    for (int i = 0; i < 8; i++) {
      dir.Bitmap(std::string("Buttons/Eight/") + kEight[i] + ".bmp", 30, 30, 0x111111u * (i + 1));
    }
  }

  ButtonDescriptor Descriptor(const char* name) {
    ButtonDescriptor d;
    d.id = 3;
    d.folder = dir.Root();
    d.name = name;
    d.originX = 100;
    d.originY = 50;
    d.offsetX = 10;
    d.offsetY = 10;
    return d;
  }

  FixtureFolder dir;
};
}  // namespace

TEST_F(GuardTest, CoverTogglesOncePerArmedRightPress) {
  GuardedCover cover;
  ASSERT_TRUE(cover.Initialise(Descriptor("Guards\\Plate"))) << cover.GetFullText();
  EXPECT_TRUE(cover.IsClosed());
  PointerAt(115, 70);
  cover.Click(kEventRightDown);  // not armed yet
  EXPECT_TRUE(cover.IsClosed());
  cover.Click(kEventNone);
  cover.Click(kEventRightDown);
  EXPECT_EQ(cover.GetCover(), GuardedCover::kLifted);
  EXPECT_EQ(cover.GetState(), 0);
  for (int i = 0; i < 5; i++) {
    cover.Click(kEventRightDown);  // held
  }
  EXPECT_EQ(cover.GetCover(), GuardedCover::kLifted);
  cover.Click(kEventLeftDown);  // other buttons neither arm nor toggle
  cover.Click(kEventRightDown);
  EXPECT_EQ(cover.GetCover(), GuardedCover::kLifted);

  cover.Click(kEventNone);
  PointerAt(110, 70);  // on the left edge: not strictly inside
  cover.Click(kEventRightDown);
  EXPECT_EQ(cover.GetCover(), GuardedCover::kLifted);
  EXPECT_TRUE(cover.IsArmed());
  PointerAt(111, 70);
  cover.Click(kEventRightDown);
  EXPECT_TRUE(cover.IsClosed());
  EXPECT_EQ(cover.GetState(), 1);
}

TEST_F(GuardTest, CoverDrawsDownWhileClosedAndUpWhenLifted) {
  GuardedCover cover;
  ASSERT_TRUE(cover.Initialise(Descriptor("Guards\\Plate")));
  platform::DrawSurface dc;
  BlankSurface(dc);
  cover.Paint(dc);
  EXPECT_EQ(dc.PixelAt(110, 60), 0xFF0000u);
  PointerAt(115, 70);
  cover.Click(kEventNone);
  cover.Click(kEventRightDown);
  cover.Paint(dc);
  EXPECT_EQ(dc.PixelAt(110, 60), 0x00FF00u);

  dir.Remove("Guards/Plate/Down.bmp");
  GuardedCover missing;
  EXPECT_FALSE(missing.Initialise(Descriptor("Guards\\Plate")));
  EXPECT_EQ(missing.GetFullText(), "CBaseCockpitControl::IsCoverValid ... No image was loaded ");
}

TEST_F(GuardTest, DefaultGeometry) {
  GuardedButton guard;
  ASSERT_TRUE(guard.InitialiseGuard(Descriptor("Guards\\Black")));
  EXPECT_FALSE(guard.IsActive());
  EXPECT_EQ(guard.GetId(), 3);
  const int X = 110;
  const int Y = 60;
  ViewPoint left = guard.GetPartPosition(GuardedButton::kLeft);
  ViewPoint right = guard.GetPartPosition(GuardedButton::kRight);
  EXPECT_EQ(left.x, X);
  EXPECT_EQ(right.x - left.x, 32);
  EXPECT_EQ(guard.GetPartPosition(GuardedButton::kTop).y, Y - 2);
  EXPECT_EQ(guard.GetPartPosition(GuardedButton::kBottom).y, Y + 33);
  EXPECT_EQ(guard.GetPartPosition(GuardedButton::kHorizontal).x, X);
  EXPECT_EQ(guard.GetPartPosition(GuardedButton::kVertical).x, X + 18);
  platform::Rect r = guard.GetGuardRect();
  EXPECT_EQ(r.left, X);
  EXPECT_EQ(r.top, Y - 2);
  EXPECT_EQ(r.right, X + 32);
  EXPECT_EQ(r.bottom, Y + 33);
  EXPECT_EQ(guard.GetClickArea().right, 32);
  EXPECT_EQ(guard.GetClickArea().bottom, 35);
  EXPECT_EQ(guard.GetX(), X);
  EXPECT_EQ(guard.GetY(), Y - 2);
}

TEST_F(GuardTest, GuardClickIncludesTheBordersAndKeepsArmingOutside) {
  GuardedButton guard;
  ASSERT_TRUE(guard.InitialiseGuard(Descriptor("Guards\\Black")));
  guard.Update(kEventNone, false, false, false);
  PointerAt(110 + 33, 58);  // just outside the click area
  guard.Update(kEventRightDown, false, false, false);
  EXPECT_TRUE(guard.IsClosed());
  EXPECT_TRUE(guard.IsArmed());
  PointerAt(110 + 32, 58 + 35);  // bottom-right corner, bounds included
  guard.Update(kEventRightDown, false, false, false);
  EXPECT_EQ(guard.GetCover(), GuardedButton::kLifted);
  guard.Update(kEventRightDown, false, false, false);
  EXPECT_EQ(guard.GetCover(), GuardedButton::kLifted);
  guard.Update(kEventNone, false, false, false);
  guard.Update(kEventRightDown, false, false, false);
  EXPECT_TRUE(guard.IsClosed());
}

TEST_F(GuardTest, ClosedGuardKeepsTheButtonFromTheMouse) {
  GuardedButton guarded;
  ASSERT_TRUE(guarded.Initialise(Descriptor("Guards\\Black"), Descriptor("Buttons\\Eight"))) << guarded.GetFullText();
  EXPECT_TRUE(guarded.IsActive());
  PointerAt(120, 70);
  guarded.Update(kEventNone, false, false, false);
  guarded.Update(kEventLeftDown, false, false, false);
  guarded.Update(kEventNone, false, false, false);
  EXPECT_FALSE(guarded.IsPressed());
  guarded.Update(kEventRightDown, false, false, false);  // lift
  EXPECT_FALSE(guarded.IsClosed());
  guarded.Update(kEventNone, false, false, false);
  guarded.Update(kEventLeftDown, false, false, false);
  guarded.Update(kEventNone, false, false, false);
  EXPECT_TRUE(guarded.IsPressed());
  guarded.SetPressed(false);
  EXPECT_FALSE(guarded.IsPressed());

  GuardedButton broken;
  EXPECT_FALSE(broken.Initialise(Descriptor("Guards\\Black"), Descriptor("Buttons\\Nowhere")));
  EXPECT_NE(broken.GetFullText().find("Nowhere"), std::string::npos);
}

TEST_F(GuardTest, LiftedGuardDrawsLiftedBottomOnceThenLiftedTop) {
  dir.Remove("Guards/Black/opentop.bmp");
  GuardedButton guard;
  GuardGeometry geometry;
  geometry.g[13] = -10;  // lifted top 10 rows above the top part
  geometry.g[15] = -10;  // lifted bottom 10 rows above the lifted top
  guard.SetGeometry(geometry);
  ASSERT_TRUE(guard.InitialiseGuard(Descriptor("Guards\\Black")));  // a missing part does not fail
  EXPECT_FALSE(guard.IsImageLoaded(GuardedButton::kOpenTop));

  platform::DrawSurface dc;
  BlankSurface(dc);
  guard.Paint(dc);
  for (int part : {GuardedButton::kLeft, GuardedButton::kRight, GuardedButton::kTop, GuardedButton::kBottom,
                   GuardedButton::kVertical, GuardedButton::kHorizontal}) {
    ViewPoint p = guard.GetPartPosition(part);
    EXPECT_EQ(dc.PixelAt(p.x, p.y), PartColour(part)) << part;
  }
  ViewPoint openBottom = guard.GetPartPosition(GuardedButton::kOpenBottom);
  EXPECT_EQ(openBottom.y, 58 - 20);
  EXPECT_EQ(dc.PixelAt(openBottom.x, openBottom.y), 0u);

  PointerAt(115, 70);
  guard.GuardClick(kEventNone);
  guard.GuardClick(kEventRightDown);
  ASSERT_FALSE(guard.IsClosed());
  guard.Paint(dc);
  EXPECT_EQ(dc.PixelAt(openBottom.x, openBottom.y), PartColour(GuardedButton::kOpenBottom));
  BlankSurface(dc);
  guard.Paint(dc);  // lifted top only, which is missing: nothing drawn
  EXPECT_EQ(dc.PixelAt(openBottom.x, openBottom.y), 0u);
}
