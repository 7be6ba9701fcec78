// The change detector.
#include "common/Qx_Remember.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

TEST(Qx_Remember, BooleanChangesAreSeenOncePerAcknowledgement) {
  Qx_Remember r;
  EXPECT_FALSE(r.HoldsInteger());
  EXPECT_FALSE(r.HasChanged());
  EXPECT_TRUE(r.IsClear());
  r.SetBool(true);
  r.SetBool(true);  // twice: still one change
  EXPECT_TRUE(r.BecameSet());
  EXPECT_FALSE(r.BecameSet());

  r.SetBool(false);
  EXPECT_FALSE(r.BecameSet(false));
  EXPECT_TRUE(r.BecameClear(false));
  EXPECT_TRUE(r.BecameClear(false));  // not acknowledged
  EXPECT_TRUE(r.ChangedAndAcknowledge());
  EXPECT_FALSE(r.ChangedAndAcknowledge());

  r.SetBool(true);
  r.SetBool(false);  // and back before anyone looked: no change
  EXPECT_FALSE(r.HasChanged());
}

TEST(Qx_Remember, IntegerPairStartsAtMinusOne) {
  Qx_Remember r;
  r.SetInt(5);
  EXPECT_TRUE(r.HoldsInteger());
  EXPECT_EQ(r.Difference(), 6);
  r.Acknowledge();
  EXPECT_EQ(r.Difference(), 0);

  Qx_Remember zero;
  zero.SetInt(0);
  EXPECT_TRUE(zero.BecameClear());
  EXPECT_FALSE(zero.BecameClear());
  zero.SetInt(3);
  EXPECT_TRUE(zero.BecameSet());
  EXPECT_TRUE(zero.IsSet());  // always in integer mode
  EXPECT_FALSE(zero.IsClear());
}

TEST(Qx_Remember, IncrementAndAddWrapLikeA32BitRegister) {
  Qx_Remember r;
  r.Increment();
  EXPECT_EQ(r.GetInt(), 0);
  r.SetInt(INT32_MAX);
  r.Acknowledge();
  r.Increment();
  EXPECT_EQ(r.GetInt(), INT32_MIN);
  EXPECT_EQ(r.Difference(), 1);
  r.Add(-1);
  EXPECT_FALSE(r.HasChanged());
}

TEST(Qx_Remember, SwitchingModesKeepsTheOtherPairAndCopyBoolKeepsTheMode) {
  Qx_Remember r;
  r.SetBool(true);
  r.SetInt(7);
  r.Acknowledge();  // the integer pair only
  r.SetBool(true);
  EXPECT_TRUE(r.HasChanged());
  EXPECT_EQ(r.Difference(), 0);  // boolean mode
  r.Acknowledge();
  r.Increment();
  EXPECT_EQ(r.Difference(), 1);

  Qx_Remember source;
  source.SetBool(false);
  r.CopyBool(source);
  EXPECT_TRUE(r.HoldsInteger());
  EXPECT_FALSE(r.GetBool());
}

TEST(Qx_Remember, EdgesReportAndAcknowledgeOnlyInBooleanMode) {
  Qx_Remember r;
  bool rising = false;
  bool falling = false;
  r.SetBool(true);
  r.Edges(rising, falling);
  EXPECT_TRUE(rising);
  EXPECT_FALSE(falling);
  r.Edges(rising, falling);
  EXPECT_FALSE(rising);
  r.SetBool(false);
  r.Edges(rising, falling);
  EXPECT_TRUE(falling);

  r.SetInt(4);
  rising = falling = true;
  r.Edges(rising, falling);
  EXPECT_FALSE(rising);
  EXPECT_FALSE(falling);
  EXPECT_EQ(r.Difference(), 5);  // not acknowledged
}

}  // namespace
