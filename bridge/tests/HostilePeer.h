// A participant of its own on loopback that writes the bridge's topics with
// an unbounded sample under the bridge's type name: unknown areas, more
// fields than a sample may carry, floods. For the hostile-peer tests and the
// key-flood benchmark.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "HostileWire.h"
#include "bridge/DdsLink.h"
#include "dds/dds.h"

namespace bridge_test {

class HostilePeer {
 public:
  HostilePeer() = default;
  ~HostilePeer() {
    if (participant_ > 0) dds_delete(participant_);
    if (domain_ > 0) dds_delete(domain_);
  }
  HostilePeer(const HostilePeer&) = delete;
  HostilePeer& operator=(const HostilePeer&) = delete;

  // xcdr2: write the second version of the encoding (the bridge writes the
  // first, and reads both).
  bool Open(uint32_t domain, const char* topic, bool xcdr2 = false) {
    const char* peers[] = {"127.0.0.1"};
    DdsLink::Settings settings;
    settings.domain = domain;
    settings.networkInterface = "127.0.0.1";
    settings.peers = peers;
    settings.peerCount = 1;
    char config[1024];
    if (!DdsLink::ConfigText(settings, config, sizeof config)) return false;
    domain_ = dds_create_domain(domain, config);
    participant_ = dds_create_participant(domain, nullptr, nullptr);
    if (domain_ < 0 || participant_ < 0) return false;
    // The bridge's type name, with no type information to compare: matched
    // by name, as a peer from another vendor may be.
    static const dds_topic_descriptor_t descriptor = {
        hostile_wire_AreaSample_desc.m_size,
        hostile_wire_AreaSample_desc.m_align,
        hostile_wire_AreaSample_desc.m_flagset & ~uint32_t(DDS_TOPIC_XTYPES_METADATA),
        hostile_wire_AreaSample_desc.m_nkeys,
        "bridge_wire::AreaSample",
        hostile_wire_AreaSample_desc.m_keys,
        hostile_wire_AreaSample_desc.m_nops,
        hostile_wire_AreaSample_desc.m_ops,
        hostile_wire_AreaSample_desc.m_meta,
        {nullptr, 0},
        {nullptr, 0},
        0};
    dds_qos_t* qos = dds_create_qos();
    dds_qset_reliability(qos, DDS_RELIABILITY_RELIABLE, DDS_MSECS(100));
    dds_qset_history(qos, DDS_HISTORY_KEEP_LAST, 1);
    dds_qset_durability(qos, DDS_DURABILITY_TRANSIENT_LOCAL);  // as the bridge's reader asks
    const dds_data_representation_id_t representation =
        xcdr2 ? DDS_DATA_REPRESENTATION_XCDR2 : DDS_DATA_REPRESENTATION_XCDR1;
    dds_qset_data_representation(qos, 1, &representation);
    const dds_entity_t t = dds_create_topic(participant_, &descriptor, topic, qos, nullptr);
    writer_ = t < 0 ? t : dds_create_writer(participant_, t, qos, nullptr);
    dds_delete_qos(qos);
    return writer_ > 0;
  }

  // Waits until a reader of the topic has matched.
  bool WaitMatched(int timeoutMs) {
    for (int waited = 0; waited < timeoutMs; waited += 10) {
      dds_publication_matched_status_t status;
      if (dds_get_publication_matched_status(writer_, &status) == 0 && status.current_count > 0) return true;
      dds_sleepfor(DDS_MSECS(10));
    }
    return false;
  }

  // Writes area with count copies of (offset, bits); forget: unregister the
  // instance at once, so that this side keeps nothing of it.
  bool Write(int32_t area, uint32_t count, uint32_t offset, uint32_t bits, bool forget = false) {
    if (fields_.size() < count) fields_.resize(count);
    for (uint32_t i = 0; i < count; i++) fields_[i] = {offset, bits};
    hostile_wire_AreaSample sample{};
    sample.area = area;
    sample.fields._maximum = count;
    sample.fields._length = count;
    sample.fields._buffer = fields_.data();
    sample.fields._release = false;
    if (dds_write(writer_, &sample) < 0) return false;
    return !forget || dds_unregister_instance(writer_, &sample) == 0;
  }

 private:
  dds_entity_t domain_ = 0;
  dds_entity_t participant_ = 0;
  dds_entity_t writer_ = 0;
  std::vector<hostile_wire_FieldValue> fields_;
};

}  // namespace bridge_test
