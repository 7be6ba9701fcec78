// Copying a scrolled view of a picture onto a window-sized surface, shared by
// the window of the window system and the memory window. Inside platform/ only.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/Graphics.h"

namespace platform {

// Copies the source rectangle of the picture to (destX, destY) of the target
// (what lies off the picture or the target is clipped) and fills the parts of
// the target the picture leaves with the background colour (0xRRGGBB).
void CopyView(SDL_Surface* target, const DrawSurface& picture, const Rect& source, int destX, int destY,
              uint32_t background);

// Copies only the parts (picture coordinates) of the source rectangle, placed
// as CopyView places them. Writes the target rectangles it changed into
// changed (room for count) and returns how many.
int CopyViewParts(SDL_Surface* target, const DrawSurface& picture, const Rect& source, int destX, int destY,
                  const Rect* parts, int count, SDL_Rect* changed);

}  // namespace platform
