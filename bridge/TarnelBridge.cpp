// tarnel-bridge: replicates the station's interface in the generic
// simulation area between the simulation's machine and the station's.
// Each side attaches to its local segment as every program does, sends the
// fields whose writer is on its side and writes the fields the other side
// sends (see BridgeFields, BridgeState, DdsLink).
#include <signal.h>
#include <sys/random.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "bridge/BridgeFields.h"
#include "bridge/BridgeOptions.h"
#include "bridge/BridgeState.h"
#include "bridge/DdsLink.h"
#include "bridge/PeerWriters.h"
#include "bridge/RefusalLog.h"
#include "common/TextFcns.h"
#include "platform/TerminationSignals.h"
#include "simlink/GenericSimShm.h"
#include "simlink/SegmentFault.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitBadArguments = 2;
// The longest a local change waits before it is looked for: short while
// local fields are changing, longer at rest.
constexpr int kBusyPollUs = 250;
constexpr int kIdlePollUs = 2000;
constexpr int64_t kBusyForMs = 100;  // after the last local change

int64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

struct Receiving {
  const BridgeState* state;
  const BridgeFields* fields;
  const DdsLink* link;
  uint8_t* base;
  const char* peerSide;  // "station" or "simulation"
  const char* topic;     // the topic the other side writes
  PeerWriters writers;
  RefusalLog* refusals;
  int64_t nowMs = 0;
  bool peerChanged = false;  // a peer connected: send everything again
};

void ReportWriterChange(Receiving* r, const PeerWriters::Change& change) {
  const char* id = r->writers.Identity(change.writer);
  const char* other = r->writers.Identity(change.other);
  switch (change.event) {
    case PeerWriters::Event::kConnected:
      r->peerChanged = true;
      if (change.other >= 0) {
        std::fprintf(stderr, "tarnel-bridge: the %s side is connected: %s, taking over from the lost %s\n", r->peerSide,
                     id, other);
      } else {
        std::fprintf(stderr, "tarnel-bridge: the %s side is connected: %s\n", r->peerSide, id);
      }
      break;
    case PeerWriters::Event::kSecond:
      std::fprintf(stderr,
                   "tarnel-bridge: a second %s side writes %s: %s, besides the connected %s; only one bridge per "
                   "role may run in a domain, so the second one's samples are ignored until the first is lost\n",
                   r->peerSide, r->topic, id, other);
      break;
    case PeerWriters::Event::kLost:
      std::fprintf(stderr, "tarnel-bridge: lost the %s side (%s): no sample for %d s; its last state stays in place\n",
                   r->peerSide, id, static_cast<int>(PeerWriters::kLostAfterMs / 1000));
      break;
    case PeerWriters::Event::kGone:
      std::fprintf(stderr, "tarnel-bridge: the second %s side %s is gone\n", r->peerSide, id);
      break;
    case PeerWriters::Event::kTableFull: {
      char text[160];
      FormatBounded(text, sizeof text, "more than %d writers on %s: samples of the newer ones are ignored",
                    PeerWriters::kMaxWriters, r->topic);
      r->refusals->Report(RefusalLog::kForeignWriter, 0, r->nowMs, text);
      break;
    }
    case PeerWriters::Event::kNone:
      break;
  }
  std::fflush(stderr);
}

// Writes one received sample when it comes from the peer; a sample this
// side's declarations do not match is reported at most once a minute per
// area, with a count.
void ApplyReceived(const AreaImage& image, uint64_t writer, void* context) {
  auto* r = static_cast<Receiving*>(context);
  PeerWriters::Change change;
  const bool fromPeer = r->writers.Arrived(writer, r->nowMs, &change);
  if (r->writers.IsNew(change.writer)) {
    char identity[PeerWriters::kIdentitySize];
    r->link->DescribeWriter(writer, identity, sizeof identity);
    r->writers.SetIdentity(change.writer, identity);
  }
  ReportWriterChange(r, change);
  if (!fromPeer) return;
  const BridgeState::Applied applied = r->state->Apply(image, r->base);
  if (applied.knownArea && applied.unknown == 0) return;
  const int area = r->fields->FindArea(image.area);
  char text[RefusalLog::kTextSize];
  if (!applied.knownArea) {
    FormatBounded(text, sizeof text, "the other side sends area %d, which this side does not know",
                  static_cast<int>(image.area));
    r->refusals->Report(RefusalLog::kUnknownArea, BridgeFields::kMaxAreas, r->nowMs, text);
  } else {
    FormatBounded(text, sizeof text,
                  "%d field(s) the other side sends for %s are not declared here; they are left out (do both sides "
                  "run the same version?)",
                  applied.unknown, r->fields->AreaAt(area).key);
    r->refusals->Report(RefusalLog::kUndeclaredFields, area, r->nowMs, text);
  }
}

// The middleware's own warnings, bounded like the bridge's.
void MiddlewareLog(uint32_t site, const char* text, void* context) {
  auto* r = static_cast<Receiving*>(context);
  char line[RefusalLog::kTextSize];
  const bool malformed = std::strstr(text, "deserialization") != nullptr;
  FormatBounded(line, sizeof line, "DDS: %s%s",
                malformed ? "a sample was refused (more than 512 fields, or not the bridge's type): " : "", text);
  r->refusals->Report(RefusalLog::kMiddleware, static_cast<int>(site % RefusalLog::kSlots), NowMs(), line);
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

  // This bridge's identity on the network, taken once at start.
  uint64_t instance = 0;
  if (getrandom(&instance, sizeof instance, 0) != sizeof instance) instance = uint64_t(NowMs()) ^ uint64_t(getpid());
  char announcement[DdsLink::kAnnouncementSize];
  FormatBounded(announcement, sizeof announcement, "tarnel-bridge role=%s instance=%016llx",
                simSide ? "sim" : "station", static_cast<unsigned long long>(instance));
  int32_t areaIds[BridgeFields::kMaxAreas];
  for (int a = 0; a < fields.AreaCount(); a++) areaIds[a] = fields.AreaAt(a).id;

  const char* peers[BridgeOptions::kMaxPeers];
  for (int i = 0; i < options.peerCount; i++) peers[i] = options.peers[i];
  DdsLink::Settings settings;
  settings.domain = options.domain;
  settings.networkInterface = options.networkInterface;
  settings.peers = peers;
  settings.peerCount = options.peerCount;
  settings.sendTopic = simSide ? DdsLink::kSimTopic : DdsLink::kStationTopic;
  settings.receiveTopic = simSide ? DdsLink::kStationTopic : DdsLink::kSimTopic;
  settings.areas = areaIds;
  settings.areaCount = fields.AreaCount();
  settings.announcement = announcement;
  if (!DdsLink::CheckPeers(settings, report, sizeof report)) {
    std::fprintf(stderr, "tarnel-bridge: %s\n", report);
    return kExitBadArguments;
  }
  static BridgeState state(fields, options.role);
  static RefusalLog refusals(stderr);
  static DdsLink link;
  static Receiving receiving{
      &state, &fields, &link, shm.GetBase(), simSide ? "station" : "simulation", settings.receiveTopic, {}, &refusals};
  settings.middlewareLog = MiddlewareLog;
  settings.logContext = &receiving;
  if (!link.Open(settings, report, sizeof report)) {
    std::fprintf(stderr, "tarnel-bridge: %s\n", report);
    return kExitFailed;
  }

  int sent = 0;
  int received = 0;
  for (int a = 0; a < fields.AreaCount(); a++) {
    sent += static_cast<int>(fields.Fields(a, state.Local()).size());
    received += static_cast<int>(fields.Fields(a, state.Remote()).size());
  }
  std::fprintf(stderr,
               "tarnel-bridge: %s side on %s, DDS domain %u, interface %s: sends %d fields, writes %d fields, in %d "
               "areas; announces '%s'\n",
               simSide ? "simulation" : "station", shm.GetObjectName(), static_cast<unsigned>(options.domain),
               options.networkInterface[0] != '\0' ? options.networkInterface : "automatic", sent, received,
               fields.AreaCount(), announcement);

  static AreaImage image;
  bool sendReported = false;
  long samplesSent = 0;
  long samplesReceived = 0;
  long unknownTotal = 0;
  int64_t flushedAtMs = 0;
  while (!signals.Arrived()) {
    const bool busy = state.LastChangeMs() != 0 && receiving.nowMs - state.LastChangeMs() < kBusyForMs;
    link.Wait(busy ? kBusyPollUs : kIdlePollUs);
    receiving.nowMs = NowMs();
    samplesReceived += link.Receive(ApplyReceived, &receiving);
    PeerWriters::Change change;
    while (receiving.writers.Expire(receiving.nowMs, &change)) ReportWriterChange(&receiving, change);
    int32_t unknownArea = 0;
    const long unknown = link.TakeUnknownAreas(&unknownArea);
    if (unknown > 0) {
      unknownTotal += unknown;
      char text[RefusalLog::kTextSize];
      FormatBounded(text, sizeof text,
                    "%ld sample(s) of areas this side does not know dropped so far (the last: area %d)", unknownTotal,
                    static_cast<int>(unknownArea));
      refusals.Report(RefusalLog::kUnknownArea, BridgeFields::kMaxAreas, receiving.nowMs, text);
    }
    if (receiving.nowMs - flushedAtMs >= 1000) {
      refusals.Flush(receiving.nowMs);
      flushedAtMs = receiving.nowMs;
    }
    if (link.ReaderMatched() || receiving.peerChanged) {
      receiving.peerChanged = false;
      state.SendAllNow();
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
