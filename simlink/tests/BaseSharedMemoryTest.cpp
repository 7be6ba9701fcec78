// BaseSharedMemory: create, attach, release and clear of a named segment.
#include "simlink/BaseSharedMemory.h"

#include <gtest/gtest.h>

#include <chrono>
#include <string>

#include "simlink/tests/ShmTestUtil.h"

namespace {

using shm_test::ScopedPrefix;

const char kName[] = "BaseShmTest";

class BaseSharedMemoryTest : public ::testing::Test {
 protected:
  ScopedPrefix prefix_{{kName, std::string(42, 'n')}};
};

TEST_F(BaseSharedMemoryTest, AttachWithoutObjectFailsWithOpenFileMappingTextAndNoView) {
  BaseSharedMemory shm;
  ASSERT_TRUE(shm.SetName(kName));
  EXPECT_FALSE(shm.Attach());
  EXPECT_EQ(std::string(shm.GetErrorText()), "OpenFileMapping (Code: 2)");
  EXPECT_EQ(shm.GetLastErrorCode(), ENOENT);
  EXPECT_EQ(shm.GetBase(), nullptr);
  EXPECT_FALSE(shm_test::Exists(kName));
  EXPECT_EQ(std::string(shm.GetObjectName()), "/" + prefix_.Prefix() + kName);
}


TEST_F(BaseSharedMemoryTest, CreateMapsExactlySizeZeroBytesOwnerOnly) {
  BaseSharedMemory shm;
  ASSERT_TRUE(shm.SetName(kName));
  ASSERT_TRUE(shm.Create(5000));
  ASSERT_NE(shm.GetBase(), nullptr);
  EXPECT_EQ(shm.GetMappedLength(), 5000u);
  EXPECT_EQ(shm_test::ObjectSize(kName), 5000);
  for (uint32_t i = 0; i < 5000; i++) {
    ASSERT_EQ(shm.GetBase()[i], 0) << "byte " << i;
  }
  int fd = ::shm_open(shm.GetObjectName(), O_RDONLY, 0);
  ASSERT_GE(fd, 0);
  struct stat st;
  ASSERT_EQ(::fstat(fd, &st), 0);
  ::close(fd);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_FALSE(shm.CreateFoundExisting());
}


// Creation is exclusive: creating an existing segment is a failure the caller
// recognises, so it attaches instead of clearing the segment a second time.
TEST_F(BaseSharedMemoryTest, CreateWhenNameExistsFailsAndTellsSoWithoutTouchingIt) {
  BaseSharedMemory first;
  ASSERT_TRUE(first.SetName(kName));
  ASSERT_TRUE(first.Create(4096));
  first.GetBase()[7] = 0x99;

  BaseSharedMemory second;
  ASSERT_TRUE(second.SetName(kName));
  EXPECT_FALSE(second.Create(4096));
  EXPECT_TRUE(second.CreateFoundExisting());
  EXPECT_EQ(std::string(second.GetErrorText()), "Creating Shared memory (Code: 17)");
  EXPECT_EQ(second.GetBase(), nullptr);
  ASSERT_TRUE(second.Attach());
  EXPECT_EQ(second.GetBase()[7], 0x99);
  second.GetBase()[4095] = 0x17;
  EXPECT_EQ(first.GetBase()[4095], 0x17);
}

TEST_F(BaseSharedMemoryTest, NameOf42CharactersAcceptedAnd43Refused) {
  BaseSharedMemory ok;
  EXPECT_TRUE(ok.SetName(std::string(42, 'n').c_str()));
  EXPECT_TRUE(ok.Create(4096));

  BaseSharedMemory tooLong;
  EXPECT_FALSE(tooLong.SetName(std::string(43, 'n').c_str()));
  EXPECT_FALSE(tooLong.Attach());
  EXPECT_EQ(tooLong.GetLastErrorCode(), 0);
  EXPECT_NE(std::string(tooLong.GetErrorText()).find("longer than 42"), std::string::npos);
  EXPECT_FALSE(tooLong.Create(4096));
  EXPECT_FALSE(tooLong.CreateFoundExisting());

  BaseSharedMemory none;
  EXPECT_FALSE(none.SetName(""));
  EXPECT_FALSE(none.SetName(nullptr));
}


TEST_F(BaseSharedMemoryTest, ClearSegmentWithZeroCountIsRefusedAndWritesNothing) {
  BaseSharedMemory shm;
  ASSERT_TRUE(shm.SetName(kName));
  ASSERT_TRUE(shm.Create(4096));
  std::memset(shm.GetBase(), 0xAB, 4096);
  EXPECT_FALSE(shm.ClearSegment(0));
  EXPECT_EQ(shm.GetBase()[0], 0xAB);

  EXPECT_TRUE(shm.ClearSegment(10));
  EXPECT_EQ(shm.GetBase()[9], 0);
  EXPECT_EQ(shm.GetBase()[10], 0xAB);

  // Never past the view.
  EXPECT_FALSE(shm.ClearSegment(4097));
  EXPECT_EQ(shm.GetBase()[4095], 0xAB);

  BaseSharedMemory unmapped;
  EXPECT_FALSE(unmapped.ClearSegment(10));
}

TEST_F(BaseSharedMemoryTest, AttachRefusesAnObjectSmallerThanTheSegment) {
  ASSERT_TRUE(shm_test::CreateRaw(kName, 4096));
  BaseSharedMemory shm;
  ASSERT_TRUE(shm.SetName(kName));
  shm.SetSize(129328);
  EXPECT_FALSE(shm.Attach());
  EXPECT_EQ(shm.GetBase(), nullptr);
  EXPECT_EQ(shm.GetLastErrorCode(), 0);
  EXPECT_EQ(std::string(shm.GetErrorText()), "Shared memory " + shm_test::ObjectName(kName) +
                                                 " is 4096 bytes, smaller than the segment's 129328 bytes");
  // The object is left as it was.
  EXPECT_EQ(shm_test::ObjectSize(kName), 4096);
}

TEST_F(BaseSharedMemoryTest, AttachToAnEmptyObjectGivesUpAfterABoundedWait) {
  ASSERT_TRUE(shm_test::CreateRaw(kName, 0));
  BaseSharedMemory shm;
  ASSERT_TRUE(shm.SetName(kName));
  auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(shm.Attach());
  auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(900));
  EXPECT_LT(waited, std::chrono::seconds(5));
  EXPECT_NE(std::string(shm.GetErrorText()).find("is 0 bytes"), std::string::npos);
}



TEST_F(BaseSharedMemoryTest, UnlinkRemovesTheNameButNotANewerObjectOfTheSameName) {
  BaseSharedMemory old;
  ASSERT_TRUE(old.SetName(kName));
  ASSERT_TRUE(old.Create(4096));
  // Someone removes the name (tarnel-shm remove) and a new segment appears.
  ASSERT_EQ(::shm_unlink(old.GetObjectName()), 0);
  BaseSharedMemory newer;
  ASSERT_TRUE(newer.SetName(kName));
  ASSERT_TRUE(newer.Create(4096));

  EXPECT_FALSE(old.Unlink());
  EXPECT_TRUE(shm_test::Exists(kName));
  EXPECT_TRUE(newer.Unlink());
  EXPECT_FALSE(shm_test::Exists(kName));
}



}  // namespace
