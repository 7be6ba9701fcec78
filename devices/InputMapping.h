// One mapping of a physical input to a control of the overhead picture: the
// control (a panel's row, as the interface description names it) and what
// drives it (a button, two buttons, a hat or an axis of one device).
#pragma once

#include <cstdint>

#include "panels/PanelCatalogue.h"
#include "panels/PanelRows.h"

// The inputs of a game controller, by kind and number from 0.
enum class InputKind : uint8_t { kButton, kHat, kAxis };

struct InputRef {
  InputKind kind = InputKind::kButton;
  uint8_t index = 0;
  constexpr bool operator==(const InputRef&) const = default;
};

// What the inputs do to the control.
enum class Driver : uint8_t {
  kPress,        // push button held in while the input is held
  kToggle,       // push button toggled on each press
  kFollow,       // latching push button in while the input is on
  kOpen,         // guard lifted on each press
  kClose,        // guard closed on each press
  kToggleGuard,  // guard lifted or closed on each press
  kPosition,     // switch or knob set to the position the inputs give
  kStep,         // knob or rotary knob turned one step per press: first input down, second up
  kPush,         // rotary knob pushed
};

// Hat directions as the joystick layer reports them (bit set per direction).
constexpr uint8_t kHatUp = 1, kHatRight = 2, kHatDown = 4, kHatLeft = 8;

struct InputMapping {
  static constexpr int kMaxRanges = 8;
  struct Range {
    int32_t low = 0;  // axis values low..high, both included
    int32_t high = 0;
    int8_t position = 0;
  };

  int line = 0;     // in the mapping file
  int section = 0;  // the device section it belongs to
  const PanelFacts* facts = nullptr;
  RowRef row;
  Driver driver = Driver::kPress;
  InputKind input = InputKind::kButton;
  uint8_t first = 0;   // button, hat or axis number
  uint8_t second = 0;  // the second button of a pair
  bool pair = false;   // two buttons
  bool reversed = false;  // one-button switch: on is the last position
  int8_t rangeCount = 0;
  Range ranges[kMaxRanges];

  // True when this mapping reads the input.
  bool Uses(InputRef ref) const {
    return ref.kind == input && (ref.index == first || (pair && ref.index == second));
  }
  // True when the hardware holds the control's state (follow and positions).
  bool IsTruth() const { return driver == Driver::kFollow || driver == Driver::kPosition; }
};
