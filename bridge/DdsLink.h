// The bridge's transport, the only code that knows the DDS middleware
// (Eclipse Cyclone DDS): one participant in the chosen domain, a topic per
// direction with one keyed sample per area, reliable, keeping the last sample
// of each area for a side that joins late (transient-local), and the other
// side's presence from the liveliness of its writer.
#pragma once

#include <cstddef>
#include <cstdint>

#include "bridge/AreaImage.h"

class DdsLink {
 public:
  // How long the other side's writer stays alive without a sign of life.
  static constexpr int kLeaseMs = 1000;
  // Topic names per direction.
  static constexpr const char kSimTopic[] = "tarnel_simulation_fields";
  static constexpr const char kStationTopic[] = "tarnel_station_fields";

  struct Settings {
    uint32_t domain = 0;
    const char* networkInterface = "";  // address or name; "": the middleware's choice
    const char* const* peers = nullptr;  // unicast discovery addresses; none: multicast
    int peerCount = 0;
    const char* sendTopic = kSimTopic;
    const char* receiveTopic = kStationTopic;
  };

  enum class PeerChange { kNone, kFound, kLost };

  DdsLink() = default;
  ~DdsLink() { Close(); }
  DdsLink(const DdsLink&) = delete;
  DdsLink& operator=(const DdsLink&) = delete;

  // Creates the participant, topics, writer and reader. False, with the
  // middleware's reason in report, when it cannot.
  bool Open(const Settings& settings, char* report, std::size_t size);
  // Deletes everything Open created (the other side sees the writer go).
  void Close();
  bool IsOpen() const { return participant_ > 0; }

  // Publishes one area's sample. False, with the reason, when the
  // middleware refuses it.
  bool Send(const AreaImage& image, char* report, std::size_t size);
  // Waits up to timeoutMs, returning as soon as a sample has arrived.
  void Wait(int timeoutMs);
  // Takes every sample that arrived and hands each one to receive (the image
  // is valid during the call only). Returns the number handed on.
  using Receiver = void (*)(const AreaImage& image, void* context);
  int Receive(Receiver receive, void* context);
  // Whether the other side's presence changed since the last call.
  PeerChange CheckPeer();
  bool PeerPresent() const { return peerPresent_; }

  // The configuration text Open hands the middleware for these settings
  // (CYCLONEDDS_URI first when set). False when it does not fit.
  static bool ConfigText(const Settings& settings, char* out, std::size_t size);

 private:
  int32_t domain_ = 0;
  int32_t participant_ = 0;
  int32_t writer_ = 0;
  int32_t reader_ = 0;
  int32_t waitset_ = 0;
  int32_t readCondition_ = 0;
  bool peerPresent_ = false;
  AreaImage received_;
};
