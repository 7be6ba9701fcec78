// Pointer events from the browsers on their way into the station's loop:
// server threads push, the loop drains once per iteration. Fixed capacity,
// guarded by a lock held only to copy an event in or out.
#pragma once

#include <cstdint>
#include <mutex>

namespace web {

enum class PointerAction : uint8_t { Down, Up, Move, RightDown, RightUp };

struct PointerEvent {
  PointerAction action = PointerAction::Move;
  // The browser's session: slot and the generation that slot had, so that a
  // reply never reaches a later browser in the same slot.
  uint8_t client = 0;
  uint32_t generation = 0;
  // Picture pixels.
  int16_t x = 0;
  int16_t y = 0;
};

class PointerQueue {
 public:
  static constexpr int kCapacity = 256;

  // False when the queue is full (the event is not queued).
  bool Push(const PointerEvent& event);
  // Moves up to capacity events, oldest first, into out; returns how many.
  int Drain(PointerEvent* out, int capacity);
  int Count() const;

 private:
  mutable std::mutex lock_;
  PointerEvent events_[kCapacity];
  int head_ = 0;
  int count_ = 0;
};

}  // namespace web
