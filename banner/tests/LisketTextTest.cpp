// Text layout of the banner's message area (platform::TextFont).
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/Text.h"

namespace {

constexpr const char* kFont = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";

class LisketTextTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char error[512] = {};
    if (!font.Open(kFont, 11, error, sizeof error)) {
      GTEST_SKIP() << "DejaVu Sans not available: " << error;
    }
  }
  std::vector<std::string> Wrap(const std::string& text, int width, int capacity) {
    std::vector<platform::TextSpan> spans(capacity);
    int count = font.WrapTail(text.c_str(), width, spans.data(), capacity);
    std::vector<std::string> lines;
    for (int i = 0; i < count; ++i) {
      lines.push_back(text.substr(spans[i].start, spans[i].length));
    }
    return lines;
  }
  int Width(const std::string& text) { return font.MeasureText(text.c_str(), text.size()); }
  platform::TextFont font;
};

TEST_F(LisketTextTest, KeepsTheNewestLinesInOrder) {
  std::string text;
  for (int i = 0; i < 10; ++i) {
    text += "line " + std::to_string(i) + "\n";
  }
  EXPECT_EQ((std::vector<std::string>{"line 7", "line 8", "line 9"}), Wrap(text, 800, 3));
  EXPECT_EQ((std::vector<std::string>{"a", "", "b"}), Wrap("a\n\nb\n", 800, 8));
  EXPECT_TRUE(Wrap("", 800, 8).empty());
}

TEST_F(LisketTextTest, WrapsAtBlanksAndCutsWordsWiderThanTheLine) {
  const int width = Width("Loading panels");
  EXPECT_EQ((std::vector<std::string>{"Loading panels", "and lights"}), Wrap("Loading panels and lights", width, 8));

  const std::string word(200, 'W');
  std::vector<std::string> lines = Wrap(word, 100, 64);
  ASSERT_GT(lines.size(), 1u);
  std::string joined;
  for (const std::string& line : lines) {
    EXPECT_LE(Width(line), 100);
    EXPECT_FALSE(line.empty());
    joined += line;
  }
  EXPECT_EQ(word, joined);
}

TEST_F(LisketTextTest, AnyByteValueIsSafeToMeasureAndDraw) {
  std::string all;
  for (int c = 1; c < 256; ++c) {
    all += static_cast<char>(c);
  }
  EXPECT_EQ(0, font.Advance('\r'));
  EXPECT_EQ(0, font.Advance(0x01));
  EXPECT_GT(font.Advance(0xE9), 0);  // e acute
  EXPECT_GT(font.Advance(0x80), 0);  // euro sign
  platform::DrawSurface canvas;
  ASSERT_TRUE(canvas.Create(200, 40));
  canvas.FillRect(platform::Rect{0, 0, 200, 40}, 255, 255, 255);
  font.DrawText(canvas, 2, 2, all.c_str(), all.size(), platform::Rect{0, 0, 100, 20}, 0, 0, 0);
  bool inked = false;
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 200; ++x) {
      const bool dark = canvas.PixelAt(x, y) != 0xFFFFFF;
      inked = inked || dark;
      EXPECT_FALSE(dark && (x >= 100 || y >= 20)) << x << "," << y;  // clipped
    }
  }
  EXPECT_TRUE(inked);
}

}  // namespace
