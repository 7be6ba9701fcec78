// lisket: the start-up banner. Shows the progress of a starting program from
// the banner record of the generic simulation area and closes itself after a
// clean start.
#include <csignal>
#include <cstdio>
#include <cstring>

#include "banner/Lisket.h"
#include "banner/LisketDlg.h"
#include "common/CommandLine.h"
#include "common/RevisionString.h"
#include "platform/DisplayStart.h"
#include "platform/Events.h"
#include "simlink/SegmentFault.h"

namespace {

RevisionLines gRevisions("%Z% Lisket QX_P_0902_01 Lisket.cpp $Revision: 1.2 $",
                         "%Z% Lisket QX_P_0902_01 Lisket.h $Revision: 1.1 $");

volatile std::sig_atomic_t gStop = 0;

void OnSignal(int) { gStop = 1; }

constexpr const char* kSummary =
    "Start-up banner: shows the name, progress and messages that a starting\n"
    "program writes into the banner record of the generic simulation area,\n"
    "and closes itself about 2.5 s after a clean start. It stays open after a\n"
    "failure or a warning until its window is closed, or until the station\n"
    "that started it has ended.";
constexpr const char* kFooter =
    "Environment: TARNEL_SHM_PREFIX is put before the shared-memory name;\n"
    "SDL_VIDEODRIVER names the display driver (default: x11, then wayland).";

}  // namespace

CLisketApp::CLisketApp() { gRevisions.RegisterOnce(); }

int CLisketApp::Run(int argc, char** argv) {
  command_line::CommandLine command("lisket", nullptr, kSummary, kFooter);
  const int parsed = command.Parse(argc, argv);
  if (parsed != command_line::kGoOn) {
    return parsed;
  }

  // Our own handlers: a termination request ends the loop, which detaches
  // from the shared memory before the program exits.
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGHUP, &action, nullptr);
  sigaction(SIGQUIT, &action, nullptr);
  segment_fault::Install("lisket");

  char error[512];
  if (!platform::StartDisplay(true, error, sizeof error)) {
    std::fprintf(stderr, "lisket: cannot open the display: %s\n", error);
    return 1;
  }
  int result = 0;
  {
    CStartBannerDlg dialog;
    if (!dialog.InitialiseDialog()) {
      std::fprintf(stderr, "lisket: %s\n", dialog.GetErrorText());
      result = 1;
    } else {
      result = dialog.DoModal(&gStop);
    }
  }
  platform::StopVideo();
  return result;
}

int main(int argc, char** argv) {
  CLisketApp app;
  return app.Run(argc, argv);
}
