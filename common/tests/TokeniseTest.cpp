// Splitting a line into tokens in place.
#include "common/Tokenise.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitTokens, EveryTokenThenANullSlotWithTheDelimitersAsASet) {
  char text[] = "  x=1,  y=2 ";
  char* slots[8];
  EXPECT_EQ(SplitTokens(text, "=, ", slots), 4);
  EXPECT_STREQ(slots[0], "x");
  EXPECT_STREQ(slots[3], "2");
  EXPECT_EQ(slots[4], nullptr);
  char none[] = ",,,";
  EXPECT_EQ(SplitTokens(none, ",", slots), 0);
  EXPECT_EQ(slots[0], nullptr);
}

TEST(SplitTokensBounded, ReturnsTheIndexOfTheLastSlotWritten) {
  char nine[] = "f1,f2,f3,f4,f5,f6,f7,f8,f9";
  char* slots[8];
  EXPECT_EQ(SplitTokensBounded(nine, ",", slots, 7), 7);
  EXPECT_STREQ(slots[6], "f7");
  EXPECT_STREQ(slots[7], "f8");

  char three[] = "a,b,c";
  EXPECT_EQ(SplitTokensBounded(three, ",", slots, 7), 3);
  EXPECT_EQ(slots[3], nullptr);

  char exact[] = "a,b,c";
  EXPECT_EQ(SplitTokensBounded(exact, ",", slots, 3), 3);
  EXPECT_STREQ(slots[2], "c");
  EXPECT_EQ(slots[3], nullptr);

  char two[] = "a,b,c";
  EXPECT_EQ(SplitTokensBounded(two, ",", slots, 1), 1);
  EXPECT_STREQ(slots[1], "b");

  char blank[] = "   ";
  char marker[] = "m";
  slots[0] = slots[1] = marker;
  EXPECT_EQ(SplitTokensBounded(blank, " ", slots, 5), 1);
  EXPECT_EQ(slots[0], nullptr);
  EXPECT_EQ(slots[1], nullptr);

  EXPECT_EQ(SplitTokensBounded(nullptr, ",", slots, 2), 0);
}

}  // namespace
