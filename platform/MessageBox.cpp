#include "platform/MessageBox.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "common/RevisionString.h"
#include "platform/Events.h"
#include "platform/Graphics.h"
#include "platform/Text.h"
#include "platform/Window.h"

namespace platform {

namespace {

RevisionLines gRevisions("%Z% MessageBox QX_P_0077_11 MessageBox.cpp $Revision: 1.1 $",
                         "%Z% MessageBox QX_P_0077_11 MessageBox.h $Revision: 1.1 $");

constexpr const char* kFontFile = "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
constexpr int kFontPixels = 13;
constexpr int kMargin = 16;
constexpr int kMaxTextWidth = 560;
constexpr int kMinWidth = 240;
constexpr int kButtonWidth = 88;
constexpr int kButtonHeight = 26;
constexpr int kMaxLines = 24;
constexpr uint32_t kFace = 0xF0F0F0;

int gUnattendedTimeoutMs = 0;

// The box of our own: the text wrapped into lines above a centred OK button.
class OwnBox {
 public:
  bool Show(const char* title, const char* text) {
    char error[512];
    if (!font_.Open(kFontFile, kFontPixels, error, sizeof error)) {
      std::fprintf(stderr, "%s\n", error);  // the box still shows, without text
    }
    text_ = text;
    const int lineHeight = font_.IsOpen() ? font_.LineHeight() : kFontPixels;
    count_ = font_.IsOpen() ? font_.WrapTail(text, kMaxTextWidth, lines_, kMaxLines) : 0;
    int textWidth = 0;
    for (int i = 0; i < count_; i++) {
      textWidth = std::max(textWidth, font_.MeasureText(text + lines_[i].start, lines_[i].length));
    }
    width_ = std::max(kMinWidth, textWidth + 2 * kMargin);
    height_ = kMargin + std::max(1, count_) * lineHeight + kMargin + kButtonHeight + kMargin;
    button_ = Rect{(width_ - kButtonWidth) / 2, height_ - kMargin - kButtonHeight, (width_ + kButtonWidth) / 2,
                   height_ - kMargin};
    if (!canvas_.Create(width_, height_) || !window_.Create(title, width_, height_, error, sizeof error,
                                                            SdlWindow::Frame::Fixed)) {
      return false;
    }
    // Without a window manager nothing places or focuses the window: centre
    // it, raise it and give it the keyboard.
    SDL_Window* native = SDL_GetWindowFromID(window_.Id());
    SDL_SetWindowPosition(native, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    SDL_RaiseWindow(native);
    Paint();
    bool quit = false;
    bool open = true;
    bool focused = false;
    const uint64_t due = gUnattendedTimeoutMs > 0 ? SDL_GetTicks64() + uint64_t(gUnattendedTimeoutMs) : 0;
    while (open) {
      if (due != 0 && SDL_GetTicks64() >= due) {
        break;  // unattended: nobody will press OK
      }
      Event event;
      if (!WaitEvent(&event, 100)) {
        continue;
      }
      if (event.type == EventType::Quit) {
        quit = true;
        open = false;
      } else if (event.window != window_.Id()) {
        continue;  // the program's other windows wait until the box is closed
      } else if (event.type == EventType::Close) {
        open = false;
      } else if (event.type == EventType::Expose) {
        if (!focused) {
          focused = SDL_SetWindowInputFocus(native) == 0;
        }
        Paint();
      } else if (event.type == EventType::KeyDown && (event.key == Key::Enter || event.key == Key::Escape)) {
        open = false;
      } else if (event.type == EventType::MouseUp && event.button == MouseButton::Left &&
                 button_.ContainsStrictly(event.x, event.y)) {
        open = false;
      }
    }
    window_.Destroy();
    if (quit) {
      PostQuit();  // the program still sees the request to end
    }
    return true;
  }

 private:
  void Paint() {
    canvas_.FillRect(Rect{0, 0, width_, height_}, (kFace >> 16) & 0xFF, (kFace >> 8) & 0xFF, kFace & 0xFF);
    const int lineHeight = font_.LineHeight();
    const Rect textArea{kMargin, kMargin, width_ - kMargin, button_.top};
    for (int i = 0; i < count_; i++) {
      font_.DrawText(canvas_, kMargin, kMargin + i * lineHeight, text_ + lines_[i].start, lines_[i].length, textArea, 0,
                     0, 0);
    }
    canvas_.FillRect(button_, 0x70, 0x70, 0x70);
    canvas_.FillRect(Rect{button_.left + 1, button_.top + 1, button_.right - 1, button_.bottom - 1}, 0xE1, 0xE1, 0xE1);
    canvas_.DrawFocusFrame(Rect{button_.left + 3, button_.top + 3, button_.right - 3, button_.bottom - 3});
    if (font_.IsOpen()) {
      const int labelWidth = font_.MeasureText("OK", 2);
      font_.DrawText(canvas_, button_.left + (button_.Width() - labelWidth) / 2,
                     button_.top + (button_.Height() - lineHeight) / 2, "OK", 2, button_, 0, 0, 0);
    }
    window_.ShowPicture(canvas_, Rect{0, 0, width_, height_}, 0, 0, kFace);
  }

  TextFont font_;
  DrawSurface canvas_;
  SdlWindow window_;
  const char* text_ = "";
  TextSpan lines_[kMaxLines] = {};
  int count_ = 0;
  int width_ = 0;
  int height_ = 0;
  Rect button_;
};

bool DisplayIsHeadless() {
  const char* driver = SDL_GetCurrentVideoDriver();
  return driver == nullptr || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
}

}  // namespace

BoxShown ShowMessageBox(BoxKind kind, const char* title, const char* text) {
  gRevisions.RegisterOnce();
  const char* shownTitle = title != nullptr ? title : "";
  const char* shownText = text != nullptr ? text : "";
  // A box that cannot be shown says so on stderr, with what it was to show
  // (an error box's text is on stderr already).
  const auto notShown = [&](const char* reason) {
    if (kind == BoxKind::Error) {
      std::fprintf(stderr, "(the error box could not be shown: %s)\n", reason);
    } else {
      std::fprintf(stderr, "(a box could not be shown: %s) %s: %s\n", reason, shownTitle, shownText);
    }
    std::fflush(stderr);
    return BoxShown::None;
  };
  if (DisplayIsHeadless()) {
    return notShown("no display");
  }
  // On X11 the system box can wait for ever without showing anything when
  // no window manager runs, and that cannot be told from a box the operator
  // has not closed yet: there our own window is always used.
  const char* driver = SDL_GetCurrentVideoDriver();
  const Uint32 flags = kind == BoxKind::Error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION;
  if (std::strcmp(driver, "x11") != 0 && gUnattendedTimeoutMs <= 0 && SDL_ShowSimpleMessageBox(flags, shownTitle, shownText, nullptr) == 0) {
    return BoxShown::System;
  }
  OwnBox box;
  return box.Show(shownTitle, shownText) ? BoxShown::OwnWindow : notShown(SDL_GetError());
}

void SetUnattendedBoxTimeout(int timeoutMs) { gUnattendedTimeoutMs = timeoutMs; }

void ShowErrorBox(const char* title, const char* text) {
  std::fprintf(stderr, "%s: %s\n", title != nullptr ? title : "", text != nullptr ? text : "");
  std::fflush(stderr);
  ShowMessageBox(BoxKind::Error, title, text);
}

}  // namespace platform
