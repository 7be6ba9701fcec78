// View geometry: the main dialog publishes its scroll offset and the pointer
// position (view coordinates) process-wide; each holder keeps its own visible
// rectangle and origin, and turns the pointer into picture coordinates or into
// coordinates relative to its origin.
#pragma once

struct ViewPoint {
  int x = 0;
  int y = 0;
};

struct ViewRect {
  int x0 = 0;
  int y0 = 0;
  int x1 = 0;
  int y1 = 0;
};

class ViewGeometry {
 public:
  ViewGeometry();

  // Process-wide: scroll offset (picture point at the view's top-left corner)
  // and pointer position in view coordinates, set together by the dialog.
  static void SetScrollAndPointer(int scrollX, int scrollY, int pointerX, int pointerY);
  static int ScrollX();
  static int ScrollY();
  static int PointerX();
  static int PointerY();

  void SetVisibleRect(int x0, int y0, int x1, int y1);
  ViewRect GetVisibleRect() const { return visible_; }
  void SetOrigin(int x, int y);
  ViewPoint GetOrigin() const { return origin_; }

  // scroll + pointer
  ViewPoint GetPointerInPicture() const;
  // scroll + pointer - origin
  ViewPoint GetPointerRelative() const;

 private:
  ViewRect visible_;
  ViewPoint origin_;
};
