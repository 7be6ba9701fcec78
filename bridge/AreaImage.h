// One area's fields of one direction as they cross between the two sides:
// the transport-neutral form of a bridge sample (DdsLink converts it).
#pragma once

#include <cstdint>

struct FieldBits {
  uint32_t offset = 0;  // from the start of the generic area
  uint32_t bits = 0;    // the field's value, zero-extended to 32 bits
};

struct AreaImage {
  // The most fields one sample carries (the wire type's bound).
  static constexpr uint32_t kMaxFields = 512;
  int32_t area = 0;  // a panel's id; 0: the area-wide fields
  uint32_t count = 0;
  FieldBits fields[kMaxFields];
};
