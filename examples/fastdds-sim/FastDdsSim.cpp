// A small simulation side on eProsima Fast DDS that talks to the station's
// bridge (tarnel-bridge --role station) by the DDS interface alone: it
// subscribes to the fields the station writes, prints each button change by
// name, and lights the lower lamp of each button that is pushed in.
//
// It is a starting point for a simulation team; the rules it follows are in
// docs/dds-interface.md:
// - one keyed sample per area and direction, holding every field of the area
//   whose writer is on the sending side; re-sent at least once a second;
// - reliable, transient-local, keep-last 1, at least 32 instances, a short
//   heartbeat, no type object;
// - the other side is lost when no sample of any area has come from its
//   writer for 3 s; a second writer of the same role is ignored until then.
//
// The field names come from `tarnel-shm describe --csv` (one row per field:
// area, layout, unit, offset, width, type, writer, name, meaning). Which
// areas, layouts and units the station runs is learnt from its samples: the
// area id of a sample, and the rows its offsets belong to.
#include <arpa/inet.h>
#include <fastdds/rtps/transport/UDPv4TransportDescriptor.h>
#include <fastrtps/utils/IPLocator.h>
#include <signal.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fastdds/dds/domain/DomainParticipant.hpp>
#include <fastdds/dds/domain/DomainParticipantFactory.hpp>
#include <fastdds/dds/publisher/DataWriter.hpp>
#include <fastdds/dds/publisher/Publisher.hpp>
#include <fastdds/dds/subscriber/DataReader.hpp>
#include <fastdds/dds/subscriber/SampleInfo.hpp>
#include <fastdds/dds/subscriber/Subscriber.hpp>
#include <fastdds/dds/topic/TypeSupport.hpp>
#include <memory>

#include "BridgeWire.h"
#include "BridgeWirePubSubTypes.h"

namespace {

using namespace eprosima::fastdds::dds;
using eprosima::fastrtps::rtps::IPLocator;
using eprosima::fastrtps::rtps::Locator_t;

// The interface's topic names (one per direction) and the rules' numbers.
constexpr const char kStationTopic[] = "tarnel_station_fields";
constexpr const char kSimTopic[] = "tarnel_simulation_fields";
constexpr int64_t kRepeatMs = 500;  // at least once a second
constexpr int64_t kLostAfterMs = 3000;
constexpr uint32_t kMaxFieldsPerSample = 512;
constexpr int kMaxInstances = 32;

constexpr int kMaxRows = 4096;
constexpr int kMaxGroups = 128;
constexpr int kMaxAreas = 64;
constexpr int kMaxPeers = 8;

volatile sig_atomic_t gStop = 0;
void OnSignal(int) { gStop = 1; }

int64_t NowMs() {
  timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return int64_t(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

// ------------------------------------------------------------ field list

struct Row {
  char name[96];
  uint32_t offset;
  uint8_t width;
  bool fromStation;  // the station writes it; else the simulation
  int group;         // (area name, layout, unit)
  int lamp = -1;     // for a button's position: the row of its lower lamp
  uint32_t value = 0;
};

struct Group {
  char key[96];  // area name, layout and unit, as describe prints them
  char area[32];
};

Row gRows[kMaxRows];
int gRowCount = 0;
Group gGroups[kMaxGroups];
int gGroupCount = 0;

// Splits one CSV line into cells (quoted cells may hold commas and "").
int SplitCsv(char* line, char** cells, int capacity) {
  int count = 0;
  char* p = line;
  while (count < capacity) {
    char* out = p;
    cells[count++] = out;
    if (*p == '"') {
      p++;
      while (*p != '\0' && !(*p == '"' && p[1] != '"')) {
        if (*p == '"') p++;
        *out++ = *p++;
      }
      if (*p == '"') p++;
    } else {
      while (*p != '\0' && *p != ',' && *p != '\n' && *p != '\r') *out++ = *p++;
    }
    const char end = *p;
    *out = '\0';
    if (end != ',') break;
    p++;
  }
  return count;
}

bool EndsWith(const char* text, const char* tail) {
  const size_t a = std::strlen(text);
  const size_t b = std::strlen(tail);
  return a >= b && std::strcmp(text + a - b, tail) == 0;
}

// Reads describe's CSV; false, with the reason printed, when it cannot.
bool LoadFields(const char* path) {
  std::FILE* f = std::fopen(path, "r");
  if (f == nullptr) {
    std::fprintf(stderr, "fastdds-sim: cannot read %s\n", path);
    return false;
  }
  enum { kArea, kLayout, kUnit, kOffset, kWidth, kWriter, kName, kColumns };
  const char* names[kColumns] = {"area", "layout", "unit", "offset", "width", "writer", "name"};
  int column[kColumns];
  for (int& c : column) c = -1;
  char line[2048];
  char* cells[32];
  bool header = true;
  while (std::fgets(line, sizeof line, f) != nullptr) {
    const int n = SplitCsv(line, cells, 32);
    if (header) {
      for (int i = 0; i < n; i++) {
        for (int c = 0; c < kColumns; c++) {
          if (std::strcmp(cells[i], names[c]) == 0) column[c] = i;
        }
      }
      header = false;
      for (int c = 0; c < kColumns; c++) {
        if (column[c] < 0) {
          std::fprintf(stderr, "fastdds-sim: %s has no column '%s'\n", path, names[c]);
          std::fclose(f);
          return false;
        }
      }
      continue;
    }
    bool complete = true;
    for (int c = 0; c < kColumns; c++) complete = complete && column[c] < n;
    if (!complete || gRowCount >= kMaxRows) continue;
    Row& row = gRows[gRowCount];
    char key[96];
    std::snprintf(key, sizeof key, "%s/%s/%s", cells[column[kArea]], cells[column[kLayout]], cells[column[kUnit]]);
    int g = 0;
    while (g < gGroupCount && std::strcmp(gGroups[g].key, key) != 0) g++;
    if (g == gGroupCount) {
      if (gGroupCount >= kMaxGroups) continue;
      std::snprintf(gGroups[g].key, sizeof gGroups[g].key, "%s", key);
      std::snprintf(gGroups[g].area, sizeof gGroups[g].area, "%s", cells[column[kArea]]);
      gGroupCount++;
    }
    std::snprintf(row.name, sizeof row.name, "%s", cells[column[kName]]);
    row.offset = static_cast<uint32_t>(std::strtoul(cells[column[kOffset]], nullptr, 0));
    row.width = static_cast<uint8_t>(std::atoi(cells[column[kWidth]]));
    row.fromStation = std::strcmp(cells[column[kWriter]], "station") == 0;
    row.group = g;
    gRowCount++;
  }
  std::fclose(f);
  // A button "X position" and its lamp "X lower lamp", in the same group.
  for (int i = 0; i < gRowCount; i++) {
    Row& button = gRows[i];
    if (!button.fromStation || !EndsWith(button.name, " position")) continue;
    const size_t stem = std::strlen(button.name) - std::strlen(" position");
    for (int j = 0; j < gRowCount; j++) {
      const Row& lamp = gRows[j];
      if (!lamp.fromStation && lamp.group == button.group && std::strncmp(lamp.name, button.name, stem) == 0 &&
          std::strcmp(lamp.name + stem, " lower lamp") == 0) {
        button.lamp = j;
      }
    }
  }
  std::fprintf(stderr, "fastdds-sim: %d fields in %d areas/layouts/units from %s\n", gRowCount, gGroupCount, path);
  return gRowCount > 0;
}

int FindRow(uint32_t offset) {
  for (int i = 0; i < gRowCount; i++) {
    if (gRows[i].offset == offset) return i;
  }
  return -1;
}

// ------------------------------------------------------------- areas

// An area the station sends: its id, the group its fields belong to, and
// the sample this side sends for it (every simulation field of the group).
struct Area {
  int32_t id = 0;
  int group = -1;
  bool changed = true;
  int64_t sentAtMs = 0;
  bridge_wire::AreaSample sample;
};

Area gAreas[kMaxAreas];
int gAreaCount = 0;

Area* LearnArea(int32_t id, int group) {
  for (int i = 0; i < gAreaCount; i++) {
    if (gAreas[i].id == id) return &gAreas[i];
  }
  if (gAreaCount >= kMaxAreas) return nullptr;
  Area& area = gAreas[gAreaCount++];
  area.id = id;
  area.group = group;
  area.sample.area(id);
  area.sample.fields().reserve(kMaxFieldsPerSample);
  for (int i = 0; i < gRowCount; i++) {
    if (gRows[i].group != group || gRows[i].fromStation || area.sample.fields().size() >= kMaxFieldsPerSample) continue;
    bridge_wire::FieldValue field;
    field.offset(gRows[i].offset);
    field.bits(0);
    area.sample.fields().push_back(field);
  }
  return &area;
}

// Applies one station sample: prints button changes and sets their lamps.
void ApplyStationSample(const bridge_wire::AreaSample& sample) {
  Area* area = nullptr;
  for (const bridge_wire::FieldValue& field : sample.fields()) {
    const int r = FindRow(field.offset());
    if (r < 0 || !gRows[r].fromStation) continue;  // not a station field this list knows
    if (area == nullptr) area = LearnArea(sample.area(), gRows[r].group);
    if (area == nullptr || gRows[r].group != area->group) continue;
    Row& row = gRows[r];
    if (row.value == field.bits()) continue;
    if (EndsWith(row.name, " position")) {
      std::printf("fastdds-sim: %s %s: %s\n", gGroups[row.group].area, row.name, field.bits() != 0 ? "in" : "out");
    }
    row.value = field.bits();
    if (row.lamp >= 0) {
      const uint32_t lit = row.value != 0 ? 1 : 0;
      for (bridge_wire::FieldValue& out : area->sample.fields()) {
        if (out.offset() == gRows[row.lamp].offset && out.bits() != lit) {
          out.bits(lit);
          area->changed = true;
        }
      }
    }
  }
  std::fflush(stdout);
}

// ---------------------------------------------------------------- main

bool ParseArgs(int argc, char** argv, const char** fieldsPath, int* domain, const char** peers, int* peerCount) {
  for (int i = 1; i + 1 < argc; i += 2) {
    if (std::strcmp(argv[i], "--fields") == 0) {
      *fieldsPath = argv[i + 1];
    } else if (std::strcmp(argv[i], "--domain") == 0) {
      *domain = std::atoi(argv[i + 1]);
    } else if (std::strcmp(argv[i], "--peer") == 0 && *peerCount < kMaxPeers) {
      unsigned char address[4];
      if (inet_pton(AF_INET, argv[i + 1], address) != 1) return false;
      peers[(*peerCount)++] = argv[i + 1];
    } else {
      return false;
    }
  }
  return argc % 2 == 1 && *fieldsPath != nullptr && *domain >= 0 && *domain <= 232;
}

}  // namespace

int main(int argc, char** argv) {
  const char* fieldsPath = nullptr;
  int domain = 0;
  const char* peers[kMaxPeers];
  int peerCount = 0;
  if (!ParseArgs(argc, argv, &fieldsPath, &domain, peers, &peerCount)) {
    std::fprintf(stderr,
                 "usage: tarnel-fastdds-sim --fields FIELDS.csv [--domain N] [--peer IPV4]...\n"
                 "FIELDS.csv: the output of `tarnel-shm describe --csv`. With --peer, discovery is by unicast to\n"
                 "those addresses over loopback and the addresses' interfaces only; without, by multicast.\n");
    return 2;
  }
  if (!LoadFields(fieldsPath)) return 1;
  signal(SIGINT, OnSignal);
  signal(SIGTERM, OnSignal);

  DomainParticipantQos pqos = PARTICIPANT_QOS_DEFAULT;
  pqos.name("tarnel-fastdds-sim");
  // A lost participant is noticed in 3 s, though loss is judged by samples.
  pqos.wire_protocol().builtin.discovery_config.leaseDuration = eprosima::fastrtps::Duration_t(3, 0);
  pqos.wire_protocol().builtin.discovery_config.leaseDuration_announcementperiod = eprosima::fastrtps::Duration_t(1, 0);
  if (peerCount > 0) {
    // Unicast discovery: the peers' well-known ports, on their interfaces.
    auto udp = std::make_shared<eprosima::fastdds::rtps::UDPv4TransportDescriptor>();
    pqos.transport().use_builtin_transports = false;
    for (int i = 0; i < peerCount; i++) {
      Locator_t locator;
      locator.kind = LOCATOR_KIND_UDPv4;
      IPLocator::setIPv4(locator, peers[i]);
      pqos.wire_protocol().builtin.initialPeersList.push_back(locator);
      udp->interfaceWhiteList.emplace_back(peers[i]);
    }
    pqos.transport().user_transports.push_back(udp);
  }
  DomainParticipant* participant = DomainParticipantFactory::get_instance()->create_participant(domain, pqos);
  if (participant == nullptr) {
    std::fprintf(stderr, "fastdds-sim: creating the participant failed\n");
    return 1;
  }
  // Plain type support: no type object (the bridge refuses Fast DDS's).
  TypeSupport type(new bridge_wire::AreaSamplePubSubType());
  type->auto_fill_type_object(false);
  type->auto_fill_type_information(false);
  type.register_type(participant);
  Topic* stationTopic = participant->create_topic(kStationTopic, type.get_type_name(), TOPIC_QOS_DEFAULT);
  Topic* simTopic = participant->create_topic(kSimTopic, type.get_type_name(), TOPIC_QOS_DEFAULT);
  Subscriber* subscriber = participant->create_subscriber(SUBSCRIBER_QOS_DEFAULT);
  Publisher* publisher = participant->create_publisher(PUBLISHER_QOS_DEFAULT);

  DataReaderQos rqos = DATAREADER_QOS_DEFAULT;
  rqos.reliability().kind = RELIABLE_RELIABILITY_QOS;
  rqos.durability().kind = TRANSIENT_LOCAL_DURABILITY_QOS;
  rqos.history().kind = KEEP_LAST_HISTORY_QOS;
  rqos.history().depth = 1;
  rqos.resource_limits().max_instances = kMaxInstances;
  rqos.resource_limits().max_samples_per_instance = 1;
  rqos.resource_limits().max_samples = kMaxInstances;
  DataWriterQos wqos = DATAWRITER_QOS_DEFAULT;
  wqos.reliability().kind = RELIABLE_RELIABILITY_QOS;
  wqos.durability().kind = TRANSIENT_LOCAL_DURABILITY_QOS;
  wqos.history().kind = KEEP_LAST_HISTORY_QOS;
  wqos.history().depth = 1;
  wqos.resource_limits().max_instances = kMaxInstances;
  wqos.resource_limits().max_samples_per_instance = 1;
  wqos.resource_limits().max_samples = kMaxInstances;
  wqos.reliable_writer_qos().times.heartbeatPeriod = eprosima::fastrtps::Duration_t(0, 100000000);  // 100 ms
  wqos.liveliness().kind = AUTOMATIC_LIVELINESS_QOS;
  wqos.liveliness().lease_duration = eprosima::fastrtps::Duration_t(1, 0);
  wqos.liveliness().announcement_period = eprosima::fastrtps::Duration_t(0, 500000000);
  DataReader* reader =
      stationTopic != nullptr && subscriber != nullptr ? subscriber->create_datareader(stationTopic, rqos) : nullptr;
  DataWriter* writer =
      simTopic != nullptr && publisher != nullptr ? publisher->create_datawriter(simTopic, wqos) : nullptr;
  if (reader == nullptr || writer == nullptr) {
    std::fprintf(stderr, "fastdds-sim: creating the reader or writer failed\n");
    return 1;
  }
  std::printf("fastdds-sim: running in DDS domain %d\n", domain);
  std::fflush(stdout);

  // The station's writer: the first one heard; others are ignored until it
  // is lost (no sample for kLostAfterMs).
  InstanceHandle_t peer;
  bool peerPresent = false;
  int64_t peerHeardMs = 0;
  bool secondReported = false;
  bridge_wire::AreaSample in;
  in.fields().reserve(kMaxFieldsPerSample);
  SampleInfo info;
  while (gStop == 0) {
    reader->wait_for_unread_message(eprosima::fastrtps::Duration_t(0, 20000000));
    const int64_t now = NowMs();
    while (reader->take_next_sample(&in, &info) == ReturnCode_t::RETCODE_OK) {
      if (!info.valid_data) continue;
      if (!peerPresent) {
        peer = info.publication_handle;
        peerPresent = true;
        std::printf("fastdds-sim: the station side is connected\n");
      } else if (info.publication_handle != peer) {
        if (!secondReported) std::printf("fastdds-sim: a second station side is ignored while the first is heard\n");
        secondReported = true;
        continue;
      }
      peerHeardMs = now;
      ApplyStationSample(in);
    }
    if (peerPresent && now - peerHeardMs > kLostAfterMs) {
      peerPresent = false;
      std::printf("fastdds-sim: lost the station side: no sample for %d s\n", int(kLostAfterMs / 1000));
      std::fflush(stdout);
    }
    for (int i = 0; i < gAreaCount; i++) {
      Area& area = gAreas[i];
      if (!area.changed && now - area.sentAtMs < kRepeatMs) continue;
      if (writer->write(&area.sample)) {
        area.changed = false;
        area.sentAtMs = now;
      }
    }
  }
  participant->delete_contained_entities();
  DomainParticipantFactory::get_instance()->delete_participant(participant);
  std::printf("fastdds-sim: stopped\n");
  return 0;
}
