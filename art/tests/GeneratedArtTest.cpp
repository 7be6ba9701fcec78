// The generated art in the program folder: every image a panel names exists
// and loads, sets share one size, the pictures and Tarnel.ini are in place,
// and the generator is deterministic and reports a bad description.
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "art/ArtData.h"

namespace {

using namespace art;

// The folders come from the test environment, or from the build when it is missing.
std::string Env(const char* name) {
  const char* v = std::getenv(name);
  if (v != nullptr && *v != '\0') return v;
  return std::string(name) == "TARNEL_BIN_DIR" ? TARNEL_ART_BIN_DIR : TARNEL_ART_SOURCE_DIR;
}

std::string Native(const std::string& root, std::string relative) {
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  return root + "/" + relative;
}

std::string Bitmaps() { return Env("TARNEL_BIN_DIR") + "/CockpitBitmaps"; }

struct Loaded {
  bool ok = false;
  int w = 0, h = 0;
};

Loaded LoadBmp(const std::string& path) {
  Loaded l;
  SDL_Surface* s = SDL_LoadBMP(path.c_str());
  if (s != nullptr) {
    l.ok = true;
    l.w = s->w;
    l.h = s->h;
    SDL_FreeSurface(s);
  }
  return l;
}

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class GeneratedArt : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(Env("TARNEL_BIN_DIR").empty()) << "TARNEL_BIN_DIR is not set";
    char error[1024] = "";
    std::string path = Env("TARNEL_SOURCE_DIR") + "/art/art_sets.txt";
    ASSERT_TRUE(LoadArtData(path.c_str(), data_, error, sizeof error)) << error;
  }
  ArtData data_;
};

TEST_F(GeneratedArt, EverySetIsCompleteLoadsAndSharesOneSize) {
  int checked = 0;
  for (const ImageSet& set : data_.sets) {
    if (set.kind == SetKind::Picture) continue;
    std::vector<std::string> files = ImageFiles(set);
    std::array<PartRect, 8> parts{};
    if (set.kind == SetKind::Guard) {
      GuardGeometry g;
      ASSERT_TRUE(GuardGeometryFromStyle(set.style.substr(0, set.style.find(' ')), g)) << set.name;
      parts = GuardParts(g);
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
      Loaded l = LoadBmp(Native(Bitmaps(), files[i]));
      ASSERT_TRUE(l.ok) << files[i] << ": " << SDL_GetError();
      // Guard parts have the sizes of the guard geometry; every other set one size.
      int w = set.kind == SetKind::Guard ? parts[i].w : set.size.w;
      int h = set.kind == SetKind::Guard ? parts[i].h : set.size.h;
      EXPECT_EQ(l.w, w) << files[i];
      EXPECT_EQ(l.h, h) << files[i];
      ++checked;
    }
  }
  EXPECT_GT(checked, 400);
}

TEST_F(GeneratedArt, GlyphSetHasAllGlyphsInOneSize) {
  const ImageSet* glyphs = data_.FindSet("DigitalDisplay");
  ASSERT_NE(glyphs, nullptr);
  std::vector<std::string> files = ImageFiles(*glyphs);
  ASSERT_EQ(files.size(), 37u);
  Loaded first = LoadBmp(Native(Bitmaps(), files[0]));
  ASSERT_TRUE(first.ok);
  for (const std::string& f : files) {
    Loaded l = LoadBmp(Native(Bitmaps(), f));
    ASSERT_TRUE(l.ok) << f;
    EXPECT_EQ(l.w, first.w) << f;
    EXPECT_EQ(l.h, first.h) << f;
  }
  // Seven cells fit each radio window: the active one ends before the transfer
  // key at 139, the standby one (from 179) inside the 310-pixel panel.
  EXPECT_LE(23 + 7 * first.w, 139);
  EXPECT_LE(179 + 7 * first.w, 310);
}

// The image names of one panel with the control type that loads them.
struct PanelImage {
  SetKind kind;
  const char* name;
};

void ExpectPanelImages(const char* panel, const std::vector<PanelImage>& images) {
  for (const PanelImage& image : images) {
    ImageSet set;
    set.kind = image.kind;
    set.name = image.name;
    for (const std::string& file : ImageFiles(set)) {
      EXPECT_TRUE(std::filesystem::is_regular_file(Native(Bitmaps(), file))) << panel << ": " << file;
    }
  }
}

// Each panel's image table; add a panel's names here when it is built.
TEST_F(GeneratedArt, PanelImagesExist) {
  ExpectPanelImages("oxygen", {{SetKind::TwoLamp, "Buttons\\DotsOnBlue"},
                               {SetKind::OneLamp, "Buttons\\CallBtn"},
                               {SetKind::TwoLamp, "Buttons\\SysOnDots"},
                               {SetKind::TwoLamp, "Buttons\\DotsOff"},
                               {SetKind::Cover, "Guards\\RedPlate"}});
  // Every control the art description places on a panel.
  for (const Control& c : data_.controls) {
    if (c.cells > 0) continue;
    const ImageSet* set = data_.SetOfControl(c);
    ASSERT_NE(set, nullptr) << c.set;
    if (set->kind == SetKind::Switch) {
      EXPECT_TRUE(std::filesystem::is_regular_file(Native(Bitmaps(), c.set + ".bmp"))) << c.set;
    }
  }
}

TEST_F(GeneratedArt, PicturesAndDefaultIniAreBesideThePrograms) {
  std::string bin = Env("TARNEL_BIN_DIR");
  Loaded picture = LoadBmp(bin + "/Pictures/OverheadPanel.bmp");
  ASSERT_TRUE(picture.ok);
  EXPECT_EQ(picture.w, 1880);
  EXPECT_EQ(picture.h, 1300);
  Loaded banner = LoadBmp(bin + "/Pictures/LisketBanner.bmp");
  ASSERT_TRUE(banner.ok);
  EXPECT_EQ(banner.w, 834);
  EXPECT_EQ(banner.h, 47);
  EXPECT_TRUE(LoadBmp(bin + "/Pictures/LisketIcon.bmp").ok);

  std::string ini = ReadFile(bin + "/Tarnel.ini");
  for (const char* line : {"[DIRECTORY_PATHS]", "CockpitPanelBitMaps = ..\\CockpitBitmaps\n", "[FILES]",
                           "MainPicture = ..\\Pictures\\OverheadPanel.bmp\n", "HelpFile = ..\\Help\\TarnelHelp.txt\n",
                           "[OPTIONS]", "IterationRate = 20\n", "SoundFiles = ", "LogFilePath = ", "CompanyRoutes = "}) {
    EXPECT_NE(ini.find(line), std::string::npos) << line;
  }
  // Items of the FILES section are checked for existence at start-up.
  EXPECT_TRUE(std::filesystem::is_regular_file(bin + "/Help/TarnelHelp.txt"));
  // Comment lines must not look like items or sections to the ini reader.
  std::istringstream lines(ini);
  for (std::string l; std::getline(lines, l);) {
    if (!l.empty() && l[0] == ';') {
      EXPECT_EQ(l.find('='), std::string::npos) << l;
      EXPECT_EQ(l.find('['), std::string::npos) << l;
    }
    EXPECT_TRUE(l.empty() || l.back() != ' ') << "trailing blank: " << l;
  }
}

int RunCommand(const std::string& command, std::string& output) {
  std::string full = command + " 2>&1";
  FILE* pipe = popen(full.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[512];
  while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) output += buffer;
  return pclose(pipe);
}

TEST_F(GeneratedArt, GeneratorIsDeterministicAndRejectsBadDescriptions) {
  std::string bin = Env("TARNEL_BIN_DIR");
  std::filesystem::path tmp = std::filesystem::temp_directory_path() / ("tarnel-art-" + std::to_string(getpid()));
  std::filesystem::remove_all(tmp);
  std::string output;
  std::string data = Env("TARNEL_SOURCE_DIR") + "/art/art_sets.txt";
  ASSERT_EQ(RunCommand("'" + bin + "/tarnel-artgen' --data '" + data + "' --out '" + tmp.string() + "'", output), 0) << output;
  int compared = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(tmp)) {
    if (!entry.is_regular_file()) continue;
    std::string relative = std::filesystem::relative(entry.path(), tmp).string();
    EXPECT_EQ(ReadFile(entry.path().string()), ReadFile(bin + "/" + relative)) << relative;
    ++compared;
  }
  EXPECT_GT(compared, 400);

  std::filesystem::path bad = tmp / "bad.txt";
  std::ofstream(bad) << "# fine\nbutton2 | Buttons\\X | 32x32 | FAULT amber\n";
  output.clear();
  EXPECT_NE(RunCommand("'" + bin + "/tarnel-artgen' --data '" + bad.string() + "' --out '" + tmp.string() + "/x'", output), 0);
  EXPECT_NE(output.find("bad.txt:2:"), std::string::npos) << output;
  std::filesystem::remove_all(tmp);
}

}  // namespace
