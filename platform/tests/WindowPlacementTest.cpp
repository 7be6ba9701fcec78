// Window placement for kiosks: the geometry text, and the scaled
// presentation that leaves picture coordinates alone (the monitor, the
// position and full-screen are checked on an X server, shell/tests).
#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/Events.h"
#include "platform/Graphics.h"
#include "platform/Text.h"
#include "platform/Window.h"

namespace {

using platform::WindowPlacement;

TEST(WindowPlacement, GeometryTexts) {
  struct Case {
    const char* text;
    bool ok;
    bool fixedSize = false;
    int width = 0, height = 0, x = 0, y = 0;
  };
  const Case cases[] = {
      {"800x600+100+50", true, true, 800, 600, 100, 50},
      {"1920x1080", true, true, 1920, 1080, 7, 9},
      {"+0+0", true, false, 0, 0, 0, 0},
      {"640x480-10+20", false},
      {"", false},
      {"0x600", false},
      {"800x600+1", false},
      {"800x600+1+2junk", false},
      {"99999999x600", false},
  };
  for (const Case& c : cases) {
    WindowPlacement placement;
    placement.x = 7;
    placement.y = 9;
    EXPECT_EQ(c.ok, platform::ParseGeometry(c.text, &placement)) << c.text;
    if (c.ok) {
      EXPECT_EQ(c.fixedSize, placement.fixedSize) << c.text;
      EXPECT_EQ(c.width, placement.width) << c.text;
      EXPECT_EQ(c.height, placement.height) << c.text;
      EXPECT_EQ(c.x, placement.x) << c.text;
      EXPECT_EQ(c.y, placement.y) << c.text;
    } else {
      EXPECT_FALSE(placement.fixedSize) << c.text << ": left unchanged";
      EXPECT_EQ(7, placement.x) << c.text;
    }
  }
  EXPECT_FALSE(platform::ParseGeometry(nullptr, nullptr));
}

class WindowPlacementTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(platform::StartVideo(true, error_, sizeof error_)) << error_; }
  void TearDown() override {
    window_.Destroy();
    platform::StopVideo();
  }
  bool Create(int width, int height, const WindowPlacement& placement) {
    return window_.Create("placed", width, height, error_, sizeof error_, platform::SdlWindow::Frame::Sizable,
                          placement);
  }
  // A pixel of what the window shows, as 0xRRGGBB.
  uint32_t Shown(int x, int y) {
    SDL_Surface* surface = SDL_GetWindowSurface(SDL_GetWindowFromID(window_.Id()));
    if (surface == nullptr || x < 0 || y < 0 || x >= surface->w || y >= surface->h ||
        surface->format->BytesPerPixel != 4) {
      return 0xFFFFFFFF;
    }
    const auto* row = static_cast<const uint8_t*>(surface->pixels) + y * surface->pitch;
    uint8_t r, g, b;
    SDL_GetRGB(reinterpret_cast<const uint32_t*>(row)[x], surface->format, &r, &g, &b);
    return (uint32_t{r} << 16) | (uint32_t{g} << 8) | b;
  }
  char error_[256] = {};
  platform::SdlWindow window_;
};

// The picture is shown twice as large, and the window pixel under a pointer
// shows the picture pixel the event decoder reports for it.
TEST_F(WindowPlacementTest, ScaledPresentationShowsThePixelThePointerHits) {
  WindowPlacement placement;
  placement.scale = 2.0;
  ASSERT_TRUE(Create(40, 30, placement)) << error_;
  platform::DrawSurface picture;
  ASSERT_TRUE(picture.Create(40, 30));
  picture.FillRect(platform::Rect{0, 0, 40, 30}, 10, 20, 30);
  picture.FillRect(platform::Rect{5, 5, 10, 10}, 200, 0, 0);
  window_.ShowPicture(picture, platform::Rect{0, 0, 40, 30}, 0, 0, 0x00FF00);
  const uint32_t red = picture.PixelAt(5, 5);
  const uint32_t blue = picture.PixelAt(0, 0);
  EXPECT_EQ(red, Shown(10, 10));
  EXPECT_EQ(red, Shown(19, 19));
  EXPECT_EQ(blue, Shown(9, 9));
  EXPECT_EQ(blue, Shown(20, 20));
  EXPECT_EQ(blue, Shown(79, 59));
  platform::Event event;
  while (platform::PollEvent(&event)) {
  }
  SDL_Event click{};
  click.type = SDL_MOUSEBUTTONDOWN;
  click.button.button = SDL_BUTTON_LEFT;
  click.button.windowID = window_.Id();
  for (const int at : {9, 10, 19, 20}) {
    click.button.x = at;
    click.button.y = at;
    ASSERT_EQ(1, SDL_PushEvent(&click));
    // A poll round ends at SDL's marker once; the click is in the next one.
    bool got = false;
    for (int poll = 0; poll < 3 && !got; poll++) {
      got = platform::PollEvent(&event) && event.type == platform::EventType::MouseDown;
    }
    ASSERT_TRUE(got);
    EXPECT_EQ(Shown(at, at), picture.PixelAt(event.x, event.y)) << "window pixel " << at;
  }
}

// --fit: the picture as large as the window allows, keeping its shape,
// centred between black bars; every window pixel's pointer maps to the
// picture pixel shown there.
TEST_F(WindowPlacementTest, FitCentresThePictureAndMapsThePointerBack) {
  WindowPlacement placement;
  placement.fixedSize = true;
  placement.width = 100;
  placement.height = 40;
  placement.fit = true;
  placement.fitWidth = 40;
  placement.fitHeight = 30;
  ASSERT_TRUE(Create(40, 30, placement)) << error_;
  EXPECT_EQ(40, window_.GetClientRect().right);
  EXPECT_EQ(30, window_.GetClientRect().bottom);
  platform::DrawSurface picture;
  ASSERT_TRUE(picture.Create(40, 30));
  for (int x = 0; x < 40; x++) picture.FillRect(platform::Rect{x, 0, x + 1, 30}, uint8_t(60 + 4 * x), 20, 30);
  window_.ShowPicture(picture, platform::Rect{0, 0, 40, 30}, 0, 0, 0x00FF00);
  // Scale 40/30, 53 pixels wide: bars of 23 and 24 pixels.
  EXPECT_EQ(0u, Shown(22, 20));
  EXPECT_EQ(0u, Shown(76, 20));
  EXPECT_EQ(picture.PixelAt(0, 15), Shown(23, 20));
  EXPECT_EQ(picture.PixelAt(39, 15), Shown(75, 20));
  platform::Event event;
  while (platform::PollEvent(&event)) {
  }
  SDL_Event click{};
  click.type = SDL_MOUSEBUTTONDOWN;
  click.button.button = SDL_BUTTON_LEFT;
  click.button.windowID = window_.Id();
  for (const int at : {23, 24, 40, 61, 75}) {
    click.button.x = at;
    click.button.y = 20;
    ASSERT_EQ(1, SDL_PushEvent(&click));
    bool got = false;
    for (int poll = 0; poll < 3 && !got; poll++) {
      got = platform::PollEvent(&event) && event.type == platform::EventType::MouseDown;
    }
    ASSERT_TRUE(got);
    EXPECT_EQ(Shown(at, 20), picture.PixelAt(event.x, event.y)) << "window pixel " << at;
  }
}

// A status line longer than the window is wide wraps onto more lines
// inside it instead of running off the edge.
TEST_F(WindowPlacementTest, StatusLineWrapsInsideTheWindow) {
  ASSERT_TRUE(Create(300, 200, WindowPlacement{})) << error_;
  platform::DrawSurface picture;
  ASSERT_TRUE(picture.Create(300, 200));
  picture.FillRect(platform::Rect{0, 0, 300, 200}, 200, 200, 200);
  platform::WindowOverlay overlay;
  std::snprintf(overlay.status, sizeof overlay.status, "%s",
                "fuel: button 0 |   upper lamp @0x120E3=0   lower lamp @0x120E4=1   position @0x1241B=0");
  window_.SetOverlay(overlay);
  window_.ShowPicture(picture, platform::Rect{0, 0, 300, 200}, 0, 0, 0);
  // The band's colour at the left edge, counted upwards from the bottom.
  int rows = 0;
  while (rows < 200 && Shown(1, 199 - rows) == 0x202028u) rows++;
  platform::TextFont font;
  char error[256];
  if (!font.Open("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", 13, error, sizeof error)) {
    GTEST_SKIP() << error;
  }
  EXPECT_GE(rows, 2 * font.LineHeight()) << "one line only: the text runs off the edge";
}

}  // namespace
