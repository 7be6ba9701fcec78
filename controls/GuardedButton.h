// A push button framed by a guard drawn from eight parts. The right mouse
// button lifts and closes the guard; while it is closed the button ignores
// the mouse. Also used on its own (InitialiseGuard only) as a cover over a
// separate push button.
#pragma once

#include <cstdint>
#include <optional>

#include "controls/CButtonClass.h"

// Offsets of the guard parts from the control position X, Y.
struct GuardGeometry {
  // left (0,1), right (2,3), top (4,5), bottom (6,7), vertical bar (8,9),
  // horizontal bar (10,11; x is subtracted), lifted top from the top part
  // (12,13), lifted bottom from the lifted top (14,15).
  int32_t g[16] = {0, 0, 32, 0, -1, -2, 2, 33, 18, 2, 0, 17, 0, 0, 0, 0};
  bool flag1 = true;  // not used for drawing
  bool flag2 = true;
};

class GuardedButton : public CBaseCockpitControl {
 public:
  static constexpr int kClosed = 1;
  static constexpr int kLifted = 2;
  static constexpr int kHidden = 3;

  // Image slots of the guard parts.
  enum Part : int { kTop = 0, kBottom, kLeft, kRight, kVertical, kHorizontal, kOpenTop, kOpenBottom };

  GuardedButton();

  // Replaces the geometry; must precede InitialiseGuard.
  void SetGeometry(const GuardGeometry& geometry) { geometry_ = geometry; }
  const GuardGeometry& GetGeometry() const { return geometry_; }
  // Places the guard parts and loads them; a part that fails leaves its report
  // text but the result is always true.
  bool InitialiseGuard(const ButtonDescriptor& guard);
  // The guard, then the button; the result is the button's.
  bool Initialise(const ButtonDescriptor& guard, const ButtonDescriptor& button);

  void Update(std::optional<int> event, bool upper, bool lower, bool test);
  // No-button event arms; a right press inside the guard (bounds included)
  // while armed toggles it and disarms.
  void GuardClick(int event);
  void SetPressed(bool on);
  int GetCover() const { return cover_; }
  bool IsClosed() const { return cover_ == kClosed; }
  bool IsArmed() const { return armed_; }
  bool IsActive() const { return active_; }
  int GetId() const { return id_; }
  bool IsPressed() const { return button_.IsPressed(); }
  CButtonClass& Button() { return button_; }
  const CButtonClass& Button() const { return button_; }
  ViewPoint GetPartPosition(int part) const;
  platform::Rect GetGuardRect() const { return guardRect_; }
  platform::Rect GetClickArea() const { return clickArea_; }

  // The guard parts by cover position (the button is not drawn here).
  void Draw(platform::DrawSurface& dc) override;
  // Every part of the guard, and the button beneath.
  platform::Rect DrawnArea() const override;
  // The button, then the guard over it.
  void Paint(platform::DrawSurface& dc) override;

 private:
  void DrawPart(int part, platform::DrawSurface& dc);

  int cover_ = kClosed;
  ViewPoint parts_[8];
  platform::Rect guardRect_;
  bool wasClosed_ = false;
  CButtonClass button_;
  GuardGeometry geometry_;
  int id_ = 0;
  bool armed_ = false;
  bool active_ = false;
  platform::Rect clickArea_;
};
