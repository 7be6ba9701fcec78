#include "shell/TarnelDlg.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "banner/StartBanner.h"
#include "common/ConfigFile.h"
#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "config/IniRead.h"
#include "panels/BasePanel.h"
#include "panels/PanelInterface.h"
#include "panels/SubPanel.h"
#include "shell/ClickRegion.h"
#include "platform/MessageBox.h"
#include "platform/SharedMemory.h"
#include "simlink/SharedField.h"

namespace {

// The banner's user count, held by the station while the banner runs, so that
// a banner killed outright leaves no count behind. Released from the thread
// that waits for the banner, or at shutdown, whichever comes first.
std::mutex gBannerCountLock;
GenericSimShm* gBannerCountIn = nullptr;

void HoldBannerCount(GenericSimShm* segment) {
  std::lock_guard<std::mutex> guard(gBannerCountLock);
  segment->AddUserFor();
  gBannerCountIn = segment;
}

void ReleaseBannerCount() {
  std::lock_guard<std::mutex> guard(gBannerCountLock);
  if (gBannerCountIn != nullptr) {
    gBannerCountIn->RemoveUserFor();
    gBannerCountIn = nullptr;
  }
}

void OnBannerEnded(int /*status*/, void* /*context*/) { ReleaseBannerCount(); }

RevisionLines gRevisions("%Z% TarnelDlg QX_P_0077_01 TarnelDlg.cpp $Revision: 1.9 $",
                         "%Z% TarnelDlg QX_P_0077_01 TarnelDlg.h $Revision: 1.4 $");

int Clamp(int value, int low, int high) { return value < low ? low : (value > high ? high : value); }

}  // namespace

CTarnelDlg::CTarnelDlg() {
  gRevisions.RegisterOnce();
  CopyBounded(iniFile_, kDefaultIniFile, sizeof iniFile_);
  pump_.SetHandler(this);
  surface_.SetDamageList(&damage_);
  surface_.SetPassLog(&passLog_);
}

CTarnelDlg::~CTarnelDlg() {
  if (!cleanupDone_) {
    Shutdown();
  }
}

void CTarnelDlg::SetIniFile(const char* path) {
  if (path != nullptr && path[0] != '\0') {
    CopyBounded(iniFile_, path, sizeof iniFile_);
  }
}

void CTarnelDlg::OnInitDialog(platform::WindowPort* window) {
  window_ = window;
  versionText_ = kVersionText;
  // A report made during initialisation is shown once it has returned, so the
  // banner already shows the failure while the message box waits for the operator.
  deferReports_ = true;
  initialisationFailed_ = !InitialiseDialog();
  deferReports_ = false;
  if (reportPending_) {
    reportPending_ = false;
    platform::ShowErrorBox("Tarnel", shownError_);
  }
}

bool CTarnelDlg::AttachSharedMemory() {
  generic_.emplace();
  if (!generic_->IsValid()) {
    FormatBounded(messageText_, sizeof messageText_, "%s", generic_->GetErrorText());
    genericBase_ = nullptr;
    return false;
  }
  genericBase_ = generic_->GetBase();
  // The station is the single writer of its fields: a second station on the
  // same segment would fight over them.
  if (!generic_->ClaimRange(generic_area::kIterationCount, 4)) {
    const char* prefix = std::getenv("TARNEL_SHM_PREFIX");
    char holder[256];
    platform::ShmDescribeHolders(generic_->Descriptor(), true, holder, sizeof holder);
    FormatBounded(messageText_, sizeof messageText_,
                  "Another station, or a simulation-side bridge, is already running on %s (TARNEL_SHM_PREFIX "
                  "'%s')%s%s. Stop it, or start this one with another TARNEL_SHM_PREFIX.",
                  generic_->GetObjectName(), prefix != nullptr ? prefix : "", holder[0] != '\0' ? ": " : "", holder);
    genericBase_ = nullptr;
    return false;
  }
  training_.emplace();
  if (!training_->IsValid()) {
    FormatBounded(messageText_, sizeof messageText_, "%s", training_->GetErrorText());
    trainingBase_ = nullptr;
    return false;
  }
  trainingBase_ = training_->GetBase();
  return true;
}

bool CTarnelDlg::InitialiseDialog() {
  initialisationFailed_ = true;
  iterationCount_ = 0;
  phaseCounter_ = 0;
  cleanupDone_ = false;
  rate_ = 30.0;
  mouse_.button = 0;

  genericBase_ = nullptr;
  trainingBase_ = nullptr;
  closing_ = false;
  CopyBounded(messageText_, kInitialisationOk, sizeof messageText_);

  if (!AttachSharedMemory()) {
    ShowReport(messageText_, "CTarnelDlg::InitialiseDialog", 0);
    return false;
  }

  StartBanner banner(genericBase_);
  HoldBannerCount(&*generic_);
  if (headless_ || !banner.StartBannerProgram(OnBannerEnded, nullptr)) {
    ReleaseBannerCount();
  }
  banner.SetProgramName(kVersionText);
  banner.SetProgress(5);

  FormatBounded(title_, sizeof title_, "%s [%s ]", versionText_, GenericSimShm::kVersionText);
  if (window_ != nullptr) {
    window_->SetTitle(title_);
  }
  banner.AddProgress(5);

  frameWidth_ = window_ != nullptr ? window_->GetFrameWidth() : 0;
  viewOriginY_ = kSystemBorder + 2;
  viewOriginX_ = kGroupBoxRight + 2;

  {
    CIniRead reader(genericBase_, iniFile_);
    bool read = reader.ReadIniFile(5);
    iniProblem_[0] = '\0';
    if (!read) {
      // The start-up goes on and fails with the system's own texts; this line
      // names the ini file tried and the reason, which otherwise only the
      // progress record holds.
      char reason[kMessageSize];
      CopyBounded(reason, reader.GetFullText().c_str(), sizeof reason);
      for (char* c = reason; *c != '\0'; c++) {
        if (*c == '\n') *c = ' ';
      }
      FormatBounded(iniProblem_, sizeof iniProblem_, "Ini file %s: %s", iniFile_, reason);
      std::fprintf(stderr, "tarnel: %s\n", iniProblem_);
    }
    // The reader keeps a picture path that names no file; the picture step
    // then fails with that name and the system's reason.
    CopyBounded(mainPictureFile_, reader.MainPicture(), sizeof mainPictureFile_);
    if (read) {
      // The folder comes from shared memory: copy at most 1,023 characters of its field.
      CopyBounded(cockpitFolder_, reinterpret_cast<const char*>(genericBase_ + kCockpitFolderOffset),
                  sizeof cockpitFolder_);
    }
  }
  banner.AddProgress(10);

  if (!UpdateDisplay()) {
    initialisationFailed_ = true;
    char message[kMessageSize];
    FormatBounded(message, sizeof message, "Unable tp load main picture%s%s", iniProblem_[0] != '\0' ? "\n" : "",
                  iniProblem_);
    banner.SetMessage(message);
    banner.SetFailed();
    return false;
  }
  rate_ = 20.0;
  banner.AddProgress(10);

  BasePanel::SetSharedMemory(genericBase_);
  if (!cockpit_.InitialisePanels(cockpitFolder_)) {
    banner.SetMessage(cockpit_.GetErrorText());
    banner.SetFailed();
    CopyBounded(messageText_, cockpit_.GetErrorText(), sizeof messageText_);
    return false;
  }
  cockpit_.SetPanelsDisplayOnly(false);
  banner.AddProgress(10);

  loop_.emplace(this, static_cast<int32_t>(rate_), nullptr, &pump_);
  banner.AddProgress(10);

  SetInitialView();
  DrawStartPicture();
  banner.AddProgress(10);

  // Navigation data: nothing to load; the step succeeds.
  banner.SetSucceeded();

  CloseConfigReport();
  return true;
}

bool CTarnelDlg::UpdateDisplay() {
  if (!LoadPicture(mainPictureFile_)) {
    // The box keeps the system's texts and adds the line that names the ini
    // file and why it gave no picture, as stderr and the banner do.
    if (iniProblem_[0] != '\0' && std::strstr(messageText_, iniProblem_) == nullptr) {
      const std::size_t used = std::strlen(messageText_);
      FormatBounded(messageText_ + used, sizeof messageText_ - used, "\n%s", iniProblem_);
    }
    ShowReport(messageText_, "THE_CLASS_DEF::UpdateDisplay", 0);
    return false;
  }
  return true;
}

bool CTarnelDlg::LoadPicture(const char* file) {
  if (!pictureTried_) {
    pictureTried_ = true;
    char reason[kMessageSize];
    pictureLoaded_ = surface_.LoadPicture(file, reason, sizeof reason);
    // The picture as loaded stays beside the drawn one, so that a control
    // that stops being drawn leaves the picture beneath it (without the
    // memory for it, its last image stays).
    if (pictureLoaded_ && !surface_.KeepBackground()) {
      std::fprintf(stderr, "tarnel: no memory for a copy of the main picture\n");
    }
    if (!pictureLoaded_) {
      // The loader's text is "path : reason"; keep the reason only.
      const char* cause = std::strstr(reason, " : ");
      FormatBounded(messageText_, sizeof messageText_, "THE_CLASS_DEF::LoadPicture\n%s\n%s", file,
                    cause != nullptr ? cause + 3 : reason);
    }
  }
  if (!pictureLoaded_) {
    return false;
  }
  // A new picture: every panel is drawn on it again.
  cockpit_.MarkAllForDrawing();
  pictureWidth_ = surface_.Width();
  pictureHeight_ = surface_.Height();
  return true;
}

void CTarnelDlg::StartRealTime() {
  if (!loop_) {
    ShowReport("RT Loop Object is NULL", "CTarnelDlg::StartRealTime", 16);
    return;
  }
  loop_->Enable();
  loopRunning_ = true;
  loop_->Run();
  loopRunning_ = false;
  loop_->GetStatistics(&loopStatistics_);
  loop_.reset();
}

void CTarnelDlg::OnRealTimeIteration() {
  if (closing_) {
    return;
  }
  iterationCount_++;
  if (web_ != nullptr) {
    DrainRemotePointer();
  }
  if (genericBase_ != nullptr) {
    // One aligned store: another process never sees a torn count (0 between 255 and 256).
    shared_field::Store<uint32_t>(genericBase_ + kIterationCountOffset, iterationCount_);
  }
  if (iterationCount_ >= 20) {
    PollKeyboard();
    RefreshView();
    panelReset_.SetBool(ReadU8(kPanelResetOffset) != 0);
    if (panelReset_.BecameSet(true)) {
      cockpit_.ResetAll();
      resetCount_++;
    }
    PollHardware();
    phaseCounter_++;
    if (phaseCounter_ == 11 && (mouse_.button == 3 || mouse_.button == 4)) {
      mouse_.button = 0;
    }
    if (phaseCounter_ == 1) {
      ReadWindowRect();
    }
    if (phaseCounter_ > 20) {
      phaseCounter_ = 0;
    }
  }
  InvalidateView();
}

void CTarnelDlg::ReadWindowRect() {
  if (window_ != nullptr) {
    windowRect_ = window_->GetWindowRect();
  }
}

int CTarnelDlg::ArrowIndex(platform::Key key) {
  switch (key) {
    case platform::Key::Up: return 0;
    case platform::Key::Down: return 1;
    case platform::Key::Left: return 2;
    case platform::Key::Right: return 3;
    default: return -1;
  }
}

void CTarnelDlg::OnKeyDown(platform::Key key, bool repeat) {
  if (key == platform::Key::F1) {
    ShowAbout();
    TakeFocus();  // the box had it
    return;
  }
  if (key == platform::Key::F2 && !repeat) {
    inspect_ = !inspect_;
    // A running loop repaints at its next iteration.
    if (!loopRunning_) OnPaint();
    return;
  }
  // A press counts for one step even when the key is up again before the
  // next poll. Presses count only while the keyboard is polled; the
  // keyboard's auto-repeat is left to the poll, which sees the key held. A
  // poll may see the key held before its press event is handled: it stepped
  // for that press already.
  const int arrow = ArrowIndex(key);
  if (arrow < 0 || repeat) {
    return;
  }
  keyDown_[arrow] = true;
  if (steppedBeforePress_[arrow]) {
    steppedBeforePress_[arrow] = false;
    return;
  }
  if (!closing_ && iterationCount_ >= 20 && pendingPresses_[arrow] < kMaxPendingPresses) {
    pendingPresses_[arrow]++;
  }
}

void CTarnelDlg::OnKeyUp(platform::Key key) {
  const int arrow = ArrowIndex(key);
  if (arrow >= 0) {
    keyDown_[arrow] = false;
    steppedBeforePress_[arrow] = false;
  }
}

void CTarnelDlg::PollKeyboard() {
  if (window_ == nullptr || window_->IsMinimisedOrHidden() || !window_->HasKeyboardFocus()) {
    return;
  }
  static constexpr platform::Key kArrows[] = {platform::Key::Up, platform::Key::Down, platform::Key::Left,
                                              platform::Key::Right};
  static constexpr Direction kDirections[] = {Direction::Up, Direction::Down, Direction::Left, Direction::Right};
  // In this order, each overriding the previous: a held key, or one with a
  // press not yet stepped. Every press gives one step (the first of a hold);
  // a hold gives one more per poll.
  int chosen = -1;
  for (int i = 0; i < 4; i++) {
    if (window_->IsKeyHeld(kArrows[i]) || pendingPresses_[i] > 0) {
      chosen = i;
    }
  }
  if (chosen >= 0) {
    if (pendingPresses_[chosen] > 0) {
      pendingPresses_[chosen]--;
    } else if (!keyDown_[chosen]) {
      steppedBeforePress_[chosen] = true;
    }
  }
  KeyScroll(chosen >= 0 ? kDirections[chosen] : Direction::None);
  if (window_->IsKeyHeld(platform::Key::PageDown)) {
    mouse_.button = 4;
  }
  if (window_->IsKeyHeld(platform::Key::PageUp)) {
    mouse_.button = 3;
  }
  if (window_->IsKeyHeld(platform::Key::Home)) {
    mouse_.button = 2;
  }
}

void CTarnelDlg::KeyScroll(Direction direction) {
  switch (direction) {
    case Direction::Left: scrollX_ -= kKeyStep; break;
    case Direction::Right: scrollX_ += kKeyStep; break;
    case Direction::Up: scrollY_ -= kKeyStep; break;
    case Direction::Down: scrollY_ += kKeyStep; break;
    case Direction::None: break;
  }
  ClampScroll();
  PublishView();
}

void CTarnelDlg::DragScroll(int dx, int dy) {
  // Pointer coordinates are bounded by the window, so the sums cannot overflow.
  scrollX_ += dx;
  scrollY_ += dy;
  ClampScroll();
  PublishView();
}

void CTarnelDlg::ClampScroll() {
  int windowWidth = windowRect_.Width();
  int windowHeight = windowRect_.Height();
  int limitY = windowHeight < kPictureHeight ? kPictureHeight - windowHeight : 0;
  int limitX = windowWidth < kPictureWidth ? kPictureWidth - windowWidth + viewOriginX_ + 2 * frameWidth_ : 0;
  // A window wider (taller) than the rest of the picture keeps the view's
  // left (top) edge where the initial view puts it: what lies beyond is no panel.
  if (limitX < kScrollStartX) {
    limitX = kScrollStartX;
  }
  if (limitY < kScrollStartY) {
    limitY = kScrollStartY;
  }
  if (scrollY_ < kScrollStartY) {
    scrollY_ = kScrollStartY;
  }
  if (scrollY_ > limitY) {
    scrollY_ = limitY;
  }
  if (scrollX_ < kScrollStartX) {
    scrollX_ = kScrollStartX;
  }
  if (scrollX_ > limitX) {
    scrollX_ = limitX;
  }
}

void CTarnelDlg::PublishView() { ViewGeometry::SetScrollAndPointer(scrollX_, scrollY_, mouse_.x, mouse_.y); }

void CTarnelDlg::RefreshView() {
  visibleWidth_ = windowRect_.Width() - viewOriginX_;
  visibleHeight_ = windowRect_.Height() - viewOriginY_;
  int x0 = Clamp(scrollX_, 0, 100000);
  int x1 = Clamp(scrollX_ + visibleWidth_, 0, 100000);
  int y0 = Clamp(scrollY_, 0, 10000);
  int y1 = Clamp(scrollY_ + visibleHeight_, 0, 10000);
  if (WholePictureInView()) {
    x0 = 0;
    y0 = 0;
    x1 = kPictureWidth;
    y1 = kPictureHeight;
  }
  view_.SetVisibleRect(x0, y0, x1, y1);
  cockpit_.UpdateVisible(x0, y0, x1, y1, &mouse_);
}

void CTarnelDlg::InvalidateView() {
  if (closing_) {
    return;
  }
  // The window is repainted at once: nothing else waits for an idle queue.
  OnPaint();
}

void CTarnelDlg::SetInitialView() {
  platform::Rect client = window_ != nullptr ? window_->GetClientRect() : platform::Rect{};
  scrollX_ = kScrollStartX;
  scrollY_ = kScrollStartY;
  visibleWidth_ = client.Width() - viewOriginX_;
  visibleHeight_ = client.Height() - viewOriginY_;
}

void CTarnelDlg::OnLButtonDown(int x, int y) {
  mouse_.button = 1;
  mouse_.x = x - viewOriginX_;
  mouse_.y = y - viewOriginY_;
  lastPointerX_ = x;
  lastPointerY_ = y;
  RouteMouse(x, y);
  if (!initialisationFailed_ && iterationCount_ == 0 && !loopRunning_) {
    StartRealTime();
  }
}

void CTarnelDlg::OnLButtonUp(int x, int y) {
  mouse_.button = 0;
  RouteMouse(x, y);
}

void CTarnelDlg::OnRButtonDown(int x, int y) {
  mouse_.button = 2;
  mouse_.x = x - viewOriginX_;
  mouse_.y = y - viewOriginY_;
  RouteMouse(x, y);
}

void CTarnelDlg::OnRButtonUp(int x, int y) {
  mouse_.button = 0;
  RouteMouse(x, y);
}

void CTarnelDlg::OnMouseWheel(int delta, bool shift) {
  if (initialisationFailed_ || closing_) {
    return;
  }
  const int direction = delta < 0 ? -1 : 1;
  int clickX = 0;
  int clickY = 0;
  if (!shift && click_region::FindKnobTurn(cockpit_, scrollX_ + mouse_.x, scrollY_ + mouse_.y, direction, &clickX,
                                           &clickY)) {
    ClickAt(clickX, clickY);
    return;
  }
  // Turned away from the user: the view moves up (with Shift: left).
  const int notches = delta == 0 ? 1 : (delta > 5 ? 5 : (delta < -5 ? 5 : (delta < 0 ? -delta : delta)));
  const int step = -direction * notches * kWheelStep;
  if (shift) {
    DragScroll(step, 0);
  } else {
    DragScroll(0, step);
  }
  if (!loopRunning_) OnPaint();
}

void CTarnelDlg::ClickAt(int x, int y) {
  const MouseState pointer = mouse_;
  mouse_ = MouseState{1, x - scrollX_, y - scrollY_};
  PublishView();
  cockpit_.HandleMouse(x, y);
  mouse_.button = 0;
  PublishView();
  cockpit_.HandleMouse(x, y);
  mouse_ = pointer;
  PublishView();
}

void CTarnelDlg::OnMouseLeave() {
  pointerInside_ = false;
  if (!loopRunning_) OnPaint();
}

void CTarnelDlg::OnMouseMove(int x, int y) {
  pointerInside_ = true;
  if (mouse_.button == 3 || mouse_.button == 4) {
    return;
  }
  mouse_.x = x - viewOriginX_;
  mouse_.y = y - viewOriginY_;
  if (mouse_.button == 1) {
    if (mouse_.x < kDragMargin || mouse_.y < kDragMargin || mouse_.x > kDragMaxX || mouse_.y > kDragMaxY) {
      mouse_.button = 0;
    }
    DragScroll(lastPointerX_ - x, lastPointerY_ - y);
  } else {
    mouse_.button = 0;
  }
  lastPointerX_ = x;
  lastPointerY_ = y;
  RouteMouse(x, y);
  if ((inspect_ || hover_ || overlay_.outlined) && !loopRunning_) OnPaint();
}

void CTarnelDlg::RouteMouse(int x, int y) {
  mouse_.x = x - viewOriginX_;
  mouse_.y = y - viewOriginY_;
  // The controls read the pointer from the published view.
  PublishView();
  cockpit_.HandleMouse(scrollX_ + mouse_.x, scrollY_ + mouse_.y);
}

void CTarnelDlg::InjectHardwarePointer(int32_t button, int32_t x, int32_t y) {
  const MouseState pointer = mouse_;
  mouse_ = MouseState{button, x - scrollX_, y - scrollY_};
  PublishView();
  cockpit_.HandleMouse(x, y);
  mouse_ = pointer;
  PublishView();
}

void CTarnelDlg::PollHardware() {
  if (!hardwareOpened_) {
    hardwareOpened_ = true;
    hardware_.Open(inputsFile_, virtualPipe_);
  }
  ControlHit hit;
  const bool learning = inspect_ && cockpit_.FindControlAt(scrollX_ + mouse_.x, scrollY_ + mouse_.y, &hit);
  hardware_.Iterate(resetCount_, learning ? &hit : nullptr);
}

void CTarnelDlg::OnPaint() {
  // Browsers are shown the picture even while the window is not.
  const bool noWindow = window_ == nullptr || window_->IsMinimisedOrHidden();
  if (initialisationFailed_ || (noWindow && !WholePictureInView())) {
    presentWhole_ = true;
    return;
  }
  PaintPicture();
}

void CTarnelDlg::PaintPicture() {
  if (genericBase_ == nullptr || ReadU8(kPaintInhibitOffset) != 0) {
    presentWhole_ = true;
    return;
  }
  // The panels draw their controls, each panel only when something may have
  // changed its picture; the surface writes only where the picture changes,
  // and lists where. A pointer that moved has its panel drawn.
  const int pointerX = scrollX_ + mouse_.x;
  const int pointerY = scrollY_ + mouse_.y;
  cockpit_.SetPointer(pointerX, pointerY, cockpit_.FindPanelAt(pointerX, pointerY));
  if (cockpit_.NeedsDrawing() || !surface_.KnowsLastPass()) {
    surface_.BeginPass();
    cockpit_.DrawVisible(surface_);
    surface_.EndPass();
  }
  if (web_ != nullptr) {
    web_->PublishPass(surface_, damage_);
  }
  if (window_ == nullptr || window_->IsMinimisedOrHidden()) {
    presentWhole_ = window_ != nullptr;
    damage_.Clear();
    return;
  }
  UpdateOverlay();
  // A text overlay, on now or just gone, is drawn over the whole view (an
  // outline alone is drawn over the parts too).
  const bool overlay = overlay_.notice[0] != '\0' || overlay_.status[0] != '\0';
  if (overlay || overlayShown_) {
    presentWhole_ = true;
  }
  overlayShown_ = overlay;
  const platform::Rect source{scrollX_, scrollY_, scrollX_ + pictureWidth_, scrollY_ + pictureHeight_};
  const bool moved = source.left != presentedSource_.left || source.top != presentedSource_.top ||
                     source.right != presentedSource_.right || source.bottom != presentedSource_.bottom ||
                     viewOriginX_ != presentedX_ || viewOriginY_ != presentedY_;
  if (presentWhole_ || moved) {
    window_->ShowPicture(surface_, source, viewOriginX_, viewOriginY_, kBackground);
    presentWhole_ = false;
    presentedSource_ = source;
    presentedX_ = viewOriginX_;
    presentedY_ = viewOriginY_;
  } else if (!damage_.IsEmpty()) {
    window_->ShowPictureParts(surface_, source, viewOriginX_, viewOriginY_, damage_.Rects(), damage_.Count());
  }
  damage_.Clear();
}

namespace {

bool SameOverlay(const platform::WindowOverlay& a, const platform::WindowOverlay& b) {
  return std::strcmp(a.notice, b.notice) == 0 && std::strcmp(a.status, b.status) == 0 && a.outlined == b.outlined &&
         (!a.outlined || (a.outline.left == b.outline.left && a.outline.top == b.outline.top &&
                          a.outline.right == b.outline.right && a.outline.bottom == b.outline.bottom));
}

}  // namespace

void CTarnelDlg::UpdateOverlay() {
  const bool hint = !autostart_ && !loopRunning_ && iterationCount_ == 0 && !initialisationFailed_;
  const bool hover = hover_ && !inspect_ && pointerInside_ && genericBase_ != nullptr;
  // Without hint, inspect or hover nothing is made or handed on per iteration.
  if (!hint && !inspect_ && !hover && overlay_.IsEmpty()) {
    return;
  }
  platform::WindowOverlay next;
  if (hint) {
    CopyBounded(next.notice, kStartHint, sizeof next.notice);
  }
  if (inspect_) {
    DescribeControlUnderPointer(&next);
    // What the devices just did (came, went, a learnt mapping line) comes first.
    if (hardware_.FreshStatus()[0] != '\0') {
      char control[sizeof next.status];
      CopyBounded(control, next.status, sizeof control);
      FormatBounded(next.status, sizeof next.status, "[%s]   %s", hardware_.FreshStatus(), control);
    }
  } else if (hover) {
    OutlineClickRegion(&next);
  }
  if (SameOverlay(next, overlay_)) {
    return;
  }
  // What the old overlay covered is shown again.
  overlay_ = next;
  presentWhole_ = true;
  if (window_ != nullptr) window_->SetOverlay(overlay_);
}

void CTarnelDlg::OutlineClickRegion(platform::WindowOverlay* overlay) {
  platform::Rect region;
  if (!click_region::Find(cockpit_, scrollX_ + mouse_.x, scrollY_ + mouse_.y, nullptr, &region)) {
    return;
  }
  overlay->outlined = true;
  overlay->thin = true;
  overlay->outline = platform::Rect{region.left - scrollX_ + viewOriginX_, region.top - scrollY_ + viewOriginY_,
                                    region.right - scrollX_ + viewOriginX_, region.bottom - scrollY_ + viewOriginY_};
}

namespace {

// Appends each field as "role @0xOFFSET=value" ("upper lamp FAULT @0x120E3=0").
struct StatusLine {
  char* text;
  size_t size;
  const uint8_t* area;
};

bool AppendField(const InterfaceField& f, void* context) {
  auto* line = static_cast<StatusLine*>(context);
  char value[32];
  FormatFieldValue(f, line->area, value, sizeof value);
  const char* name = f.role[0] != '\0' ? f.role : f.name;
  const size_t used = std::strlen(line->text);
  FormatBounded(line->text + used, line->size - used, "   %s @0x%05X=%s", name, unsigned(f.offset), value);
  return true;
}

}  // namespace

void CTarnelDlg::DescribeControlUnderPointer(platform::WindowOverlay* overlay) {
  const int x = scrollX_ + mouse_.x;
  const int y = scrollY_ + mouse_.y;
  ControlHit hit;
  if (!cockpit_.FindControlAt(x, y, &hit)) {
    const int32_t id = cockpit_.FindPanelAt(x, y);
    const PanelFacts* facts = FindPanelFacts(id);
    FormatBounded(overlay->status, sizeof overlay->status, "Inspect (F2 ends): %s - no control under the pointer",
                  facts != nullptr && facts->tables != nullptr ? facts->key : "no panel");
    return;
  }
  const PanelTables& tables = *hit.facts->tables;
  char row[96];
  RowTitle(*hit.facts, hit.row, row, sizeof row);
  // A cover or plate shows the fields of the button it covers.
  char fieldsOf[96];
  char covered[112] = "";
  if (hit.row.kind == RowKind::kCover || hit.row.kind == RowKind::kPlate) {
    const int button = hit.row.kind == RowKind::kCover ? tables.covers[size_t(hit.row.index)].button
                                                       : tables.plates[size_t(hit.row.index)].button;
    RowTitle(*hit.facts, RowRef{RowKind::kButton, int16_t(button)}, fieldsOf, sizeof fieldsOf);
    FormatBounded(covered, sizeof covered, " over %s", fieldsOf);
  }
  FormatBounded(overlay->status, sizeof overlay->status, "%s%s |", row, covered);
  StatusLine line{overlay->status, sizeof overlay->status, genericBase_};
  VisitRowFields(*hit.facts, hit.layout, hit.unit, hit.row, AppendField, &line);
  // The outline in client coordinates.
  overlay->outlined = true;
  overlay->outline = platform::Rect{hit.rect.left - scrollX_ + viewOriginX_, hit.rect.top - scrollY_ + viewOriginY_,
                                    hit.rect.right - scrollX_ + viewOriginX_, hit.rect.bottom - scrollY_ + viewOriginY_};
}

void CTarnelDlg::OnClose() {
  Shutdown();
  cleanupDone_ = true;
  ended_ = true;
}

void CTarnelDlg::OnDestroy() { Shutdown(); }

void CTarnelDlg::Shutdown() {
  closing_ = true;
  hardware_.Stop();
  if (loop_) {
    loop_->Stop();
  }
  if (!cleanupDone_) {
    if (iterationCount_ == 0 && !loopRunning_) {
      loop_.reset();
    }
    BasePanel::SetSharedMemory(nullptr);
    ReleaseBannerCount();
    generic_.reset();
    training_.reset();
    genericBase_ = nullptr;
    trainingBase_ = nullptr;
    surface_.Release();
    pictureLoaded_ = false;
  }
}

void CTarnelDlg::TakeFocus() {
  if (window_ != nullptr && !window_->HasKeyboardFocus()) {
    window_->TakeFocus();
  }
}

void CTarnelDlg::DrawStartPicture() {
  // A control's first image is its lit one, and the picture may hold lamps
  // lit: every lamp and light is set dark before the panel is drawn (the
  // first update sets them from the simulation). Outside a drawing pass, so
  // the next pass draws all its copies again.
  for (int32_t id = 0; id < PanelManager::kMaxPanels; id++) {
    if (auto* panel = dynamic_cast<SubPanel*>(cockpit_.GetPanel(id))) {
      const PanelControls& controls = panel->Controls();
      for (CButtonClass& button : controls.buttons) button.Update(kEventNone, false, false, false);
      for (GuardedButton& guarded : controls.guarded) guarded.Button().Update(kEventNone, false, false, false);
      for (PanelLight& light : controls.lights) light.light.SetLightState(false, false);
    }
    cockpit_.DrawPanel(id, surface_);
  }
  damage_.Clear();
  presentWhole_ = true;
  if (!surface_.KeepBackground()) {
    std::fprintf(stderr, "tarnel: no memory for a copy of the main picture\n");
  }
}

void CTarnelDlg::ShowAbout() {
  char text[256];
  FormatBounded(text, sizeof text, "Tarnel\n%s", versionText_);
  platform::ShowMessageBox(platform::BoxKind::Information, "About Tarnel", text);
}

void CTarnelDlg::ShowReport(const char* text, const char* method, int code) {
  if (code != 0) {
    FormatBounded(shownError_, sizeof shownError_, "%s\n%s\n(Code: %d)", method, text, code);
  } else {
    FormatBounded(shownError_, sizeof shownError_, "%s\n%s", method, text);
  }
  if (deferReports_) {
    reportPending_ = true;
    return;
  }
  platform::ShowErrorBox("Tarnel", shownError_);
}

uint32_t CTarnelDlg::ReadU8(uint32_t offset) const {
  return genericBase_ != nullptr && offset < GenericSimShm::kSize ? genericBase_[offset] : 0;
}

void CTarnelDlg::HandleEvent(const platform::Event& event) {
  using platform::EventType;
  using platform::MouseButton;
  // While a browser holds the pointer, the window's pointer is left out.
  if (remoteHeld_ && (event.type == EventType::MouseDown || event.type == EventType::MouseUp ||
                      event.type == EventType::MouseMove || event.type == EventType::Wheel)) {
    return;
  }
  switch (event.type) {
    case EventType::Quit:
    case EventType::Close:
      OnClose();
      break;
    case EventType::Expose:
      presentWhole_ = true;
      OnPaint();
      break;
    case EventType::MouseDown:
      TakeFocus();
      if (event.button == MouseButton::Left) {
        OnLButtonDown(event.x, event.y);
      } else if (event.button == MouseButton::Right) {
        OnRButtonDown(event.x, event.y);
      }
      break;
    case EventType::MouseUp:
      if (event.button == MouseButton::Left) {
        OnLButtonUp(event.x, event.y);
      } else if (event.button == MouseButton::Right) {
        OnRButtonUp(event.x, event.y);
      }
      break;
    case EventType::Wheel:
      OnMouseWheel(event.wheel, event.shift);
      break;
    case EventType::Leave:
      OnMouseLeave();
      break;
    case EventType::MouseMove:
      OnMouseMove(event.x, event.y);
      break;
    case EventType::KeyDown:
      OnKeyDown(event.key, event.repeat);
      break;
    case EventType::KeyUp:
      OnKeyUp(event.key);
      break;
    case EventType::Wake:
    case EventType::None:
      break;
  }
}
