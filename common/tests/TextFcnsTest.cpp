// Bounded copying and formatting, comparison and in-place clean-up.
#include "common/TextFcns.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

TEST(CopyBounded, CopiesAtMostSizeMinusOneAndAlwaysTerminatesAtSizeMinusOne) {
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  EXPECT_EQ(CopyBounded(buf, "abcdef", 4), buf);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(buf[4], 'x');  // nothing past size

  std::memset(buf, 'x', sizeof buf);
  CopyBounded(buf, "ab", sizeof buf);
  EXPECT_STREQ(buf, "ab");
  EXPECT_EQ(buf[7], '\0');  // a fixed field keeps no stale last byte

  char one[1] = {'x'};
  CopyBounded(one, "abc", 1);
  EXPECT_EQ(one[0], '\0');

  char shifted[16] = "   leading";
  CopyBounded(shifted, shifted + 3, sizeof shifted);
  EXPECT_STREQ(shifted, "leading");
}

TEST(FormatBounded, ClearsTheDestinationAndEndsACutOutputAtSizeMinusOne) {
  char buf[6];
  EXPECT_EQ(FormatBounded(buf, sizeof buf, "%s-%d", "abcdefgh", 42), buf);
  EXPECT_STREQ(buf, "abcde");
  char wide[16];
  std::memset(wide, 'x', sizeof wide);
  FormatBounded(wide, sizeof wide, "%d", 7);
  EXPECT_STREQ(wide, "7");
  for (std::size_t i = 1; i < sizeof wide; i++) {
    EXPECT_EQ(wide[i], '\0') << i;
  }
}

TEST(EqualIgnoringSpaces, BlanksDoNotCountCaseAndTabsDoAndOnly999CharactersAreCompared) {
  EXPECT_TRUE(EqualIgnoringSpaces("A B", "AB"));
  EXPECT_TRUE(EqualIgnoringSpaces("  A  B ", "A B"));
  EXPECT_FALSE(EqualIgnoringSpaces("ab", "AB"));
  EXPECT_FALSE(EqualIgnoringSpaces("AB", "ABC"));
  EXPECT_FALSE(EqualIgnoringSpaces("A\tB", "AB"));
  std::string a(999, 'a');
  EXPECT_TRUE(EqualIgnoringSpaces((a + "X").c_str(), (a + "Y").c_str()));
  std::string b(998, 'a');
  EXPECT_FALSE(EqualIgnoringSpaces((b + "X").c_str(), (b + "Y").c_str()));
  EXPECT_TRUE(IsEmptyText(""));
  EXPECT_FALSE(IsEmptyText(" "));
}

TEST(TextCleanUp, CutSkipRemoveTabsAndSqueeze) {
  char lines[] = "abc\ndef\n";
  EXPECT_STREQ(CutAtNewline(lines), "abc");
  char pair[] = "key=value=x";
  EXPECT_STREQ(CutAtChar(pair, '='), "key");

  char blanks[] = "   x y";
  EXPECT_EQ(SkipSpaces(blanks), blanks + 3);
  char tab[] = "\t x";
  EXPECT_EQ(SkipSpaces(tab), tab);  // tabs are not skipped

  char inner[] = " a b  c\t";
  EXPECT_STREQ(RemoveSpaces(inner), "abc\t");
  std::string longest = " " + std::string(1023, 'z');
  RemoveSpaces(longest.data());
  EXPECT_EQ(std::string(longest.c_str()), std::string(1023, 'z'));

  char tabs[] = "\ta\t\tb";
  EXPECT_STREQ(TabsToSpaces(tabs), " a  b");

  char commas[] = "a,,,b";
  EXPECT_STREQ(SqueezeChar(commas, ','), "a,b");
  char edges[] = ",,a,,";
  EXPECT_STREQ(SqueezeChar(edges, ','), ",a,");
  char other[] = "aa,,bb";
  EXPECT_STREQ(SqueezeChar(other, 'b'), "aa,,b");
}

TEST(TextHelpers, NullArgumentsDoNothing) {
  char buf[4] = "abc";
  EXPECT_EQ(CopyBounded(nullptr, "x", 4), nullptr);
  EXPECT_EQ(CopyBounded(buf, nullptr, 4), buf);
  EXPECT_STREQ(buf, "abc");
  EXPECT_EQ(FormatBounded(nullptr, 4, "%d", 1), nullptr);
  EXPECT_FALSE(IsEmptyText(nullptr));
  EXPECT_FALSE(EqualIgnoringSpaces(nullptr, "A"));
  EXPECT_FALSE(EqualIgnoringSpaces("A", nullptr));
  EXPECT_EQ(CutAtNewline(nullptr), nullptr);
  EXPECT_EQ(CutAtChar(nullptr, 'a'), nullptr);
  EXPECT_EQ(SkipSpaces(nullptr), nullptr);
  EXPECT_EQ(RemoveSpaces(nullptr), nullptr);
  EXPECT_EQ(TabsToSpaces(nullptr), nullptr);
  EXPECT_EQ(SqueezeChar(nullptr, ','), nullptr);
}

}  // namespace
