#include "common/Qx_Remember.h"

#include "common/RevisionString.h"

namespace {
RevisionLines gRevisions("%Z% Qx_Remember QX_P_0511_05 Qx_Remember.cpp $Revision: 1.3 $",
                         "%Z% Qx_Remember QX_P_0511_05 Qx_Remember.h $Revision: 1.1 $");

// Integer arithmetic wraps like the 32-bit registers it models, without
// undefined behaviour on overflow.
int32_t WrappingAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
}  // namespace

Qx_Remember::Qx_Remember() { gRevisions.RegisterOnce(); }

void Qx_Remember::SetBool(bool b) {
  holdsInteger_ = false;
  currentFlag_ = b;
}

void Qx_Remember::SetInt(int32_t n) {
  holdsInteger_ = true;
  currentNumber_ = n;
}

void Qx_Remember::Increment() { Add(1); }

void Qx_Remember::Add(int32_t n) {
  holdsInteger_ = true;
  currentNumber_ = WrappingAdd(currentNumber_, n);
}

void Qx_Remember::CopyBool(const Qx_Remember& other) { currentFlag_ = other.currentFlag_; }

bool Qx_Remember::HasChanged() const {
  return holdsInteger_ ? currentNumber_ != previousNumber_ : currentFlag_ != previousFlag_;
}

int32_t Qx_Remember::Difference() const {
  if (!holdsInteger_) {
    return 0;
  }
  return static_cast<int32_t>(static_cast<uint32_t>(currentNumber_) - static_cast<uint32_t>(previousNumber_));
}

bool Qx_Remember::IsSet() const { return holdsInteger_ ? true : currentFlag_; }

bool Qx_Remember::IsClear() const { return holdsInteger_ ? false : !currentFlag_; }

void Qx_Remember::Acknowledge() {
  if (holdsInteger_) {
    previousNumber_ = currentNumber_;
  } else {
    previousFlag_ = currentFlag_;
  }
}

bool Qx_Remember::ChangedAndAcknowledge() {
  bool changed = HasChanged();
  Acknowledge();
  return changed;
}

bool Qx_Remember::BecameSet(bool acknowledge) {
  bool became = HasChanged() && (holdsInteger_ ? currentNumber_ != 0 : currentFlag_);
  if (acknowledge) {
    Acknowledge();
  }
  return became;
}

bool Qx_Remember::BecameClear(bool acknowledge) {
  bool became = HasChanged() && (holdsInteger_ ? currentNumber_ == 0 : !currentFlag_);
  if (acknowledge) {
    Acknowledge();
  }
  return became;
}

void Qx_Remember::Edges(bool& rising, bool& falling) {
  if (holdsInteger_) {
    rising = false;
    falling = false;
    return;
  }
  rising = currentFlag_ && !previousFlag_;
  falling = previousFlag_ && !currentFlag_;
  Acknowledge();
}
