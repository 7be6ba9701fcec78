// One standby value of the radio management panel, held in whole units (kHz,
// 0.01 MHz, degrees ...) between its bounds, clamped or wrapping, and turned
// by the tuning knob in steps that the panel sets before every use.
#pragma once

#include <cstdint>

struct RmpAccumulator {
  int32_t max = 0;
  int32_t min = 0;
  int32_t step = 1;    // units per knob step
  int32_t value = 0;   // in units
  float real = 1.0f;   // value / scale as of the last accumulation
  double scale = 1.0;  // units per displayed unit
  bool wrap = false;   // false: clamp at the bounds; true: wrap around

  // Bounds, scale and wrap rule, then the start value.
  void Setup(int32_t maximum, int32_t minimum, int32_t start, double unitsPerShown, bool wraps);
  // value := n clamped to min..max.
  void SetValue(int32_t n);
  // value := x * scale truncated toward zero, then clamped. A value from
  // another process may be anything: NaN gives the minimum, values beyond a
  // bound give that bound, so no out-of-range float reaches the conversion.
  void SetFromRealScaled(float x);
  // value := x * scale + 0.5 truncated, then clamped (same rule for NaN).
  void SetFromRealRounded(float x);
  double Real() const { return value / scale; }
  // value += delta * step; then clamped (and real updated) or wrapped: above
  // the maximum becomes the minimum, below the minimum the maximum.
  void Accumulate(int32_t delta);
};

// Registers this module's identification lines once per process.
void RegisterRmpAccumulatorRevision();
