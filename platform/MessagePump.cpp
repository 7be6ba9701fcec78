#include "platform/MessagePump.h"

#include <SDL.h>

namespace platform {

bool SdlMessagePump::DispatchOne() {
  SDL_Event event;
  if (SDL_PollEvent(&event) == 0) {
    return false;
  }
  if (dispatcher_ != nullptr) {
    dispatcher_(event, context_);
  }
  return true;
}

bool SdlMessagePump::WaitForMessage(int32_t timeoutMs) {
  if (timeoutMs < 0) {
    timeoutMs = 0;
  }
  // With a null event SDL only waits; the event stays queued for DispatchOne.
  return SDL_WaitEventTimeout(nullptr, timeoutMs) != 0;
}

}  // namespace platform
