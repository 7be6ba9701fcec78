#include "rmp/RmpAccumulator.h"

#include "common/RevisionString.h"

namespace {

RevisionLines gRevisions("%Z% RmpAccumulator QX_P_0420_03 RmpAccumulator.cpp $Revision: 1.1 $",
                         "%Z% RmpAccumulator QX_P_0420_03 RmpAccumulator.h $Revision: 1.1 $");

// units truncated toward zero and clamped to min..max; the clamp comes first,
// in double, so that the conversion only ever sees a value inside the bounds.
int32_t ClampedUnits(double units, int32_t min, int32_t max) {
  if (!(units >= double(min))) return min;  // NaN too
  if (units > double(max)) return max;
  return int32_t(units);
}

}  // namespace

void RegisterRmpAccumulatorRevision() { gRevisions.RegisterOnce(); }

void RmpAccumulator::Setup(int32_t maximum, int32_t minimum, int32_t start, double unitsPerShown, bool wraps) {
  max = maximum;
  min = minimum;
  scale = unitsPerShown;
  wrap = wraps;
  SetValue(start);
}

void RmpAccumulator::SetValue(int32_t n) { value = n < min ? min : (n > max ? max : n); }

void RmpAccumulator::SetFromRealScaled(float x) { value = ClampedUnits(double(x) * scale, min, max); }

void RmpAccumulator::SetFromRealRounded(float x) { value = ClampedUnits(double(x) * scale + 0.5, min, max); }

void RmpAccumulator::Accumulate(int32_t delta) {
  // Bounds and steps are the panel's own small numbers; the sum is formed in
  // 64 bits all the same.
  const int64_t next = int64_t(value) + int64_t(delta) * int64_t(step);
  if (!wrap) {
    value = next < min ? min : (next > max ? max : int32_t(next));
    real = float(Real());
    return;
  }
  value = next > max ? min : (next < min ? max : int32_t(next));
}
