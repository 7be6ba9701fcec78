// Change detector: a value with its last acknowledged value, so that a change
// is acted on once. Tracks either a boolean or an integer pair.
#pragma once

#include <cstdint>

class Qx_Remember {
 public:
  Qx_Remember();
  void SetBool(bool b);
  void SetInt(int32_t n);
  void Increment();
  void Add(int32_t n);
  void CopyBool(const Qx_Remember& other);

  bool GetBool() const { return currentFlag_; }
  int32_t GetInt() const { return currentNumber_; }
  bool HoldsInteger() const { return holdsInteger_; }
  bool HasChanged() const;
  int32_t Difference() const;
  bool IsSet() const;
  bool IsClear() const;

  void Acknowledge();
  bool ChangedAndAcknowledge();
  bool BecameSet(bool acknowledge = true);
  bool BecameClear(bool acknowledge = true);
  void Edges(bool& rising, bool& falling);

 private:
  bool holdsInteger_ = false;
  bool currentFlag_ = false;
  bool previousFlag_ = false;
  int32_t currentNumber_ = -1;
  int32_t previousNumber_ = -1;
};
