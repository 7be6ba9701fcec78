// The window system's input as the dialogs see it: plain events of our own.
// Only platform/ decodes the window system's events, so nothing above it
// depends on that library.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

enum class Key { Up, Down, Left, Right, PageUp, PageDown, Home, F1, Enter, Escape, F2, Other };
constexpr int kKeyCount = static_cast<int>(Key::Other) + 1;

enum class MouseButton { Left, Right, Other };

enum class EventType {
  None,       // nothing the dialogs use
  Quit,       // the program is asked to end (last window closed, SIGINT, SIGTERM)
  Close,      // the window's close box
  Expose,     // the window must be painted again (shown, uncovered, resized)
  MouseDown,
  MouseUp,
  MouseMove,
  Wheel,
  KeyDown,
  KeyUp,
  Leave,      // the pointer left the window
  Wake        // posted by the program itself (PostWake), with its data
};

struct Event {
  EventType type = EventType::None;
  uint32_t window = 0;                      // the window it belongs to; 0: none
  MouseButton button = MouseButton::Other;  // MouseDown, MouseUp
  int x = 0;                                // pointer in client coordinates: MouseDown, MouseUp, MouseMove
  int y = 0;
  int wheel = 0;                            // Wheel: > 0 turned away from the user, < 0 towards
  bool shift = false;                       // Wheel: a Shift key is held
  Key key = Key::Other;                     // KeyDown, KeyUp
  bool repeat = false;                      // KeyDown made by the keyboard's auto-repeat
  int64_t data = 0;                         // Wake
};

// Receives the events a message pump removes from the queue.
class EventHandler {
 public:
  virtual ~EventHandler() = default;
  virtual void OnEvent(const Event& event) = 0;
};

// Opens the display and the event queue. With ownSignalHandlers, SIGINT and
// SIGTERM stay with the program; otherwise they arrive as Quit events.
bool StartVideo(bool ownSignalHandlers, char* error, std::size_t errorSize);
// Opens the event queue alone (no display).
bool StartEvents(char* error, std::size_t errorSize);
void StopVideo();
// Removes the next event, waiting up to timeoutMs milliseconds for one
// (negative: without limit). False when none came.
bool WaitEvent(Event* event, int32_t timeoutMs);
// Removes the next event if one is pending.
bool PollEvent(Event* event);
// Queues a Quit event.
bool PostQuit();
// Queues a Wake event carrying data; may be called from any thread.
bool PostWake(int64_t data);

// Touch screens: a tap is a left click at its point, a finger held or dragged
// holds the left button, a two-finger tap is a right click at the fingers'
// centroid (see TouchInput.h). The mouse events the window system makes from
// a touch are dropped, so a tap never clicks twice: those marked as made from
// a touch, and any while a finger is on the screen or just lifted.
enum class FingerAction { Down, Move, Up };
// Queues a finger event as a touch screen delivers it: x and y are fractions
// (0..1) of the window's width and height; window as in Event::window.
bool PostFinger(FingerAction action, int64_t finger, float x, float y, uint32_t window);
// Milliseconds until input made from the fingers is due that the window
// system's queue does not hold (0: now); -1 when none waits.
int64_t PendingInputDueMs();
// Milliseconds since the display was opened.
uint64_t Ticks();

}  // namespace platform
