// The lisket program as a whole, headless (SDL's dummy video driver): it
// attaches to the generic area, closes itself after a clean start, stays
// open after a failure or without the area, and detaches however it ends.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <sstream>

#include "banner/BannerRecord.h"
#include "tests/support/ProcessTestSupport.h"
#include "simlink/GenericSimShm.h"
#include "tests/support/ShmTestPrefix.h"

namespace {

using process_test::ChildProcess;
using process_test::WaitFor;

class LisketProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    lisket = process_test::BinPath("lisket");
    ASSERT_TRUE(process_test::IsExecutable(lisket)) << lisket;
    prefix = test_support::UseUniqueShmPrefix();
  }
  std::vector<std::string> Settings() const {
    return {std::string("TARNEL_SHM_PREFIX=") + prefix, "SDL_VIDEODRIVER=dummy"};
  }
  static void Write(GenericSimShm& shm, uint32_t offset, const char* text, std::size_t size) {
    std::memset(shm.GetBase() + offset, 0, size);
    std::memcpy(shm.GetBase() + offset, text, std::min(std::strlen(text), size));
  }
  static void Progress(GenericSimShm& shm, int32_t value) {
    std::memcpy(shm.GetBase() + banner_record::kProgress, &value, sizeof value);
  }
  std::string lisket;
  std::string prefix;
};

TEST_F(LisketProgramTest, HelpDescribesTheProgram) {
  const std::string out = ::testing::TempDir() + "lisket_help_" + std::to_string(::getpid()) + ".txt";
  ChildProcess child;
  ASSERT_TRUE(child.Start({lisket, "--help"}, Settings(), out));
  ASSERT_TRUE(child.WaitExit(5000));
  EXPECT_EQ(0, child.ExitCode());
  std::stringstream text;
  text << std::ifstream(out).rdbuf();
  EXPECT_NE(std::string::npos, text.str().find("Usage: lisket")) << text.str();

  ChildProcess wrong;
  ASSERT_TRUE(wrong.Start({lisket, "--frobnicate"}, Settings()));
  ASSERT_TRUE(wrong.WaitExit(5000));
  EXPECT_EQ(2, wrong.ExitCode());
  std::remove(out.c_str());
}

TEST_F(LisketProgramTest, CleanStartClosesItselfAndDetaches) {
  GenericSimShm shm;
  ASSERT_TRUE(shm.IsValid()) << shm.GetErrorText();
  shm.GetBase()[banner_record::kFailure] = 1;  // left over from an earlier start
  ChildProcess child;
  ASSERT_TRUE(child.Start({lisket}, Settings()));
  ASSERT_TRUE(WaitFor([&] { return shm.GetUserCount() == 2; }, 5000)) << "lisket did not attach";
  ASSERT_TRUE(WaitFor([&] { return shm.GetBase()[banner_record::kFailure] == 0; }, 2000));

  Progress(shm, 60);
  shm.GetBase()[banner_record::kSuccess] = 1;
  const auto raised = std::chrono::steady_clock::now();
  ASSERT_TRUE(child.WaitExit(6000)) << "lisket did not close itself";
  const auto took = std::chrono::steady_clock::now() - raised;
  EXPECT_EQ(0, child.ExitCode());
  EXPECT_GE(took, std::chrono::milliseconds(2400));  // 51 ticks of 50 ms
  EXPECT_EQ(1, shm.GetUserCount());
}

TEST_F(LisketProgramTest, FailureKeepsItOpenUntilTerminated) {
  GenericSimShm shm;
  ASSERT_TRUE(shm.IsValid()) << shm.GetErrorText();
  ChildProcess child;
  ASSERT_TRUE(child.Start({lisket}, Settings()));
  ASSERT_TRUE(WaitFor([&] { return shm.GetUserCount() == 2; }, 5000)) << "lisket did not attach";
  std::this_thread::sleep_for(std::chrono::milliseconds(100));  // past the attach-and-clear
  Write(shm, banner_record::kMessage, "Unable tp load main picture", banner_record::kMessageSize);
  shm.GetBase()[banner_record::kSuccess] = 1;
  shm.GetBase()[banner_record::kFailure] = 1;
  EXPECT_FALSE(child.WaitExit(3500));
  EXPECT_EQ(0, child.Stop(SIGQUIT));
  EXPECT_EQ(1, shm.GetUserCount());  // a termination request still detaches
}

TEST_F(LisketProgramTest, WithoutTheAreaItStaysOpenAndLeavesTheSegmentAlone) {
  GenericSimShm other("another layout revision");  // lisket meets a version mismatch
  ASSERT_TRUE(other.IsValid());
  ChildProcess child;
  ASSERT_TRUE(child.Start({lisket}, Settings()));
  EXPECT_FALSE(child.WaitExit(1500));
  EXPECT_EQ(1, other.GetUserCount());
  EXPECT_EQ(0, child.Stop());
  EXPECT_EQ(1, other.GetUserCount());
}

}  // namespace
