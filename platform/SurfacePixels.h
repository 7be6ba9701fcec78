// Reading a drawing surface's pixels out in bulk, for encoders outside
// platform/ that must not know the window system's picture layout.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Graphics.h"

namespace platform {

// Copies the rectangle (clipped to nothing: it must lie on the surface) as
// rows of packed R, G, B bytes into rgb, which holds size bytes. False when
// the surface is empty, the rectangle is empty or leaves the surface, or
// rgb is too small.
bool ReadPixelsRgb(const DrawSurface& surface, const Rect& rect, uint8_t* rgb, std::size_t size);

}  // namespace platform
