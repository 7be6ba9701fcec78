// libFuzzer target: a browser's WebSocket message as the server decodes it,
// and the same bytes read as a frame message, as a client reads one.
#include <cstddef>
#include <cstdint>

#include "web/FrameEncoder.h"
#include "web/WebMessage.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  web::PointerEvent event;
  char error[64];
  if (web::DecodeClientMessage(reinterpret_cast<const char*>(data), size, 1880, 1300, &event, error, sizeof error)) {
    if (event.x < 0 || event.x >= 1880 || event.y < 0 || event.y >= 1300) __builtin_trap();
  }
  bool whole = false;
  web::FramePicture pictures[web::FrameEncoder::kMaxRects];
  int count = 0;
  if (web::ParseFrame(data, size, &whole, pictures, web::FrameEncoder::kMaxRects, &count)) {
    for (int i = 0; i < count; i++) {
      if (pictures[i].png < data || pictures[i].png + pictures[i].size > data + size) __builtin_trap();
    }
  }
  return 0;
}
