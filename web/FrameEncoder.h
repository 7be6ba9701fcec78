// Turns the changed rectangles of one drawing pass into one binary frame
// message for the browsers: PNG pictures (encoded by libspng) behind a small
// header. Runs on the station's loop thread; the pixels it reads belong to
// the loop. Every buffer is made once by Init; the encoder's own working
// memory comes from a fixed arena that is reset for every picture.
//
// Message layout (integers little-endian):
//   byte 0  'F'
//   byte 1  flags: 1 = the whole picture (a fresh start for the browser)
//   2..3    rectangle count N (at most kMaxRects)
//   N x 12  x, y, width, height (16-bit each), PNG length (32-bit)
//   then the N PNG files, in the same order.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/Graphics.h"

namespace web {

class FrameEncoder {
 public:
  static constexpr uint8_t kMagic = 'F';
  static constexpr uint8_t kWholePicture = 1;
  static constexpr int kHeaderSize = 4;
  static constexpr int kEntrySize = 12;
  static constexpr int kMaxRects = platform::DamageList::kCapacity;
  // The largest picture encoded (the overhead picture is 1880 x 1300).
  static constexpr int kMaxWidth = 2048;
  static constexpr int kMaxHeight = 2048;
  // The compressor's working memory for one picture.
  static constexpr std::size_t kArenaSize = std::size_t{2} << 20;

  FrameEncoder();
  ~FrameEncoder();
  FrameEncoder(const FrameEncoder&) = delete;
  FrameEncoder& operator=(const FrameEncoder&) = delete;

  // Makes the pixel and arena buffers; false when there is no memory.
  bool Init();
  // Replaces message with the frame of the rectangles (clipped to the
  // surface; empty ones skipped). False, with a text, when a picture could
  // not be encoded; the message is then empty.
  bool Encode(const platform::DrawSurface& surface, const platform::Rect* rects, int count, bool whole,
              std::vector<uint8_t>* message, char* error, std::size_t errorSize);
  // The whole surface as one rectangle.
  bool EncodeWhole(const platform::DrawSurface& surface, std::vector<uint8_t>* message, char* error,
                   std::size_t errorSize);

  // One PNG of the rectangle (on the surface, not empty), appended to out.
  bool EncodePng(const platform::DrawSurface& surface, const platform::Rect& rect, std::vector<uint8_t>* out,
                 char* error, std::size_t errorSize);
  // Replaces message with the frame of PNGs already encoded, one per rectangle.
  static void Assemble(const platform::Rect* rects, const std::vector<uint8_t>* pngs, int count, bool whole,
                       std::vector<uint8_t>* message);

  // Arena bookkeeping, used by the compressor's allocation callbacks.
  void* ArenaAlloc(std::size_t size);
  void* ArenaRealloc(void* old, std::size_t size);

 private:
  std::unique_ptr<uint8_t[]> rgb_;
  std::unique_ptr<unsigned char[]> arena_;
  std::size_t arenaUsed_ = 0;
};

// Reads a frame message's header back (used by clients and tests): false
// when the message is not a well-formed frame of at most kMaxRects pictures
// whose lengths add up to the message.
struct FramePicture {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  const uint8_t* png = nullptr;
  uint32_t size = 0;
};
bool ParseFrame(const uint8_t* data, std::size_t size, bool* whole, FramePicture* pictures, int capacity,
                int* count);

}  // namespace web
