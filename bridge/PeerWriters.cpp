#include "bridge/PeerWriters.h"

#include "common/TextFcns.h"

void PeerWriters::SetIdentity(int slot, const char* text) {
  if (slot < 0 || slot >= kMaxWriters) return;
  CopyBounded(slots_[slot].identity, text[0] != '\0' ? text : "?", kIdentitySize);
}

bool PeerWriters::Arrived(uint64_t writer, int64_t nowMs, Change* change) {
  *change = Change{};
  int slot = -1;
  int freeSlot = -1;
  for (int i = 0; i < kMaxWriters; i++) {
    if (slots_[i].used && slots_[i].writer == writer) slot = i;
    if (!slots_[i].used && freeSlot < 0) freeSlot = i;
  }
  if (slot < 0) {
    if (freeSlot < 0) {
      change->event = Event::kTableFull;
      return false;
    }
    slot = freeSlot;
    slots_[slot] = Slot{};
    slots_[slot].used = true;
    slots_[slot].writer = writer;
    slots_[slot].firstMs = nowMs;
    change->writer = slot;
    if (peer_ < 0) {
      peer_ = slot;
      change->event = Event::kConnected;
    } else {
      change->event = Event::kSecond;
      change->other = peer_;
    }
  }
  slots_[slot].lastMs = nowMs;
  return slot == peer_;
}

bool PeerWriters::Expire(int64_t nowMs, Change* change) {
  *change = Change{};
  if (pendingTakeOver_ >= 0) {
    change->event = Event::kConnected;
    change->writer = pendingTakeOver_;
    change->other = lostPeer_;
    pendingTakeOver_ = -1;
    return true;
  }
  for (int i = 0; i < kMaxWriters; i++) {
    Slot& s = slots_[i];
    if (!s.used || nowMs - s.lastMs <= kLostAfterMs) continue;
    s.used = false;  // the identity stays readable until the slot is reused
    change->writer = i;
    if (i != peer_) {
      change->event = Event::kGone;
      return true;
    }
    change->event = Event::kLost;
    peer_ = -1;
    int next = -1;
    for (int j = 0; j < kMaxWriters; j++) {
      const Slot& o = slots_[j];
      if (o.used && nowMs - o.lastMs <= kLostAfterMs && (next < 0 || o.firstMs < slots_[next].firstMs)) next = j;
    }
    if (next >= 0) {
      peer_ = next;
      pendingTakeOver_ = next;
      lostPeer_ = i;
    }
    return true;
  }
  return false;
}
