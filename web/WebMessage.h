// The messages a browser sends over its WebSocket: one short text line per
// pointer event, "down X Y", "up X Y", "move X Y", "rdown X Y" or "rup X Y",
// X and Y in picture pixels. Anything else is refused with a reason.
#pragma once

#include <cstddef>

#include "web/PointerQueue.h"

namespace web {

// The longest message accepted; a longer one closes the connection.
constexpr std::size_t kMaxClientMessage = 64;

// Decodes one message into out (action, x, y). x must lie in [0, width) and
// y in [0, height). False with a short reason in error otherwise.
bool DecodeClientMessage(const char* data, std::size_t size, int width, int height, PointerEvent* out, char* error,
                         std::size_t errorSize);

}  // namespace web
