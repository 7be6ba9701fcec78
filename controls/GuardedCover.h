// A guard over a switch, drawn as one picture, closed or lifted. The right
// mouse button toggles it once per press; the sub-panel handles the switch.
#pragma once

#include "controls/CButtonClass.h"

class GuardedCover : public CBaseCockpitControl {
 public:
  static constexpr int kClosed = 1;
  static constexpr int kLifted = 2;

  GuardedCover();

  // Loads "Up.bmp" (lifted) and "Down.bmp" (closed) of the descriptor's folder
  // and closes the cover; momentary and two-light flags are not used.
  bool Initialise(const ButtonDescriptor& descriptor);
  // A no-button event arms the cover; a right press strictly inside the image
  // while armed toggles it and disarms.
  void Click(int event);
  int GetCover() const { return cover_; }
  bool IsClosed() const { return cover_ == kClosed; }
  bool IsArmed() const { return armed_; }
  int GetId() const { return id_; }
  void Paint(platform::DrawSurface& dc) override;

 private:
  int cover_ = kClosed;
  bool armed_ = false;
  int id_ = 0;
};
