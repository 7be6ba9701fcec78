#include "platform/TouchInput.h"

namespace platform {

namespace {

int Distance(int ax, int ay, int bx, int by) {
  const int dx = ax > bx ? ax - bx : bx - ax;
  const int dy = ay > by ? ay - by : by - ay;
  return dx > dy ? dx : dy;
}

}  // namespace

void TouchInput::Queue(EventType type, MouseButton button, int x, int y) {
  if (queued_ == kQueueSize) {
    return;  // cannot happen with at most two events per finger event
  }
  Event& event = queue_[(head_ + queued_) % kQueueSize];
  event = Event{};
  event.type = type;
  event.window = window_;
  event.button = button;
  event.x = x;
  event.y = y;
  queued_++;
}

bool TouchInput::Next(Event* event) {
  if (queued_ == 0) {
    return false;
  }
  if (event != nullptr) {
    *event = queue_[head_];
  }
  head_ = (head_ + 1) % kQueueSize;
  queued_--;
  return true;
}

void TouchInput::Reset() {
  state_ = State::Idle;
  anyFinger_ = false;
  fingerCount_ = 0;
  queued_ = 0;
  head_ = 0;
}

int TouchInput::FindFinger(int64_t finger) const {
  for (int i = 0; i < fingerCount_; i++) {
    if (fingers_[i] == finger) {
      return i;
    }
  }
  return -1;
}

void TouchInput::PressLeft() {
  Queue(EventType::MouseDown, MouseButton::Left, startX_, startY_);
  state_ = State::LeftHeld;
}

void TouchInput::FingerDown(int64_t finger, int x, int y, uint64_t nowMs, bool onlyFinger) {
  lastFingerMs_ = nowMs;
  anyFinger_ = true;
  if (onlyFinger && fingerCount_ > 0) {
    // Release what the lost fingers held, then start afresh.
    if (state_ == State::LeftHeld) {
      Queue(EventType::MouseUp, MouseButton::Left, startX_, startY_);
    } else if (state_ == State::RightHeld) {
      Queue(EventType::MouseUp, MouseButton::Right, rightX_, rightY_);
    }
    state_ = State::Idle;
    fingerCount_ = 0;
  }
  if (FindFinger(finger) < 0 && fingerCount_ < kMaxFingers) {
    fingers_[fingerCount_++] = finger;
  }
  switch (state_) {
    case State::Idle:
      state_ = State::Waiting;
      first_ = finger;
      startX_ = x;
      startY_ = y;
      dueMs_ = nowMs + kSecondFingerMs;
      break;
    case State::Waiting:
      if (finger != first_) {
        // Two fingers together: the right button at their centroid.
        rightX_ = (startX_ + x) / 2;
        rightY_ = (startY_ + y) / 2;
        Queue(EventType::MouseDown, MouseButton::Right, rightX_, rightY_);
        state_ = State::RightHeld;
      }
      break;
    case State::LeftHeld:
    case State::RightHeld:
    case State::Ignoring:
      break;  // further fingers change nothing
  }
}

void TouchInput::FingerMove(int64_t finger, int x, int y, uint64_t nowMs) {
  lastFingerMs_ = nowMs;
  Tick(nowMs);
  if (finger != first_) {
    return;
  }
  if (state_ == State::Waiting && Distance(x, y, startX_, startY_) > kMoveSlop) {
    PressLeft();
  }
  if (state_ == State::LeftHeld) {
    Queue(EventType::MouseMove, MouseButton::Other, x, y);
  }
}

void TouchInput::FingerUp(int64_t finger, int x, int y, uint64_t nowMs) {
  lastFingerMs_ = nowMs;
  anyFinger_ = true;
  Tick(nowMs);
  const int index = FindFinger(finger);
  if (index >= 0) {
    fingers_[index] = fingers_[--fingerCount_];
  }
  switch (state_) {
    case State::Idle:
    case State::Ignoring:
      break;
    case State::Waiting:
      if (finger == first_) {
        // A tap: a click where the finger came down.
        PressLeft();
        Queue(EventType::MouseUp, MouseButton::Left, startX_, startY_);
        state_ = State::Ignoring;
      }
      break;
    case State::LeftHeld:
      if (finger == first_) {
        Queue(EventType::MouseUp, MouseButton::Left, x, y);
        state_ = State::Ignoring;
      }
      break;
    case State::RightHeld:
      // The first of the two fingers to lift ends the right click.
      Queue(EventType::MouseUp, MouseButton::Right, rightX_, rightY_);
      state_ = State::Ignoring;
      break;
  }
  if (state_ == State::Ignoring && fingerCount_ == 0) {
    state_ = State::Idle;
  }
}

void TouchInput::Tick(uint64_t nowMs) {
  if (state_ == State::Waiting && nowMs >= dueMs_) {
    PressLeft();
  }
}

int64_t TouchInput::MsUntilDue(uint64_t nowMs) const {
  if (state_ != State::Waiting) {
    return -1;
  }
  return nowMs >= dueMs_ ? 0 : static_cast<int64_t>(dueMs_ - nowMs);
}

}  // namespace platform
