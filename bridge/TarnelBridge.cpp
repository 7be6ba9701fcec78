// tarnel-bridge: replicates the station's interface in the generic
// simulation area between the simulation's machine and the station's.
// Each side attaches to its local segment as every program does, sends the
// fields whose writer is on its side and writes the fields the other side
// sends (see BridgeFields, BridgeState, DdsLink).
#include <signal.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>

#include "bridge/BridgeFields.h"
#include "bridge/BridgeOptions.h"
#include "bridge/BridgeState.h"
#include "bridge/DdsLink.h"
#include "common/TextFcns.h"
#include "platform/TerminationSignals.h"
#include "simlink/GenericSimShm.h"
#include "simlink/SegmentFault.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadArguments = 2;
// The longest a local change waits before it is looked for.
constexpr int kPollMs = 2;

int64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

struct Receiving {
  const BridgeState* state;
  const BridgeFields* fields;
  uint8_t* base;
  bool reported[BridgeFields::kMaxAreas + 1] = {};  // last: an unknown area
};

// Writes one received sample; a sample this side's declarations do not
// match is reported once per area.
void ApplyReceived(const AreaImage& image, void* context) {
  auto* r = static_cast<Receiving*>(context);
  const BridgeState::Applied applied = r->state->Apply(image, r->base);
  const int area = r->fields->FindArea(image.area);
  bool& reported = r->reported[area >= 0 ? area : BridgeFields::kMaxAreas];
  if (reported || (applied.knownArea && applied.unknown == 0)) return;
  reported = true;
  if (!applied.knownArea) {
    std::fprintf(stderr, "tarnel-bridge: the other side sends area %d, which this side does not know\n",
                 static_cast<int>(image.area));
  } else {
    std::fprintf(stderr,
                 "tarnel-bridge: %d field(s) the other side sends for %s are not declared here; they are left "
                 "out (do both sides run the same version?)\n",
                 applied.unknown, r->fields->AreaAt(area).key);
  }
}

}  // namespace

int main(int argc, char** argv) {
  BridgeOptions options;
  char report[512] = {};
  if (!ParseBridgeOptions(argc, argv, &options, report, sizeof report)) {
    std::fprintf(stderr, "tarnel-bridge: %s\nTry 'tarnel-bridge --help'.\n", report);
    return kExitBadArguments;
  }
  if (options.help) {
    return kExitOk;
  }
  static BridgeFields fields;
  if (!fields.Build(report, sizeof report)) {
    std::fprintf(stderr, "tarnel-bridge: %s\n", report);
    return kExitFailed;
  }

  segment_fault::Install("tarnel-bridge");
  ::signal(SIGPIPE, SIG_IGN);  // a closed output pipe is EPIPE, not death with the count held
  platform::TerminationSignals signals;
  const bool simSide = options.role == FieldWriter::kSimulation;
  const char* prefix = std::getenv("TARNEL_SHM_PREFIX");
  if (prefix == nullptr) prefix = "";
  GenericSimShm shm;
  if (!shm.IsValid()) {
    std::fprintf(stderr, "tarnel-bridge: %s\n", shm.GetErrorText());
    return kExitFailed;
  }
  // On the simulation's machine the bridge writes the station's fields and
  // claims the iteration count as the station does, so a station or a second
  // bridge on that segment is refused; on the station's machine it claims the
  // panel-reset request, so a second bridge there is refused.
  const uint32_t claim = simSide ? generic_area::kIterationCount : generic_area::kPanelResetRequest;
  if (!shm.ClaimRange(claim, 1)) {
    std::fprintf(stderr,
                 "tarnel-bridge: %s on %s (TARNEL_SHM_PREFIX '%s') already writes the %s's fields; stop it or use "
                 "another prefix\n",
                 simSide ? "a station or another bridge" : "another bridge", shm.GetObjectName(), prefix,
                 simSide ? "station" : "simulation");
    return kExitFailed;
  }

  const char* peers[BridgeOptions::kMaxPeers];
  for (int i = 0; i < options.peerCount; i++) peers[i] = options.peers[i];
  DdsLink::Settings settings;
  settings.domain = options.domain;
  settings.networkInterface = options.networkInterface;
  settings.peers = peers;
  settings.peerCount = options.peerCount;
  settings.sendTopic = simSide ? DdsLink::kSimTopic : DdsLink::kStationTopic;
  settings.receiveTopic = simSide ? DdsLink::kStationTopic : DdsLink::kSimTopic;
  static DdsLink link;
  if (!link.Open(settings, report, sizeof report)) {
    std::fprintf(stderr, "tarnel-bridge: %s\n", report);
    return kExitFailed;
  }

  static BridgeState state(fields, options.role);
  int sent = 0;
  int received = 0;
  for (int a = 0; a < fields.AreaCount(); a++) {
    sent += static_cast<int>(fields.Fields(a, state.Local()).size());
    received += static_cast<int>(fields.Fields(a, state.Remote()).size());
  }
  std::fprintf(stderr,
               "tarnel-bridge: %s side on %s, DDS domain %u, interface %s: sends %d fields, writes %d fields, in %d "
               "areas\n",
               simSide ? "simulation" : "station", shm.GetObjectName(), static_cast<unsigned>(options.domain),
               options.networkInterface[0] != '\0' ? options.networkInterface : "automatic", sent, received,
               fields.AreaCount());

  Receiving receiving{&state, &fields, shm.GetBase()};
  static AreaImage image;
  bool sendReported = false;
  long samplesSent = 0;
  long samplesReceived = 0;
  while (!signals.Arrived()) {
    link.Wait(kPollMs);
    samplesReceived += link.Receive(ApplyReceived, &receiving);
    switch (link.CheckPeer()) {
      case DdsLink::PeerChange::kFound:
        std::fprintf(stderr, "tarnel-bridge: the %s side is connected\n", simSide ? "station" : "simulation");
        break;
      case DdsLink::PeerChange::kLost:
        std::fprintf(stderr, "tarnel-bridge: lost the %s side; its last state stays in place\n",
                     simSide ? "station" : "simulation");
        break;
      case DdsLink::PeerChange::kNone:
        break;
    }
    const int64_t now = NowMs();
    while (state.NextDue(shm.GetBase(), now, &image)) {
      if (link.Send(image, report, sizeof report)) {
        samplesSent++;
      } else if (!sendReported) {
        std::fprintf(stderr, "tarnel-bridge: %s\n", report);
        sendReported = true;
      }
    }
  }
  link.Close();
  std::fprintf(stderr, "tarnel-bridge: stopped; samples sent=%ld received=%ld\n", samplesSent, samplesReceived);
  return kExitOk;
}
