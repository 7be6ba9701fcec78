// The start-up banner record in the generic simulation area: written by the
// starting program, read by the banner program. The offsets are part of the
// area's layout.
#pragma once

#include "simlink/GenericArea.h"
