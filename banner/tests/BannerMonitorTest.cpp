#include "banner/BannerMonitor.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace banner_record;

// A byte area exactly as large as the banner record, so that any read past
// the record is a heap overflow under the sanitizers.
class Record {
 public:
  Record() : bytes_(kEnd + 1, 0) {}
  uint8_t* Base() { return bytes_.data(); }
  void Name(const std::string& text) { Text(kProgramName, kProgramNameSize, text); }
  void Message(const std::string& text) { Text(kMessage, kMessageSize, text); }
  void Progress(int32_t value) { std::memcpy(&bytes_[kProgress], &value, sizeof value); }
  int32_t Progress() const {
    int32_t value;
    std::memcpy(&value, &bytes_[kProgress], sizeof value);
    return value;
  }
  uint8_t& Byte(uint32_t offset) { return bytes_[offset]; }

 private:
  void Text(uint32_t offset, uint32_t size, const std::string& text) {
    std::memset(&bytes_[offset], 0, size);
    std::memcpy(&bytes_[offset], text.data(), std::min<std::size_t>(text.size(), size));
  }
  std::vector<uint8_t> bytes_;
};

class BannerMonitorTest : public ::testing::Test {
 protected:
  void SetUp() override { monitor.StartAttached(record.Base()); }
  bool Ticks(int count) {
    bool close = false;
    for (int i = 0; i < count; ++i) {
      close = monitor.Tick();
    }
    return close;
  }
  Record record;
  BannerMonitor monitor;
};

TEST(BannerMonitorStart, ClearsFlagsAndProgressButKeepsNameAndMessage) {
  Record record;
  record.Name("QX-P-0077 v1.1");
  record.Message("Reading ini");
  record.Byte(kSuccess) = record.Byte(kWarning) = record.Byte(kFailure) = 1;
  record.Progress(20);
  BannerMonitor monitor;
  monitor.StartAttached(record.Base());
  EXPECT_EQ(0, record.Byte(kSuccess));
  EXPECT_EQ(0, record.Byte(kWarning));
  EXPECT_EQ(0, record.Byte(kFailure));
  EXPECT_EQ(0, record.Progress());
  EXPECT_STREQ("", monitor.NameText());
  EXPECT_STREQ("", monitor.MessageText());
  EXPECT_EQ(BannerState::kStart, monitor.State());

  // The message already in the record is new to the banner.
  EXPECT_FALSE(monitor.Tick());
  EXPECT_STREQ("Loading --> QX-P-0077 v1.1", monitor.NameText());
  EXPECT_STREQ("Reading ini\n", monitor.MessageText());
}

TEST_F(BannerMonitorTest, ProgressIsClampedAndTheCreepAdded) {
  record.Progress(250);
  Ticks(1);
  EXPECT_EQ(100, monitor.DisplayedProgress());
  EXPECT_EQ(100, monitor.BarPosition());  // creep 0.03 shows as 0
  Ticks(33);                              // creep 1.02
  EXPECT_EQ(101, monitor.BarPosition());

  record.Progress(-5);
  Ticks(1);
  EXPECT_EQ(0, monitor.DisplayedProgress());
  EXPECT_EQ(1, monitor.BarPosition());

  for (int32_t odd : {INT_MIN, INT_MAX, -1, 101}) {
    record.Progress(odd);
    Ticks(1);
    EXPECT_EQ(odd < 0 ? 0 : 100, monitor.DisplayedProgress()) << odd;
  }
}

TEST_F(BannerMonitorTest, CreepIsSixAfterTenSecondsAndStopsAtAnOutcome) {
  record.Progress(30);
  Ticks(199);
  EXPECT_EQ(35, monitor.BarPosition());  // 5.97
  Ticks(1);
  EXPECT_EQ(36, monitor.BarPosition());  // exactly 6, no rounding loss

  record.Byte(kWarning) = 1;
  Ticks(1);  // the tick that sees the warning still creeps
  Ticks(400);
  EXPECT_EQ(36, monitor.BarPosition());
  EXPECT_EQ(BannerState::kWarning, monitor.State());
}

TEST_F(BannerMonitorTest, MessagesAreAddedOncePerChangeIgnoringBlanks) {
  record.Message("Reading ini");
  Ticks(3);
  EXPECT_STREQ("Reading ini\n", monitor.MessageText());

  record.Message("Reading  ini ");  // differs only in blanks
  Ticks(1);
  EXPECT_STREQ("Reading ini\n", monitor.MessageText());

  record.Message("Loading picture");
  Ticks(1);
  record.Message("Reading ini");
  Ticks(2);
  record.Message("Loading picture");
  Ticks(1);
  EXPECT_STREQ("Reading ini\nLoading picture\nReading ini\nLoading picture\n", monitor.MessageText());

  // Only the first 999 characters take part in the comparison.
  std::string longText(999, 'x');
  record.Message(longText + "a");
  Ticks(1);
  record.Message(longText + "b");
  Ticks(1);
  std::string text = monitor.MessageText();
  EXPECT_EQ(std::string::npos, text.find(longText + "b"));
  EXPECT_NE(std::string::npos, text.find(longText + "a\n"));
}

TEST_F(BannerMonitorTest, AccumulatedMessagesKeepTheNewestWhenFull) {
  std::string last;
  for (int i = 0; i < 100; ++i) {
    last = std::to_string(i) + std::string(900, static_cast<char>('a' + i % 26));
    record.Message(last);
    Ticks(1);
  }
  std::string text = monitor.MessageText();
  EXPECT_LT(text.size(), BannerMonitor::kMessageTextSize);
  ASSERT_GE(text.size(), last.size() + 1);
  EXPECT_EQ(last + "\n", text.substr(text.size() - last.size() - 1));
  // Whole messages were dropped from the front, never half of one.
  const std::string first = text.substr(0, text.find('\n'));
  const int k = std::atoi(first.c_str());
  EXPECT_GT(k, 0);
  EXPECT_EQ(std::to_string(k) + std::string(900, static_cast<char>('a' + k % 26)), first);
}

TEST_F(BannerMonitorTest, SuccessThenFailureStaysOpenRedWithTheFailureAlone) {
  record.Message("Initialising panels");
  record.Byte(kSuccess) = 1;
  EXPECT_FALSE(Ticks(10));
  EXPECT_EQ(BannerState::kSuccess, monitor.State());
  EXPECT_EQ(10, monitor.SuccessTicks());

  record.Message("COxygenPanel::Initialise --> SharedMemory ptr not set");
  record.Byte(kFailure) = 1;
  EXPECT_FALSE(Ticks(1));
  EXPECT_EQ(BannerState::kFailure, monitor.State());
  EXPECT_STREQ("COxygenPanel::Initialise --> SharedMemory ptr not set", monitor.MessageText());

  EXPECT_FALSE(Ticks(500));
  EXPECT_EQ(10, monitor.SuccessTicks());
  EXPECT_STREQ("COxygenPanel::Initialise --> SharedMemory ptr not set", monitor.MessageText());
}

TEST_F(BannerMonitorTest, FailureWinsOverAWarningOfTheSameTick) {
  record.Message("Unable tp load main picture");
  record.Byte(kFailure) = 1;
  record.Byte(kWarning) = 1;
  Ticks(1);
  EXPECT_EQ(BannerState::kFailure, monitor.State());
  Ticks(1);  // the warning's own rule never fires while the failure is set
  EXPECT_EQ(BannerState::kFailure, monitor.State());
  EXPECT_STREQ("Unable tp load main picture", monitor.MessageText());
}

TEST_F(BannerMonitorTest, WarningShowsItsMessageAloneAndNeverCloses) {
  record.Message("step one");
  Ticks(1);
  record.Message("Fuel data file old");
  record.Byte(kWarning) = 1;
  record.Byte(kSuccess) = 1;
  EXPECT_FALSE(Ticks(100));
  EXPECT_EQ(BannerState::kWarning, monitor.State());
  EXPECT_STREQ("Fuel data file old", monitor.MessageText());
  EXPECT_EQ(0, monitor.SuccessTicks());
}

TEST_F(BannerMonitorTest, NameIsReadAtTheFirstTickOnly) {
  Ticks(1);
  EXPECT_STREQ("Loading --> ", monitor.NameText());
  record.Name("QX-P-0077 v1.1");
  Ticks(5);
  EXPECT_STREQ("Loading --> ", monitor.NameText());
}

TEST_F(BannerMonitorTest, CleanStartClosesAfterFiftyOneSuccessTicks) {
  record.Progress(60);
  Ticks(7);
  record.Byte(kSuccess) = 1;
  EXPECT_FALSE(Ticks(50));
  EXPECT_EQ(BannerState::kSuccess, monitor.State());
  EXPECT_TRUE(monitor.Tick());
  EXPECT_EQ(51, monitor.SuccessTicks());
}

TEST(BannerMonitorRecord, UnterminatedFieldsAreReadWithinTheirBounds) {
  Record record;
  BannerMonitor monitor;
  monitor.StartAttached(record.Base());
  record.Name(std::string(50, 'N'));          // no terminator; the message follows
  record.Message(std::string(1024, 'M'));     // no terminator; the success flag follows
  record.Byte(kSuccess) = 'S';                // raised with an odd value
  monitor.Tick();
  EXPECT_EQ("Loading --> " + std::string(49, 'N'), monitor.NameText());
  EXPECT_EQ(std::string(1024, 'M') + "\n", monitor.MessageText());
  EXPECT_EQ(BannerState::kSuccess, monitor.State());
}

TEST(BannerMonitorUnattached, ShowsTheErrorAndTheFixedLinesEveryTick) {
  BannerMonitor monitor;
  monitor.StartUnattached("GenericSimShm::GenericSimShm\nShared Memory Version Mismatch\nPlease rebuild software");
  for (int i = 0; i < 60; ++i) {
    EXPECT_FALSE(monitor.Tick());
  }
  EXPECT_STREQ(
      "GenericSimShm::GenericSimShm\nShared Memory Version Mismatch\nPlease rebuild software"
      "\nUnable to communicate with simulation\nPlease close"
      "\n--- Only effects this initialization viewer, the actual program will run as normal ---",
      monitor.MessageText());
  EXPECT_EQ(BannerState::kStart, monitor.State());
  EXPECT_EQ(0, monitor.BarPosition());
  EXPECT_STREQ("", monitor.NameText());
}

}  // namespace
