// What a left click at a point of the picture will operate, found with the
// controls' own hit rules: the switch's third, the knob's position sector,
// the half of a rotary knob, or the whole button, cover or guard. The hover
// outline shows it, and the wheel turns a knob by clicking its next sector.
#pragma once

#include "panels/CockpitManager.h"
#include "panels/ControlHit.h"
#include "platform/Graphics.h"

namespace click_region {

// The control under the picture point and the part of it (picture
// coordinates) that a click there operates. False over no control, over a
// light or a display, and where a click selects nothing (a knob's centre, a
// position it does not have).
bool Find(const CockpitManager& cockpit, int x, int y, ControlHit* hit, platform::Rect* region);

// For a knob or rotary knob under the picture point: the point whose click
// turns it one position clockwise (direction > 0) or anticlockwise. False
// over anything else, or when the knob has no further position that way.
bool FindKnobTurn(const CockpitManager& cockpit, int x, int y, int direction, int* clickX, int* clickY);

}  // namespace click_region
