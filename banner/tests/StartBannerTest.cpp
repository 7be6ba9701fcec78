#include "banner/StartBanner.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <climits>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "banner/BannerRecord.h"
#include "platform/Spawn.h"

namespace {

constexpr std::size_t kAreaSize = 129328;

int32_t ReadInt(const std::vector<uint8_t>& area, std::size_t offset) {
  int32_t v = 0;
  std::memcpy(&v, area.data() + offset, sizeof v);
  return v;
}

TEST(StartBannerTest, CleanStartLeavesProgressSixtyAndSuccess) {
  std::vector<uint8_t> area(kAreaSize, 0);
  // Bytes the writer must never touch: the reserved bytes and the neighbours.
  for (uint32_t at = banner_record::kFailure + 1; at < banner_record::kProgress; at++) {
    area[at] = 0x5A;
  }
  area[banner_record::kProgramName - 1] = 0x77;
  area[banner_record::kEnd + 1] = 0x77;
  {
    StartBanner banner(area.data());
    banner.SetProgramName("QX-P-0077 v1.1");
    banner.SetProgress(5);
    banner.AddProgress(5);
    for (int step = 0; step < 5; step++) {
      banner.AddProgress(10);
    }
    banner.SetSucceeded();
  }
  EXPECT_STREQ(reinterpret_cast<const char*>(area.data() + banner_record::kProgramName), "QX-P-0077 v1.1");
  const uint8_t progress[4] = {60, 0, 0, 0};
  EXPECT_EQ(0, std::memcmp(area.data() + banner_record::kProgress, progress, 4));
  EXPECT_EQ(1, area[banner_record::kSuccess]);
  EXPECT_EQ(0, area[banner_record::kWarning]);
  EXPECT_EQ(0, area[banner_record::kFailure]);
  for (uint32_t at = banner_record::kFailure + 1; at < banner_record::kProgress; at++) {
    EXPECT_EQ(0x5A, area[at]) << at;
  }
  EXPECT_EQ(0x77, area[banner_record::kProgramName - 1]);
  EXPECT_EQ(0x77, area[banner_record::kEnd + 1]);
}

TEST(StartBannerTest, LongTextsAreCutInsideTheirFields) {
  std::vector<uint8_t> area(kAreaSize, 0xEE);
  StartBanner banner(area.data());
  banner.SetProgramName(std::string(60, 'N').c_str());
  const char* name = reinterpret_cast<const char*>(area.data() + banner_record::kProgramName);
  EXPECT_EQ(std::string(49, 'N'), std::string(name));
  EXPECT_EQ(0, area[banner_record::kProgramName + 49]);
  EXPECT_EQ(0xEE, area[banner_record::kMessage]);

  banner.SetMessage(std::string(2000, 'm').c_str());
  const char* message = reinterpret_cast<const char*>(area.data() + banner_record::kMessage);
  EXPECT_EQ(std::string(1023, 'm'), std::string(message));
  EXPECT_EQ(0xEE, area[banner_record::kSuccess]);

  banner.SetMessage("Unable tp load main picture");
  banner.SetFailed();
  EXPECT_STREQ(message, "Unable tp load main picture");
  EXPECT_EQ(1, area[banner_record::kFailure]);
  banner.SetWarning();
  EXPECT_EQ(1, area[banner_record::kWarning]);
}

TEST(StartBannerTest, ProgressFromSharedMemoryWrapsInsteadOfOverflowing) {
  std::vector<uint8_t> area(kAreaSize, 0);
  StartBanner banner(area.data());
  banner.SetProgress(INT32_MAX);
  banner.AddProgress(10);
  EXPECT_EQ(INT32_MIN + 9, ReadInt(area, banner_record::kProgress));
  // A later start adds to what the banner program left there.
  banner.SetProgress(20);
  banner.AddProgress(-25);
  EXPECT_EQ(-5, ReadInt(area, banner_record::kProgress));
}

TEST(StartBannerTest, NullAreaDoesNothing) {
  StartBanner banner(nullptr);
  banner.StartBannerProgram();
  banner.SetProgramName("x");
  banner.SetMessage("x");
  banner.SetProgress(5);
  banner.AddProgress(5);
  banner.SetSucceeded();
  banner.SetWarning();
  banner.SetFailed();
  EXPECT_TRUE(banner.GetFullText().empty());
}

bool ProcessGone(pid_t pid) {
  struct stat st;
  std::string proc = "/proc/" + std::to_string(pid);
  for (int i = 0; i < 500; i++) {
    if (::stat(proc.c_str(), &st) != 0) {
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

TEST(StartBannerTest, SpawnedProgramIsReapedAndMissingOneIsRefused) {
  pid_t pid = platform::SpawnDetached("/bin/true");
  ASSERT_GT(pid, 0);
  // Once reaped, the process (and any zombie entry) is gone from /proc.
  EXPECT_TRUE(ProcessGone(pid));
  EXPECT_EQ(-1, platform::SpawnDetached("/nonexistent/lisket"));
  EXPECT_EQ(-1, platform::SpawnDetached(""));
}

TEST(StartBannerTest, BannerProgramIsLookedForBesideTheRunningProgram) {
  std::string path = StartBanner::BannerProgramPath();
  ASSERT_GE(path.size(), 7u);
  EXPECT_EQ("/lisket", path.substr(path.size() - 7));
  EXPECT_EQ('/', path[0]);
  // The test program's folder holds no lisket: starting it is not noticed.
  std::vector<uint8_t> area(kAreaSize, 0);
  StartBanner banner(area.data());
  banner.StartBannerProgram();
  banner.SetProgress(5);
  EXPECT_EQ(5, ReadInt(area, banner_record::kProgress));
}

}  // namespace
