#include "platform/SurfacePixels.h"

#include <SDL.h>

namespace platform {

bool ReadPixelsRgb(const DrawSurface& surface, const Rect& rect, uint8_t* rgb, std::size_t size) {
  const auto* s = reinterpret_cast<const SDL_Surface*>(surface.Native());
  if (s == nullptr || rgb == nullptr || rect.IsEmpty() || rect.left < 0 || rect.top < 0 || rect.right > s->w ||
      rect.bottom > s->h) {
    return false;
  }
  const std::size_t width = static_cast<std::size_t>(rect.Width());
  if (width * 3 * static_cast<std::size_t>(rect.Height()) > size) {
    return false;
  }
  // The drawing format is 32-bit XRGB: one load per pixel.
  uint8_t* out = rgb;
  for (int y = rect.top; y < rect.bottom; y++) {
    const auto* row = reinterpret_cast<const Uint32*>(static_cast<const Uint8*>(s->pixels) + y * s->pitch) + rect.left;
    for (std::size_t x = 0; x < width; x++) {
      const Uint32 p = row[x];
      out[0] = static_cast<uint8_t>(p >> 16);
      out[1] = static_cast<uint8_t>(p >> 8);
      out[2] = static_cast<uint8_t>(p);
      out += 3;
    }
  }
  return true;
}

}  // namespace platform
