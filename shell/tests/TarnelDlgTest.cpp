#include "shell/TarnelDlg.h"

#include <SDL.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "banner/BannerRecord.h"
#include "config/IniRead.h"
#include "panels/PanelInterface.h"
#include "panels/SubPanel.h"
#include "platform/Graphics.h"
#include "platform/MemoryWindow.h"
#include "tests/support/ShmTestPrefix.h"

namespace {

namespace fs = std::filesystem;

// A window whose keys, focus, show state and rectangle the test sets; it
// keeps the last picture shown.
class FakeWindow : public platform::WindowPort {
 public:
  bool keys[platform::kKeyCount] = {};
  bool focus = true;
  bool minimised = false;
  platform::Rect rect{0, 0, CTarnelDlg::kClientWidth, CTarnelDlg::kClientHeight};
  char title[1024] = {};

  void Hold(platform::Key key, bool held = true) { keys[static_cast<int>(key)] = held; }
  bool IsKeyHeld(platform::Key key) const override { return keys[static_cast<int>(key)]; }
  bool HasKeyboardFocus() const override { return focus; }
  bool IsMinimisedOrHidden() const override { return minimised; }
  platform::Rect GetWindowRect() const override { return rect; }
  platform::Rect GetClientRect() const override { return {0, 0, rect.Width(), rect.Height()}; }
  int GetFrameWidth() const override { return 0; }
  void SetTitle(const char* text) override { std::snprintf(title, sizeof title, "%s", text); }
  void ShowPicture(const platform::DrawSurface& picture, const platform::Rect& source, int destX, int destY,
                   uint32_t background) override {
    shown++;
    shownSource = source;
    shownAt = {destX, destY, destX + picture.Width(), destY + picture.Height()};
    shownBackground = background;
  }
  void SetOverlay(const platform::WindowOverlay& given) override { overlay = given; }
  platform::WindowOverlay overlay;
  void ShowPictureParts(const platform::DrawSurface& /*picture*/, const platform::Rect& source, int /*destX*/,
                        int /*destY*/, const platform::Rect* /*parts*/, int /*count*/) override {
    partShows++;
    shownSource = source;
  }
  int shown = 0;
  int partShows = 0;
  platform::Rect shownSource;
  platform::Rect shownAt;
  uint32_t shownBackground = 0;
};

class TarnelDlgTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_support::UseUniqueShmPrefix();
    CInitProgress::SetPauseMilliseconds(0);
    folder_ = fs::temp_directory_path() / ("tarnel_dlg_" + std::to_string(::getpid()) + "_" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
    const char* bin = std::getenv("TARNEL_BIN_DIR");
    art_ = bin != nullptr ? std::string(bin) + "/CockpitBitmaps" : std::string("CockpitBitmaps");
    picture_ = (folder_ / "Panel.bmp").string();
    platform::DrawSurface surface;
    ASSERT_TRUE(surface.Create(1880, 1300));
    surface.FillRect(platform::Rect{0, 0, 1880, 1300}, 40, 60, 80);
    char error[256];
    ASSERT_TRUE(platform::SaveBitmapFile(surface, picture_.c_str(), error, sizeof error)) << error;
    dialog_ = std::make_unique<CTarnelDlg>();
  }

  void TearDown() override {
    dialog_.reset();
    std::error_code ignored;
    fs::remove_all(folder_, ignored);
  }

  std::string WriteIni(const std::string& picture) {
    std::string path = (folder_ / "Tarnel.ini").string();
    std::ofstream ini(path);
    ini << "[DIRECTORY_PATHS]\nCockpitPanelBitMaps = " << art_ << "\nProgramPath = " << folder_.string()
        << "\n[FILES]\nMainPicture = " << picture << "\n[OPTIONS]\nIterationRate = 20\n";
    return path;
  }

  // Initialises the dialog on the fake window; true when it succeeded.
  bool Start(const std::string& picture) {
    dialog_->SetIniFile(WriteIni(picture).c_str());
    dialog_->OnInitDialog(&window_);
    return !dialog_->InitialisationFailed();
  }

  // Runs the dialog's per-iteration work without the real-time loop.
  void Iterate(int count) {
    for (int i = 0; i < count; i++) {
      dialog_->OnRealTimeIteration();
    }
  }

  uint8_t* Base() { return dialog_->GetGenericBase(); }
  int32_t Int(uint32_t offset) {
    int32_t value = 0;
    std::memcpy(&value, Base() + offset, sizeof value);
    return value;
  }

  fs::path folder_;
  std::string art_;
  std::string picture_;
  FakeWindow window_;
  std::unique_ptr<CTarnelDlg> dialog_;
};

TEST_F(TarnelDlgTest, CleanStartLeavesBannerAtSixtyWithSuccessAndSetsTheTitle) {
  ASSERT_TRUE(Start(picture_)) << dialog_->GetMessageText();
  EXPECT_STREQ(" *** Initialisation Ok ***", dialog_->GetMessageText());
  EXPECT_STREQ("QX-P-0077 v1.1 [ QX_P_0305_02_genericSim.h $Revision: 5.5.2 ]", window_.title);
  EXPECT_STREQ(art_.c_str(), dialog_->GetCockpitFolder());
  EXPECT_STREQ("QX-P-0077 v1.1", reinterpret_cast<const char*>(Base() + banner_record::kProgramName));
  EXPECT_EQ(60, Int(banner_record::kProgress));
  EXPECT_EQ(1, Base()[banner_record::kSuccess]);
  EXPECT_EQ(0, Base()[banner_record::kWarning]);
  EXPECT_EQ(0, Base()[banner_record::kFailure]);
  EXPECT_EQ(605, dialog_->GetScrollX());
  EXPECT_EQ(5, dialog_->GetScrollY());
  EXPECT_EQ(14, dialog_->GetViewOriginX());
  EXPECT_EQ(3, dialog_->GetViewOriginY());
  ASSERT_NE(nullptr, dialog_->GetLoop());
  EXPECT_EQ(20, dialog_->GetLoop()->GetRate());
}

TEST_F(TarnelDlgTest, MissingMainPictureFailsWithBannerTextAndReason) {
  std::string missing = (folder_ / "NoSuchPicture.bmp").string();
  EXPECT_FALSE(Start(missing));
  EXPECT_EQ(1, Base()[banner_record::kFailure]);
  EXPECT_EQ(0, Base()[banner_record::kSuccess]);
  // The system's text, then the ini item's cause.
  const std::string banner = reinterpret_cast<const char*>(Base() + banner_record::kMessage);
  EXPECT_EQ(0u, banner.find("Unable tp load main picture\nIni file ")) << banner;
  EXPECT_NE(std::string::npos, banner.find("Main Picture File name not found in ini file")) << banner;
  std::string shown = dialog_->GetShownError();
  EXPECT_EQ(0u, shown.find("THE_CLASS_DEF::UpdateDisplay\nTHE_CLASS_DEF::LoadPicture\n")) << shown;
  EXPECT_NE(std::string::npos, shown.find(missing)) << shown;
  EXPECT_NE(std::string::npos, shown.find(std::strerror(ENOENT))) << shown;
  // A failed start never starts the loop, and closing still works.
  dialog_->OnLButtonDown(300, 300);
  EXPECT_EQ(0u, dialog_->GetIterationCount());
  dialog_->OnClose();
  EXPECT_TRUE(dialog_->IsEnded());
}

TEST_F(TarnelDlgTest, ASecondStationOnTheSameSegmentRefusesToStart) {
  auto first = std::make_unique<GenericSimShm>();  // a station already running on this prefix
  ASSERT_TRUE(first->IsValid());
  ASSERT_TRUE(first->ClaimRange(generic_area::kIterationCount, 4));
  EXPECT_FALSE(Start(picture_));
  EXPECT_NE(std::string(dialog_->GetMessageText()).find("is already running on /"), std::string::npos)
      << dialog_->GetMessageText();
  dialog_ = std::make_unique<CTarnelDlg>();
  EXPECT_EQ(1, first->GetUserCount());
  // Once the first is gone, the station starts.
  first.reset();
  EXPECT_TRUE(Start(picture_)) << dialog_->GetMessageText();
}

// Held by another program (a simulation-side bridge, say): the refusal names
// its pid and program name.
TEST_F(TarnelDlgTest, TheRefusalNamesTheProgramThatHoldsTheStationsFields) {
  int ready[2];
  ASSERT_EQ(0, ::pipe(ready));
  const pid_t holder = ::fork();
  ASSERT_GE(holder, 0);
  if (holder == 0) {
    GenericSimShm shm;
    const char ok = shm.IsValid() && shm.ClaimRange(generic_area::kIterationCount, 4) ? 'y' : 'n';
    (void)!::write(ready[1], &ok, 1);
    ::pause();
    ::_exit(0);
  }
  char ok = 'n';
  ASSERT_EQ(1, ::read(ready[0], &ok, 1));
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ('y', ok);
  EXPECT_FALSE(Start(picture_));
  char name[64] = {};
  std::FILE* comm = std::fopen("/proc/self/comm", "r");
  ASSERT_NE(nullptr, comm);
  ASSERT_NE(nullptr, std::fgets(name, sizeof name, comm));
  std::fclose(comm);
  name[std::strcspn(name, "\n")] = '\0';
  const std::string said = dialog_->GetMessageText();
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  EXPECT_NE(said.find("is already running on /"), std::string::npos) << said;
  EXPECT_NE(said.find(": pid " + std::to_string(holder) + " (" + name + ")."), std::string::npos) << said;
}

TEST_F(TarnelDlgTest, AnIniFileThatCannotBeUsedIsNamedWithItsReason) {
  const std::string missing = (folder_ / "Missing.ini").string();
  dialog_->SetIniFile(missing.c_str());
  ::testing::internal::CaptureStderr();
  dialog_->OnInitDialog(&window_);
  const std::string said = ::testing::internal::GetCapturedStderr();
  EXPECT_TRUE(dialog_->InitialisationFailed());
  const std::string line = "Ini file " + missing + ": SettingsFileClass::OpenFileForReading No such file";
  EXPECT_NE(said.find("tarnel: " + line), std::string::npos) << said;
  // The system's text first, then the cause.
  const std::string banner = reinterpret_cast<const char*>(Base() + banner_record::kMessage);
  EXPECT_EQ(0u, banner.find("Unable tp load main picture\n" + line)) << banner;
  // The box too: the system's texts, then the line naming the ini file.
  const std::string shown = dialog_->GetShownError();
  EXPECT_EQ(0u, shown.find("THE_CLASS_DEF::UpdateDisplay\nTHE_CLASS_DEF::LoadPicture\n")) << shown;
  EXPECT_NE(std::string::npos, shown.find("\n" + line)) << shown;
}

TEST_F(TarnelDlgTest, IterationCountIsWrittenAndPanelWorkStartsAtTheTwentieth) {
  ASSERT_TRUE(Start(picture_));
  window_.Hold(platform::Key::Down);
  Iterate(19);
  EXPECT_EQ(19u, dialog_->GetIterationCount());
  EXPECT_EQ(19, Int(CTarnelDlg::kIterationCountOffset));
  EXPECT_EQ(5, dialog_->GetScrollY()) << "keyboard is not polled before the twentieth iteration";
  EXPECT_EQ(0, dialog_->GetPhaseCounter());
  Iterate(1);
  EXPECT_EQ(25, dialog_->GetScrollY());
  EXPECT_EQ(1, dialog_->GetPhaseCounter());
}

TEST_F(TarnelDlgTest, KeyboardScrollingOrderAndClamping) {
  ASSERT_TRUE(Start(picture_));
  dialog_->ReadWindowRect();
  // Up and Right together: Right is tested last and wins.
  window_.Hold(platform::Key::Up);
  window_.Hold(platform::Key::Right);
  dialog_->PollKeyboard();
  EXPECT_EQ(625, dialog_->GetScrollX());
  EXPECT_EQ(5, dialog_->GetScrollY());
  // Without the focus nothing moves.
  window_.focus = false;
  dialog_->PollKeyboard();
  EXPECT_EQ(625, dialog_->GetScrollX());
  window_.focus = true;
  // Page Down, Page Up and Home: the last held key sets the button state.
  window_.Hold(platform::Key::PageDown);
  window_.Hold(platform::Key::Home);
  dialog_->PollKeyboard();
  EXPECT_EQ(2, dialog_->GetMouseState().button);
  // Scrolling far right stops at the picture's right edge.
  for (int i = 0; i < 100; i++) {
    dialog_->KeyScroll(CTarnelDlg::Direction::Right);
  }
  EXPECT_EQ(1880 - CTarnelDlg::kClientWidth + 14, dialog_->GetScrollX());
  // A window wider or taller than the rest of the picture keeps the view at
  // the initial edges (605, 5), never at the picture's origin.
  for (const platform::Rect& rect : {platform::Rect{0, 0, 1900, 1350}, platform::Rect{0, 0, 1300, 1297}}) {
    window_.rect = rect;
    dialog_->ReadWindowRect();
    dialog_->KeyScroll(CTarnelDlg::Direction::Left);
    dialog_->KeyScroll(CTarnelDlg::Direction::Up);
    EXPECT_EQ(605, dialog_->GetScrollX()) << rect.right;
    EXPECT_EQ(5, dialog_->GetScrollY()) << rect.right;
    dialog_->KeyScroll(CTarnelDlg::Direction::Right);
    dialog_->KeyScroll(CTarnelDlg::Direction::Down);
    EXPECT_EQ(605, dialog_->GetScrollX()) << rect.right;
    EXPECT_EQ(5, dialog_->GetScrollY()) << rect.right;
  }
}

// Key events as the window system delivers them.
void Press(CTarnelDlg& dialog, platform::Key key, platform::EventType type = platform::EventType::KeyDown,
           bool repeat = false) {
  platform::Event event;
  event.type = type;
  event.key = key;
  event.repeat = repeat;
  dialog.HandleEvent(event);
}

TEST_F(TarnelDlgTest, ArrowTapsShorterThanAnIterationEachScrollOneStep) {
  ASSERT_TRUE(Start(picture_));
  dialog_->ReadWindowRect();
  Iterate(20);
  const int y = dialog_->GetScrollY();
  // A tap between two polls: the key is up again when the keyboard is polled.
  Press(*dialog_, platform::Key::Down);
  Press(*dialog_, platform::Key::Down, platform::EventType::KeyUp);
  Iterate(1);
  EXPECT_EQ(y + 20, dialog_->GetScrollY());
  Iterate(1);
  EXPECT_EQ(y + 20, dialog_->GetScrollY()) << "a tap counts once";
  // Two taps inside one iteration give two steps, one per poll.
  Press(*dialog_, platform::Key::Down);
  Press(*dialog_, platform::Key::Down);
  Iterate(3);
  EXPECT_EQ(y + 60, dialog_->GetScrollY());
  // A held key scrolls once per poll as before: its own press and the
  // keyboard's repeats add nothing.
  Press(*dialog_, platform::Key::Down);
  window_.Hold(platform::Key::Down);
  Press(*dialog_, platform::Key::Down, platform::EventType::KeyDown, true);
  Iterate(3);
  window_.Hold(platform::Key::Down, false);
  Iterate(2);
  EXPECT_EQ(y + 120, dialog_->GetScrollY());
  // A tap against a held key later in the order waits for that key's release.
  const int x = dialog_->GetScrollX();
  window_.Hold(platform::Key::Right);
  Press(*dialog_, platform::Key::Up);
  Iterate(1);
  EXPECT_EQ(x + 20, dialog_->GetScrollX());
  EXPECT_EQ(y + 120, dialog_->GetScrollY());
  window_.Hold(platform::Key::Right, false);
  Iterate(1);
  EXPECT_EQ(y + 100, dialog_->GetScrollY());
}

// Each tap of an arrow is one step, wherever its events and the key state
// fall against the polls; a held key steps once per poll. Script: h/r the
// key goes down/up (the state the poll reads), D/U its press/release
// events (handled later than the state changes), P one iteration.
TEST_F(TarnelDlgTest, OneArrowTapIsOneStepWhateverThePollTiming) {
  ASSERT_TRUE(Start(picture_));
  dialog_->ReadWindowRect();
  Iterate(20);
  const struct {
    const char* script;
    int steps;
  } kCases[] = {
      {"hDrU P P", 1},          // between two polls
      {"hD P rU P", 1},         // across a poll, its press handled first
      {"h P D rU P", 1},        // across a poll that sees the key before its press event
      {"h P r DU P", 1},        // both events only after the poll that saw it
      {"P hDrU P", 1},          // just after a poll
      {"hD P P P rU P P", 3},   // held over three polls
      {"h P D P P rU P", 3},    // the same, its press late
      {"hDrU hDrU hDrU P P P P", 3},  // quick taps
  };
  for (const auto& c : kCases) {
    const int x = dialog_->GetScrollX();
    for (const char* op = c.script; *op != '\0'; op++) {
      switch (*op) {
        case 'h': window_.Hold(platform::Key::Right); break;
        case 'r': window_.Hold(platform::Key::Right, false); break;
        case 'D': Press(*dialog_, platform::Key::Right); break;
        case 'U': Press(*dialog_, platform::Key::Right, platform::EventType::KeyUp); break;
        case 'P': Iterate(1); break;
        default: break;
      }
    }
    EXPECT_EQ(c.steps * CTarnelDlg::kKeyStep, dialog_->GetScrollX() - x) << c.script;
  }
}

TEST_F(TarnelDlgTest, PaintShowsTheScrolledPictureAtTheViewOrigin) {
  ASSERT_TRUE(Start(picture_));
  const int before = window_.shown;
  dialog_->OnPaint();
  EXPECT_EQ(before + 1, window_.shown);
  EXPECT_EQ(605, window_.shownSource.left);
  EXPECT_EQ(5, window_.shownSource.top);
  EXPECT_EQ(605 + 1880, window_.shownSource.right);
  EXPECT_EQ(14, window_.shownAt.left);
  EXPECT_EQ(3, window_.shownAt.top);
  EXPECT_EQ(0xD4D0C8u, window_.shownBackground);
  // The painting inhibit byte stops it.
  Base()[generic_area::kPaintInhibit] = 1;
  dialog_->OnPaint();
  EXPECT_EQ(before + 1, window_.shown);
}

// The window is shown only what changed, and whole after a scroll, an expose
// or a paint inhibit; at every step it shows what showing the whole view
// would, and an iteration in which nothing changed shows nothing.
TEST_F(TarnelDlgTest, OnlyChangesArePresentedAndTheWindowMatchesAWholePresent) {
  platform::MemoryWindow shown;
  platform::MemoryWindow whole;
  ASSERT_TRUE(shown.Create(CTarnelDlg::kClientWidth, CTarnelDlg::kClientHeight));
  ASSERT_TRUE(whole.Create(CTarnelDlg::kClientWidth, CTarnelDlg::kClientHeight));
  dialog_->SetIniFile(WriteIni(picture_).c_str());
  dialog_->OnInitDialog(&shown);
  ASSERT_FALSE(dialog_->InitialisationFailed()) << dialog_->GetMessageText();
  dialog_->ReadWindowRect();
  auto expectWholeView = [&](const char* step) {
    const int x = dialog_->GetScrollX();
    const int y = dialog_->GetScrollY();
    whole.ShowPicture(dialog_->GetSurface(), {x, y, x + 1880, y + 1300}, dialog_->GetViewOriginX(),
                      dialog_->GetViewOriginY(), CTarnelDlg::kBackground);
    for (int py = 0; py < CTarnelDlg::kClientHeight; py++) {
      for (int px = 0; px < CTarnelDlg::kClientWidth; px++) {
        ASSERT_EQ(whole.Client().PixelAt(px, py), shown.Client().PixelAt(px, py)) << step << " at " << px << "," << py;
      }
    }
  };
  auto setLampTests = [&](uint8_t value) {
    for (int32_t id = 0; id < CockpitManager::kPanelCount; id++) {
      auto* panel = dynamic_cast<SubPanel*>(dialog_->GetCockpitManager().GetPanel(id));
      if (panel != nullptr && panel->Tables().lampTest != kNoField) {
        Base()[panel->InputBlock().Offset() + uint32_t(panel->Tables().lampTest)] = value;
      }
    }
  };
  Iterate(45);
  ASSERT_EQ(1, shown.WholeShows());
  expectWholeView("start");
  const int64_t copied = shown.CopiedPixels();
  Iterate(3);
  EXPECT_EQ(copied, shown.CopiedPixels()) << "an iteration without changes showed something";

  setLampTests(1);
  Iterate(30);  // every visible panel updated once at least
  EXPECT_GT(shown.PartShows(), 0);
  EXPECT_EQ(1, shown.WholeShows());
  EXPECT_LT(shown.CopiedPixels() - copied, int64_t{921} * 749);
  expectWholeView("lamp test on");
  setLampTests(0);
  Iterate(30);
  expectWholeView("lamp test off");

  dialog_->KeyScroll(CTarnelDlg::Direction::Right);
  Iterate(1);
  EXPECT_EQ(2, shown.WholeShows());
  expectWholeView("scrolled");

  // While painting is inhibited nothing is drawn or shown; then the whole view.
  Base()[generic_area::kPaintInhibit] = 1;
  setLampTests(1);
  const int64_t inhibited = shown.CopiedPixels();
  Iterate(30);
  EXPECT_EQ(inhibited, shown.CopiedPixels());
  Base()[generic_area::kPaintInhibit] = 0;
  Iterate(1);
  EXPECT_EQ(3, shown.WholeShows());
  Iterate(30);
  expectWholeView("after the inhibit");

  platform::Event expose;
  expose.type = platform::EventType::Expose;
  dialog_->HandleEvent(expose);
  EXPECT_EQ(4, shown.WholeShows());
  dialog_->OnClose();
}

TEST_F(TarnelDlgTest, MouseDragWheelAndRightButtonStates) {
  ASSERT_TRUE(Start(picture_));
  dialog_->ReadWindowRect();
  Iterate(20);  // so that the left press below does not start the loop
  // Left drag: the picture follows the pointer.
  dialog_->OnLButtonDown(200, 300);
  dialog_->OnMouseMove(180, 290);
  EXPECT_EQ(1, dialog_->GetMouseState().button);
  EXPECT_EQ(625, dialog_->GetScrollX());
  EXPECT_EQ(15, dialog_->GetScrollY());
  // Moving to 9 view pixels from the left edge ends the drag after that move still scrolled.
  dialog_->OnMouseMove(14 + 9, 290);
  EXPECT_EQ(0, dialog_->GetMouseState().button);
  EXPECT_EQ(625 + (180 - 23), dialog_->GetScrollX());
  int scrolled = dialog_->GetScrollX();
  dialog_->OnMouseMove(100, 290);
  EXPECT_EQ(scrolled, dialog_->GetScrollX());
  // The right-button state ends at the first move.
  dialog_->OnRButtonDown(200, 200);
  EXPECT_EQ(2, dialog_->GetMouseState().button);
  dialog_->OnMouseMove(201, 200);
  EXPECT_EQ(0, dialog_->GetMouseState().button);
  // A Page Up press holds state 3 until the phase counter next reaches 11;
  // moves meanwhile are ignored.
  while (dialog_->GetPhaseCounter() != 11) {
    Iterate(1);
  }
  window_.Hold(platform::Key::PageUp);
  Iterate(1);
  window_.Hold(platform::Key::PageUp, false);
  EXPECT_EQ(3, dialog_->GetMouseState().button);
  dialog_->OnMouseMove(500, 500);
  EXPECT_EQ(3, dialog_->GetMouseState().button);
  EXPECT_NE(500 - 14, dialog_->GetMouseState().x);
  Iterate(19);
  EXPECT_EQ(10, dialog_->GetPhaseCounter());
  EXPECT_EQ(3, dialog_->GetMouseState().button);
  Iterate(1);
  EXPECT_EQ(0, dialog_->GetMouseState().button);
}

TEST_F(TarnelDlgTest, PanelResetOncePerRiseOfTheRequest) {
  ASSERT_TRUE(Start(picture_));
  Iterate(20);
  EXPECT_EQ(0, dialog_->GetResetCount());
  Base()[CTarnelDlg::kPanelResetOffset] = 1;
  Iterate(5);
  EXPECT_EQ(1, dialog_->GetResetCount());
  Base()[CTarnelDlg::kPanelResetOffset] = 0xFF;
  Iterate(5);
  EXPECT_EQ(1, dialog_->GetResetCount());
  Base()[CTarnelDlg::kPanelResetOffset] = 0;
  Iterate(1);
  Base()[CTarnelDlg::kPanelResetOffset] = 1;
  Iterate(1);
  EXPECT_EQ(2, dialog_->GetResetCount());
}

// Asks to close from inside the loop once it has run three iterations.
class ClosingDialog : public CTarnelDlg {
 public:
  void OnRealTimeIteration() override {
    CTarnelDlg::OnRealTimeIteration();
    if (GetIterationCount() == 3) {
      platform::PostQuit();
    }
  }
};

TEST_F(TarnelDlgTest, LeftPressStartsTheLoopOnlyOnceAndCloseStopsIt) {
  dialog_ = std::make_unique<ClosingDialog>();
  ASSERT_TRUE(Start(picture_));
  ASSERT_EQ(0, SDL_InitSubSystem(SDL_INIT_EVENTS));
  // The loop runs inside the press until the close request it dispatches.
  dialog_->OnLButtonDown(300, 300);
  EXPECT_TRUE(dialog_->IsEnded());
  EXPECT_TRUE(dialog_->IsClosing());
  EXPECT_EQ(3u, dialog_->GetIterationCount());
  EXPECT_EQ(nullptr, dialog_->GetLoop()) << "the loop is deleted after it has run";
  // After the loop has run, a press never starts it again (nor reports a missing loop).
  dialog_->OnLButtonDown(300, 300);
  EXPECT_EQ(nullptr, dialog_->GetLoop());
  EXPECT_STREQ("", dialog_->GetShownError());
  SDL_QuitSubSystem(SDL_INIT_EVENTS);
}

TEST_F(TarnelDlgTest, ClosedDialogDoesNoIterationWork) {
  ASSERT_TRUE(Start(picture_));
  Iterate(20);
  uint32_t count = dialog_->GetIterationCount();
  dialog_->Shutdown();
  Iterate(3);
  EXPECT_EQ(count, dialog_->GetIterationCount());
  EXPECT_EQ(nullptr, dialog_->GetGenericBase());
}

// The hint stands over the view until the loop starts, and never with
// --autostart; in inspect mode (F2) the status line names the control under
// the pointer with each field's offset and value, and its outline is drawn.
TEST_F(TarnelDlgTest, StartHintUntilTheLoopAndInspectStatusForTheControlUnderThePointer) {
  ASSERT_TRUE(Start(picture_)) << dialog_->GetMessageText();
  dialog_->OnPaint();
  EXPECT_STREQ(CTarnelDlg::kStartHint, window_.overlay.notice);
  EXPECT_STREQ("", window_.overlay.status);
  dialog_->SetAutostart(true);
  dialog_->OnPaint();
  EXPECT_STREQ("", window_.overlay.notice);
  EXPECT_TRUE(window_.overlay.IsEmpty());

  // Fuel button 0 sits at picture (943, 475): client (352, 473) with the view at (605, 5).
  dialog_->OnKeyDown(platform::Key::F2, false);
  ASSERT_TRUE(dialog_->IsInspecting());
  Base()[0x120E4] = 1;  // its lower lamp
  dialog_->OnMouseMove(352 + 10, 473 + 10);
  const std::string status = window_.overlay.status;
  EXPECT_EQ(0u, status.find("fuel.button0 L TK PUMP 1 |")) << status;
  EXPECT_NE(std::string::npos, status.find("upper lamp FAULT @0x120E3=0")) << status;
  EXPECT_NE(std::string::npos, status.find("lower lamp OFF @0x120E4=1")) << status;
  EXPECT_NE(std::string::npos, status.find("position @0x1241B=")) << status;
  ASSERT_TRUE(window_.overlay.outlined);
  EXPECT_TRUE(window_.overlay.outline.left <= 362 && 362 < window_.overlay.outline.right);
  // Off every control: the panel is named, nothing is outlined; F2 ends it.
  dialog_->OnMouseMove(330, 420);
  EXPECT_NE(std::string::npos, std::string(window_.overlay.status).find("no control")) << window_.overlay.status;
  EXPECT_FALSE(window_.overlay.outlined);
  dialog_->OnKeyDown(platform::Key::F2, false);
  EXPECT_TRUE(window_.overlay.IsEmpty());
}

// Fingers through the platform layer: a drag scrolls as the left button does,
// and a tap latches an oxygen button.
TEST_F(TarnelDlgTest, FingerDragScrollsAndATapLatchesAnOxygenButton) {
  ASSERT_TRUE(Start(picture_));
  dialog_->ReadWindowRect();
  Iterate(20);  // the loop is not started by the first press
  char error[256];
  ASSERT_TRUE(platform::StartVideo(true, error, sizeof error)) << error;
  // The touch screen's window: finger fractions become its pixels.
  platform::SdlWindow screen;
  ASSERT_TRUE(screen.Create("touch", CTarnelDlg::kClientWidth, CTarnelDlg::kClientHeight, error, sizeof error));
  auto finger = [&](platform::FingerAction action, int64_t id, int x, int y) {
    ASSERT_TRUE(platform::PostFinger(action, id, (x + 0.5f) / CTarnelDlg::kClientWidth,
                                     (y + 0.5f) / CTarnelDlg::kClientHeight, screen.Id()));
  };
  auto pump = [&] {
    platform::Event event;
    while (platform::PollEvent(&event)) {
      dialog_->HandleEvent(event);
    }
  };
  using platform::FingerAction;
  finger(FingerAction::Down, 1, 400, 700);
  finger(FingerAction::Move, 1, 400, 550);
  finger(FingerAction::Move, 1, 400, 400);
  finger(FingerAction::Up, 1, 400, 400);
  pump();
  EXPECT_EQ(5 + 300, dialog_->GetScrollY());
  EXPECT_EQ(0, dialog_->GetMouseState().button);

  // Oxygen button 3 lies at picture (833, 875): client (242, 573) with the
  // view at (605, 305) and its origin at (14, 3).
  const PanelFacts* oxygen = FindPanelFacts("oxygen");
  ASSERT_NE(nullptr, oxygen);
  uint32_t output = 0;
  VisitPanelFields(*oxygen, kLayoutA330, -1, [](const InterfaceField& field, void* context) {
    if (std::strcmp(field.name, "button 3 position") == 0) {
      *static_cast<uint32_t*>(context) = field.offset;
    }
    return true;
  }, &output);
  ASSERT_NE(0u, output);
  ASSERT_EQ(0, Base()[output]);
  finger(FingerAction::Down, 2, 252, 583);
  finger(FingerAction::Up, 2, 252, 583);
  pump();
  for (int i = 0; i < 100 && Base()[output] == 0; i++) {
    Iterate(1);
  }
  EXPECT_EQ(1, Base()[output]) << "the tap did not latch the button";
  screen.Destroy();
  platform::StopVideo();
}

// The whole picture in view: a lamp byte written between two iterations
// shows in the pixels the next iteration presents (a lamp under a closed
// cover never shows). With the literal rotation it shows exactly at its
// panel's rotation pass, and not before.
TEST_F(TarnelDlgTest, ALampWrittenShowsAtTheNextIterationOrAtItsRotationPass) {
  platform::MemoryWindow shown;
  ASSERT_TRUE(shown.Create(1900, 1350));
  dialog_->SetIniFile(WriteIni(picture_).c_str());
  dialog_->OnInitDialog(&shown);
  ASSERT_FALSE(dialog_->InitialisationFailed()) << dialog_->GetMessageText();
  dialog_->SetWholePictureInView(true);
  dialog_->ReadWindowRect();
  Iterate(45);
  CockpitManager& cockpit = dialog_->GetCockpitManager();
  struct Lamp {
    int32_t panel;
    uint32_t offset;
    platform::Rect rect;
  };
  std::vector<Lamp> lamps;
  for (int32_t id = 0; id < CockpitManager::kPanelCount; id++) {
    const auto* panel = dynamic_cast<const SubPanel*>(cockpit.GetPanel(id));
    for (size_t i = 0; panel != nullptr && i < panel->Tables().buttons.size(); i++) {
      const BlockField lamp = panel->Tables().buttons[i].upperLamp;
      if (lamp != kNoField) {
        lamps.push_back({id, panel->InputBlock().Offset() + uint32_t(lamp),
                         panel->RowRect(RowRef{RowKind::kButton, int16_t(i)})});
      }
    }
  }
  ASSERT_GT(lamps.size(), 40u);
  auto pixels = [&](const Lamp& lamp) {
    std::vector<uint32_t> p;
    const int dx = dialog_->GetViewOriginX() - dialog_->GetScrollX();
    const int dy = dialog_->GetViewOriginY() - dialog_->GetScrollY();
    for (int y = lamp.rect.top; y < lamp.rect.bottom; y++) {
      for (int x = lamp.rect.left; x < lamp.rect.right; x++) p.push_back(shown.Client().PixelAt(x + dx, y + dy));
    }
    return p;
  };
  const int cycle = cockpit.GetVisibleCount() + 1;
  EXPECT_EQ(21, cockpit.GetVisibleCount());
  int shownNext = 0;
  std::vector<size_t> visibleLamps;
  for (size_t l = 0; l < lamps.size(); l++) {
    const std::vector<uint32_t> before = pixels(lamps[l]);
    Base()[lamps[l].offset] = 1;
    Iterate(1);
    if (pixels(lamps[l]) != before) {
      shownNext++;
      visibleLamps.push_back(l);
    } else {
      Iterate(cycle);
      EXPECT_TRUE(before == pixels(lamps[l])) << "lamp " << l << " showed late";
    }
    Base()[lamps[l].offset] = 0;
    Iterate(2);
  }
  EXPECT_GT(shownNext, int(lamps.size()) * 9 / 10);

  dialog_->SetLiteralRotation(true);
  for (size_t n = 0; n < visibleLamps.size(); n += 7) {
    const Lamp& lamp = lamps[visibleLamps[n]];
    const std::vector<uint32_t> before = pixels(lamp);
    Base()[lamp.offset] = 1;
    bool passed = false;
    for (int k = 0; k <= cycle && !passed; k++) {
      passed = cockpit.GetVisibleId(cockpit.GetRotationPosition()) == lamp.panel;
      Iterate(1);
      EXPECT_EQ(passed, pixels(lamp) != before) << "lamp " << visibleLamps[n] << " after " << k + 1 << " iterations";
    }
    EXPECT_TRUE(passed);
    Base()[lamp.offset] = 0;
    Iterate(cycle + 2);
  }
  dialog_->OnClose();
}

// Random simulation writes and clicks, change passes on and off: whenever
// the dialog would draw no panel, drawing every panel changes no pixel, so
// the panels it skips show what a full repaint would show.
TEST_F(TarnelDlgTest, SkippedPanelsShowWhatAFullRepaintWouldDraw) {
  platform::MemoryWindow shown;
  ASSERT_TRUE(shown.Create(1900, 1350));
  dialog_->SetIniFile(WriteIni(picture_).c_str());
  dialog_->OnInitDialog(&shown);
  ASSERT_FALSE(dialog_->InitialisationFailed()) << dialog_->GetMessageText();
  dialog_->ReadWindowRect();
  Iterate(45);
  struct Field {
    uint32_t offset;
    uint32_t width;
  };
  std::vector<Field> fields;
  CockpitManager& cockpit = dialog_->GetCockpitManager();
  for (int32_t id = 0; id < CockpitManager::kPanelCount; id++) {
    const auto* panel = dynamic_cast<const SubPanel*>(cockpit.GetPanel(id));
    if (panel == nullptr) continue;
    VisitPanelFields(panel->Facts(), panel->GetLayout(), panel->GetUnit(), [](const InterfaceField& f, void* c) {
      if (f.writer == FieldWriter::kSimulation) static_cast<std::vector<Field>*>(c)->push_back({f.offset, FieldWidth(f.type)});
      return true;
    }, &fields);
  }
  ASSERT_GT(fields.size(), 100u);
  std::mt19937 random(5);
  int checks = 0;
  for (int step = 0; step < 300; step++) {
    dialog_->SetLiteralRotation(step >= 150);
    for (int w = int(random() % 4); w > 0; w--) {
      const Field& f = fields[random() % fields.size()];
      // Mostly flags; now and then any bytes.
      for (uint32_t b = 0; b < f.width; b++) Base()[f.offset + b] = uint8_t(random() % 8 == 0 ? random() : random() % 2);
    }
    if (random() % 10 == 0) {
      platform::Event click;
      click.button = platform::MouseButton::Left;
      click.x = int(random() % 1880);
      click.y = int(random() % 1340);
      click.type = platform::EventType::MouseDown;
      dialog_->HandleEvent(click);
      click.type = platform::EventType::MouseUp;
      dialog_->HandleEvent(click);
      click.type = platform::EventType::MouseMove;
      click.x = click.y = 1;  // off every panel
      dialog_->HandleEvent(click);
    }
    Iterate(1);
    // Until nothing is left to draw (in the literal rotation a changed panel
    // is drawn on every paint until its rotation pass).
    for (int k = 0; k < 30 && cockpit.NeedsDrawing(); k++) Iterate(1);
    if (!cockpit.NeedsDrawing()) {
      checks++;
      const int64_t copied = shown.CopiedPixels();
      cockpit.SetSkipUntouched(false);
      dialog_->OnPaint();
      cockpit.SetSkipUntouched(true);
      ASSERT_EQ(copied, shown.CopiedPixels()) << "step " << step;
    }
  }
  EXPECT_GT(checks, 250);

  // Drawing on the picture outside the panels' passes: the next paint draws
  // every panel again, though none had a pass.
  for (int k = 0; k < 30 && cockpit.NeedsDrawing(); k++) Iterate(1);
  ASSERT_FALSE(cockpit.NeedsDrawing());
  const auto* panel = dynamic_cast<const SubPanel*>(cockpit.GetPanel(1));
  ASSERT_NE(nullptr, panel);
  const platform::Rect button = panel->RowRect(RowRef{RowKind::kButton, 0});
  ASSERT_FALSE(button.IsEmpty());
  const uint32_t before = dialog_->GetSurface().PixelAt(button.left + 2, button.top + 2);
  dialog_->GetSurface().FillRect(button, 1, 2, 3);
  dialog_->OnPaint();
  EXPECT_EQ(before, dialog_->GetSurface().PixelAt(button.left + 2, button.top + 2));
  dialog_->OnClose();
}

}  // namespace

namespace {

const SubPanel& PanelOf(CTarnelDlg& dialog, const char* key) {
  return *dynamic_cast<const SubPanel*>(dialog.GetCockpitManager().GetPanel(FindPanelFacts(key)->id));
}

// The pointer over a picture point.
void PointAt(CTarnelDlg& dialog, int x, int y) {
  dialog.OnMouseMove(x - dialog.GetScrollX() + dialog.GetViewOriginX(), y - dialog.GetScrollY() + dialog.GetViewOriginY());
}

platform::Rect InClient(CTarnelDlg& dialog, const platform::Rect& r, int dx = 0, int dy = 0) {
  const int x = dialog.GetViewOriginX() - dialog.GetScrollX() + dx;
  const int y = dialog.GetViewOriginY() - dialog.GetScrollY() + dy;
  return platform::Rect{r.left + x, r.top + y, r.right + x, r.bottom + y};
}

void ExpectOutline(const platform::WindowOverlay& overlay, const platform::Rect& r, const char* what) {
  ASSERT_TRUE(overlay.outlined) << what;
  EXPECT_TRUE(overlay.thin) << what;
  EXPECT_EQ(r.left, overlay.outline.left) << what;
  EXPECT_EQ(r.top, overlay.outline.top) << what;
  EXPECT_EQ(r.right, overlay.outline.right) << what;
  EXPECT_EQ(r.bottom, overlay.outline.bottom) << what;
}

}  // namespace

// Outside inspect mode a thin frame shows what a click under the pointer
// operates: the switch's third, the knob's sector, a cover over a button.
TEST_F(TarnelDlgTest, HoverFrameShowsWhatAClickThereOperates) {
  ASSERT_TRUE(Start(picture_));
  const SubPanel& air = PanelOf(*dialog_, "air");
  const platform::Rect lever = air.Controls().switches[0].GetRect();
  const int third = lever.Height() / 3;
  PointAt(*dialog_, lever.left + lever.Width() / 2, lever.top + third / 2);
  ExpectOutline(window_.overlay, InClient(*dialog_, {lever.left, lever.top, lever.right, lever.top + third}), "top third");
  PointAt(*dialog_, lever.left + lever.Width() / 2, lever.bottom - third / 2);
  ExpectOutline(window_.overlay, InClient(*dialog_, {lever.left, lever.top + 2 * lever.Height() / 3, lever.right, lever.bottom}),
                "bottom third");

  const KnobClass& knob = air.Controls().knobs[0];  // every position allowed
  const platform::Rect k = knob.GetRect();
  platform::Rect sector;
  knob.GetRegion(2, sector);  // pointing right
  PointAt(*dialog_, k.left + k.Width() * 5 / 6, k.top + k.Height() / 2);
  ExpectOutline(window_.overlay, InClient(*dialog_, sector, k.left, k.top), "knob sector");
  PointAt(*dialog_, k.left + k.Width() / 2, k.top + k.Height() / 2);
  EXPECT_FALSE(window_.overlay.outlined) << "the knob's centre selects nothing";

  const platform::Rect cover = PanelOf(*dialog_, "hydraulic").Controls().covers[0].GetGuardRect();
  PointAt(*dialog_, (cover.left + cover.right) / 2, (cover.top + cover.bottom) / 2);
  ExpectOutline(window_.overlay, InClient(*dialog_, cover), "cover");

  dialog_->SetHover(false);
  PointAt(*dialog_, (cover.left + cover.right) / 2, (cover.top + cover.bottom) / 2 + 1);
  EXPECT_FALSE(window_.overlay.outlined) << "--no-hover";
}

// The wheel over a knob turns it one position a notch (through a click on
// that sector, which the simulation sees); elsewhere it scrolls the view,
// with Shift sideways. It leaves the button state alone.
TEST_F(TarnelDlgTest, WheelTurnsTheKnobUnderThePointerAndScrollsElsewhere) {
  ASSERT_TRUE(Start(picture_));
  dialog_->ReadWindowRect();
  Iterate(20);
  const SubPanel& air = PanelOf(*dialog_, "air");
  const KnobClass& knob = air.Controls().knobs[0];
  InterfaceField field;
  ASSERT_TRUE(FindPanelField(air.Facts(), kLayoutA330, 0, "knob C position", &field));
  const platform::Rect k = knob.GetRect();
  const int start = knob.GetPosition();
  const int away = start < 7 ? 1 : -1;
  PointAt(*dialog_, k.left + k.Width() / 2, k.top + k.Height() / 2);
  dialog_->OnMouseWheel(away);
  EXPECT_EQ(start + away, knob.GetPosition());
  EXPECT_EQ(start + away, Int(field.offset));
  EXPECT_EQ(0, dialog_->GetMouseState().button);
  dialog_->OnMouseWheel(-away);
  EXPECT_EQ(start, knob.GetPosition());
  EXPECT_EQ(start, Int(field.offset));
  // Shift over the knob, and the wheel away from controls, scroll.
  const int x = dialog_->GetScrollX();
  const int y = dialog_->GetScrollY();
  dialog_->OnMouseWheel(-1, true);
  EXPECT_EQ(x + CTarnelDlg::kWheelStep, dialog_->GetScrollX());
  EXPECT_EQ(start, knob.GetPosition());
  dialog_->OnMouseMove(20, 20);
  dialog_->OnMouseWheel(-1);
  EXPECT_EQ(y + CTarnelDlg::kWheelStep, dialog_->GetScrollY());
  dialog_->OnMouseWheel(1);
  EXPECT_EQ(y, dialog_->GetScrollY());
  EXPECT_EQ(0, dialog_->GetMouseState().button);
}

// The first picture is the dark panel: every control is drawn once at the
// end of the start-up with its lamps dark, over what the picture holds there.
TEST_F(TarnelDlgTest, StartUpDrawsEveryPanelOnceUnlit) {
  ASSERT_TRUE(Start(picture_));
  const uint32_t fill = (40u << 16) | (60u << 8) | 80u;
  int drawn = 0;
  for (const PanelFacts& facts : PanelCatalogue()) {
    const auto* panel = dynamic_cast<const SubPanel*>(dialog_->GetCockpitManager().GetPanel(facts.id));
    if (panel == nullptr) continue;
    // Image 0 (upper lamp lit, pushed in) is a button's state before any update.
    for (const CButtonClass& button : panel->Controls().buttons) {
      const platform::Rect r = button.GetRect();
      EXPECT_NE(0, button.GetState()) << facts.key;
      EXPECT_EQ(3, button.GetLightCode()) << facts.key;
      drawn += dialog_->GetSurface().PixelAt((r.left + r.right) / 2, (r.top + r.bottom) / 2) != fill ? 1 : 0;
    }
    for (const PanelLight& light : panel->Controls().lights) EXPECT_EQ(1, light.light.GetState()) << facts.key;
  }
  EXPECT_GT(drawn, 100);
}
