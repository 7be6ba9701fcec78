#include "platform/DisplayStart.h"

#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/TextFcns.h"
#include "platform/Events.h"

namespace platform {

namespace {

const char* EnvOr(const char* name, const char* otherwise) {
  const char* value = std::getenv(name);
  return value != nullptr && value[0] != '\0' ? value : otherwise;
}

}  // namespace

bool StartDisplay(bool ownSignalHandlers, char* error, std::size_t errorSize) {
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if (asked != nullptr && asked[0] != '\0') {
    char reason[256];
    if (StartVideo(ownSignalHandlers, reason, sizeof reason)) {
      return true;
    }
    FormatBounded(error, errorSize, "driver '%s' (SDL_VIDEODRIVER, DISPLAY '%s'): %s", asked,
                  EnvOr("DISPLAY", ""), reason);
    return false;
  }
  char reasons[512] = {};
  for (const char* driver : kDisplayDrivers) {
    // Over an empty SDL_VIDEODRIVER too, which SDL would read as "any driver".
    SDL_SetHintWithPriority(SDL_HINT_VIDEODRIVER, driver, SDL_HINT_OVERRIDE);
    char reason[200];
    if (StartVideo(ownSignalHandlers, reason, sizeof reason)) {
      return true;
    }
    SDL_Quit();  // what the failed start left initialised
    const std::size_t used = std::strlen(reasons);
    FormatBounded(reasons + used, sizeof reasons - used, "%s%s: %s", used > 0 ? "; " : "", driver, reason);
  }
  SDL_ResetHint(SDL_HINT_VIDEODRIVER);
  FormatBounded(error, errorSize, "DISPLAY '%s', WAYLAND_DISPLAY '%s' (%s)", EnvOr("DISPLAY", "(unset)"),
                EnvOr("WAYLAND_DISPLAY", "(unset)"), reasons);
  return false;
}

bool CheckPlacementSize(const WindowPlacement& placement, char* error, std::size_t errorSize) {
  if (!placement.fixedSize) {
    return true;
  }
  if (placement.width < kMinWindowWidth || placement.height < kMinWindowHeight) {
    FormatBounded(error, errorSize, "%dx%d is too small: a window needs at least %dx%d", placement.width,
                  placement.height, kMinWindowWidth, kMinWindowHeight);
    return false;
  }
  if (placement.width > kMaxWindowSide || placement.height > kMaxWindowSide) {
    FormatBounded(error, errorSize, "%dx%d is larger than the largest window the display can make (%dx%d)",
                  placement.width, placement.height, kMaxWindowSide, kMaxWindowSide);
    return false;
  }
  return true;
}

bool CheckPlacementOnScreens(const WindowPlacement& placement, int clientWidth, int clientHeight, char* error,
                             std::size_t errorSize) {
  const int displays = SDL_GetNumVideoDisplays();
  SDL_Rect monitor{0, 0, 0, 0};
  // A monitor that does not exist is reported when the window is made.
  if (placement.display < 0 || placement.display >= displays ||
      SDL_GetDisplayBounds(placement.display, &monitor) != 0 || placement.fullscreen) {
    return true;
  }
  const double scale = placement.scale >= WindowPlacement::kMinScale && placement.scale <= WindowPlacement::kMaxScale
                           ? placement.scale
                           : 1.0;
  SDL_Rect window{monitor.x + placement.x, monitor.y + placement.y,
                  placement.fixedSize ? placement.width : static_cast<int>(std::lround(clientWidth * scale)),
                  placement.fixedSize ? placement.height : static_cast<int>(std::lround(clientHeight * scale))};
  char screens[256] = {};
  for (int i = 0; i < displays; i++) {
    SDL_Rect bounds;
    if (SDL_GetDisplayBounds(i, &bounds) != 0) {
      continue;
    }
    SDL_Rect overlap;
    if (SDL_IntersectRect(&window, &bounds, &overlap) == SDL_TRUE) {
      return true;
    }
    const std::size_t used = std::strlen(screens);
    FormatBounded(screens + used, sizeof screens - used, "%s%d: %dx%d+%d+%d", used > 0 ? ", " : "", i, bounds.w,
                  bounds.h, bounds.x, bounds.y);
  }
  FormatBounded(error, errorSize, "a %dx%d window at %+d%+d of monitor %d is off every screen (%s)", window.w,
                window.h, placement.x, placement.y, placement.display, screens);
  return false;
}

}  // namespace platform
