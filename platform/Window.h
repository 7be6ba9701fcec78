// What the main dialog needs of its window: keyboard state, focus, show
// state, outer rectangle, title, and showing the painted picture. The station
// uses a window of the window system; the dialog's tests use a fake.
#pragma once

#include <cstddef>
#include <cstdint>

#include "platform/Events.h"
#include "platform/Graphics.h"

namespace platform {

// A window of the window system; its layout is known inside platform/ only.
struct NativeWindow;

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
  // Client area: 0, 0, width, height.
  virtual Rect GetClientRect() const = 0;
  // Width of the sizing frame (0 when the window has none).
  virtual int GetFrameWidth() const = 0;
  virtual void SetTitle(const char* title) = 0;
  // Copies the source rectangle of the picture to (destX, destY) of the
  // client area (what lies off the picture or the window is clipped), fills
  // the parts of the client area the picture leaves with the background
  // colour (0xRRGGBB) and shows the result.
  virtual void ShowPicture(const DrawSurface& picture, const Rect& source, int destX, int destY,
                           uint32_t background) = 0;
  // Copies and shows only the parts (picture coordinates) of the source
  // rectangle, placed as ShowPicture places them. For a picture shown with
  // the same source and place before, whose pixels changed only inside the
  // parts: the window then shows what ShowPicture would. A window that lost
  // what it showed (a new window surface) shows everything instead.
  virtual void ShowPictureParts(const DrawSurface& picture, const Rect& source, int destX, int destY,
                                const Rect* parts, int count) = 0;
};

class SdlWindow final : public WindowPort {
 public:
  enum class Frame { Sizable, Fixed };

  SdlWindow() = default;
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // A window of the client size at the screen's top-left corner.
  bool Create(const char* title, int clientWidth, int clientHeight, char* error, std::size_t errorSize,
              Frame frame = Frame::Sizable);
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
  void ShowPicture(const DrawSurface& picture, const Rect& source, int destX, int destY,
                   uint32_t background) override;
  void ShowPictureParts(const DrawSurface& picture, const Rect& source, int destX, int destY, const Rect* parts,
                        int count) override;

 private:
  NativeWindow* window_ = nullptr;
  // The window surface of the last whole picture shown, its size and the
  // background used; a different surface holds nothing of it.
  const void* shownOn_ = nullptr;
  int shownWidth_ = 0;
  int shownHeight_ = 0;
  uint32_t shownBackground_ = 0;
};

}  // namespace platform
