// Opening the display a program shows its windows on, and checking a window
// placement against the screens that exist.
#pragma once

#include <cstddef>

#include "platform/Window.h"

namespace platform {

// The display drivers tried, in this order, when SDL_VIDEODRIVER is unset or
// empty. Only a driver the user names in SDL_VIDEODRIVER (dummy, offscreen,
// kmsdrm ...) is used besides these: a station never falls back to an
// invisible display by itself.
constexpr const char* kDisplayDrivers[] = {"x11", "wayland"};

// StartVideo on the driver named in SDL_VIDEODRIVER, or else on the first of
// kDisplayDrivers that opens. False, with a text that names the display
// ($DISPLAY, $WAYLAND_DISPLAY) and each driver's reason, when none opens.
bool StartDisplay(bool ownSignalHandlers, char* error, std::size_t errorSize);

// The smallest and largest window a placement may ask for, in screen pixels.
constexpr int kMinWindowWidth = 320;
constexpr int kMinWindowHeight = 200;
constexpr int kMaxWindowSide = 16384;  // the largest side SDL makes a window with

// A fixed size outside the bounds above: false with the reason ("too small:
// ..."). Needs no display.
bool CheckPlacementSize(const WindowPlacement& placement, char* error, std::size_t errorSize);

// With the display open: a window of this placement (client size
// clientWidth x clientHeight at the placement's scale, unless the placement
// fixes its size) overlaps at least one screen. False with the reason, naming
// the screens, otherwise. A missing monitor is left to the window's creation.
bool CheckPlacementOnScreens(const WindowPlacement& placement, int clientWidth, int clientHeight, char* error,
                             std::size_t errorSize);

}  // namespace platform
