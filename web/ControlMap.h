// Where the operable controls sit on the picture, for the page: a drag that
// starts off a control pans the view, and a long press on a cover or plate
// is the right button. Made once from the panels (loop thread, before the
// loop runs) as JSON: [{"k":"oxygen","r":"call","x":..,"y":..,"w":..,"h":..,"c":1}, ...],
// c = 1 for covers and plates.
#pragma once

#include <cstddef>

#include "panels/CockpitManager.h"

namespace web {

// Writes the map into out (size bytes, always terminated). Returns the
// length written; a map that does not fit ends early but stays valid JSON.
std::size_t DescribeControls(const CockpitManager& cockpit, char* out, std::size_t size);

}  // namespace web
