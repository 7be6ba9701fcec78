#include "bridge/DdsLink.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "BridgeWire.h"
#include "common/TextFcns.h"
#include "dds/dds.h"

namespace {

constexpr int kTakeBatch = 64;
// The outgoing sample's fields (Send is called from one thread).
bridge_wire_FieldValue gOutgoing[AreaImage::kMaxFields];

bool Append(char* out, std::size_t size, std::size_t* used, const char* format, const char* value) {
  if (*used >= size) return false;
  FormatBounded(out + *used, size - *used, format, value);
  const std::size_t length = std::strlen(out + *used);
  *used += length;
  return *used + 1 < size;
}

bool IsIpAddress(const char* text) {
  unsigned char bytes[16];
  return inet_pton(AF_INET, text, bytes) == 1 || inet_pton(AF_INET6, text, bytes) == 1;
}

// The middleware's log lines, handed to the bridge's report (or stderr).
struct LogRoute {
  void (*log)(uint32_t site, const char* text, void* context) = nullptr;
  void* context = nullptr;
};
LogRoute gLogRoute;

void RouteMiddlewareLog(void*, const dds_log_data_t* data) {
  static thread_local char line[512];
  const char* text = data->message != nullptr ? data->message : "";
  std::size_t n = 0;
  for (; text[n] != '\0' && n + 1 < sizeof line; n++) {
    const unsigned char c = static_cast<unsigned char>(text[n]);
    line[n] = c >= 0x20 && c < 0x7F ? static_cast<char>(c) : ' ';
  }
  while (n > 0 && line[n - 1] == ' ') n--;
  line[n] = '\0';
  if (n == 0) return;
  if (gLogRoute.log == nullptr) {
    std::fprintf(stderr, "tarnel-bridge: DDS: %s\n", line);
    return;
  }
  // The place in the middleware that raised it stands for the kind.
  uint32_t site = data->line;
  for (const char* f = data->file != nullptr ? data->file : ""; *f != '\0'; f++) site = site * 31u + uint8_t(*f);
  gLogRoute.log(site, line, gLogRoute.context);
}

dds_qos_t* SampleQos() {
  dds_qos_t* qos = dds_create_qos();
  dds_qset_reliability(qos, DDS_RELIABILITY_RELIABLE, DDS_MSECS(100));
  dds_qset_durability(qos, DDS_DURABILITY_TRANSIENT_LOCAL);
  dds_qset_history(qos, DDS_HISTORY_KEEP_LAST, 1);
  return qos;
}

}  // namespace

bool DdsLink::ConfigText(const Settings& settings, char* out, std::size_t size) {
  std::size_t used = 0;
  out[0] = '\0';
  const char* uri = std::getenv("CYCLONEDDS_URI");
  bool ok = true;
  if (uri != nullptr && uri[0] != '\0') ok = Append(out, size, &used, "%s,", uri);
  ok = ok && Append(out, size, &used, "%s", "<General>");
  if (settings.networkInterface != nullptr && settings.networkInterface[0] != '\0') {
    ok = ok &&
         Append(out, size, &used,
                IsIpAddress(settings.networkInterface) ? "<Interfaces><NetworkInterface address=\"%s\"/></Interfaces>"
                                                       : "<Interfaces><NetworkInterface name=\"%s\"/></Interfaces>",
                settings.networkInterface);
  }
  if (settings.peerCount > 0) ok = ok && Append(out, size, &used, "%s", "<AllowMulticast>false</AllowMulticast>");
  ok = ok && Append(out, size, &used, "%s", "</General>");
  if (settings.peerCount > 0) {
    ok = ok && Append(out, size, &used, "%s", "<Discovery><ParticipantIndex>auto</ParticipantIndex><Peers>");
    for (int i = 0; i < settings.peerCount; i++) {
      ok = ok && Append(out, size, &used, "<Peer address=\"%s\"/>", settings.peers[i]);
    }
    ok = ok && Append(out, size, &used, "%s", "</Peers></Discovery>");
  }
  return ok;
}

bool DdsLink::CheckPeers(const Settings& settings, char* report, std::size_t size) {
  for (int i = 0; i < settings.peerCount; i++) {
    const char* peer = settings.peers[i];
    if (IsIpAddress(peer)) continue;
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    const int rc = getaddrinfo(peer, nullptr, &hints, &found);
    if (found != nullptr) freeaddrinfo(found);
    if (rc != 0) {
      FormatBounded(report, size, "--peer %s: the name does not resolve (%s); give an address or a known host name",
                    peer, gai_strerror(rc));
      return false;
    }
  }
  return true;
}

bool DdsLink::KnownArea(const void* sample, void* self) {
  auto* link = static_cast<DdsLink*>(self);
  const int32_t area = static_cast<const bridge_wire_AreaSample*>(sample)->area;
  for (int i = 0; i < link->areaCount_; i++) {
    if (link->areas_[i] == area) return true;
  }
  link->lastUnknown_.store(area, std::memory_order_relaxed);
  link->droppedUnknown_.fetch_add(1, std::memory_order_relaxed);
  return false;
}

long DdsLink::TakeUnknownAreas(int32_t* lastArea) {
  *lastArea = lastUnknown_.load(std::memory_order_relaxed);
  return droppedUnknown_.exchange(0, std::memory_order_relaxed);
}

bool DdsLink::Open(const Settings& settings, char* report, std::size_t size) {
  Close();
  static char config[4096];
  if (!ConfigText(settings, config, sizeof config)) {
    FormatBounded(report, size, "the DDS configuration (CYCLONEDDS_URI and options) is too long");
    return false;
  }
  if (settings.areaCount > kMaxAreas) {
    FormatBounded(report, size, "more than %d areas", kMaxAreas);
    return false;
  }
  areaCount_ = settings.areaCount;
  for (int i = 0; i < areaCount_; i++) areas_[i] = settings.areas[i];
  gLogRoute = LogRoute{settings.middlewareLog, settings.logContext};
  dds_set_log_sink(RouteMiddlewareLog, nullptr);

  const auto fail = [&](const char* step, dds_return_t rc) {
    FormatBounded(report, size, "DDS: %s failed: %s", step, dds_strretcode(rc));
    Close();
    return false;
  };
  domain_ = dds_create_domain(settings.domain, config);
  if (domain_ < 0) {
    const dds_return_t rc = domain_;
    domain_ = 0;
    return ExplainDomainFailure(settings, rc, report, size);
  }
  participant_ = dds_create_participant(settings.domain, nullptr, nullptr);
  if (participant_ < 0) return fail("creating the participant", participant_);

  dds_qos_t* qos = SampleQos();
  const dds_entity_t sendTopic =
      dds_create_topic(participant_, &bridge_wire_AreaSample_desc, settings.sendTopic, qos, nullptr);
  const dds_entity_t receiveTopic =
      dds_create_topic(participant_, &bridge_wire_AreaSample_desc, settings.receiveTopic, qos, nullptr);
  if (sendTopic < 0 || receiveTopic < 0) {
    dds_delete_qos(qos);
    return fail("creating the topics", sendTopic < 0 ? sendTopic : receiveTopic);
  }
  // Unknown areas are dropped before the reader makes an instance of them.
  dds_topic_filter filter{};
  filter.mode = DDS_TOPIC_FILTER_SAMPLE_ARG;
  filter.f.sample_arg = KnownArea;
  filter.arg = this;
  const dds_return_t filterRc = dds_set_topic_filter_extended(receiveTopic, &filter);
  if (filterRc < 0) {
    dds_delete_qos(qos);
    return fail("filtering the areas", filterRc);
  }
  dds_qset_liveliness(qos, DDS_LIVELINESS_AUTOMATIC, DDS_MSECS(kLeaseMs));
  dds_qset_userdata(qos, settings.announcement, std::strlen(settings.announcement));
  writer_ = dds_create_writer(participant_, sendTopic, qos, nullptr);
  dds_qset_userdata(qos, nullptr, 0);
  dds_qset_liveliness(qos, DDS_LIVELINESS_AUTOMATIC, DDS_INFINITY);
  const int areas = areaCount_ > 0 ? areaCount_ : 1;
  dds_qset_history(qos, DDS_HISTORY_KEEP_LAST, kSamplesPerArea);
  dds_qset_resource_limits(qos, areas * kSamplesPerArea, areas, kSamplesPerArea);
  reader_ = dds_create_reader(participant_, receiveTopic, qos, nullptr);
  dds_delete_qos(qos);
  if (writer_ < 0) return fail("creating the writer", writer_);
  if (reader_ < 0) return fail("creating the reader", reader_);

  waitset_ = dds_create_waitset(participant_);
  readCondition_ = dds_create_readcondition(reader_, DDS_ANY_STATE);
  if (waitset_ < 0) return fail("creating the wait set", waitset_);
  if (readCondition_ < 0) return fail("creating the read condition", readCondition_);
  dds_return_t rc = dds_waitset_attach(waitset_, readCondition_, 0);
  if (rc < 0) return fail("attaching the read condition", rc);
  // A reader that matches wakes the loop too (see ReaderMatched).
  rc = dds_set_status_mask(writer_, DDS_PUBLICATION_MATCHED_STATUS);
  if (rc >= 0) rc = dds_waitset_attach(waitset_, writer_, 1);
  if (rc < 0) return fail("watching the writer's matches", rc);
  return true;
}

bool DdsLink::ExplainDomainFailure(const Settings& settings, int rc, char* report, std::size_t size) {
  const char* uri = std::getenv("CYCLONEDDS_URI");
  const bool ownSettings =
      (settings.networkInterface != nullptr && settings.networkInterface[0] != '\0') || settings.peerCount > 0;
  if (uri == nullptr || uri[0] == '\0' || !ownSettings) {
    FormatBounded(report, size, "DDS: creating the domain failed: %s", dds_strretcode(rc));
    return false;
  }
  // Try CYCLONEDDS_URI alone, to tell whether it or its meeting with the
  // options is at fault.
  Settings plain = settings;
  plain.networkInterface = "";
  plain.peerCount = 0;
  static char config[4096];
  const dds_entity_t alone = ConfigText(plain, config, sizeof config) ? dds_create_domain(settings.domain, config) : -1;
  if (alone < 0) {
    FormatBounded(report, size, "DDS: creating the domain failed: %s: the configuration in CYCLONEDDS_URI is refused",
                  dds_strretcode(rc));
    return false;
  }
  dds_delete(alone);
  if (settings.networkInterface != nullptr && settings.networkInterface[0] != '\0') {
    FormatBounded(report, size,
                  "DDS: creating the domain failed: --interface %s conflicts with the network interface CYCLONEDDS_URI "
                  "sets; give the interface in one of them only",
                  settings.networkInterface);
  } else {
    FormatBounded(report, size,
                  "DDS: creating the domain failed: --peer conflicts with the discovery settings in CYCLONEDDS_URI; "
                  "give the peers in one of them only");
  }
  return false;
}

void DdsLink::Close() {
  if (participant_ > 0) dds_delete(participant_);
  if (domain_ > 0) dds_delete(domain_);
  domain_ = participant_ = writer_ = reader_ = waitset_ = readCondition_ = 0;
}

bool DdsLink::Send(const AreaImage& image, char* report, std::size_t size) {
  if (!IsOpen()) {
    FormatBounded(report, size, "DDS: not open");
    return false;
  }
  const uint32_t count = image.count <= AreaImage::kMaxFields ? image.count : AreaImage::kMaxFields;
  for (uint32_t i = 0; i < count; i++) gOutgoing[i] = {image.fields[i].offset, image.fields[i].bits};
  bridge_wire_AreaSample sample{};
  sample.area = image.area;
  sample.fields._maximum = AreaImage::kMaxFields;
  sample.fields._length = count;
  sample.fields._buffer = gOutgoing;
  sample.fields._release = false;
  const dds_return_t rc = dds_write(writer_, &sample);
  if (rc < 0) {
    FormatBounded(report, size, "DDS: writing area %d failed: %s", static_cast<int>(image.area), dds_strretcode(rc));
    return false;
  }
  return true;
}

void DdsLink::Wait(int timeoutUs) {
  if (!IsOpen()) return;
  dds_attach_t triggered;
  dds_waitset_wait(waitset_, &triggered, 1, DDS_USECS(timeoutUs));
}

int DdsLink::Receive(Receiver receive, void* context) {
  if (!IsOpen()) return 0;
  int handed = 0;
  for (;;) {
    void* samples[kTakeBatch] = {};
    dds_sample_info_t infos[kTakeBatch];
    const dds_return_t n = dds_take(reader_, samples, infos, kTakeBatch, kTakeBatch);
    if (n <= 0) break;
    for (int i = 0; i < n; i++) {
      // Samples without data only say that an area's writer went away.
      if (!infos[i].valid_data) continue;
      const auto* sample = static_cast<const bridge_wire_AreaSample*>(samples[i]);
      received_.area = sample->area;
      received_.count = sample->fields._length <= AreaImage::kMaxFields ? sample->fields._length : 0;
      if (received_.count > 0 && sample->fields._buffer == nullptr) received_.count = 0;
      for (uint32_t f = 0; f < received_.count; f++) {
        received_.fields[f] = FieldBits{sample->fields._buffer[f].offset, sample->fields._buffer[f].bits};
      }
      receive(received_, infos[i].publication_handle, context);
      handed++;
    }
    dds_return_loan(reader_, samples, n);
    if (n < kTakeBatch) break;
  }
  return handed;
}

bool DdsLink::ReaderMatched() {
  if (!IsOpen()) return false;
  dds_publication_matched_status_t status;
  return dds_get_publication_matched_status(writer_, &status) == 0 && status.total_count_change > 0;
}

void DdsLink::DescribeWriter(uint64_t writer, char* out, std::size_t size) const {
  FormatBounded(out, size, "%s", "an unknown writer");
  if (!IsOpen()) return;
  dds_builtintopic_endpoint_t* found = dds_get_matched_publication_data(reader_, writer);
  if (found == nullptr) return;
  // The announcement comes from the network: printable characters only.
  char announced[kAnnouncementSize] = {};
  void* data = nullptr;
  std::size_t length = 0;
  if (found->qos != nullptr && dds_qget_userdata(found->qos, &data, &length) && data != nullptr) {
    const auto* bytes = static_cast<const unsigned char*>(data);
    std::size_t n = 0;
    for (; n < length && n + 1 < sizeof announced; n++) {
      announced[n] = bytes[n] >= 0x20 && bytes[n] < 0x7F ? static_cast<char>(bytes[n]) : '?';
    }
    announced[n] = '\0';
  }
  dds_free(data);
  const uint8_t* g = found->key.v;
  char guid[40];
  FormatBounded(guid, sizeof guid, "%02x%02x%02x%02x.%02x%02x%02x%02x.%02x%02x%02x%02x.%02x%02x%02x%02x", g[0], g[1],
                g[2], g[3], g[4], g[5], g[6], g[7], g[8], g[9], g[10], g[11], g[12], g[13], g[14], g[15]);
  if (announced[0] != '\0') {
    FormatBounded(out, size, "'%s' (writer %s)", announced, guid);
  } else {
    FormatBounded(out, size, "writer %s (no announcement)", guid);
  }
  dds_builtintopic_free_endpoint(found);
}
