// The other side's writers, told apart by the transport's writer handle and
// known only from the samples they send, so that losing the other side does
// not depend on the middleware's liveliness:
// - the first writer heard while no other is live is the peer; its samples
//   are applied;
// - a writer heard while the peer is live is a second side of the same role:
//   it is reported once and its samples are ignored until the peer is lost;
// - a writer silent for kLostAfterMs is lost (every side repeats each area
//   at least once a second); when the peer is lost, the longest-heard live
//   writer, if any, becomes the peer.
#pragma once

#include <cstddef>
#include <cstdint>

class PeerWriters {
 public:
  static constexpr int64_t kLostAfterMs = 3000;
  static constexpr int kMaxWriters = 8;
  static constexpr std::size_t kIdentitySize = 160;

  enum class Event {
    kNone,
    kConnected,  // writer became the peer (other: the lost peer it replaces, or -1)
    kSecond,     // writer is a second side of the same role; other: the peer
    kLost,       // writer, the peer, fell silent
    kGone,       // writer, an ignored second side, fell silent
    kTableFull,  // more writers than tracked: the sample is ignored
  };
  struct Change {
    Event event = Event::kNone;
    int writer = -1;  // slot, for Identity
    int other = -1;
  };

  // A sample from writer arrived at nowMs. True when it comes from the peer
  // and is to be applied; change says what this sample revealed. A new
  // writer's slot has an empty identity: the caller fills it (SetIdentity).
  bool Arrived(uint64_t writer, int64_t nowMs, Change* change);
  // The next writer that fell silent by nowMs (and the writer that takes
  // over, as a second change, when the peer is among them). False when none.
  bool Expire(int64_t nowMs, Change* change);

  bool PeerPresent() const { return peer_ >= 0; }
  const char* Identity(int slot) const { return slot >= 0 && slot < kMaxWriters ? slots_[slot].identity : ""; }
  void SetIdentity(int slot, const char* text);
  bool IsNew(int slot) const { return slot >= 0 && slot < kMaxWriters && slots_[slot].identity[0] == '\0'; }

 private:
  struct Slot {
    bool used = false;
    uint64_t writer = 0;
    int64_t firstMs = 0;
    int64_t lastMs = 0;
    char identity[kIdentitySize] = {};
  };
  Slot slots_[kMaxWriters];
  int peer_ = -1;
  int pendingTakeOver_ = -1;  // a new peer to announce after a loss
  int lostPeer_ = -1;
};
