#include "banner/LisketDlg.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "banner/BannerRecord.h"
#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "simlink/GenericArea.h"
#include "platform/FilePath.h"

namespace {

RevisionLines gRevisions("%Z% LisketDlg QX_P_0902_01 LisketDlg.cpp $Revision: 1.7 $",
                         "%Z% LisketDlg QX_P_0902_01 LisketDlg.h $Revision: 1.3 $");

// The window is laid out in dialog units of an 8-point sans-serif dialog
// font: one horizontal unit is 1.5 pixels, one vertical unit 1.625 pixels.
constexpr int DialogX(int units) { return (units * 3 + 1) / 2; }
constexpr int DialogY(int units) { return (units * 13 + 4) / 8; }
constexpr platform::Rect DialogRect(int x, int y, int width, int height) {
  return platform::Rect{DialogX(x), DialogY(y), DialogX(x + width), DialogY(y + height)};
}

constexpr int kClientWidth = DialogX(576);
constexpr int kClientHeight = DialogY(132);
constexpr platform::Rect kPictureRect = DialogRect(12, 14, 530, 29);
constexpr int kPictureWidth = 834;  // the picture keeps its own size
constexpr int kPictureHeight = 47;
constexpr platform::Rect kNameRect = DialogRect(13, 2, 285, 9);
constexpr platform::Rect kBarRect = DialogRect(12, 44, 556, 8);
constexpr platform::Rect kMessageRect = DialogRect(12, 56, 556, 65);
constexpr int kFontPixels = 11;

struct Colour {
  uint8_t r, g, b;
};
constexpr Colour kFace = {240, 240, 240};
constexpr uint32_t kFaceRgb = 0xF0F0F0;
constexpr Colour kTextColour = {0, 0, 0};
constexpr Colour kBarBorder = {112, 112, 112};
constexpr Colour kBarBackground = {230, 230, 230};
constexpr Colour kPlainPicture = {96, 112, 136};

Colour BarColour(BannerState state) {
  switch (state) {
    case BannerState::kFailure:
      return {255, 0, 0};
    case BannerState::kWarning:
      return {250, 150, 0};
    case BannerState::kSuccess:
      return {0, 255, 0};
    case BannerState::kStart:
      break;
  }
  return {204, 0, 204};
}

void Fill(platform::DrawSurface& canvas, const platform::Rect& rect, Colour c) { canvas.FillRect(rect, c.r, c.g, c.b); }

}  // namespace

CStartBannerDlg::CStartBannerDlg() { gRevisions.RegisterOnce(); }

CStartBannerDlg::~CStartBannerDlg() { OnDestroy(); }

bool CStartBannerDlg::InitialiseDialog() {
  char error[1024];
  if (!window_.Create(kCaption, kClientWidth, kClientHeight, error, sizeof error, platform::SdlWindow::Frame::Fixed)) {
    Report("CStartBannerDlg::InitialiseDialog", error);
    return false;
  }
  if (!canvas_.Create(kClientWidth, kClientHeight)) {
    Report("CStartBannerDlg::InitialiseDialog", "No memory for the window's picture");
    return false;
  }

  if (!font_.Open(kFontFile, kFontPixels, error, sizeof error)) {
    std::fprintf(stderr, "lisket: no text can be drawn: %s\n", error);
  }
  char path[4096];
  FormatBounded(path, sizeof path, "%s%s", platform::ProgramFolder(), kPictureFile);
  if (!picture_.Load(path, error, sizeof error)) {
    std::fprintf(stderr, "lisket: banner picture not loaded, showing a plain area: %s\n", error);
  }
  FormatBounded(path, sizeof path, "%s%s", platform::ProgramFolder(), kIconFile);
  if (icon_.Load(path, error, sizeof error)) {
    window_.SetIcon(icon_);
  }

  // Attach to the generic area; the banner runs on without it.
  // Started by the station, which holds this banner's user count for it: a
  // banner killed outright then leaves no count behind.
  const char* held = std::getenv(banner_record::kHeldVariable);
  watchStation_ = held != nullptr && std::strcmp(held, "1") == 0;
  stationPid_ = ::getppid();
  genericShm_.emplace(GenericSimShm::kVersionText, !watchStation_);
  CopyBounded(errorText_, " ", sizeof errorText_);
  if (!genericShm_->IsValid()) {
    FormatBounded(errorText_, sizeof errorText_, "%s", genericShm_->GetErrorText());
    genericBase_ = nullptr;
    attached_ = false;
  } else {
    genericBase_ = genericShm_->GetBase();
    attached_ = genericBase_ != nullptr;
  }

  FormatBounded(title_, sizeof title_, "Qx Banner ::%s%s%s", " [", GenericSimShm::kVersionText, " ]");
  window_.SetTitle(title_);

  if (attached_) {
    monitor_.StartAttached(genericBase_);
  } else {
    monitor_.StartUnattached(errorText_);
  }
  needsPaint_ = true;
  return true;
}

int CStartBannerDlg::DoModal(const volatile std::sig_atomic_t* stop) {
  if (!window_.IsOpen()) {
    return 0;
  }
  OnPaint();
  uint64_t nextTick = platform::Ticks() + kTickMs;
  bool open = true;
  int result = 0;
  while (open && (stop == nullptr || *stop == 0)) {
    uint64_t now = platform::Ticks();
    if (now >= nextTick) {
      nextTick += kTickMs;
      if (nextTick <= now) {
        nextTick = now + kTickMs;  // fell behind (suspended): no burst of ticks
      }
      if (monitor_.Tick() || (watchStation_ && StationEnded())) {
        result = 0;
        open = false;
      }
      OnTimer();
      continue;
    }
    platform::Event event;
    if (platform::WaitEvent(&event, static_cast<int32_t>(nextTick - now))) {
      open = HandleEvent(event);
      while (open && platform::PollEvent(&event)) {
        open = HandleEvent(event);
      }
    }
    if (needsPaint_) {
      OnPaint();
    }
  }
  OnDestroy();
  return result;
}

bool CStartBannerDlg::StationEnded() const {
  // The station is our parent: once it has gone we belong to another. And
  // while it runs it claims its iteration count, which the kernel releases
  // however it ends, even when it ended before this banner looked.
  if (::getppid() != stationPid_ || stationPid_ == 1) {
    return true;
  }
  return attached_ && !genericShm_->RangeClaimed(generic_area::kIterationCount, 4);
}

bool CStartBannerDlg::HandleEvent(const platform::Event& event) {
  switch (event.type) {
    case platform::EventType::Quit:
    case platform::EventType::Close:
      return false;
    case platform::EventType::Expose:
      needsPaint_ = true;
      return true;
    default:
      return true;
  }
}

void CStartBannerDlg::OnTimer() {
  if (monitor_.TextVersion() != shownTextVersion_ || monitor_.BarPosition() != shownBarPosition_ ||
      monitor_.State() != shownState_) {
    needsPaint_ = true;
  }
  if (needsPaint_) {
    OnPaint();
  }
}

void CStartBannerDlg::OnPaint() {
  needsPaint_ = false;
  shownTextVersion_ = monitor_.TextVersion();
  shownBarPosition_ = monitor_.BarPosition();
  shownState_ = monitor_.State();
  if (!window_.IsOpen() || !canvas_.IsValid()) {
    return;
  }
  Fill(canvas_, platform::Rect{0, 0, kClientWidth, kClientHeight}, kFace);
  if (picture_.IsLoaded()) {
    canvas_.DrawBitmap(picture_, kPictureRect.left, kPictureRect.top);
  } else {
    Fill(canvas_,
         platform::Rect{kPictureRect.left, kPictureRect.top, kPictureRect.left + kPictureWidth,
                        kPictureRect.top + kPictureHeight},
         kPlainPicture);
  }
  const char* name = monitor_.NameText();
  font_.DrawText(canvas_, kNameRect.left, kNameRect.top, name, std::strlen(name), kNameRect,
                 kTextColour.r, kTextColour.g, kTextColour.b);
  DrawProgressBar();
  DrawMessages();
  window_.ShowPicture(canvas_, platform::Rect{0, 0, kClientWidth, kClientHeight}, 0, 0, kFaceRgb);
}

void CStartBannerDlg::DrawProgressBar() {
  Fill(canvas_, kBarRect, kBarBorder);
  platform::Rect inside{kBarRect.left + 1, kBarRect.top + 1, kBarRect.right - 1, kBarRect.bottom - 1};
  Fill(canvas_, inside, kBarBackground);
  // The bar's range is 0..100; a position outside it shows as the nearest end.
  const int position = std::clamp(monitor_.BarPosition(), 0, 100);
  const int filled = inside.Width() * position / 100;
  if (filled > 0) {
    Fill(canvas_, platform::Rect{inside.left, inside.top, inside.left + filled, inside.bottom},
         BarColour(monitor_.State()));
  }
}

void CStartBannerDlg::DrawMessages() {
  if (!font_.IsOpen()) {
    return;
  }
  // The newest text stays visible: only the last lines that fit are drawn.
  const int visible = std::clamp(kMessageRect.Height() / font_.LineHeight(), 1, kMaxMessageLines);
  const char* text = monitor_.MessageText();
  const int count = font_.WrapTail(text, kMessageRect.Width(), lines_, visible);
  for (int i = 0; i < count; ++i) {
    font_.DrawText(canvas_, kMessageRect.left, kMessageRect.top + i * font_.LineHeight(),
                   text + lines_[i].start, lines_[i].length, kMessageRect, kTextColour.r, kTextColour.g,
                   kTextColour.b);
  }
}

void CStartBannerDlg::OnDestroy() {
  // Detach first: the segment's user count must drop however the banner ends.
  genericShm_.reset();
  genericBase_ = nullptr;
  attached_ = false;
  canvas_.Release();
  window_.Destroy();
}
