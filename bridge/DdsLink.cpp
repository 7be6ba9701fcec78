#include "bridge/DdsLink.h"

#include <arpa/inet.h>

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
    ok = ok && Append(out, size, &used,
                      IsIpAddress(settings.networkInterface)
                          ? "<Interfaces><NetworkInterface address=\"%s\"/></Interfaces>"
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

bool DdsLink::Open(const Settings& settings, char* report, std::size_t size) {
  Close();
  static char config[4096];
  if (!ConfigText(settings, config, sizeof config)) {
    FormatBounded(report, size, "the DDS configuration (CYCLONEDDS_URI and options) is too long");
    return false;
  }
  const auto fail = [&](const char* step, dds_return_t rc) {
    FormatBounded(report, size, "DDS: %s failed: %s", step, dds_strretcode(rc));
    Close();
    return false;
  };
  domain_ = dds_create_domain(settings.domain, config);
  if (domain_ < 0) {
    const dds_return_t rc = domain_;
    domain_ = 0;
    return fail("creating the domain", rc);
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
  dds_qset_liveliness(qos, DDS_LIVELINESS_AUTOMATIC, DDS_MSECS(kLeaseMs));
  writer_ = dds_create_writer(participant_, sendTopic, qos, nullptr);
  dds_qset_liveliness(qos, DDS_LIVELINESS_AUTOMATIC, DDS_INFINITY);
  reader_ = dds_create_reader(participant_, receiveTopic, qos, nullptr);
  dds_delete_qos(qos);
  if (writer_ < 0) return fail("creating the writer", writer_);
  if (reader_ < 0) return fail("creating the reader", reader_);

  waitset_ = dds_create_waitset(participant_);
  readCondition_ = dds_create_readcondition(reader_, DDS_ANY_STATE);
  if (waitset_ < 0) return fail("creating the wait set", waitset_);
  if (readCondition_ < 0) return fail("creating the read condition", readCondition_);
  const dds_return_t rc = dds_waitset_attach(waitset_, readCondition_, 0);
  if (rc < 0) return fail("attaching the read condition", rc);
  peerPresent_ = false;
  return true;
}

void DdsLink::Close() {
  if (participant_ > 0) dds_delete(participant_);
  if (domain_ > 0) dds_delete(domain_);
  domain_ = participant_ = writer_ = reader_ = waitset_ = readCondition_ = 0;
  peerPresent_ = false;
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

void DdsLink::Wait(int timeoutMs) {
  if (!IsOpen()) return;
  dds_attach_t triggered;
  dds_waitset_wait(waitset_, &triggered, 1, DDS_MSECS(timeoutMs));
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
      receive(received_, context);
      handed++;
    }
    dds_return_loan(reader_, samples, n);
    if (n < kTakeBatch) break;
  }
  return handed;
}

DdsLink::PeerChange DdsLink::CheckPeer() {
  if (!IsOpen()) return PeerChange::kNone;
  dds_liveliness_changed_status_t status;
  if (dds_get_liveliness_changed_status(reader_, &status) < 0) return PeerChange::kNone;
  const bool present = status.alive_count > 0;
  if (present == peerPresent_) return PeerChange::kNone;
  peerPresent_ = present;
  return present ? PeerChange::kFound : PeerChange::kLost;
}
