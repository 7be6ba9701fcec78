// A window that exists only in memory: its client area is a surface of the
// client size, onto which the picture is copied exactly as onto the window
// system's window. For measuring and checking the presentation where there is
// no display; keys are never held, the focus is always there.
#pragma once

#include <cstdint>

#include "platform/Graphics.h"
#include "platform/Window.h"

namespace platform {

class MemoryWindow final : public WindowPort {
 public:
  // A client area of the size, black until something is shown.
  bool Create(int clientWidth, int clientHeight);
  const DrawSurface& Client() const { return client_; }
  // Pixels copied by every show so far (the background strips left out).
  int64_t CopiedPixels() const { return copiedPixels_; }
  int WholeShows() const { return wholeShows_; }
  int PartShows() const { return partShows_; }

  bool IsKeyHeld(Key /*key*/) const override { return false; }
  bool HasKeyboardFocus() const override { return true; }
  bool IsMinimisedOrHidden() const override { return !client_.IsValid(); }
  Rect GetWindowRect() const override { return Rect{0, 0, client_.Width(), client_.Height()}; }
  Rect GetClientRect() const override { return GetWindowRect(); }
  int GetFrameWidth() const override { return 0; }
  void SetTitle(const char* /*title*/) override {}
  void ShowPicture(const DrawSurface& picture, const Rect& source, int destX, int destY,
                   uint32_t background) override;
  void ShowPictureParts(const DrawSurface& picture, const Rect& source, int destX, int destY, const Rect* parts,
                        int count) override;

 private:
  DrawSurface client_;
  uint32_t background_ = 0;
  bool shownWhole_ = false;
  int64_t copiedPixels_ = 0;
  int wholeShows_ = 0;
  int partShows_ = 0;
};

}  // namespace platform
