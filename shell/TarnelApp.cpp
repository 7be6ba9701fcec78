#include "shell/TarnelApp.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

#include <string>

#include "common/CommandLine.h"
#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "config/IniRead.h"
#include "devices/JoystickDevices.h"
#include "platform/DisplayStart.h"
#include "platform/Events.h"
#include "platform/MessageBox.h"
#include "platform/FilePath.h"
#include "platform/Window.h"
#include "shell/TarnelDlg.h"
#include "simlink/SegmentFault.h"
#include "web/ControlMap.h"
#include "web/WebServer.h"

namespace {

RevisionLines gRevisions("%Z% TarnelApp QX_P_0077_02 TarnelApp.cpp $Revision: 1.3 $",
                         "%Z% TarnelApp QX_P_0077_02 TarnelApp.h $Revision: 1.1 $");

constexpr const char* kSummary =
    "The overhead-panel station. Shows the overhead panel picture and exchanges\n"
    "control positions, lamps and displays with the simulation through shared memory.";

constexpr const char* kFooter =
    "Environment: TARNEL_SHM_PREFIX prefixes the shared-memory names, so that two\n"
    "stations can run on one machine; TARNEL_SHM_GROUP shares the segments with a group;\n"
    "SDL_VIDEODRIVER names the display driver (default: x11, then wayland).\n"
    "Exit status: 0 closed normally, 1 start-up failed or no display, 2 bad arguments,\n"
    "3 a shared-memory segment was made smaller under the station.\n"
    "Keys: arrows scroll; the wheel turns the knob under the pointer, else scrolls (Shift:\n"
    "sideways); Page Up/Page Down give the panels the wheel's states, Home the right button;\n"
    "F1 about, F2 inspect mode.\n"
    "Touch: a tap clicks, a finger drag scrolls, a two-finger tap is the right button.\n"
    "Without --autostart, the first left click starts the real-time loop. With --autostart\n"
    "a failed start ends the station (status 1) once its message box is closed, or after\n"
    "30 s, so that a service manager can start it again.";

// How long a failed unattended start keeps its message box up.
constexpr int kUnattendedBoxMs = 30000;

// Everything the command line sets.
struct TarnelOptions {
  std::string iniFile;
  bool stats = false;
  bool autostart = false;
  bool inspect = false;
  std::string inputsFile;
  std::string virtualPipe;
  bool listDevices = false;
  bool literalRotation = false;
  bool noHover = false;
  bool headless = false;
  std::string webAddress;
  std::string webTokenFile;
  std::string webCert;
  std::string webKey;
  platform::WindowPlacement placement;
};

// Declares the options: a new one is one line here, with its field above.
void DeclareOptions(CLI::App& app, TarnelOptions& o) {
  using command_line::Check;
  app.add_option("--ini", o.iniFile,
                 "program ini file (default: Tarnel.ini in the working\nfolder, else the one beside the program)")
      ->type_name("PATH");
  app.add_flag("--fullscreen", o.placement.fullscreen,
               "cover the whole monitor (and fit the panel to it unless\n--scale is given)");
  app.add_flag("--fit", o.placement.fit, "show the whole panel as large as the window allows,\ncentred");
  app.add_flag("--no-hover", o.noHover, "no frame around what a click under the pointer operates");
  app.add_option("--display", o.placement.display, "open on monitor N (0 the first)")
      ->type_name("N")
      ->check(Check([](const std::string& text) -> std::string {
        char* end = nullptr;
        const long display = std::strtol(text.c_str(), &end, 10);
        return end != text.c_str() && *end == '\0' && display >= 0 && display <= 63
                   ? std::string()
                   : "wants a monitor number from 0, not '" + text + "'";
      }));
  app.add_option("--scale", o.placement.scale,
                 "show the picture F times larger (0.25 to 8), e.g. 2\non a high-density screen")
      ->type_name("F")
      ->check(Check([](const std::string& text) -> std::string {
        char* end = nullptr;
        const double scale = std::strtod(text.c_str(), &end);
        if (end == text.c_str() || *end != '\0' || !(scale >= platform::WindowPlacement::kMinScale) ||
            !(scale <= platform::WindowPlacement::kMaxScale)) {
          return "wants a number from 0.25 to 8, not '" + text + "'";
        }
        return "";
      }));
  app.add_option_function<std::string>(
         "--geometry",
         [&o](const std::string& text) { platform::ParseGeometry(text.c_str(), &o.placement); },
         "window of W x H screen pixels at X, Y from the\nmonitor's top-left corner (WxH or +X+Y alone also do)")
      ->type_name("WxH+X+Y")
      ->check(Check([](const std::string& text) -> std::string {
        platform::WindowPlacement read;
        if (!platform::ParseGeometry(text.c_str(), &read)) {
          return "wants WxH+X+Y (e.g. 1280x800+0+0), not '" + text + "'";
        }
        char reason[256];
        return platform::CheckPlacementSize(read, reason, sizeof reason) ? std::string() : std::string(reason);
      }));
  app.add_flag("--stats", o.stats, "on exit, print the real-time loop's figures on stderr");
  app.add_flag("--autostart", o.autostart, "start the real-time loop at once, without a click");
  app.add_flag("--inspect", o.inspect,
               "start in inspect mode (F2 toggles it): the status\nline names the control under the pointer");
  app.add_flag("--literal-rotation", o.literalRotation,
               "update the panels in rotation only: a lamp or display\nthe simulation changes shows at its panel's turn");
  app.add_option("--inputs", o.inputsFile,
                 "game controllers and button boxes operate the panel as\nFILE maps them (docs/inputs.md); in inspect mode a moved\ninput over a control appends its mapping line to FILE")
      ->type_name("FILE");
  app.add_option("--virtual-device", o.virtualPipe,
                 "a button box inside the station, worked by lines written\nto the named pipe PIPE (made if missing): button N 0|1,\nhat N BITS, axis N VALUE, unplug, plug")
      ->type_name("PIPE");
  app.add_flag("--list-devices", o.listDevices, "list the game controllers attached now and exit");
  app.add_option("--web", o.webAddress,
                 "serve the panel to browsers over HTTP and WebSocket\n(address 127.0.0.1 unless given; another address needs\n--web-token-file)")
      ->type_name("[ADDR:]PORT");
  app.add_option("--web-token-file", o.webTokenFile,
                 "the token that lets a browser operate (the file's first\nline; readable by this user only); without it browsers\nonly watch")
      ->type_name("FILE");
  app.add_option("--web-cert", o.webCert, "PEM certificate chain for HTTPS/WSS (with --web-key)")->type_name("FILE");
  app.add_option("--web-key", o.webKey, "PEM private key for HTTPS/WSS (with --web-cert)")->type_name("FILE");
  app.add_flag("--headless", o.headless,
               "no window and no display: the loop runs at once, for\nthe browsers of --web (or only writes the outputs)");
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
  TarnelOptions options;
  command_line::CommandLine command("tarnel", CTarnelDlg::kVersionText, kSummary, kFooter);
  DeclareOptions(command.App(), options);
  const int parsed = command.Parse(argc, argv);
  if (parsed != command_line::kGoOn) {
    return parsed;
  }
  const char* iniFile = options.iniFile.empty() ? nullptr : options.iniFile.c_str();
  const bool stats = options.stats;
  const bool autostart = options.autostart;
  const bool inspect = options.inspect;
  // A full screen shows the whole panel unless a scale was asked for.
  if (options.placement.fullscreen && command.App().count("--scale") == 0) {
    options.placement.fit = true;
  }
  if (options.placement.fit) {
    options.placement.fitWidth = CTarnelDlg::kFitWidth;
    options.placement.fitHeight = CTarnelDlg::kFitHeight;
  }
  const platform::WindowPlacement& placement = options.placement;
  if (options.listDevices) {
    char error[256];
    const int listed = JoystickDevices::List(stdout, error, sizeof error);
    if (listed < 0) std::fprintf(stderr, "tarnel: %s\n", error);
    return listed < 0 ? 1 : 0;
  }

  // Without --ini, an installed station started from anywhere still finds
  // the default ini beside the program.
  char defaultIni[4096];
  if (iniFile == nullptr) {
    CIniRead::ChooseDefaultFile(CTarnelDlg::kDefaultIniFile, platform::ProgramFolder(), defaultIni, sizeof defaultIni);
    iniFile = defaultIni;
  }

  char error[512];
  const bool headless = options.headless;
  const bool serveWeb = !options.webAddress.empty();
  web::WebOptions webOptions;
  if (serveWeb && !web::ParseWebAddress(options.webAddress.c_str(), &webOptions, error, sizeof error)) {
    return command.Bad("--web: %s", error);
  }
  if (!serveWeb && (!options.webTokenFile.empty() || !options.webCert.empty() || !options.webKey.empty())) {
    return command.Bad("--web-token-file, --web-cert and --web-key need --web");
  }
  webOptions.tokenFile = options.webTokenFile.empty() ? nullptr : options.webTokenFile.c_str();
  webOptions.certFile = options.webCert.empty() ? nullptr : options.webCert.c_str();
  webOptions.keyFile = options.webKey.empty() ? nullptr : options.webKey.c_str();
  // The web panel starts before anything else, so that a refused address or
  // token file ends the start at once.
  static web::WebServer webServer;
  char pageFolder[4096];
  if (serveWeb) {
    FormatBounded(pageFolder, sizeof pageFolder, "%sweb", platform::ProgramFolder());
    webOptions.pageFolder = pageFolder;
    webOptions.pictureWidth = CTarnelDlg::kPictureWidth;
    webOptions.pictureHeight = CTarnelDlg::kPictureHeight;
    if (!webServer.Start(webOptions, error, sizeof error)) {
      std::fprintf(stderr, "tarnel: %s\n", error);
      return 2;
    }
    std::fprintf(stderr, "tarnel: serving the panel at %s://%s:%d/ (%s)\n", webServer.IsSecure() ? "https" : "http",
                 webOptions.address, webServer.Port(),
                 webOptions.tokenFile != nullptr ? "browsers with the token operate, others watch"
                                                 : "browsers watch only: no token file");
  } else if (headless) {
    std::fprintf(stderr, "tarnel: headless without --web: the station only writes its outputs, nobody sees it\n");
  }
  // SIGINT and SIGTERM arrive as a quit message and close the station normally.
  // A headless station opens the event queue alone.
  if (headless ? !platform::StartEvents(error, sizeof error) : !platform::StartDisplay(false, error, sizeof error)) {
    std::fprintf(stderr, "tarnel: cannot open the %s: %s\n", headless ? "event queue" : "display", error);
    webServer.Stop();
    return 1;
  }
  if (!headless && !platform::CheckPlacementOnScreens(placement, CTarnelDlg::kClientWidth, CTarnelDlg::kClientHeight,
                                                      error, sizeof error)) {
    platform::StopVideo();
    webServer.Stop();
    return command.Bad("--geometry: %s", error);
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
    if (!headless && !window.Create("Tarnel", CTarnelDlg::kClientWidth, CTarnelDlg::kClientHeight, error, sizeof error,
                       platform::SdlWindow::Frame::Sizable, placement)) {
      std::fprintf(stderr, "tarnel: %s\n", error);
      platform::StopVideo();
      webServer.Stop();
      return 1;
    }
    char icon[4096];
    FormatBounded(icon, sizeof icon, "%sTarnel.bmp", platform::ProgramFolder());
    if (!headless) window.SetIconFromFile(icon);

    CTarnelDlg& dialog = Dialog();
    dialog.SetHeadless(headless);
    dialog.SetWebServer(serveWeb ? &webServer : nullptr);
    const bool unattended = autostart || headless;
    dialog.SetIniFile(iniFile);
    dialog.SetAutostart(unattended);
    dialog.SetInspect(inspect);
    // Unattended, a failed start's box closes by itself, and the station ends.
    if (unattended) {
      platform::SetUnattendedBoxTimeout(kUnattendedBoxMs);
    }
    dialog.SetLiteralRotation(options.literalRotation);
    dialog.SetHover(!options.noHover);
    dialog.SetInputs(options.inputsFile.empty() ? nullptr : options.inputsFile.c_str(),
                     options.virtualPipe.empty() ? nullptr : options.virtualPipe.c_str());
    dialog.OnInitDialog(headless ? nullptr : &window);
    if (serveWeb && !dialog.InitialisationFailed()) {
      static char controls[128 * 1024];
      webServer.SetControlMap(controls, web::DescribeControls(dialog.GetCockpitManager(), controls, sizeof controls));
    }
    if (dialog.InitialisationFailed()) {
      std::fprintf(stderr, "tarnel: start-up failed: %s\n", dialog.GetMessageText());
      if (unattended) {
        dialog.OnDestroy();
        window.Destroy();
        platform::StopVideo();
        webServer.Stop();
        return 1;
      }
    }
    dialog.OnPaint();
    // The banner may have taken the keyboard while it opened.
    window.TakeFocus();
    // Unattended start: the loop runs at once (it pumps the messages itself).
    if (unattended && !dialog.InitialisationFailed()) {
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
  webServer.Stop();
  return status;
}
