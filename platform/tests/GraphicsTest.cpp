#include "platform/Graphics.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "platform/Events.h"
#include "platform/FilePath.h"
#include "platform/MessageBox.h"
#include "platform/Window.h"

namespace {

// A scratch folder of this test process, removed at the end.
class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/tarnel_gfx_XXXXXX";
    ASSERT_NE(::mkdtemp(tmpl), nullptr);
    dir_ = tmpl;
  }
  void TearDown() override {
    std::string cmd = "rm -rf '" + dir_ + "'";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
  }

  // Writes a width x height bitmap whose pixel (x, y) is 0xRRGGBB = x << 16 | y << 8 | 0x40.
  std::string WriteBitmap(const std::string& name, int width, int height) {
    std::vector<uint32_t> pixels;
    for (int y = 0; y < height; y++) {
      for (int x = 0; x < width; x++) {
        pixels.push_back(static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8 | 0x40);
      }
    }
    platform::DrawSurface s;
    EXPECT_TRUE(s.CreateFromPixels(pixels.data(), width, height));
    const std::string path = dir_ + "/" + name;
    char error[512] = {};
    EXPECT_TRUE(platform::SaveBitmapFile(s, path.c_str(), error, sizeof error)) << error;
    return path;
  }

  std::string WriteBytes(const std::string& name, const std::string& bytes) {
    const std::string path = dir_ + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    EXPECT_NE(f, nullptr);
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
    return path;
  }

  static std::string ReadAll(const std::string& path) {
    std::string out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    int c;
    while (f != nullptr && (c = std::fgetc(f)) != EOF) {
      out.push_back(static_cast<char>(c));
    }
    if (f != nullptr) {
      std::fclose(f);
    }
    return out;
  }

  std::string dir_;
};

constexpr uint32_t Pixel(int x, int y) { return static_cast<uint32_t>(x) << 16 | static_cast<uint32_t>(y) << 8 | 0x40; }

TEST_F(GraphicsTest, BitmapIsLoadedAtItsOwnSizeAndCopiedUnchanged) {
  const std::string path = WriteBitmap("button.bmp", 5, 3);
  platform::Bitmap bitmap;
  char error[512] = {};
  ASSERT_TRUE(bitmap.Load(path.c_str(), error, sizeof error)) << error;
  EXPECT_EQ(bitmap.Width(), 5);
  EXPECT_EQ(bitmap.Height(), 3);

  platform::DrawSurface surface;
  ASSERT_TRUE(surface.Create(20, 10));
  surface.FillRect({0, 0, 20, 10}, 0x11, 0x22, 0x33);
  surface.DrawBitmap(bitmap, 7, 4);
  for (int y = 0; y < 3; y++) {
    for (int x = 0; x < 5; x++) {
      EXPECT_EQ(surface.PixelAt(7 + x, 4 + y), Pixel(x, y)) << x << "," << y;
    }
  }
  // Nothing outside the bitmap's rectangle changed.
  EXPECT_EQ(surface.PixelAt(6, 4), 0x112233u);
  EXPECT_EQ(surface.PixelAt(12, 4), 0x112233u);
  EXPECT_EQ(surface.PixelAt(7, 7), 0x112233u);

  // Partly off the surface: clipped, the visible part still unchanged.
  surface.DrawBitmap(bitmap, -2, 8);
  EXPECT_EQ(surface.PixelAt(0, 8), Pixel(2, 0));
  EXPECT_EQ(surface.PixelAt(2, 9), Pixel(4, 1));
  surface.DrawBitmapPart(bitmap, {1, 1, 3, 3}, 15, 0);
  EXPECT_EQ(surface.PixelAt(15, 0), Pixel(1, 1));
  EXPECT_EQ(surface.PixelAt(16, 1), Pixel(2, 2));
  EXPECT_EQ(surface.PixelAt(17, 0), 0x112233u);

  // A 1x1 image.
  platform::Bitmap dot;
  ASSERT_TRUE(dot.Load(WriteBitmap("dot.bmp", 1, 1).c_str(), error, sizeof error)) << error;
  EXPECT_EQ(dot.Width(), 1);
  EXPECT_EQ(dot.Height(), 1);
  surface.DrawBitmap(dot, 19, 9);
  EXPECT_EQ(surface.PixelAt(19, 9), Pixel(0, 0));
  dot.Release();
  EXPECT_FALSE(dot.IsLoaded());
  surface.DrawBitmap(dot, 0, 0);  // an empty bitmap draws nothing
  EXPECT_EQ(surface.PixelAt(0, 0), 0x112233u);
}

TEST_F(GraphicsTest, PathsResolveCaseInsensitivelyWithBackslashes) {
  ASSERT_EQ(::mkdir((dir_ + "/ArtSet").c_str(), 0755), 0);
  ASSERT_EQ(::mkdir((dir_ + "/ArtSet/Buttons").c_str(), 0755), 0);
  WriteBitmap("ArtSet/Buttons/DotsOff.bmp", 2, 2);
  const std::string windowsPath = dir_ + "/artset\\BUTTONS\\dotsoff.BMP";
  char resolved[4096];
  ASSERT_TRUE(platform::ResolvePath(windowsPath.c_str(), resolved, sizeof resolved));
  EXPECT_EQ(std::string(resolved), dir_ + "/ArtSet/Buttons/DotsOff.bmp");
  EXPECT_TRUE(platform::FileExists(windowsPath.c_str()));
  EXPECT_FALSE(platform::FileExists((dir_ + "/artset").c_str()));  // a folder, not a file

  platform::Bitmap bitmap;
  char error[512] = {};
  EXPECT_TRUE(bitmap.Load(windowsPath.c_str(), error, sizeof error)) << error;
  EXPECT_EQ(bitmap.Width(), 2);
}

TEST_F(GraphicsTest, BadFilesFailWithThePathAndTheReason) {
  char error[512] = {};
  platform::Bitmap bitmap;
  auto expectFailure = [&](const std::string& path, const char* reason) {
    error[0] = '\0';
    EXPECT_FALSE(bitmap.Load(path.c_str(), error, sizeof error)) << path;
    EXPECT_FALSE(bitmap.IsLoaded());
    const std::string text = error;
    EXPECT_NE(text.find(path), std::string::npos) << text;
    EXPECT_NE(text.find(reason), std::string::npos) << text;
  };
  expectFailure(dir_ + "/Missing\\Nothing.bmp", "No such file or directory");
  expectFailure(dir_, "Is a directory");
  expectFailure(WriteBytes("empty.bmp", ""), "Not a bitmap file");
  expectFailure(WriteBytes("text.bmp", "hello, this is no picture at all"), "Not a bitmap file");

  const std::string good = ReadAll(WriteBitmap("good.bmp", 20, 20));
  ASSERT_GT(good.size(), 200u);
  expectFailure(WriteBytes("truncated.bmp", good.substr(0, 200)), "truncated");
  expectFailure(WriteBytes("header-only.bmp", good.substr(0, 30)), "damaged");
  // A header claiming 30000 x 30000 pixels in a file of a few hundred bytes.
  std::string huge = good;
  huge[18] = 0x30, huge[19] = 0x75, huge[22] = 0x30, huge[23] = 0x75;
  expectFailure(WriteBytes("huge.bmp", huge), "Bitmap of 30000 x 30000 pixels refused");
  std::string wide = good;
  wide[21] = 0x7f;  // width 2^31 - ...
  expectFailure(WriteBytes("wide.bmp", wide), "refused");
  std::string negative = good;
  negative[21] = static_cast<char>(0x80);  // width below zero
  expectFailure(WriteBytes("negative.bmp", negative), "out of range");

  EXPECT_FALSE(bitmap.Load(nullptr, error, sizeof error));
  EXPECT_FALSE(bitmap.Load("", error, sizeof error));
  const std::string longPath(5000, 'a');
  EXPECT_FALSE(bitmap.Load(longPath.c_str(), error, sizeof error));
  // A failure leaves a picture surface as it was.
  platform::DrawSurface surface;
  ASSERT_TRUE(surface.Create(4, 4));
  EXPECT_FALSE(surface.LoadPicture((dir_ + "/none.bmp").c_str(), error, sizeof error));
  EXPECT_EQ(surface.Width(), 4);
  ASSERT_TRUE(surface.LoadPicture((dir_ + "/GOOD.BMP").c_str(), error, sizeof error)) << error;
  EXPECT_EQ(surface.Width(), 20);
  EXPECT_EQ(surface.PixelAt(3, 5), Pixel(3, 5));
}

// Files that claim a huge picture in a few bytes, whatever their compression
// or depth, are refused before anything is decoded; a picture may be larger
// than a control image.
TEST_F(GraphicsTest, BitmapBombsAreRefusedBeforeDecoding) {
  // A 1,080-byte run-length file of 8 bits claiming 32768 x 32768 pixels.
  std::string rle(1080, '\0');
  const auto put32 = [&](std::string& b, int at, uint32_t v) {
    for (int i = 0; i < 4; i++) b[at + i] = static_cast<char>(v >> (8 * i));
  };
  rle[0] = 'B', rle[1] = 'M';
  put32(rle, 2, 1080);
  put32(rle, 10, 54 + 1024);
  put32(rle, 14, 40);
  put32(rle, 18, 32768);
  put32(rle, 22, 32768);
  rle[26] = 1, rle[28] = 8;
  put32(rle, 30, 1);  // RLE8
  char error[512] = {};
  platform::Bitmap bitmap;
  const std::string rlePath = WriteBytes("bomb.bmp", rle);
  EXPECT_FALSE(bitmap.Load(rlePath.c_str(), error, sizeof error));
  EXPECT_NE(std::string(error).find(rlePath + " : Bitmap of 32768 x 32768 pixels refused"), std::string::npos)
      << error;
  platform::DrawSurface picture;
  EXPECT_FALSE(picture.LoadPicture(rlePath.c_str(), error, sizeof error));

  // A sparse 1-bit file whose size matches its claim.
  std::string oneBit = rle.substr(0, 62);
  put32(oneBit, 10, 62);
  put32(oneBit, 18, 30000);
  put32(oneBit, 22, 30000);
  oneBit[28] = 1;
  put32(oneBit, 30, 0);
  const std::string sparse = WriteBytes("sparse.bmp", oneBit);
  ASSERT_EQ(::truncate(sparse.c_str(), 62 + 3752LL * 30000), 0);
  EXPECT_FALSE(picture.LoadPicture(sparse.c_str(), error, sizeof error));
  EXPECT_NE(std::string(error).find("refused"), std::string::npos) << error;

  // Just over a control image's bound; a picture of that size loads.
  const std::string wide = WriteBitmap("wide.bmp", platform::Bitmap::kMaxSide + 1, 2);
  EXPECT_FALSE(bitmap.Load(wide.c_str(), error, sizeof error));
  EXPECT_TRUE(picture.LoadPicture(wide.c_str(), error, sizeof error)) << error;
}

TEST_F(GraphicsTest, FocusFrameInvertsAlternatePixelsOnTheEdgesOnly) {
  platform::DrawSurface surface;
  ASSERT_TRUE(surface.Create(12, 12));
  surface.DrawFocusFrame({2, 2, 8, 7});
  EXPECT_EQ(surface.PixelAt(2, 2), 0xFFFFFFu);
  EXPECT_EQ(surface.PixelAt(3, 2), 0u);
  EXPECT_EQ(surface.PixelAt(4, 6), 0xFFFFFFu);  // bottom row
  EXPECT_EQ(surface.PixelAt(2, 4), 0xFFFFFFu);  // left column
  EXPECT_EQ(surface.PixelAt(7, 4), 0xFFFFFFu);  // right column
  EXPECT_EQ(surface.PixelAt(4, 4), 0u);         // inside
  EXPECT_EQ(surface.PixelAt(8, 2), 0u);         // outside

  // A one-pixel-high frame still shows.
  surface.DrawFocusFrame({0, 10, 4, 11});
  EXPECT_EQ(surface.PixelAt(0, 10), 0xFFFFFFu);
  EXPECT_EQ(surface.PixelAt(2, 10), 0xFFFFFFu);
  // Frames far off or enormous stay within the surface.
  surface.DrawFocusFrame({-1000000, -1000000, 1000000, 1000000});
  surface.DrawFocusFrame({INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX});
  surface.DrawFocusFrame({5, 5, 5, 9});
  EXPECT_EQ(surface.PixelAt(5, 6), 0u);
}

TEST(Rect, ContainsStrictlyLeavesEveryEdgeOutside) {
  const platform::Rect r{10, 20, 30, 40};
  EXPECT_TRUE(r.ContainsStrictly(11, 21));
  EXPECT_TRUE(r.ContainsStrictly(29, 39));
  EXPECT_FALSE(r.ContainsStrictly(10, 25));
  EXPECT_FALSE(r.ContainsStrictly(30, 25));
  EXPECT_FALSE(r.ContainsStrictly(15, 20));
  EXPECT_FALSE(r.ContainsStrictly(15, 40));
  EXPECT_FALSE(platform::Rect{}.ContainsStrictly(0, 0));
}

TEST_F(GraphicsTest, WindowShowsAPictureRectangleAndFillsOnlyTheRest) {
  char error[256] = {};
  ASSERT_TRUE(platform::StartVideo(false, error, sizeof error)) << error;
  {
    platform::SdlWindow window;
    ASSERT_TRUE(window.Create("t", 80, 30, error, sizeof error)) << error;
    platform::DrawSurface surface;
    ASSERT_TRUE(surface.Create(64, 64));
    surface.FillRect({10, 10, 20, 20}, 0xAB, 0xCD, 0xEF);
    // The source runs past the picture's right edge: that part is background.
    window.ShowPicture(surface, {8, 8, 68, 28}, 3, 4, 0x102030);
    SDL_Surface* target = SDL_GetWindowSurface(SDL_GetWindowFromID(window.Id()));
    ASSERT_NE(target, nullptr);
    auto pixelAt = [target](int x, int y) {
      Uint32 p = 0;
      std::memcpy(&p, static_cast<Uint8*>(target->pixels) + y * target->pitch + x * target->format->BytesPerPixel,
                  target->format->BytesPerPixel);
      Uint8 r, g, b;
      SDL_GetRGB(p, target->format, &r, &g, &b);
      return static_cast<uint32_t>(r) << 16 | static_cast<uint32_t>(g) << 8 | b;
    };
    EXPECT_EQ(pixelAt(3 + 2, 4 + 2), 0xABCDEFu);    // source (10, 10)
    EXPECT_EQ(pixelAt(3 + 1, 4 + 2), 0u);           // source (9, 10)
    EXPECT_EQ(pixelAt(3 + 11, 4 + 11), 0xABCDEFu);  // source (19, 19)
    EXPECT_EQ(pixelAt(3 + 12, 4 + 11), 0u);
    EXPECT_EQ(pixelAt(2, 10), 0x102030u);   // left of the picture
    EXPECT_EQ(pixelAt(10, 3), 0x102030u);   // above it
    EXPECT_EQ(pixelAt(3 + 55, 10), 0u);         // source (63, 14): the picture's last column
    EXPECT_EQ(pixelAt(3 + 56, 10), 0x102030u);  // right of the picture
    EXPECT_EQ(pixelAt(39, 4 + 20), 0x102030u);  // below the 20 source rows
  }
  platform::StopVideo();
}

}  // namespace

namespace {

// Without a display no box can be shown: that, and what the box was to say,
// goes to stderr.
TEST(MessageBoxTest, ABoxThatCannotBeShownSaysSoOnStderr) {
  char error[256];
  ASSERT_TRUE(platform::StartVideo(false, error, sizeof error)) << error;  // the dummy driver of the tests
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(platform::ShowMessageBox(platform::BoxKind::Information, "About Tarnel", "QX-P-0077 v1.1"),
            platform::BoxShown::None);
  platform::ShowErrorBox("Tarnel", "Unable tp load main picture");
  const std::string said = ::testing::internal::GetCapturedStderr();
  platform::StopVideo();
  EXPECT_NE(said.find("(a box could not be shown: no display) About Tarnel: QX-P-0077 v1.1\n"), std::string::npos)
      << said;
  EXPECT_NE(said.find("Tarnel: Unable tp load main picture\n(the error box could not be shown: no display)\n"),
            std::string::npos)
      << said;
}

}  // namespace
