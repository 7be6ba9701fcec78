// What the main dialog needs of its window: keyboard state, focus, show
// state, outer rectangle, title, and showing the painted picture. The station
// uses a window of the window system; the dialog's tests use a fake.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Events.h"
#include "platform/Graphics.h"
#include "platform/Text.h"

namespace platform {

// A window of the window system; its layout is known inside platform/ only.
struct NativeWindow;

// What is drawn over the picture each time it is shown, never onto it: a
// notice in the middle of the client area, a status line along its bottom
// edge (wrapped at spaces to the client width, cut with "..." when longer
// than a few lines) and an outline around a rectangle (client coordinates,
// thin: one pixel wide). Empty texts and outlined = false draw nothing.
struct WindowOverlay {
  char notice[128] = {};
  char status[768] = {};
  bool outlined = false;
  bool thin = false;
  Rect outline;

  bool IsEmpty() const { return notice[0] == '\0' && status[0] == '\0' && !outlined; }
};

class WindowPort {
 public:
  virtual ~WindowPort() = default;

  // The key is held down now.
  virtual bool IsKeyHeld(Key key) const = 0;
  // A window of this program has the keyboard focus.
  virtual bool HasKeyboardFocus() const = 0;
  // Hidden or minimised.
  virtual bool IsMinimisedOrHidden() const = 0;
  // Outer rectangle (frame included) in screen coordinates.
  virtual Rect GetWindowRect() const = 0;
  // Client area: 0, 0, width, height (in picture pixels: the window's size
  // divided by the presentation scale; likewise the outer rectangle's size).
  virtual Rect GetClientRect() const = 0;
  // Width of the sizing frame (0 when the window has none).
  virtual int GetFrameWidth() const = 0;
  virtual void SetTitle(const char* title) = 0;
  // Raises the window and asks for the keyboard focus (a bare X server gives
  // it to no window by itself).
  virtual void TakeFocus() {}
  // Copies the source rectangle of the picture to (destX, destY) of the
  // client area (what lies off the picture or the window is clipped), fills
  // the parts of the client area the picture leaves with the background
  // colour (0xRRGGBB) and shows the result.
  virtual void ShowPicture(const DrawSurface& picture, const Rect& source, int destX, int destY,
                           uint32_t background) = 0;
  // The overlay drawn by every later ShowPicture (copied); ShowPictureParts
  // does not draw it, so the caller shows the whole view while one is on.
  virtual void SetOverlay(const WindowOverlay& overlay) { (void)overlay; }
  // Copies and shows only the parts (picture coordinates) of the source
  // rectangle, placed as ShowPicture places them. For a picture shown with
  // the same source and place before, whose pixels changed only inside the
  // parts: the window then shows what ShowPicture would. A window that lost
  // what it showed (a new window surface) shows everything instead.
  virtual void ShowPictureParts(const DrawSurface& picture, const Rect& source, int destX, int destY,
                                const Rect* parts, int count) = 0;
};

// Where a window goes and how it shows its picture: a monitor, full-screen or
// at a fixed place, and a presentation scale for high-density screens.
struct WindowPlacement {
  static constexpr double kMinScale = 0.25;
  static constexpr double kMaxScale = 8.0;
  int display = 0;          // monitor number, 0 the first
  bool fullscreen = false;  // cover the monitor at its own resolution
  bool fixedSize = false;   // width and height below give the window's size
  int width = 0;            // screen pixels
  int height = 0;
  int x = 0;                // top-left corner, from the monitor's top-left
  int y = 0;
  // The picture is shown this many times larger; the window's client area
  // and every pointer position stay in picture pixels.
  double scale = 1.0;
  // fitWidth x fitHeight picture pixels are shown as large as the window
  // allows, keeping their shape, centred; the scale above is then unused.
  bool fit = false;
  int fitWidth = 0;
  int fitHeight = 0;
};

// Reads "WxH+X+Y" (or "WxH", or "+X+Y") into the placement. False, the
// placement unchanged, when the text is not one.
bool ParseGeometry(const char* text, WindowPlacement* placement);

class SdlWindow final : public WindowPort {
 public:
  enum class Frame { Sizable, Fixed };

  // A point of one of the program's windows (window pixels) in its picture
  // pixels: the picture pixel shown there (at a window pixel's centre). For
  // any other window the point is unchanged.
  static void ToPicture(uint32_t windowId, int x, int y, int* pictureX, int* pictureY);

  SdlWindow() = default;
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // A window of the client size (picture pixels) at the first monitor's
  // top-left corner, or as the placement says. False with the reason when
  // the window or the monitor asked for does not exist.
  bool Create(const char* title, int clientWidth, int clientHeight, char* error, std::size_t errorSize,
              Frame frame = Frame::Sizable, const WindowPlacement& placement = WindowPlacement{});
  // Sets the window icon from a .bmp file; false when it cannot be loaded.
  bool SetIconFromFile(const char* path);
  void SetIcon(const Bitmap& icon);
  void Destroy();
  bool IsOpen() const { return window_ != nullptr; }
  // The window's number in Event::window; 0 when there is no window.
  uint32_t Id() const;

  bool IsKeyHeld(Key key) const override;
  bool HasKeyboardFocus() const override;
  bool IsMinimisedOrHidden() const override;
  Rect GetWindowRect() const override;
  Rect GetClientRect() const override;
  int GetFrameWidth() const override;
  void SetTitle(const char* title) override;
  void TakeFocus() override;
  void ShowPicture(const DrawSurface& picture, const Rect& source, int destX, int destY,
                   uint32_t background) override;
  void SetOverlay(const WindowOverlay& overlay) override { overlay_ = overlay; }
  void ShowPictureParts(const DrawSurface& picture, const Rect& source, int destX, int destY, const Rect* parts,
                        int count) override;

 private:
  // Draws the overlay onto the window's surface, after the picture.
  void DrawOverlay(NativeSurface* target);
  // Draws the outline; the sides drawn (at most 4), clipped to the target.
  int DrawOutline(NativeSurface* target, Rect* drawn);
  // The status line along the bottom edge, wrapped to the target's width.
  void DrawStatus(NativeSurface* target, int bandHeight);
  // Draws one text on a dark band at x, y of the target.
  void DrawBand(NativeSurface* target, const char* text, int x, int y, int width);
  // The surface the picture is drawn on: the window's own at scale 1,
  // otherwise one in picture pixels that Present enlarges onto the window.
  NativeSurface* DrawTarget();
  void Present();

  WindowOverlay overlay_;
  // The overlay's font and the canvas its bands are drawn on: made when a
  // text is first shown (a font that cannot be opened is not tried again).
  TextFont font_;
  bool fontTried_ = false;
  DrawSurface band_;
  // Sets the scale and the picture's place for the window's size (fit).
  void Arrange() const;

  NativeWindow* window_ = nullptr;
  // How the picture pixels are shown: enlarged by scale_ and placed at the
  // offset (window pixels); fit_ recomputes both from the window's size.
  mutable double scale_ = 1.0;
  mutable int offsetX_ = 0;
  mutable int offsetY_ = 0;
  bool fit_ = false;
  int fitWidth_ = 0;
  int fitHeight_ = 0;
  NativeSurface* scaled_ = nullptr;
  // The window surface of the last whole picture shown, its size and the
  // background used; a different surface holds nothing of it.
  const void* shownOn_ = nullptr;
  int shownWidth_ = 0;
  int shownHeight_ = 0;
  uint32_t shownBackground_ = 0;
};

}  // namespace platform
