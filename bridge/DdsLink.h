// The bridge's transport, the only code that knows the DDS middleware
// (Eclipse Cyclone DDS): one participant in the chosen domain, a topic per
// direction with one keyed sample per area, reliable, keeping the last sample
// of each area for a side that joins late (transient-local). Samples of
// areas this side does not know are dropped before the middleware keeps
// anything for them, and the reader keeps at most one instance per known
// area. Each writer announces itself in its user data (see Announcement);
// the other side's presence is judged from its samples (PeerWriters), not
// from the middleware's liveliness.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "bridge/AreaImage.h"

class DdsLink {
 public:
  // How long the other side's writer stays alive without a sign of life.
  static constexpr int kLeaseMs = 1000;
  // The most areas the reader keeps an instance for.
  static constexpr int kMaxAreas = 64;
  // Samples kept per area until taken (more than one writer may write an area).
  static constexpr int kSamplesPerArea = 4;
  static constexpr std::size_t kAnnouncementSize = 96;
  // Topic names per direction.
  static constexpr const char kSimTopic[] = "tarnel_simulation_fields";
  static constexpr const char kStationTopic[] = "tarnel_station_fields";

  struct Settings {
    uint32_t domain = 0;
    const char* networkInterface = "";   // address or name; "": the middleware's choice
    const char* const* peers = nullptr;  // unicast discovery addresses; none: multicast
    int peerCount = 0;
    const char* sendTopic = kSimTopic;
    const char* receiveTopic = kStationTopic;
    // The areas the other side may send (others are dropped and counted).
    const int32_t* areas = nullptr;
    int areaCount = 0;
    // This writer's user data: "tarnel-bridge role=R instance=HEX".
    const char* announcement = "";
    // Where the middleware's own warnings and errors go (site: a number for
    // the place in the middleware that raised it); null: standard error.
    void (*middlewareLog)(uint32_t site, const char* text, void* context) = nullptr;
    void* logContext = nullptr;
  };

  DdsLink() = default;
  ~DdsLink() { Close(); }
  DdsLink(const DdsLink&) = delete;
  DdsLink& operator=(const DdsLink&) = delete;

  // Checks that every unicast peer is an address or a name that resolves.
  // False, with the peer and the resolver's reason in report, when not.
  static bool CheckPeers(const Settings& settings, char* report, std::size_t size);
  // Creates the participant, topics, writer and reader. False, with the
  // middleware's reason in report, when it cannot (naming the setting that
  // conflicts with CYCLONEDDS_URI when that is why).
  bool Open(const Settings& settings, char* report, std::size_t size);
  // Deletes everything Open created (the other side sees the writer go).
  void Close();
  bool IsOpen() const { return participant_ > 0; }

  // Publishes one area's sample. False, with the reason, when the
  // middleware refuses it.
  bool Send(const AreaImage& image, char* report, std::size_t size);
  // Waits up to timeoutUs microseconds, returning as soon as a sample has
  // arrived.
  void Wait(int timeoutUs);
  // Takes every sample that arrived and hands each one to receive with its
  // writer's handle (the image is valid during the call only). Returns the
  // number handed on.
  using Receiver = void (*)(const AreaImage& image, uint64_t writer, void* context);
  int Receive(Receiver receive, void* context);
  // Whether a reader of the other side matched this side's writer since the
  // last call (it is then sent everything at once, not only what its
  // middleware fetches from the writer's history).
  bool ReaderMatched();
  // Describes a writer Receive named: its announcement when it made one, and
  // its network identity.
  void DescribeWriter(uint64_t writer, char* out, std::size_t size) const;
  // Samples of unknown areas dropped since the last call; *lastArea: the
  // last such area id.
  long TakeUnknownAreas(int32_t* lastArea);

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
  AreaImage received_;
  // Read by the middleware's receive thread through the topic filter.
  int32_t areas_[kMaxAreas] = {};
  int areaCount_ = 0;
  std::atomic<long> droppedUnknown_{0};
  std::atomic<int32_t> lastUnknown_{0};
  static bool KnownArea(const void* sample, void* self);
  static bool ExplainDomainFailure(const Settings& settings, int rc, char* report, std::size_t size);
};
