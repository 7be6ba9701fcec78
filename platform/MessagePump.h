// The window-message queue as the real-time loop sees it: take one pending
// message and dispatch it, or wait until a message is pending. The station
// uses SDL's event queue; tests use a fake queue.
#pragma once

#include <cstdint>

union SDL_Event;

namespace platform {

class MessagePump {
 public:
  virtual ~MessagePump() = default;

  // Removes one pending message and dispatches it; false when none was pending.
  virtual bool DispatchOne() = 0;
  // Blocks until a message is pending (it stays queued) or timeoutMs
  // milliseconds have passed; true when a message is pending.
  virtual bool WaitForMessage(int32_t timeoutMs) = 0;
};

// SDL's event queue. Each removed event goes to the dispatcher with its context.
// Needs SDL_Init with at least SDL_INIT_EVENTS before use.
class SdlMessagePump final : public MessagePump {
 public:
  using Dispatcher = void (*)(const SDL_Event& event, void* context);

  SdlMessagePump() = default;
  SdlMessagePump(Dispatcher dispatcher, void* context) : dispatcher_(dispatcher), context_(context) {}

  void SetDispatcher(Dispatcher dispatcher, void* context) {
    dispatcher_ = dispatcher;
    context_ = context;
  }

  bool DispatchOne() override;
  bool WaitForMessage(int32_t timeoutMs) override;

 private:
  Dispatcher dispatcher_ = nullptr;
  void* context_ = nullptr;
};

}  // namespace platform
