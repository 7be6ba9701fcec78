#include <gtest/gtest.h>

#include <string>

#include "controls/LightClass.h"
#include "controls/PanelDisplay.h"
#include "controls/tests/ControlFixtures.h"

namespace {
constexpr int kGlyphW = 8;
constexpr int kGlyphH = 12;

uint32_t GlyphColour(int index) { return 0x400000u | (static_cast<uint32_t>(index) << 8) | (index + 1); }

class DisplayTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DisplayGlyphSet::Shared().Reset();
    for (int i = 0; i < DisplayGlyphSet::kGlyphCount; i++) {
      const char* name = DisplayGlyphSet::FileName(i);
      if (name[0] != '\0') {
        dir.Bitmap(std::string("DigitalDisplay/") + name, kGlyphW, kGlyphH, GlyphColour(i));
      }
    }
    BlankSurface(dc);
  }
  void TearDown() override { DisplayGlyphSet::Shared().Reset(); }

  DisplayDescriptor Descriptor(int cells) {
    DisplayDescriptor d;
    d.cellCount = cells;
    d.folder = dir.Root();
    d.originX = 100;
    d.originY = 40;
    d.offsetX = 10;
    d.offsetY = 5;
    return d;
  }

  // Pixel at the top-left of cell i of a display at (110, 45).
  uint32_t CellPixel(int i) const { return dc.PixelAt(110 + i * kGlyphW, 45); }

  FixtureFolder dir;
  platform::DrawSurface dc;
};
}  // namespace

TEST(DisplayGlyphs, CharacterMapping) {
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('B'), 8);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('a'), DisplayGlyphSet::kBlank);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('d'), 12);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('o'), 15);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('t'), 11);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('D'), 0);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('O'), 0);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('7'), 7);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('@'), 38);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('&'), 21);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor('X'), DisplayGlyphSet::kBlank);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor(' '), DisplayGlyphSet::kBlank);
  EXPECT_EQ(DisplayGlyphSet::GlyphFor(static_cast<char>(0xC8)), DisplayGlyphSet::kBlank);
  EXPECT_EQ(DisplayGlyphSet::FileName(34)[0], '\0');
  EXPECT_STREQ(DisplayGlyphSet::FileName(38), "zeropnt.bmp");
}

TEST_F(DisplayTest, CellsAreLaidOutAndCappedAt49) {
  CPanelDisplay display;
  ASSERT_TRUE(display.Initialise(Descriptor(60))) << display.GetFullText();
  EXPECT_EQ(display.GetCellCount(), 49);
  EXPECT_EQ(display.Cell(48)->GetCellX(), 110 + 48 * kGlyphW);
  EXPECT_EQ(display.Cell(48)->GetCellY(), 45);
  EXPECT_EQ(display.Cell(49), nullptr);

  CPanelDisplay none;
  EXPECT_FALSE(none.Initialise(Descriptor(0)));
  EXPECT_EQ(none.GetCellCount(), 0);
}

TEST_F(DisplayTest, TextsAreCutToTheCellsAndShortTextsKeepTheRest) {
  CPanelDisplay display;
  ASSERT_TRUE(display.Initialise(Descriptor(4)));
  display.SetDisplay("12345", dc);
  for (int i = 0; i < 4; i++) {
    EXPECT_EQ(CellPixel(i), GlyphColour(i + 1)) << i;
  }
  EXPECT_EQ(CellPixel(4), 0u);
  display.SetDisplay("Bt", dc);
  EXPECT_EQ(CellPixel(0), GlyphColour(8));
  EXPECT_EQ(CellPixel(1), GlyphColour(11));
  EXPECT_EQ(display.Cell(2)->GetLastChar(), '3');
  EXPECT_EQ(display.Cell(3)->GetLastChar(), '4');

  // A text without a terminator is read only as far as the cells go.
  const char unterminated[4] = {'9', '8', '7', '6'};
  display.SetDisplay(unterminated, dc);
  EXPECT_EQ(CellPixel(3), GlyphColour(6));
  display.SetDisplay(nullptr, dc);
}

TEST_F(DisplayTest, UnchangedTextDrawsNothing) {
  CPanelDisplay display;
  ASSERT_TRUE(display.Initialise(Descriptor(4)));
  display.SetDisplay("do-t", dc);
  EXPECT_EQ(CellPixel(0), GlyphColour(12));
  EXPECT_EQ(CellPixel(1), GlyphColour(15));
  EXPECT_EQ(CellPixel(2), GlyphColour(13));
  BlankSurface(dc);
  display.SetDisplay("do-t", dc);
  for (int i = 0; i < 4; i++) {
    for (int y = 45; y < 45 + kGlyphH; y++) {
      for (int x = 110 + i * kGlyphW; x < 110 + (i + 1) * kGlyphW; x++) {
        ASSERT_EQ(dc.PixelAt(x, y), 0u) << x << "," << y;
      }
    }
  }
  display.SetDisplay("dot", dc);  // only the changed third cell draws
  EXPECT_EQ(CellPixel(0), 0u);
  EXPECT_EQ(CellPixel(2), GlyphColour(11));
}

TEST_F(DisplayTest, AtSignFirstDrawsNothingUntilTheCharacterChanges) {
  CPanelDisplay display;
  ASSERT_TRUE(display.Initialise(Descriptor(2)));
  display.SetDisplay("@a", dc);
  EXPECT_EQ(CellPixel(0), 0u);
  EXPECT_EQ(CellPixel(1), GlyphColour(DisplayGlyphSet::kBlank));
  display.SetDisplay("0", dc);
  EXPECT_EQ(CellPixel(0), GlyphColour(0));
}

TEST_F(DisplayTest, GlyphsLoadOncePerProcess) {
  CPanelDisplay first;
  ASSERT_TRUE(first.Initialise(Descriptor(2)));
  EXPECT_TRUE(DisplayGlyphSet::Shared().IsLoaded());
  dir.Remove("DigitalDisplay/zero.bmp");
  CPanelDisplay second;
  EXPECT_TRUE(second.Initialise(Descriptor(2)));  // the complete set is shared

  DisplayGlyphSet::Shared().Reset();
  CPanelDisplay third;
  EXPECT_FALSE(third.Initialise(Descriptor(2)));
  const std::string text = third.GetFullText();
  EXPECT_EQ(text.rfind("CDisplaySegment::LoadBitMap\n", 0), 0u) << text;
  EXPECT_NE(text.find("DigitalDisplay\\zero.bmp\n"), std::string::npos) << text;
  EXPECT_EQ(DisplayGlyphSet::Shared().Glyph(0), nullptr);
  EXPECT_NE(DisplayGlyphSet::Shared().Glyph(1), nullptr);
  EXPECT_EQ(DisplayGlyphSet::Shared().Glyph(39), nullptr);
  third.SetDisplay("0", dc);
  EXPECT_EQ(third.GetFullText(), "CPanelDisplay::SetDisplay\nObject Not Initialise");
}

namespace {
class LightTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.Bitmap("Lights/Avail/On.bmp", 10, 10, 0xFFFF00);
    dir.Bitmap("Lights/Avail/Off.bmp", 10, 10, 0x404040);
    BlankSurface(dc);
  }
  ButtonDescriptor Descriptor() {
    ButtonDescriptor d;
    d.id = 2;
    d.folder = dir.Root();
    d.name = "Lights\\Avail";
    d.originX = 30;
    d.originY = 30;
    return d;
  }
  FixtureFolder dir;
  platform::DrawSurface dc;
};
}  // namespace

TEST_F(LightTest, LampTestLightsALightWhoseInputIsOff) {
  LightClass light;
  ASSERT_TRUE(light.Initialise(Descriptor())) << light.GetFullText();
  EXPECT_EQ(light.GetId(), 2);
  light.SetLightState(false, false);
  light.Paint(dc);
  EXPECT_EQ(dc.PixelAt(30, 30), 0x404040u);
  light.SetLightState(false, true);
  light.Paint(dc);
  EXPECT_EQ(dc.PixelAt(30, 30), 0xFFFF00u);
  light.SetLightState(true, false);
  EXPECT_EQ(light.GetState(), 0);
}

TEST_F(LightTest, MissingOffImageStillInitialisesAndDarkDrawsNothing) {
  dir.Remove("Lights/Avail/Off.bmp");
  LightClass light;
  EXPECT_TRUE(light.Initialise(Descriptor()));
  light.SetLightState(false, false);
  light.Paint(dc);
  EXPECT_EQ(dc.PixelAt(30, 30), 0u);

  dir.Remove("Lights/Avail/On.bmp");
  LightClass none;
  EXPECT_FALSE(none.Initialise(Descriptor()));
  EXPECT_NE(none.GetFullText().find("Off.bmp"), std::string::npos);
  EXPECT_EQ(none.GetId(), 2);
}
