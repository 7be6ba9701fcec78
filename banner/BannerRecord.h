// The start-up banner record in the generic simulation area: written by the
// starting program, read by the banner program. Offsets from the area's start.
#pragma once

#include <cstdint>

namespace banner_record {

constexpr uint32_t kProgramName = 0x0EE0;  // 50 bytes, zero-terminated inside the field
constexpr uint32_t kProgramNameSize = 50;
constexpr uint32_t kMessage = 0x0F12;  // 1,024 bytes, zero-terminated inside the field
constexpr uint32_t kMessageSize = 1024;
constexpr uint32_t kSuccess = 0x1312;  // byte, 1 = initialisation finished
constexpr uint32_t kWarning = 0x1313;  // byte, 1 = finished with a warning
constexpr uint32_t kFailure = 0x1314;  // byte, 1 = initialisation failed
constexpr uint32_t kProgress = 0x1318;  // signed 32-bit, per cent
constexpr uint32_t kEnd = 0x131B;       // last byte of the record

}  // namespace banner_record
