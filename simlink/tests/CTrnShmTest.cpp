// CTrnShm: the training interface area.
#include "simlink/CTrnShm.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "simlink/GenericSimShm.h"
#include "simlink/tests/ShmTestUtil.h"

namespace {

using shm_test::RawView;
using shm_test::ScopedPrefix;

const char kName[] = "TrnShmSpace";
constexpr uint32_t kCount = CTrnShm::kUserCountOffset;

class CTrnShmTest : public ::testing::Test {
 protected:
  ScopedPrefix prefix_;
};


TEST_F(CTrnShmTest, FirstProgramCreatesZeroSegmentWithVersionAndCountOnly) {
  CTrnShm shm;
  ASSERT_TRUE(shm.IsValid()) << shm.GetErrorText();
  EXPECT_TRUE(shm.WasCreator());
  EXPECT_EQ(shm.GetUserCount(), 1);
  EXPECT_EQ(shm_test::ObjectSize(kName), 692672);
  const uint8_t* base = shm.GetBase();
  EXPECT_EQ(std::memcmp(base, CTrnShm::kVersionText, 36), 0);
  // No address table in this area, and nothing else written.
  for (uint32_t i = 36; i < CTrnShm::kSize; i++) {
    if (i < kCount || i >= kCount + 4) {
      ASSERT_EQ(base[i], 0) << "byte " << i;
    }
  }
}

TEST_F(CTrnShmTest, SecondUserCountsAndTheLastRemovesTheName) {
  auto first = std::make_unique<CTrnShm>();
  auto second = std::make_unique<CTrnShm>();
  ASSERT_TRUE(second->IsValid());
  EXPECT_FALSE(second->WasCreator());
  EXPECT_EQ(first->GetUserCount(), 2);
  RawView observer(kName);
  ASSERT_TRUE(observer.Ok());
  second.reset();
  EXPECT_EQ(observer.I32(kCount), 1);
  EXPECT_TRUE(shm_test::Exists(kName));
  first.reset();
  EXPECT_EQ(observer.I32(kCount), 0);
  EXPECT_FALSE(shm_test::Exists(kName));
}

TEST_F(CTrnShmTest, OtherVersionIsRefusedWithTheExactTextAndTheCountUnchanged) {
  CTrnShm station;
  ASSERT_TRUE(station.IsValid());
  {
    CTrnShm other(" TrnInterfaceShm.h $Revision: 1.2.0");
    EXPECT_FALSE(other.IsValid());
    EXPECT_EQ(std::string(other.GetErrorText()),
              "CTrnShm::CTrnShm\nShared Memory Version Mismatch\nPlease rebuild software");
  }
  EXPECT_EQ(station.GetUserCount(), 1);
  EXPECT_TRUE(shm_test::Exists(kName));
}



}  // namespace
