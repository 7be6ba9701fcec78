// tarnel-demo-sim: a loop-back demonstration simulation. It attaches the
// generic area like any other program (creating it when no station runs yet;
// version check; counted as a user) and answers the station 20 times a
// second (tools/DemoSimulation.h), until --seconds have passed or SIGINT,
// SIGTERM, SIGHUP or SIGQUIT arrives.
//
// Exit status: 0 done, 1 the segment cannot be used (reason on stderr),
// 2 bad arguments, 3 the segment was made smaller under it.

#include <signal.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/CommandLine.h"
#include "platform/TerminationSignals.h"
#include "simlink/GenericSimShm.h"
#include "simlink/SegmentFault.h"
#include "tools/DemoSimulation.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitUnusable = 1;
constexpr long kStepNanoseconds = 1000000000L / DemoSimulation::kStepsPerSecond;

const char kSummary[] =
    "A demonstration simulation for the overhead-panel station: attaches the\n"
    "generic simulation area (\"/\" + $TARNEL_SHM_PREFIX + \"GenericSimSharedMemory\",\n"
    "created when no station runs yet) and answers the station 20 times a second:\n"
    "a pushed-in button lights its lower legend, FAULT lamps follow a scripted\n"
    "failure list, the ANN LT switch in TEST sets every panel's lamp test, the\n"
    "electrical display shows a value for each selector position, and the radio\n"
    "panel is powered by its ON/OFF switch and acknowledges transfers.";

const char kFooter[] =
    "Exit status: 0 done, 1 the segment cannot be used (reason on stderr),\n"
    "2 bad arguments.";

struct Options {
  long seconds = 0;
  bool quiet = false;
};

// -1: go on; otherwise the exit status.
int Parse(int argc, char** argv, Options* options) {
  command_line::CommandLine command("tarnel-demo-sim", nullptr, kSummary, kFooter);
  CLI::App& app = command.App();
  app.add_option("--seconds", options->seconds, "stop after N seconds (default 0: until interrupted)")
      ->type_name("N")
      ->check(CLI::Range(0L, 31L * 86400));
  app.add_flag("--quiet", options->quiet, "print nothing but errors");
  return command.Parse(argc, argv);
}

long long NowNanoseconds() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000000000LL + now.tv_nsec;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  const int parsed = Parse(argc, argv, &options);
  if (parsed >= 0) return parsed;

  static DemoSimulation demo;
  char error[256];
  if (!demo.Build(error, sizeof error)) {
    std::fprintf(stderr, "tarnel-demo-sim: %s\n", error);
    return kExitUnusable;
  }
  // Output to a reader that went away is dropped (EPIPE), never fatal; a
  // segment made smaller under the simulation stops it with status 3.
  ::signal(SIGPIPE, SIG_IGN);
  segment_fault::Install("tarnel-demo-sim");
  platform::TerminationSignals block;
  GenericSimShm shm;
  if (!shm.IsValid()) {
    std::fprintf(stderr, "tarnel-demo-sim: %s\n", shm.GetFullText().c_str());
    return kExitUnusable;
  }
  if (!options.quiet) {
    std::printf("tarnel-demo-sim: answering %d fields (%d button lamps) on %s, %d times a second%s\n",
                demo.WrittenFieldCount(), demo.ButtonLampCount(), shm.GetObjectName(),
                DemoSimulation::kStepsPerSecond, shm.WasCreator() ? "; no station yet, segment created" : "");
    std::fflush(stdout);
  }
  uint8_t* area = shm.GetBase();
  const long long start = NowNanoseconds();
  const long long steps = options.seconds * DemoSimulation::kStepsPerSecond;
  for (uint32_t step = 0; options.seconds == 0 || step < steps; step++) {
    demo.Step(area, step);
    // Steps keep to their 50 ms grid; a late step waits for nothing.
    long long wait = start + (step + 1) * kStepNanoseconds - NowNanoseconds();
    if (wait < 0) wait = 0;
    const timespec pause{time_t(wait / 1000000000LL), long(wait % 1000000000LL)};
    if (sigtimedwait(block.Blocked(), nullptr, &pause) >= 0) break;
  }
  if (!options.quiet) std::printf("tarnel-demo-sim: stopped\n");
  return kExitOk;
}
