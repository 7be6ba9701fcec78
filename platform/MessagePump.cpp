#include "platform/MessagePump.h"

#include <SDL.h>

namespace platform {

bool SdlMessagePump::DispatchOne() {
  Event event;
  if (!PollEvent(&event)) {
    return false;
  }
  if (handler_ != nullptr) {
    handler_->OnEvent(event);
  }
  return true;
}

bool SdlMessagePump::WaitForMessage(int32_t timeoutMs) {
  if (timeoutMs < 0) {
    timeoutMs = 0;
  }
  // Input made from the fingers is not in SDL's queue.
  const int64_t due = PendingInputDueMs();
  if (due == 0) {
    return true;
  }
  if (due > 0 && due < timeoutMs) {
    timeoutMs = static_cast<int32_t>(due);
  }
  // With a null event SDL only waits; the event stays queued for DispatchOne.
  return SDL_WaitEventTimeout(nullptr, timeoutMs) != 0 || PendingInputDueMs() == 0;
}

}  // namespace platform
