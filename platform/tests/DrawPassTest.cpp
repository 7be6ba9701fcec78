// Drawing that writes and presents only what changed: the damage list, the
// drawing passes against a surface drawn directly, and the windows' partial
// shows against whole ones.
#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "platform/Events.h"
#include "platform/Graphics.h"
#include "platform/MemoryWindow.h"
#include "platform/PassLog.h"
#include "platform/Window.h"

namespace {

using platform::Rect;

bool Inside(const platform::DamageList& damage, int x, int y) {
  for (int i = 0; i < damage.Count(); i++) {
    const Rect& r = damage.Rects()[i];
    if (r.left <= x && x < r.right && r.top <= y && y < r.bottom) return true;
  }
  return false;
}

// The first pixel where the surfaces differ, as "x,y"; "" when they are equal.
std::string FirstDifference(const platform::DrawSurface& a, const platform::DrawSurface& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return "size";
  for (int y = 0; y < a.Height(); y++) {
    for (int x = 0; x < a.Width(); x++) {
      if (a.PixelAt(x, y) != b.PixelAt(x, y)) return std::to_string(x) + "," + std::to_string(y);
    }
  }
  return "";
}

TEST(DamageList, MergesWhatMeetsKeepsApartWhatDoesNotAndJoinsTheClosestWhenFull) {
  struct Case {
    std::vector<Rect> added;
    std::vector<Rect> listed;  // in list order
  };
  const Case cases[] = {
      {{{0, 0, 0, 5}, {3, 3, 2, 9}}, {}},                                       // empty ones add nothing
      {{{0, 0, 10, 10}, {5, 5, 15, 15}}, {{0, 0, 15, 15}}},                    // overlap
      {{{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 20, 10}}},                   // shared edge
      {{{0, 0, 10, 10}, {30, 30, 40, 40}}, {{0, 0, 10, 10}, {30, 30, 40, 40}}},
      // The third joins the first two, which then become one.
      {{{0, 0, 10, 10}, {20, 0, 30, 10}, {8, 2, 22, 4}}, {{0, 0, 30, 10}}},
  };
  for (const Case& c : cases) {
    platform::DamageList list;
    for (const Rect& r : c.added) list.Add(r);
    ASSERT_EQ(static_cast<int>(c.listed.size()), list.Count());
    for (int i = 0; i < list.Count(); i++) {
      EXPECT_EQ(c.listed[i].left, list.Rects()[i].left);
      EXPECT_EQ(c.listed[i].top, list.Rects()[i].top);
      EXPECT_EQ(c.listed[i].right, list.Rects()[i].right);
      EXPECT_EQ(c.listed[i].bottom, list.Rects()[i].bottom);
    }
  }
  // Full: a new rectangle joins the listed one it grows least (the last one
  // for one just right of it); every added pixel stays listed and the list
  // stays small.
  constexpr int kFull = platform::DamageList::kCapacity;
  platform::DamageList full;
  for (int i = 0; i < kFull; i++) full.Add(Rect{i * 3, 0, i * 3 + 1, 1});
  full.Add(Rect{kFull * 3 + 3, 0, kFull * 3 + 4, 1});
  full.Add(Rect{0, 500, 1, 501});
  ASSERT_EQ(kFull, full.Count());
  int64_t area = 0;
  for (int i = 0; i < full.Count(); i++) area += int64_t{full.Rects()[i].Width()} * full.Rects()[i].Height();
  EXPECT_LT(area, kFull + 520);
  for (int x : {0, 3, kFull * 3 - 3, kFull * 3 + 3}) EXPECT_TRUE(Inside(full, x, 0)) << x;
  EXPECT_TRUE(Inside(full, 0, 500));
}

class DrawPassTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tarnel_pass_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
    std::mt19937 random(7);
    // Six images of different sizes; 4 and 5 have the same pixels as 0 and 1.
    const int sizes[][2] = {{6, 5}, {9, 4}, {4, 11}, {12, 12}, {6, 5}, {9, 4}};
    std::vector<uint32_t> pixels[6];
    for (int i = 0; i < 6; i++) {
      if (i >= 4) {
        pixels[i] = pixels[i - 4];
      } else {
        for (int p = 0; p < sizes[i][0] * sizes[i][1]; p++) pixels[i].push_back(random() & 0xFFFFFF);
      }
      platform::DrawSurface s;
      ASSERT_TRUE(s.CreateFromPixels(pixels[i].data(), sizes[i][0], sizes[i][1]));
      const std::string path = dir_ + "/" + std::to_string(i) + ".bmp";
      char error[256] = {};
      ASSERT_TRUE(platform::SaveBitmapFile(s, path.c_str(), error, sizeof error)) << error;
      ASSERT_TRUE(images_[i].Load(path.c_str(), error, sizeof error)) << error;
    }
  }
  void TearDown() override { ASSERT_EQ(std::system(("rm -rf '" + dir_ + "'").c_str()), 0); }

  std::string dir_;
  platform::Bitmap images_[6];
};

TEST_F(DrawPassTest, DirectDrawingListsOnlyTheRowsThatChanged) {
  platform::DamageList damage;
  platform::DrawSurface surface;
  ASSERT_TRUE(surface.Create(40, 30));
  surface.SetDamageList(&damage);
  damage.Clear();
  surface.DrawBitmap(images_[3], 5, 6);
  ASSERT_EQ(1, damage.Count());
  EXPECT_EQ(5, damage.Rects()[0].left);
  EXPECT_EQ(18, damage.Rects()[0].bottom);
  damage.Clear();
  surface.DrawBitmap(images_[3], 5, 6);  // the same image again
  EXPECT_EQ(0, damage.Count());
  surface.DrawBitmap(images_[0], 5, 6);
  ASSERT_EQ(1, damage.Count());
  EXPECT_EQ(11, damage.Rects()[0].right);
  EXPECT_EQ(11, damage.Rects()[0].bottom);
  damage.Clear();
  surface.DrawBitmap(images_[4], 5, 6);  // another bitmap with the same pixels
  EXPECT_EQ(0, damage.Count());
  // Partly off the surface: clipped, nothing outside listed.
  surface.DrawBitmap(images_[3], 34, -4);
  ASSERT_EQ(1, damage.Count());
  EXPECT_EQ((Rect{34, 0, 40, 8}.right), damage.Rects()[0].right);
  EXPECT_EQ(0, damage.Rects()[0].top);
  surface.DrawBitmap(images_[3], 2147483600, 5);  // far off: nothing, no overflow
  EXPECT_EQ(1, damage.Count());
}

// Passes of copies that appear, disappear, change image, change order, with
// other drawing in and between passes, against the same drawing done
// directly: the pictures stay equal, everything that changed is listed, and
// a window shown only the listed parts matches one shown everything. The
// controls form four panels; a panel untouched since it was last drawn is
// mostly skipped, its copies recorded again instead.
TEST_F(DrawPassTest, PassesDrawWhatDirectDrawingDrawsAndListEveryChange) {
  constexpr int kW = 48;
  constexpr int kH = 36;
  platform::DamageList damage;
  auto log = std::make_unique<platform::PassLog>();
  platform::DrawSurface passes;
  platform::DrawSurface direct;
  platform::DrawSurface before;
  ASSERT_TRUE(passes.Create(kW, kH));
  ASSERT_TRUE(direct.Create(kW, kH));
  ASSERT_TRUE(before.Create(kW, kH));
  // A background of stripes that absent controls leave behind.
  for (int y = 0; y < kH; y += 4) {
    passes.FillRect(Rect{0, y, kW, y + 2}, 0x20, uint8_t(y), 0x90);
    direct.FillRect(Rect{0, y, kW, y + 2}, 0x20, uint8_t(y), 0x90);
  }
  ASSERT_TRUE(passes.KeepBackground());
  ASSERT_TRUE(direct.KeepBackground());
  passes.SetDamageList(&damage);
  passes.SetPassLog(log.get());
  const Rect source{3, 2, 3 + kW, 2 + kH};
  platform::MemoryWindow partly;
  platform::MemoryWindow wholly;
  ASSERT_TRUE(partly.Create(40, 30));
  ASSERT_TRUE(wholly.Create(40, 30));

  struct Control {
    int image;
    int x;
    int y;
    bool shown;
  };
  std::mt19937 random(11);
  std::vector<Control> controls;
  for (int i = 0; i < 24; i++) {
    controls.push_back({int(random() % 6), int(random() % (kW + 8)) - 6, int(random() % (kH + 8)) - 6, true});
  }
  constexpr std::size_t kPerPanel = 6;
  bool touched[4] = {true, true, true, true};
  int identicalPasses = 0;
  int skippedPanels = 0;
  for (int pass = 0; pass < 400; pass++) {
    const int kind = int(random() % 10);
    const std::size_t a = random() % controls.size();
    const std::size_t b = random() % controls.size();
    if (kind < 3) {
      controls[a].image = int(random() % 6);
    } else if (kind < 5) {
      controls[a].shown = !controls[a].shown;
    } else if (kind == 5) {
      std::swap(controls[a], controls[b]);
      touched[b / kPerPanel] = true;
    }
    if (kind <= 5) touched[a / kPerPanel] = true;
    const bool fillInPass = random() % 23 == 0;
    const bool drawBetween = random() % 29 == 0;
    if (drawBetween) {
      passes.DrawBitmap(images_[2], 20, 20);
      direct.DrawBitmap(images_[2], 20, 20);
    }
    for (int y = 0; y < kH; y++) {
      for (int x = 0; x < kW; x++) {
        const uint32_t p = passes.PixelAt(x, y);
        before.FillRect(Rect{x, y, x + 1, y + 1}, uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p));
      }
    }
    passes.BeginPass();
    bool skipping = false;
    for (std::size_t i = 0; i < controls.size(); i++) {
      const Control& c = controls[i];
      if (fillInPass && i == controls.size() / 2) {
        passes.FillRect(Rect{10, 10, 30, 14}, 1, 2, 3);
        direct.FillRect(Rect{10, 10, 30, 14}, 1, 2, 3);
      }
      if (i % kPerPanel == 0) {
        const int panel = int(i / kPerPanel);
        skipping = !touched[panel] && random() % 4 != 0 && passes.RepeatSegment(panel);
        if (skipping) {
          skippedPanels++;
        } else {
          passes.BeginSegment(panel);
          touched[panel] = false;
        }
      }
      if (!c.shown) {
        // Every other absent control leaves the background, the rest their last image.
        if (i % 2 == 0) {
          const Rect area{c.x, c.y, c.x + images_[c.image].Width(), c.y + images_[c.image].Height()};
          if (!skipping) passes.RestoreBackground(area);
          direct.RestoreBackground(area);
        }
        continue;
      }
      if (!skipping) passes.DrawBitmap(images_[c.image], c.x, c.y);
      direct.DrawBitmap(images_[c.image], c.x, c.y);
    }
    passes.EndPass();
    ASSERT_EQ("", FirstDifference(passes, direct)) << "pass " << pass;
    for (int y = 0; y < kH; y++) {
      for (int x = 0; x < kW; x++) {
        if (passes.PixelAt(x, y) != before.PixelAt(x, y)) {
          ASSERT_TRUE(Inside(damage, x, y)) << "pass " << pass << " pixel " << x << "," << y;
        }
      }
    }
    if (pass == 0) {
      partly.ShowPicture(passes, source, 2, 1, 0x123456);
    } else if (damage.IsEmpty()) {
      identicalPasses++;
    } else {
      partly.ShowPictureParts(passes, source, 2, 1, damage.Rects(), damage.Count());
    }
    wholly.ShowPicture(passes, source, 2, 1, 0x123456);
    ASSERT_EQ("", FirstDifference(partly.Client(), wholly.Client())) << "pass " << pass;
    damage.Clear();
  }
  // Passes in which nothing changed list nothing (kinds 6 to 9 change nothing).
  EXPECT_GT(identicalPasses, 40);
  EXPECT_GT(skippedPanels, 300);
  EXPECT_GT(partly.PartShows(), 100);
  EXPECT_LT(partly.CopiedPixels(), wholly.CopiedPixels() / 4);
}

TEST_F(DrawPassTest, WindowShowsPartsAsItShowsTheWholePicture) {
  char error[256] = {};
  ASSERT_TRUE(platform::StartVideo(false, error, sizeof error)) << error;
  {
    platform::SdlWindow window;
    ASSERT_TRUE(window.Create("t", 60, 40, error, sizeof error)) << error;
    platform::DrawSurface picture;
    ASSERT_TRUE(picture.Create(64, 64));
    platform::MemoryWindow expected;
    ASSERT_TRUE(expected.Create(60, 40));
    const Rect source{8, 8, 72, 72};
    window.ShowPicture(picture, source, 3, 4, 0x102030);
    picture.DrawBitmap(images_[3], 10, 10);
    picture.DrawBitmap(images_[1], 60, 50);  // partly off the window
    const Rect parts[] = {{10, 10, 22, 22}, {60, 50, 64, 54}, {0, 0, 4, 4} /* outside the source */};
    window.ShowPictureParts(picture, source, 3, 4, parts, 3);
    expected.ShowPicture(picture, source, 3, 4, 0x102030);
    SDL_Surface* target = SDL_GetWindowSurface(SDL_GetWindowFromID(window.Id()));
    ASSERT_NE(target, nullptr);
    for (int y = 0; y < 40; y++) {
      for (int x = 0; x < 60; x++) {
        Uint32 p = 0;
        std::memcpy(&p, static_cast<Uint8*>(target->pixels) + y * target->pitch + x * target->format->BytesPerPixel,
                    target->format->BytesPerPixel);
        Uint8 r, g, b;
        SDL_GetRGB(p, target->format, &r, &g, &b);
        ASSERT_EQ(expected.Client().PixelAt(x, y), uint32_t(r) << 16 | uint32_t(g) << 8 | b) << x << "," << y;
      }
    }
  }
  platform::StopVideo();
}

}  // namespace
