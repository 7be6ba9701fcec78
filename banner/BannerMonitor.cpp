#include "banner/BannerMonitor.h"

#include <atomic>
#include <cstring>

#include "common/RevisionString.h"
#include "common/TextFcns.h"

namespace {

RevisionLines gRevisions("%Z% BannerMonitor QX_P_0902_01 BannerMonitor.cpp $Revision: 1.1 $",
                         "%Z% BannerMonitor QX_P_0902_01 BannerMonitor.h $Revision: 1.1 $");

const char kUnattachedLines[] =
    "\nUnable to communicate with simulation\nPlease close"
    "\n--- Only effects this initialization viewer,"
    " the actual program will run as normal ---";

// The record is rewritten by another process at any moment: every byte is
// read exactly once, through a volatile access, into a local copy.
uint8_t ReadByte(const uint8_t* area, uint32_t offset) {
  return *static_cast<const volatile uint8_t*>(area + offset);
}

void ReadBytes(const uint8_t* area, uint32_t offset, char* out, std::size_t count) {
  const volatile uint8_t* from = area + offset;
  for (std::size_t i = 0; i < count; ++i) {
    out[i] = static_cast<char>(from[i]);
  }
}

void WriteByte(uint8_t* area, uint32_t offset, uint8_t value) {
  *static_cast<volatile uint8_t*>(area + offset) = value;
}

}  // namespace

BannerMonitor::BannerMonitor() { gRevisions.RegisterOnce(); }

void BannerMonitor::StartAttached(uint8_t* area) {
  area_ = area;
  CopyBounded(errorText_, " ", sizeof errorText_);
  state_ = BannerState::kStart;
  nameShown_ = false;
  creep_ = 0;
  messageText_[0] = '\0';
  std::memset(previousMessage_, 0, sizeof previousMessage_);
  if (area_ != nullptr) {
    WriteByte(area_, banner_record::kSuccess, 0);
    WriteByte(area_, banner_record::kWarning, 0);
    WriteByte(area_, banner_record::kFailure, 0);
    for (uint32_t i = 0; i < 4; ++i) {
      WriteByte(area_, banner_record::kProgress + i, 0);
    }
  }
  successTicks_ = 0;
  previousSuccess_ = previousFailure_ = previousWarning_ = false;
  displayedProgress_ = barPosition_ = 0;
  ShowTexts();
}

void BannerMonitor::StartUnattached(const char* errorText) {
  StartAttached(nullptr);
  FormatBounded(errorText_, sizeof errorText_, "%s", errorText != nullptr ? errorText : "");
}

void BannerMonitor::ReadRecord() {
  success_ = ReadByte(area_, banner_record::kSuccess) != 0;
  warning_ = ReadByte(area_, banner_record::kWarning) != 0;
  failure_ = ReadByte(area_, banner_record::kFailure) != 0;
  uint32_t raw = 0;
  for (uint32_t i = 0; i < 4; ++i) {
    raw |= static_cast<uint32_t>(ReadByte(area_, banner_record::kProgress + i)) << (8 * i);
  }
  progress_ = static_cast<int32_t>(raw);
  // The writer sets the message before it raises a flag: read the flags
  // first so that a raised flag comes with its message.
  std::atomic_thread_fence(std::memory_order_acquire);
  ReadBytes(area_, banner_record::kMessage, message_, banner_record::kMessageSize);
  message_[banner_record::kMessageSize] = '\0';
}

void BannerMonitor::AppendMessage(const char* message) {
  std::size_t used = std::strlen(messageText_);
  const std::size_t adding = std::strlen(message) + 1;  // and its "\n"
  if (used + adding >= sizeof messageText_) {
    // Full: drop the oldest lines; the newest text is what the operator needs.
    std::size_t drop = used + adding - (sizeof messageText_ - 1);
    const char* newline = static_cast<const char*>(std::memchr(messageText_ + drop - 1, '\n', used - drop + 1));
    drop = newline != nullptr ? static_cast<std::size_t>(newline - messageText_) + 1 : used;
    std::memmove(messageText_, messageText_ + drop, used - drop + 1);
    used -= drop;
  }
  std::memcpy(messageText_ + used, message, adding - 1);
  messageText_[used + adding - 1] = '\n';
  messageText_[used + adding] = '\0';
}

bool BannerMonitor::Tick() {
  if (area_ == nullptr) {
    FormatBounded(messageText_, sizeof messageText_, "%s%s", errorText_, kUnattachedLines);
    ShowTexts();
    return false;
  }
  ReadRecord();

  if (!previousFailure_ && !previousWarning_ && creep_ < kMaxCreep) {
    creep_ += kCreepPerTick;
  }
  if (!nameShown_) {
    // Read once: a name written after the first tick is never shown.
    char name[banner_record::kProgramNameSize];
    ReadBytes(area_, banner_record::kProgramName, name, sizeof name);
    name[sizeof name - 1] = '\0';
    FormatBounded(nameText_, sizeof nameText_, "Loading --> %s", name);
    nameShown_ = true;
    ShowTexts();
  }
  if (!EqualIgnoringSpaces(message_, previousMessage_)) {
    AppendMessage(message_);
    ShowTexts();
  }
  std::memcpy(previousMessage_, message_, sizeof previousMessage_);

  displayedProgress_ = progress_ < 0 ? 0 : (progress_ > 100 ? 100 : progress_);
  barPosition_ = displayedProgress_ + creep_ / 100;

  if (failure_ && !previousFailure_) {
    state_ = BannerState::kFailure;
    CopyBounded(messageText_, message_, sizeof messageText_);
    ShowTexts();
  } else if (warning_ && !previousWarning_) {
    if (!failure_) {
      state_ = BannerState::kWarning;
      CopyBounded(messageText_, message_, sizeof messageText_);
      ShowTexts();
    }
  } else if (success_ && !previousSuccess_ && !failure_ && !warning_) {
    state_ = BannerState::kSuccess;
    ShowTexts();
  }
  previousSuccess_ = success_;
  previousFailure_ = failure_;
  previousWarning_ = warning_;

  if (success_ && !failure_ && !warning_ && successTicks_ <= kSuccessTicksToClose) {
    ++successTicks_;
  }
  return successTicks_ > kSuccessTicksToClose;
}
