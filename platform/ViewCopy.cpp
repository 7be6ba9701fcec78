#include "platform/ViewCopy.h"

namespace platform {

namespace {

SDL_Surface* Sdl(NativeSurface* surface) { return reinterpret_cast<SDL_Surface*>(surface); }

}  // namespace

void CopyView(SDL_Surface* target, const DrawSurface& picture, const Rect& source, int destX, int destY,
              uint32_t background) {
  if (target == nullptr) {
    return;
  }
  // The picture covers dest .. dest + the part of the source that lies on it;
  // only the strips around that are filled, so the picture never flickers.
  const int shownRight = destX + (source.right < picture.Width() ? source.right : picture.Width()) - source.left;
  const int shownBottom = destY + (source.bottom < picture.Height() ? source.bottom : picture.Height()) - source.top;
  const Uint32 fill = SDL_MapRGB(target->format, (background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF);
  const SDL_Rect strips[] = {{0, 0, destX, target->h},
                             {0, 0, target->w, destY},
                             {shownRight, 0, target->w - shownRight, target->h},
                             {0, shownBottom, target->w, target->h - shownBottom}};
  for (const SDL_Rect& strip : strips) {
    if (strip.w > 0 && strip.h > 0) {
      SDL_FillRect(target, &strip, fill);
    }
  }
  if (picture.IsValid()) {
    SDL_Rect src{source.left, source.top, source.Width(), source.Height()};
    SDL_Rect dest{destX, destY, source.Width(), source.Height()};
    SDL_BlitSurface(Sdl(picture.Native()), &src, target, &dest);
  }
}

int CopyViewParts(SDL_Surface* target, const DrawSurface& picture, const Rect& source, int destX, int destY,
                  const Rect* parts, int count, SDL_Rect* changed) {
  if (target == nullptr || !picture.IsValid() || parts == nullptr || changed == nullptr) {
    return 0;
  }
  const Rect shown = Intersect(source, Rect{0, 0, picture.Width(), picture.Height()});
  int written = 0;
  for (int i = 0; i < count; i++) {
    const Rect part = Intersect(parts[i], shown);
    if (part.IsEmpty()) {
      continue;
    }
    SDL_Rect src{part.left, part.top, part.Width(), part.Height()};
    SDL_Rect dest{destX + (part.left - source.left), destY + (part.top - source.top), part.Width(), part.Height()};
    // The blit clips to the target and leaves the rectangle it wrote in dest.
    if (SDL_BlitSurface(Sdl(picture.Native()), &src, target, &dest) == 0 && dest.w > 0 && dest.h > 0) {
      changed[written++] = dest;
    }
  }
  return written;
}

}  // namespace platform
