// What the main dialog needs of its window: keyboard state, focus, show
// state, outer rectangle, title, and presenting what was painted. The station
// uses an SDL window; the dialog's tests use a fake.
#pragma once

#include <cstddef>

#include "platform/Graphics.h"

struct SDL_Window;

namespace platform {

enum class Key { Up, Down, Left, Right, PageUp, PageDown, Home };

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
  // The surface the dialog paints into; null when there is none.
  virtual SDL_Window* Handle() const = 0;
  // Shows what was painted into the window surface.
  virtual void Present() = 0;
};

class SdlWindow final : public WindowPort {
 public:
  SdlWindow() = default;
  ~SdlWindow() override;
  SdlWindow(const SdlWindow&) = delete;
  SdlWindow& operator=(const SdlWindow&) = delete;

  // A resizable window of the client size at the screen's top-left corner.
  bool Create(const char* title, int clientWidth, int clientHeight, char* error, std::size_t errorSize);
  // Sets the window icon from a .bmp file; false when it cannot be loaded.
  bool SetIconFromFile(const char* path);
  void Destroy();

  bool IsKeyHeld(Key key) const override;
  bool HasKeyboardFocus() const override;
  bool IsMinimisedOrHidden() const override;
  Rect GetWindowRect() const override;
  Rect GetClientRect() const override;
  int GetFrameWidth() const override;
  void SetTitle(const char* title) override;
  SDL_Window* Handle() const override { return window_; }
  void Present() override;

 private:
  SDL_Window* window_ = nullptr;
};

// Shows an error text: on stderr always, and in a message box when a display
// is available.
void ShowErrorBox(const char* title, const char* text);

}  // namespace platform
