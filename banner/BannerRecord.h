// The start-up banner record in the generic simulation area: written by the
// starting program, read by the banner program. The offsets are part of the
// area's layout.
#pragma once

#include "simlink/GenericArea.h"

namespace banner_record {
// Set to "1" in the banner's environment when the program that starts it
// holds the banner's user count for it (the banner then does not count itself).
constexpr char kHeldVariable[] = "TARNEL_BANNER_HELD";
}  // namespace banner_record
