#include "platform/MemoryWindow.h"

#include "platform/ViewCopy.h"

namespace platform {

namespace {

SDL_Surface* Sdl(NativeSurface* surface) { return reinterpret_cast<SDL_Surface*>(surface); }

}  // namespace

bool MemoryWindow::Create(int clientWidth, int clientHeight) {
  shownWhole_ = false;
  return client_.Create(clientWidth, clientHeight);
}

void MemoryWindow::ShowPicture(const DrawSurface& picture, const Rect& source, int destX, int destY,
                               uint32_t background) {
  if (!client_.IsValid()) {
    return;
  }
  CopyView(Sdl(client_.Native()), picture, source, destX, destY, background);
  const Rect copied = Intersect(Intersect(source, Rect{0, 0, picture.Width(), picture.Height()}),
                                Rect{source.left - destX, source.top - destY, source.left - destX + client_.Width(),
                                     source.top - destY + client_.Height()});
  copiedPixels_ += int64_t{copied.Width()} * copied.Height();
  background_ = background;
  shownWhole_ = true;
  wholeShows_++;
}

void MemoryWindow::ShowPictureParts(const DrawSurface& picture, const Rect& source, int destX, int destY,
                                    const Rect* parts, int count) {
  if (!client_.IsValid() || count <= 0) {
    return;
  }
  if (!shownWhole_ || count > DamageList::kCapacity) {
    ShowPicture(picture, source, destX, destY, background_);
    return;
  }
  SDL_Rect changed[DamageList::kCapacity];
  const int shown = CopyViewParts(Sdl(client_.Native()), picture, source, destX, destY, parts, count, changed);
  for (int i = 0; i < shown; i++) {
    copiedPixels_ += int64_t{changed[i].w} * changed[i].h;
  }
  partShows_++;
}

}  // namespace platform
