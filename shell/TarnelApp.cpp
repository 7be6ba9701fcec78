#include "shell/TarnelApp.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "config/IniRead.h"
#include "platform/Events.h"
#include "platform/FilePath.h"
#include "platform/Window.h"
#include "shell/TarnelDlg.h"
#include "simlink/SegmentFault.h"

namespace {

RevisionLines gRevisions("%Z% TarnelApp QX_P_0077_02 TarnelApp.cpp $Revision: 1.3 $",
                         "%Z% TarnelApp QX_P_0077_02 TarnelApp.h $Revision: 1.1 $");

void PrintHelp() {
  std::printf(
      "Usage: tarnel [--ini PATH] [--autostart] [--inspect] [--stats]\n"
      "              [--fullscreen] [--fit] [--no-hover] [--display N] [--scale F]\n"
      "              [--geometry WxH+X+Y]\n"
      "The overhead-panel station. Shows the overhead panel picture and exchanges\n"
      "control positions, lamps and displays with the simulation through shared memory.\n"
      "\n"
      "  --ini PATH   program ini file to read (default: Tarnel.ini in the working folder,\n"
      "               else the one beside the program)\n"
      "  --fullscreen cover the whole monitor (and fit the panel to it unless --scale is given)\n"
      "  --fit        show the whole panel as large as the window allows, centred\n"
      "  --no-hover   no frame around what a click under the pointer operates\n"
      "  --display N  open on monitor N (0 the first)\n"
      "  --scale F    show the picture F times larger (0.25 to 8), e.g. 2 on a high-density\n"
      "               screen; clicks still hit the controls under the pointer\n"
      "  --geometry WxH+X+Y  window of W x H screen pixels at X, Y from the monitor's top-left\n"
      "               corner (WxH or +X+Y alone also do)\n"
      "  --stats      on exit, print the real-time loop's figures on stderr\n"
      "  --autostart  start the real-time loop at once, without the first click\n"
      "  --inspect    start in inspect mode (F2 toggles it): the status line names\n"
      "               the control under the pointer and the fields it writes and reads\n"
      "  --help       show this text\n"
      "  --version    show the version\n"
      "\n"
      "Environment: TARNEL_SHM_PREFIX prefixes the shared-memory names, so that two\n"
      "stations can run on one machine; TARNEL_SHM_GROUP shares the segments with a group.\n"
      "Exit status: 0 closed normally, 1 start-up failed, 2 bad arguments, 3 a shared-memory\n"
      "segment was made smaller under the station.\n"
      "Keys: arrows scroll, Page Up/Page Down/Home give the wheel and right-button states,\n"
      "F1 about, F2 inspect mode. Wheel: over a knob turns it, elsewhere scrolls (Shift: sideways).\n"
      "Touch: a tap clicks, a finger drag scrolls, a two-finger tap is the right button.\n"
      "Without --autostart, the first left click starts the real-time loop.\n");
}

// The dialog holds every panel by value: one process-wide instance, made on
// first use and kept for the life of the process.
CTarnelDlg& Dialog() {
  alignas(CTarnelDlg) static unsigned char storage[sizeof(CTarnelDlg)];
  static CTarnelDlg* dialog = new (storage) CTarnelDlg();
  return *dialog;
}

}  // namespace

int CTarnelApp::Run(int argc, char** argv) {
  gRevisions.RegisterOnce();
  const char* iniFile = nullptr;
  bool stats = false;
  bool autostart = false;
  bool inspect = false;
  bool hover = true;
  bool scaleGiven = false;
  platform::WindowPlacement placement;
  for (int i = 1; i < argc; i++) {
    if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
      PrintHelp();
      return 0;
    }
    if (std::strcmp(argv[i], "--version") == 0) {
      std::printf("tarnel %s\n", CTarnelDlg::kVersionText);
      return 0;
    }
    if (std::strcmp(argv[i], "--stats") == 0) {
      stats = true;
      continue;
    }
    if (std::strcmp(argv[i], "--autostart") == 0) {
      autostart = true;
      continue;
    }
    if (std::strcmp(argv[i], "--inspect") == 0) {
      inspect = true;
      continue;
    }
    if (std::strcmp(argv[i], "--ini") == 0 && i + 1 < argc) {
      iniFile = argv[++i];
      continue;
    }
    if (std::strcmp(argv[i], "--fullscreen") == 0) {
      placement.fullscreen = true;
      continue;
    }
    if (std::strcmp(argv[i], "--fit") == 0) {
      placement.fit = true;
      continue;
    }
    if (std::strcmp(argv[i], "--no-hover") == 0) {
      hover = false;
      continue;
    }
    if (std::strcmp(argv[i], "--display") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const long display = std::strtol(argv[++i], &end, 10);
      if (end == argv[i] || *end != '\0' || display < 0 || display > 63) {
        std::fprintf(stderr, "tarnel: --display wants a monitor number from 0, not '%s'\n", argv[i]);
        return 2;
      }
      placement.display = static_cast<int>(display);
      continue;
    }
    if (std::strcmp(argv[i], "--scale") == 0 && i + 1 < argc) {
      char* end = nullptr;
      const double scale = std::strtod(argv[++i], &end);
      if (end == argv[i] || *end != '\0' || !(scale >= platform::WindowPlacement::kMinScale) ||
          !(scale <= platform::WindowPlacement::kMaxScale)) {
        std::fprintf(stderr, "tarnel: --scale wants a number from 0.25 to 8, not '%s'\n", argv[i]);
        return 2;
      }
      placement.scale = scale;
      scaleGiven = true;
      continue;
    }
    if (std::strcmp(argv[i], "--geometry") == 0 && i + 1 < argc) {
      if (!platform::ParseGeometry(argv[++i], &placement)) {
        std::fprintf(stderr, "tarnel: --geometry wants WxH+X+Y (e.g. 1280x800+0+0), not '%s'\n", argv[i]);
        return 2;
      }
      continue;
    }
    std::fprintf(stderr, "tarnel: unknown argument '%s' (see --help)\n", argv[i]);
    return 2;
  }

  // A full screen shows the whole panel unless a scale was asked for.
  if (placement.fullscreen && !scaleGiven) {
    placement.fit = true;
  }
  if (placement.fit) {
    placement.fitWidth = CTarnelDlg::kFitWidth;
    placement.fitHeight = CTarnelDlg::kFitHeight;
  }

  // Without --ini, an installed station started from anywhere still finds
  // the default ini beside the program.
  char defaultIni[4096];
  if (iniFile == nullptr) {
    CIniRead::ChooseDefaultFile(CTarnelDlg::kDefaultIniFile, platform::ProgramFolder(), defaultIni, sizeof defaultIni);
    iniFile = defaultIni;
  }

  char error[512];
  // SIGINT and SIGTERM arrive as a quit message and close the station normally.
  if (!platform::StartVideo(false, error, sizeof error)) {
    std::fprintf(stderr, "tarnel: cannot open the display: %s\n", error);
    return 1;
  }
  // A closed terminal (SIGHUP) and SIGQUIT close it the same way, so that the
  // segments are released.
  struct sigaction asTerm = {};
  asTerm.sa_handler = [](int) { ::kill(::getpid(), SIGTERM); };
  sigemptyset(&asTerm.sa_mask);
  sigaction(SIGHUP, &asTerm, nullptr);
  sigaction(SIGQUIT, &asTerm, nullptr);
  segment_fault::Install("tarnel");
  int status = 1;
  {
    platform::SdlWindow window;
    if (!window.Create("Tarnel", CTarnelDlg::kClientWidth, CTarnelDlg::kClientHeight, error, sizeof error,
                       platform::SdlWindow::Frame::Sizable, placement)) {
      std::fprintf(stderr, "tarnel: %s\n", error);
      platform::StopVideo();
      return 1;
    }
    char icon[4096];
    FormatBounded(icon, sizeof icon, "%sTarnel.bmp", platform::ProgramFolder());
    window.SetIconFromFile(icon);

    CTarnelDlg& dialog = Dialog();
    dialog.SetIniFile(iniFile);
    dialog.SetAutostart(autostart);
    dialog.SetInspect(inspect);
    dialog.SetHover(hover);
    dialog.OnInitDialog(&window);
    if (dialog.InitialisationFailed()) {
      std::fprintf(stderr, "tarnel: start-up failed: %s\n", dialog.GetMessageText());
    }
    dialog.OnPaint();
    // The banner may have taken the keyboard while it opened.
    window.TakeFocus();
    // Unattended start: the loop runs at once (it pumps the messages itself).
    if (autostart && !dialog.InitialisationFailed()) {
      dialog.StartRealTime();
    }
    // The modal dialog: wait for messages until the dialog ends. Once the
    // first left click starts the real-time loop, the loop pumps them.
    platform::Event event;
    while (!dialog.IsEnded()) {
      if (platform::WaitEvent(&event, -1)) {
        dialog.HandleEvent(event);
      }
    }
    dialog.OnDestroy();
    status = dialog.InitialisationFailed() ? 1 : 0;
    if (stats) {
      const RTLoopStatistics& figures = dialog.LoopStatistics();
      std::fprintf(stderr,
                   "tarnel: iterations=%lu frames=%d overruns=%d late_starts=%d max_work_ms=%.3f "
                   "average_work_ms=%.3f elapsed_s=%.1f\n",
                   static_cast<unsigned long>(dialog.GetIterationCount()), figures.frames, figures.overruns,
                   figures.lateStarts, figures.maxWorkTime * 1000.0, figures.averageWorkTime * 1000.0,
                   figures.elapsed);
    }
  }
  platform::StopVideo();
  return status;
}
