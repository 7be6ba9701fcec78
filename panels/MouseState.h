// The main dialog's mouse state record, read by the panels and controls:
// button state (0 none, 1 left down, 2 right down or Home held, 3 wheel
// towards the user or Page Up, 4 wheel away or Page Down), then the pointer
// position relative to the view's top-left corner.
#pragma once

#include <cstdint>

struct MouseState {
  int32_t button;
  int32_t x;
  int32_t y;
};
