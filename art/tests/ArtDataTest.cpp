// The art description: parsing, file names per control type, guard geometry,
// and the placement of every control on its panel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "art/ArtData.h"

namespace {

using namespace art;

std::string SourceDir() {
  const char* dir = std::getenv("TARNEL_SOURCE_DIR");
  return dir != nullptr && *dir != '\0' ? dir : TARNEL_ART_SOURCE_DIR;
}

bool Parse(const std::string& text, ArtData& data, std::string& error) {
  char buffer[1024] = "";
  bool ok = ParseArtData(text, "test.txt", data, buffer, sizeof buffer);
  error = buffer;
  return ok;
}

TEST(ArtDataParser, BadLinesAreReportedWithTheirLineNumber) {
  const struct {
    const char* text;
    const char* where;
    const char* what;
  } cases[] = {
      {"# comment\n\nbutton3 | Buttons\\X | 32x32 | A white | B white\n", "test.txt:3:", "unknown record type"},
      {"button2 | Buttons\\X | 32by32 | A white | B white\n", "test.txt:1:", "bad size"},
      {"button2 | Buttons\\X | 32x32 | A pink | B white\n", "test.txt:1:", "bad lamp"},
      {"button2 | Buttons\\X | 32x32 | A white\n", "test.txt:1:", "takes 4 to 5 fields"},
      {"light | Lights\\X | 10x10 | ON green\nlight | Lights\\X | 10x10 | ON green\n", "test.txt:2:", "listed twice"},
      {"knob | Knobs\\K | 40x40 | a,b,c\n", "test.txt:1:", "8 comma-separated"},
      {"switch | Switches\\S | 20x40 | lever | OnlyOne\n", "test.txt:1:", "2 or 3 file names"},
      {"guard | Guards\\G | huge | red\n", "test.txt:1:", "bad guard geometry"},
      {"panel | 1 | P | 0,0,10,10 | -1,-1\ncontrol | 1 | Buttons\\Missing | 1,1\n", "test.txt:2:", "no image set"},
      {"light | Lights\\L | 10x10 | ON green\ncontrol | 7 | Lights\\L | 1,1\n", "test.txt:2:", "no panel 7"},
      {"panel | 1 | P | 0,0,10 | -1,-1\n", "test.txt:1:", "bad rectangle"},
      {"light | Lights/L | 10x10 | ON green\n", "test.txt:1:", "backslashes"},
  };
  for (const auto& c : cases) {
    ArtData data;
    std::string error;
    EXPECT_FALSE(Parse(c.text, data, error)) << c.text;
    EXPECT_NE(error.find(c.where), std::string::npos) << error;
    EXPECT_NE(error.find(c.what), std::string::npos) << error;
  }
}

TEST(ArtDataParser, ReadsEveryRecordKind) {
  const char* text =
      "button2 | Buttons\\FaultOff | 32x32 | FAULT amber | SYS ON white\n"
      "button1 | Buttons\\Key | 32x22 | VHF1 green | face\n"
      "switch | Switches\\LightB | 28x50 | lever | LightBUp LightBDn LightBDn\n"
      "knob | Knobs\\K | 60x60 | A,.,,,,,,B\n"
      "panel | 19 | OXYGEN | 613,830,285,110 | -1,-1\n"
      "control | 19 | Buttons\\FaultOff | 20,45 | CREW/SUPPLY\n"
      "control | 19 | Switches\\LightBDn | 100,45\n"
      "display | 19 | 5,5 | 4\n"
      "text | 19 | 50,90 | LEGEND\n";
  ArtData data;
  std::string error;
  ASSERT_TRUE(Parse(text, data, error)) << error;
  const ImageSet* button = data.FindSet("Buttons\\FaultOff");
  ASSERT_NE(button, nullptr);
  EXPECT_EQ(button->upper.text, "FAULT");
  EXPECT_EQ(button->upper.colour, LampColour::Amber);
  EXPECT_EQ(button->lower.text, "SYS ON");
  EXPECT_EQ(data.FindSet("Buttons\\Key")->style, "face");
  EXPECT_EQ(data.FindSet("Knobs\\K")->labels[1], ".");
  EXPECT_EQ(data.FindSet("Knobs\\K")->labels[7], "B");
  ASSERT_EQ(data.controls.size(), 3u);
  EXPECT_EQ(data.controls[0].label, "CREW/SUPPLY");
  EXPECT_EQ(data.SetOfControl(data.controls[1]), data.FindSet("Switches\\LightB"));
  EXPECT_EQ(data.controls[2].cells, 4);
  ASSERT_EQ(data.legends.size(), 1u);
  EXPECT_EQ(data.FindPanel(19)->w, 285);
}

TEST(ArtDataFiles, EachControlTypeHasItsFileNames) {
  ImageSet set;
  set.name = "Buttons\\FaultOff";
  set.kind = SetKind::TwoLamp;
  std::vector<std::string> files = ImageFiles(set);
  ASSERT_EQ(files.size(), 8u);
  EXPECT_EQ(files[0], "Buttons\\FaultOff\\TopIn.bmp");
  EXPECT_EQ(files[2], "Buttons\\FaultOff\\BothIn.bmp");
  EXPECT_EQ(files[7], "Buttons\\FaultOff\\NoneOut.bmp");
  set.kind = SetKind::OneLamp;
  files = ImageFiles(set);
  ASSERT_EQ(files.size(), 4u);
  EXPECT_EQ(files[0], "Buttons\\FaultOff\\OnIn.bmp");
  EXPECT_EQ(files[3], "Buttons\\FaultOff\\OffOut.bmp");
  set.name = "Knobs\\ColdHot";
  set.kind = SetKind::Knob;
  files = ImageFiles(set);
  ASSERT_EQ(files.size(), 8u);
  EXPECT_EQ(files[1], "Knobs\\ColdHot\\Knob045.bmp");
  EXPECT_EQ(files[7], "Knobs\\ColdHot\\Knob315.bmp");
  set.name = "Guards\\StandardRed";
  set.kind = SetKind::Guard;
  files = ImageFiles(set);
  ASSERT_EQ(files.size(), 8u);
  EXPECT_EQ(files[0], "Guards\\StandardRed\\top.bmp");
  EXPECT_EQ(files[5], "Guards\\StandardRed\\horizontal.bmp");
  EXPECT_EQ(files[7], "Guards\\StandardRed\\openbot.bmp");
  set.name = "Guards\\RedPlate";
  set.kind = SetKind::Cover;
  EXPECT_EQ(ImageFiles(set), (std::vector<std::string>{"Guards\\RedPlate\\Up.bmp", "Guards\\RedPlate\\Down.bmp"}));
  set.name = "Lights\\N1Mode";
  set.kind = SetKind::Light;
  EXPECT_EQ(ImageFiles(set), (std::vector<std::string>{"Lights\\N1Mode\\On.bmp", "Lights\\N1Mode\\Off.bmp"}));
  // Switch files live directly in the Switches folder; a repeated name is one file.
  set.name = "Switches\\LightB";
  set.kind = SetKind::Switch;
  set.files = {"LightBUp", "LightBDn", "LightBDn"};
  EXPECT_EQ(ImageFiles(set), (std::vector<std::string>{"Switches\\LightBUp.bmp", "Switches\\LightBDn.bmp"}));
  set.name = "DigitalDisplay";
  set.kind = SetKind::Glyphs;
  files = ImageFiles(set);
  ASSERT_EQ(files.size(), 37u);
  EXPECT_EQ(files[0], "DigitalDisplay\\zero.bmp");
  EXPECT_EQ(files[29], "DigitalDisplay\\BigT.bmp");
  EXPECT_EQ(files[36], "DigitalDisplay\\zeropnt.bmp");
}

TEST(ArtDataGuards, PartsSitAtTheGuardGeometryOffsets) {
  // Slots: top, bottom, left, right, vertical, horizontal, opentop, openbot.
  std::array<PartRect, 8> s = GuardParts(GuardGeometry::Standard);
  const int standard[8][2] = {{-1, -2}, {2, 33}, {0, 0}, {32, 0}, {18, 2}, {0, 17}, {-1, -2}, {-1, -2}};
  std::array<PartRect, 8> f = GuardParts(GuardGeometry::Fire);
  const int fire[8][2] = {{0, -20}, {0, 45}, {0, -20}, {106, -20}, {0, 0}, {0, 0}, {0, -25}, {0, 20}};
  for (int i = 0; i < 8; ++i) {
    EXPECT_EQ(s[i].x, standard[i][0]) << kGuardPartNames[i];
    EXPECT_EQ(s[i].y, standard[i][1]) << kGuardPartNames[i];
    EXPECT_EQ(f[i].x, fire[i][0]) << kGuardPartNames[i];
    EXPECT_EQ(f[i].y, fire[i][1]) << kGuardPartNames[i];
  }
  // The part drawn once when a guard opens must clear every closed part.
  for (GuardGeometry g : {GuardGeometry::Standard, GuardGeometry::Fire}) {
    std::array<PartRect, 8> p = GuardParts(g);
    PartRect open = p[7];
    PartRect top = p[6];
    for (int i = 0; i < 6; ++i) {
      // Rows above the button are covered by the lifted top, the others by openbot,
      // except where the button itself is repainted (x 0..w, y 0..h).
      int bw = g == GuardGeometry::Standard ? 32 : 110, bh = g == GuardGeometry::Standard ? 32 : 45;
      for (int y = p[i].y; y < p[i].y + p[i].h; ++y) {
        for (int x = p[i].x; x < p[i].x + p[i].w; ++x) {
          bool button = x >= 0 && x < bw && y >= 0 && y < bh;
          bool inOpen = x >= open.x && x < open.x + open.w && y >= open.y && y < open.y + open.h;
          bool inTop = x >= top.x && x < top.x + top.w && y >= top.y && y < top.y + top.h;
          EXPECT_TRUE(button || inOpen || inTop) << kGuardPartNames[i] << " at " << x << "," << y;
        }
      }
    }
  }
}

// A closed standard guard frames its button: no closed part lies over the
// button's face, where its legends are.
TEST(ArtDataGuards, ClosedStandardGuardLeavesTheButtonFaceOpen) {
  std::array<PartRect, 8> p = GuardParts(GuardGeometry::Standard);
  const PartRect face{3, 3, 26, 26};  // inside the 32 x 32 button's collar
  for (int i = 0; i < 6; ++i) {
    const bool apart = p[i].x + p[i].w <= face.x || p[i].x >= face.x + face.w || p[i].y + p[i].h <= face.y ||
                       p[i].y >= face.y + face.h;
    EXPECT_TRUE(apart) << kGuardPartNames[i];
  }
}

// The rectangle a control covers on its panel.
bool ControlRect(const ArtData& data, const Control& c, PartRect& r) {
  if (c.cells > 0) {
    const ImageSet* glyphs = data.FindSet("DigitalDisplay");
    if (glyphs == nullptr) return false;
    r = PartRect{c.x, c.y, glyphs->size.w * c.cells, glyphs->size.h};
    return true;
  }
  const ImageSet* set = data.SetOfControl(c);
  if (set == nullptr) return false;
  if (set->kind == SetKind::Guard) {
    GuardGeometry g;
    if (!GuardGeometryFromStyle(set->style.substr(0, set->style.find(' ')), g)) return false;
    PartRect b = GuardBounds(g);
    r = PartRect{c.x + b.x, c.y + b.y, b.w, b.h};
    return true;
  }
  r = PartRect{c.x, c.y, set->size.w, set->size.h};
  return true;
}

bool Inside(const PartRect& inner, const PartRect& outer) {
  return inner.x >= outer.x && inner.y >= outer.y && inner.x + inner.w <= outer.x + outer.w &&
         inner.y + inner.h <= outer.y + outer.h;
}

bool IsCover(const ArtData& data, const Control& c) {
  const ImageSet* set = data.SetOfControl(c);
  return c.cells == 0 && set != nullptr && (set->kind == SetKind::Guard || set->kind == SetKind::Cover);
}

TEST(ArtDataLayout, EveryControlFitsItsPanelWithoutOverlap) {
  ArtData data;
  char error[1024] = "";
  std::string path = SourceDir() + "/art/art_sets.txt";
  ASSERT_TRUE(LoadArtData(path.c_str(), data, error, sizeof error)) << error;
  ASSERT_FALSE(data.controls.empty());
  for (std::size_t i = 0; i < data.controls.size(); ++i) {
    const Control& a = data.controls[i];
    const Panel* panel = data.FindPanel(a.panel);
    ASSERT_NE(panel, nullptr);
    PartRect ra;
    ASSERT_TRUE(ControlRect(data, a, ra)) << "line " << a.line;
    EXPECT_TRUE(Inside(ra, PartRect{0, 0, panel->w, panel->h}))
        << a.set << " at line " << a.line << " leaves panel " << panel->id;
    for (std::size_t j = i + 1; j < data.controls.size(); ++j) {
      const Control& b = data.controls[j];
      PartRect rb;
      if (b.panel != a.panel || !ControlRect(data, b, rb)) continue;
      bool overlap = ra.x < rb.x + rb.w && rb.x < ra.x + ra.w && ra.y < rb.y + rb.h && rb.y < ra.y + ra.h;
      if (!overlap) continue;
      // A guard or cover holds the button it protects.
      bool guarded = (IsCover(data, a) && !IsCover(data, b) && Inside(rb, ra)) ||
                     (IsCover(data, b) && !IsCover(data, a) && Inside(ra, rb));
      EXPECT_TRUE(guarded) << a.set << " (line " << a.line << ") overlaps " << b.set << " (line " << b.line << ")";
    }
  }
}

}  // namespace
