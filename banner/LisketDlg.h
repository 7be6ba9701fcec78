// The banner window: shows the banner picture, the name line, the progress
// bar in the colour of the outcome and the start-up messages that the
// BannerMonitor reads from the generic simulation area every 50 ms.
#pragma once

#include <sys/types.h>

#include <csignal>
#include <cstddef>
#include <cstdint>
#include <optional>

#include "banner/BannerMonitor.h"
#include "common/Qx_ErrorReport.h"
#include "platform/Events.h"
#include "platform/Graphics.h"
#include "platform/Text.h"
#include "platform/Window.h"
#include "simlink/GenericSimShm.h"

class CStartBannerDlg : public Qx_ErrorReport {
 public:
  static constexpr const char* kCaption = "Loading program, please wait";
  // Pictures in the program's folder: the banner (834 by 47) and the icon.
  static constexpr const char* kPictureFile = "Pictures\\LisketBanner.bmp";
  static constexpr const char* kIconFile = "Pictures\\LisketIcon.bmp";
  static constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
  static constexpr uint32_t kTickMs = 50;

  CStartBannerDlg();
  ~CStartBannerDlg() override;
  CStartBannerDlg(const CStartBannerDlg&) = delete;
  CStartBannerDlg& operator=(const CStartBannerDlg&) = delete;

  // Creates the window, attaches the generic area and clears the record.
  // False (with the report text) only when the window cannot be made.
  bool InitialiseDialog();
  // Ticks and shows until the banner closes itself (result 0), the operator
  // closes the window or *stop becomes non-zero. Then detaches.
  int DoModal(const volatile std::sig_atomic_t* stop);

  const BannerMonitor& Monitor() const { return monitor_; }

 private:
  void OnTimer();
  void OnPaint();
  void OnDestroy();
  bool HandleEvent(const platform::Event& event);  // false: the window was closed
  // Started by a station: whether that station has ended (killed outright
  // included), so that its banner does not stay up for ever.
  bool StationEnded() const;
  void DrawProgressBar();
  void DrawMessages();

  platform::SdlWindow window_;
  platform::DrawSurface canvas_;
  platform::Bitmap picture_;
  platform::Bitmap icon_;
  platform::TextFont font_;
  BannerMonitor monitor_;
  std::optional<GenericSimShm> genericShm_;
  uint8_t* genericBase_ = nullptr;
  bool attached_ = false;
  bool watchStation_ = false;  // started by a station, which is our parent
  pid_t stationPid_ = 0;
  char errorText_[1024] = {};
  char title_[256] = {};
  static constexpr int kMaxMessageLines = 64;
  platform::TextSpan lines_[kMaxMessageLines] = {};
  uint32_t shownTextVersion_ = 0;
  int32_t shownBarPosition_ = -1;
  BannerState shownState_ = BannerState::kStart;
  bool needsPaint_ = true;
};
