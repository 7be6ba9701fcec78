// The banner program's view of the banner record: one call per 50 ms tick
// reads the record, accumulates its messages, follows its flags and decides
// when the banner closes. The window only shows the state kept here.
#pragma once

#include <cstddef>
#include <cstdint>

#include "banner/BannerRecord.h"
#include "common/Qx_ErrorReport.h"

enum class BannerState { kStart, kFailure, kWarning, kSuccess };

class BannerMonitor : public Qx_ErrorReport {
 public:
  static constexpr std::size_t kNameTextSize = 64;          // "Loading --> " and a 49-character name
  static constexpr std::size_t kErrorTextSize = 1024;
  static constexpr std::size_t kMessageTextSize = 16 * 1024;  // newest messages kept when it fills
  static constexpr int32_t kCreepPerTick = 3;                 // hundredths of a per cent
  static constexpr int32_t kMaxCreep = 100 * 100;             // the bar cannot show more
  static constexpr int32_t kSuccessTicksToClose = 50;         // closes when exceeded

  BannerMonitor();

  // Attached: clears the record's flags and progress and starts watching it.
  // The area must hold at least the whole banner record.
  void StartAttached(uint8_t* area);
  // Not attached: every tick shows the error text and the fixed lines.
  void StartUnattached(const char* errorText);

  // One tick. Returns true when the banner should close.
  bool Tick();

  bool IsAttached() const { return area_ != nullptr; }
  const char* NameText() const { return nameText_; }
  const char* MessageText() const { return messageText_; }
  BannerState State() const { return state_; }
  // The record's progress clamped to 0..100.
  int32_t DisplayedProgress() const { return displayedProgress_; }
  // Displayed progress plus the whole part of the creep (may exceed 100;
  // the bar shows at most 100).
  int32_t BarPosition() const { return barPosition_; }
  int32_t SuccessTicks() const { return successTicks_; }
  // Grows whenever the texts were (re)shown, so the window knows to redraw.
  uint32_t TextVersion() const { return textVersion_; }

 private:
  void ReadRecord();
  void AppendMessage(const char* message);
  void ShowTexts() { ++textVersion_; }

  uint8_t* area_ = nullptr;
  char nameText_[kNameTextSize] = {};
  char messageText_[kMessageTextSize] = {};
  char errorText_[kErrorTextSize] = {};
  // The record's message field: as read this tick, and as at the previous tick.
  char message_[banner_record::kMessageSize + 1] = {};
  char previousMessage_[banner_record::kMessageSize + 1] = {};
  bool success_ = false;
  bool warning_ = false;
  bool failure_ = false;
  int32_t progress_ = 0;
  bool nameShown_ = false;
  bool previousSuccess_ = false;
  bool previousFailure_ = false;
  bool previousWarning_ = false;
  int32_t successTicks_ = 0;
  int32_t creep_ = 0;  // hundredths of a per cent
  int32_t displayedProgress_ = 0;
  int32_t barPosition_ = 0;
  BannerState state_ = BannerState::kStart;
  uint32_t textVersion_ = 0;
};
