// The window-message queue as the real-time loop sees it: take one pending
// message and dispatch it, or wait until a message is pending. The station
// uses the window system's event queue; tests use a fake queue.
#pragma once

#include <cstdint>

#include "platform/Events.h"

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

// The window system's event queue. Each removed event goes, decoded, to the
// handler. Needs StartVideo (or the event queue started otherwise) before use.
class SdlMessagePump final : public MessagePump {
 public:
  SdlMessagePump() = default;
  explicit SdlMessagePump(EventHandler* handler) : handler_(handler) {}

  void SetHandler(EventHandler* handler) { handler_ = handler; }

  bool DispatchOne() override;
  bool WaitForMessage(int32_t timeoutMs) override;

 private:
  EventHandler* handler_ = nullptr;
};

}  // namespace platform
