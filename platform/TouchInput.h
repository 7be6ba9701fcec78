// Turns the fingers of a touch screen into the mouse events the dialogs
// already understand: a tap is a left click at its point, a finger held or
// dragged holds the left button (so a drag scrolls as the mouse does), and a
// two-finger tap is a right click at the centroid of the two fingers.
//
// A finger's press waits a moment before it becomes a left press, so that a
// second finger arriving in time makes a right click without a stray left
// click first. Coordinates are window pixels of the caller's choosing.
#pragma once

#include <cstdint>

#include "platform/Events.h"

namespace platform {

class TouchInput {
 public:
  // How long a single finger waits for a second one, and how far it may move
  // meanwhile, before it becomes a left press.
  static constexpr uint64_t kSecondFingerMs = 120;
  static constexpr int kMoveSlop = 6;
  static constexpr int kMaxFingers = 10;
  // Some window systems also send the touch as plain pointer events that
  // nothing marks as made from a touch; pointer events this close to a
  // finger are taken for those.
  static constexpr uint64_t kPointerEchoMs = 300;

  // onlyFinger: the device reports this finger as its only one, so fingers
  // still counted here lost their lift (the window lost the touch).
  void FingerDown(int64_t finger, int x, int y, uint64_t nowMs, bool onlyFinger = false);
  void FingerMove(int64_t finger, int x, int y, uint64_t nowMs);
  void FingerUp(int64_t finger, int x, int y, uint64_t nowMs);
  // Makes the waiting press a left press once its moment has passed.
  void Tick(uint64_t nowMs);
  // Milliseconds until Tick has something to do; -1 when nothing waits.
  int64_t MsUntilDue(uint64_t nowMs) const;

  // A finger is on the screen, or one was within kPointerEchoMs.
  bool InUse(uint64_t nowMs) const {
    return fingerCount_ > 0 || (anyFinger_ && nowMs < lastFingerMs_ + kPointerEchoMs);
  }

  // Removes the next mouse event made; false when none is queued.
  bool Next(Event* event);
  bool HasQueued() const { return queued_ > 0; }
  // Forgets every finger and queued event (the window was lost).
  void Reset();

 private:
  enum class State { Idle, Waiting, LeftHeld, RightHeld, Ignoring };

  void Queue(EventType type, MouseButton button, int x, int y);
  void PressLeft();
  int FindFinger(int64_t finger) const;

  State state_ = State::Idle;
  int64_t fingers_[kMaxFingers] = {};
  int fingerCount_ = 0;
  int64_t first_ = 0;       // the finger that drives the left button
  int startX_ = 0;          // where it came down
  int startY_ = 0;
  int rightX_ = 0;          // where the right button went down
  int rightY_ = 0;
  uint64_t dueMs_ = 0;      // when a waiting press becomes a left press
  uint64_t lastFingerMs_ = 0;
  bool anyFinger_ = false;  // lastFingerMs_ is set
  uint32_t window_ = 0;
  // A tap makes two events from one finger lift; a little room to spare.
  static constexpr int kQueueSize = 8;
  Event queue_[kQueueSize];
  int head_ = 0;
  int queued_ = 0;

 public:
  // The window the next events belong to (Event::window).
  void SetWindow(uint32_t window) { window_ = window; }
};

}  // namespace platform
