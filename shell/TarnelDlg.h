// The station's main dialog: initialises everything in a fixed order while
// reporting progress to the start-up banner, shows the overhead picture
// scrolled inside its window, turns mouse and keyboard input into the mouse
// state the panels read, drives the cockpit manager from the real-time loop,
// paints, and shuts down cleanly.
#pragma once

#include <cstdint>
#include <optional>

#include "common/Qx_ErrorReport.h"
#include "common/Qx_Remember.h"
#include "controls/ViewGeometry.h"
#include "devices/HardwareInput.h"
#include "panels/CockpitManager.h"
#include "panels/ControlHit.h"
#include "panels/MouseState.h"
#include "platform/Events.h"
#include "platform/Graphics.h"
#include "platform/MessagePump.h"
#include "platform/PassLog.h"
#include "platform/Window.h"
#include "shell/RealTimeLoop.h"
#include "simlink/CTrnShm.h"
#include "simlink/GenericSimShm.h"
#include "web/WebOperationLog.h"
#include "web/WebServer.h"

class StartBanner;

class CTarnelDlg : public Qx_ErrorReport, public RealTimeClient, public platform::EventHandler {
 public:
  static constexpr const char kVersionText[] = "QX-P-0077 v1.1";
  static constexpr const char kInitialisationOk[] = " *** Initialisation Ok ***";
  static constexpr const char kDefaultIniFile[] = "Tarnel.ini";
  static constexpr int kMessageSize = 1024;
  // Generic-area fields the dialog reads or writes.
  static constexpr uint32_t kIterationCountOffset = generic_area::kIterationCount;  // unsigned 32-bit, written
  static constexpr uint32_t kPanelResetOffset = generic_area::kPanelResetRequest;      // byte, read
  static constexpr uint32_t kCockpitFolderOffset = ini_area::kCockpitPanelBitMaps;   // 1,024-byte text, read
  static constexpr uint32_t kPaintInhibitOffset = generic_area::kPaintInhibit;    // byte, read
  // Picture geometry used for scrolling.
  static constexpr int kPictureWidth = 1880;
  static constexpr int kPictureHeight = 1300;
  static constexpr int kScrollStartX = 605;
  static constexpr int kScrollStartY = 5;
  static constexpr int kKeyStep = 20;
  // A wheel notch away from a knob scrolls three key steps.
  static constexpr int kWheelStep = 3 * kKeyStep;
  // Arrow-key presses kept for the keyboard poll, per key.
  static constexpr int kMaxPendingPresses = 8;
  // Colour of the client area around the picture.
  static constexpr uint32_t kBackground = 0xD4D0C8;
  // A left-button drag ends when the pointer comes this close to the view's
  // left or top edge or goes beyond these view coordinates.
  static constexpr int kDragMargin = 10;
  static constexpr int kDragMaxX = 1100;
  static constexpr int kDragMaxY = 730;
  // The dialog template: 614 x 461 dialog units; the group box that fixes the
  // view's left edge is 8 units wide. MS Sans Serif 8: 1.5 px per horizontal
  // unit, 1.625 px per vertical unit.
  static constexpr int kClientWidth = 921;
  static constexpr int kClientHeight = 749;
  static constexpr int kGroupBoxRight = 12;
  static constexpr int kSystemBorder = 1;
  // The client area that shows the panel whole from the initial view: what
  // --fit scales to the window.
  static constexpr int kFitWidth = kGroupBoxRight + 2 + kPictureWidth - kScrollStartX;
  static constexpr int kFitHeight = kSystemBorder + 2 + kPictureHeight - kScrollStartY;

  enum class Direction { None, Up, Down, Left, Right };

  CTarnelDlg();
  ~CTarnelDlg() override;
  CTarnelDlg(const CTarnelDlg&) = delete;
  CTarnelDlg& operator=(const CTarnelDlg&) = delete;

  // Shown over the view until the first click starts the loop.
  static constexpr const char kStartHint[] = "Click in the window to start the station";

  // The program ini to read ("Tarnel.ini" in the working folder unless set).
  void SetIniFile(const char* path);
  // The loop is started without a click (the caller starts it); no hint is shown.
  void SetAutostart(bool autostart) { autostart_ = autostart; }
  // Inspect mode (also toggled with F2): the control under the pointer is
  // outlined and a status line names its panel, its row and every field it
  // binds with its offset and current value.
  void SetInspect(bool inspect) { inspect_ = inspect; }
  bool IsInspecting() const { return inspect_; }
  // Physical inputs: the mapping file (--inputs; null: none, learnt lines
  // are printed) and the pipe of a virtual button box (--virtual-device;
  // null: none). The devices are opened at the loop's first poll.
  void SetInputs(const char* mappingFile, const char* virtualPipe) {
    inputsFile_ = mappingFile;
    virtualPipe_ = virtualPipe;
  }
  // A mouse state (0 none, 1 left, 2 right) at a picture point, as a click
  // there makes it: the way physical inputs enter. The pointer is left as it was.
  void InjectHardwarePointer(int32_t button, int32_t x, int32_t y);
  HardwareInput& GetHardware() { return hardware_; }
  // The web panel (not owned; null: none). Browsers' pointer events enter
  // the mouse path as the window's do; each pass's pixels go out to them.
  void SetWebServer(web::WebServer* server) { web_ = server; }
  // No window at all: the picture is drawn for the browsers only, and all of
  // it counts as in view. Set before OnInitDialog (no banner is started).
  void SetHeadless(bool headless) { headless_ = headless; }
  // The whole picture is in view: headless, or a browser is connected.
  bool WholePictureInView() const { return headless_ || (web_ != nullptr && web_->HasClients()); }
  // A browser holds the pointer (pressed and not yet released).
  bool RemoteHoldsPointer() const { return remoteHeld_; }
  // Applies the browsers' pointer events queued since the last call.
  void DrainRemotePointer();
  // The rotation alone updates the panels: no extra pass for a panel whose
  // simulation fields changed (the original timing).
  void SetLiteralRotation(bool literal) { cockpit_.SetChangePasses(!literal); }
  // Every panel counts as in view (drawn, updated in rotation and on
  // change), whatever part of the picture the window shows: for consumers
  // of the whole picture (a web panel, a station without a window).
  void SetWholePictureInView(bool whole) { cockpit_.SetWholePictureInView(whole); }
  // Outside inspect mode, a thin frame shows what a click under the pointer
  // operates (on unless --no-hover).
  void SetHover(bool hover) { hover_ = hover; }
  // The overlay handed to the window with the last paint.
  const platform::WindowOverlay& GetOverlay() const { return overlay_; }

  // The dialog's initialisation hook: title and icon, then InitialiseDialog.
  // The window must outlive the dialog's use of it.
  void OnInitDialog(platform::WindowPort* window);
  bool InitialiseDialog();

  // Window messages.
  void HandleEvent(const platform::Event& event);
  void OnEvent(const platform::Event& event) override { HandleEvent(event); }
  void OnKeyDown(platform::Key key, bool repeat);
  void OnKeyUp(platform::Key key);
  void OnLButtonDown(int x, int y);
  void OnLButtonUp(int x, int y);
  void OnRButtonDown(int x, int y);
  void OnRButtonUp(int x, int y);
  // Over a knob, one notch turns it one position (away from the user:
  // clockwise) through a click on that position's sector; elsewhere, or with
  // Shift, the view scrolls (Shift: sideways).
  void OnMouseWheel(int delta, bool shift = false);
  // The pointer left the window: no hover frame.
  void OnMouseLeave();
  void OnMouseMove(int x, int y);
  void OnClose();
  void OnDestroy();
  void OnPaint();

  void StartRealTime();
  void OnRealTimeIteration() override;
  bool UpdateDisplay();
  bool LoadPicture(const char* file);
  bool AttachSharedMemory();
  void Shutdown();
  void PaintPicture();
  void RouteMouse(int x, int y);
  void PollKeyboard();
  void KeyScroll(Direction direction);
  void DragScroll(int dx, int dy);
  void ClampScroll();
  void PublishView();
  void RefreshView();
  void InvalidateView();
  // The next paint presents the whole view, not only what changed on the
  // picture (after an expose, or while something is drawn over the view).
  void InvalidateWholeView() { presentWhole_ = true; }
  void SetInitialView();
  void ShowAbout();

  // The modal dialog has ended (closed).
  bool IsEnded() const { return ended_; }
  bool InitialisationFailed() const { return initialisationFailed_; }
  bool IsClosing() const { return closing_; }
  bool IsLoopRunning() const { return loopRunning_; }
  const char* GetMessageText() const { return messageText_; }
  // The real-time loop's figures when it ended (zero before).
  const RTLoopStatistics& LoopStatistics() const { return loopStatistics_; }
  const char* GetMainPictureFile() const { return mainPictureFile_; }
  const char* GetCockpitFolder() const { return cockpitFolder_; }
  const char* GetTitle() const { return title_; }
  // The last text shown through the error report.
  const char* GetShownError() const { return shownError_; }
  const MouseState& GetMouseState() const { return mouse_; }
  uint32_t GetIterationCount() const { return iterationCount_; }
  int32_t GetPhaseCounter() const { return phaseCounter_; }
  int GetScrollX() const { return scrollX_; }
  int GetScrollY() const { return scrollY_; }
  int GetViewOriginX() const { return viewOriginX_; }
  int GetViewOriginY() const { return viewOriginY_; }
  const ViewGeometry& GetView() const { return view_; }
  const platform::Rect& GetWindowRect() const { return windowRect_; }
  uint8_t* GetGenericBase() const { return genericBase_; }
  CockpitManager& GetCockpitManager() { return cockpit_; }
  platform::DrawSurface& GetSurface() { return surface_; }
  RealTimeLoop* GetLoop() { return loop_ ? &*loop_ : nullptr; }
  // Counts how often the panels were reset on the simulation's request.
  int GetResetCount() const { return resetCount_; }

  // Reads the window rectangle now (the loop reads it every 21 iterations).
  void ReadWindowRect();

 private:
  // The arrow key of a direction, and how many of its presses wait for the
  // keyboard poll (a tap may be over before the poll sees the key held).
  static int ArrowIndex(platform::Key key);
  // Shows a failure through the error report (message box and stderr).
  void ShowReport(const char* text, const char* method, int code);
  uint32_t ReadU8(uint32_t offset) const;
  // The hint and the inspect status, handed to the window before a paint.
  void UpdateOverlay();
  void DescribeControlUnderPointer();
  // Once per iteration: the devices, with the control under the pointer as
  // the learning target in inspect mode.
  void PollHardware();
  void DescribeControlUnderPointer(platform::WindowOverlay* overlay);
  void OutlineClickRegion(platform::WindowOverlay* overlay);
  // A left click at a picture point, as a press and a release there; the
  // pointer is put back.
  void ClickAt(int x, int y);
  // Draws every panel once with its controls as they start (unlit), and
  // keeps that as the picture beneath the controls.
  void DrawStartPicture();
  // Asks the window system for the keyboard (a bare X server gives it to no one).
  void TakeFocus();

  platform::WindowPort* window_ = nullptr;
  std::optional<GenericSimShm> generic_;
  uint8_t* genericBase_ = nullptr;
  std::optional<CTrnShm> training_;
  uint8_t* trainingBase_ = nullptr;
  platform::SdlMessagePump pump_;
  std::optional<RealTimeLoop> loop_;
  bool loopRunning_ = false;
  CockpitManager cockpit_;
  HardwareInput hardware_{cockpit_,
                          [](void* dialog, int32_t button, int32_t x, int32_t y) {
                            static_cast<CTarnelDlg*>(dialog)->InjectHardwarePointer(button, x, y);
                          },
                          this};
  const char* inputsFile_ = nullptr;
  const char* virtualPipe_ = nullptr;
  bool hardwareOpened_ = false;
  ViewGeometry view_;
  char messageText_[kMessageSize] = {};
  char mainPictureFile_[kMessageSize] = {};
  char cockpitFolder_[kMessageSize] = {};
  char iniFile_[kMessageSize] = {};
  char iniProblem_[kMessageSize] = {};
  RTLoopStatistics loopStatistics_;  // why the ini file was not used ("" when it was)
  char title_[kMessageSize] = {};
  char shownError_[2 * kMessageSize] = {};
  const char* versionText_ = kVersionText;
  bool deferReports_ = false;
  bool reportPending_ = false;
  bool initialisationFailed_ = true;
  bool closing_ = false;
  bool cleanupDone_ = false;
  bool ended_ = false;
  uint32_t iterationCount_ = 0;
  double rate_ = 30.0;
  int32_t phaseCounter_ = 0;
  Qx_Remember panelReset_;
  int resetCount_ = 0;
  // What the panels changed on the picture since the last paint presented
  // it, and the copies of the last drawing pass (declared before the surface
  // that uses them).
  platform::DamageList damage_;
  platform::PassLog passLog_;
  platform::DrawSurface surface_;
  // The view as last presented; another source or place, or presentWhole_,
  // makes the next paint present the whole view.
  bool presentWhole_ = true;
  platform::Rect presentedSource_;
  int presentedX_ = 0;
  int presentedY_ = 0;
  bool pictureTried_ = false;
  bool pictureLoaded_ = false;
  int pictureWidth_ = 0;
  int pictureHeight_ = 0;
  int viewOriginX_ = 0;
  int viewOriginY_ = 0;
  int frameWidth_ = 0;
  platform::Rect windowRect_;
  int scrollX_ = kScrollStartX;
  int scrollY_ = kScrollStartY;
  int visibleWidth_ = 0;
  int visibleHeight_ = 0;
  MouseState mouse_{0, 0, 0};
  int lastPointerX_ = 0;
  int lastPointerY_ = 0;
  int pendingPresses_[4] = {};
  // Per arrow: down by its events; stepped by a poll that saw it held before
  // its press event came (that press then adds nothing).
  bool keyDown_[4] = {};
  bool steppedBeforePress_[4] = {};
  bool hover_ = true;
  bool pointerInside_ = false;
  bool autostart_ = false;
  bool inspect_ = false;
  platform::WindowOverlay overlay_;
  bool overlayShown_ = false;  // the view last presented had an overlay
  // The web panel and the browser that holds the pointer, if one does.
  void ApplyRemotePointer(const web::PointerEvent& event);
  web::WebServer* web_ = nullptr;
  bool headless_ = false;
  bool remoteHeld_ = false;
  web::PointerEvent remoteOwner_;
  web::WebOperationLog operationLog_;
};
