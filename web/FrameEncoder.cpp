#include "web/FrameEncoder.h"

#include <spng.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <new>

#include "platform/SurfacePixels.h"

namespace web {

namespace {

// Each arena block keeps its size in front, so that realloc can copy it.
constexpr std::size_t kAlign = 16;

// The allocation callbacks take no user pointer: they reach the encoder
// working on this thread. Blocks are given back all at once when the next
// picture starts.
thread_local FrameEncoder* gEncoder = nullptr;

void* SpngMalloc(size_t size) { return gEncoder->ArenaAlloc(size); }
void* SpngRealloc(void* old, size_t size) { return gEncoder->ArenaRealloc(old, size); }
void* SpngCalloc(size_t count, size_t size) {
  if (size != 0 && count > SIZE_MAX / size) return nullptr;
  void* p = gEncoder->ArenaAlloc(count * size);
  if (p != nullptr) std::memset(p, 0, count * size);
  return p;
}
void SpngFree(void* /*ptr*/) {}

struct Sink {
  std::vector<uint8_t>* out;
};

int Write(spng_ctx* /*ctx*/, void* user, void* data, size_t length) {
  auto* sink = static_cast<Sink*>(user);
  const auto* bytes = static_cast<const uint8_t*>(data);
  sink->out->insert(sink->out->end(), bytes, bytes + length);
  return 0;
}

void Put16(uint8_t* p, uint32_t v) {
  p[0] = uint8_t(v);
  p[1] = uint8_t(v >> 8);
}
void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}
uint32_t Get16(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8; }
uint32_t Get32(const uint8_t* p) { return Get16(p) | Get16(p + 2) << 16; }

}  // namespace

FrameEncoder::FrameEncoder() = default;
FrameEncoder::~FrameEncoder() = default;

bool FrameEncoder::Init() {
  if (rgb_ != nullptr) return true;
  rgb_.reset(new (std::nothrow) uint8_t[std::size_t{kMaxWidth} * kMaxHeight * 3]);
  arena_.reset(new (std::nothrow) unsigned char[kArenaSize]);
  return rgb_ != nullptr && arena_ != nullptr;
}

void* FrameEncoder::ArenaAlloc(std::size_t size) {
  const std::size_t need = (size + kAlign - 1) / kAlign * kAlign + kAlign;
  if (arena_ == nullptr || size > kArenaSize || need > kArenaSize - arenaUsed_) return nullptr;
  unsigned char* block = arena_.get() + arenaUsed_;
  arenaUsed_ += need;
  std::memcpy(block, &size, sizeof size);
  return block + kAlign;
}

void* FrameEncoder::ArenaRealloc(void* old, std::size_t size) {
  void* fresh = ArenaAlloc(size);
  if (fresh != nullptr && old != nullptr) {
    std::size_t oldSize = 0;
    std::memcpy(&oldSize, static_cast<unsigned char*>(old) - kAlign, sizeof oldSize);
    std::memcpy(fresh, old, oldSize < size ? oldSize : size);
  }
  return fresh;
}

bool FrameEncoder::EncodePng(const platform::DrawSurface& surface, const platform::Rect& rect,
                             std::vector<uint8_t>* out, char* error, std::size_t errorSize) {
  if (!Init()) {
    std::snprintf(error, errorSize, "no memory for the frame encoder");
    return false;
  }
  const std::size_t bytes = std::size_t(rect.Width()) * std::size_t(rect.Height()) * 3;
  if (!platform::ReadPixelsRgb(surface, rect, rgb_.get(), std::size_t{kMaxWidth} * kMaxHeight * 3)) {
    std::snprintf(error, errorSize, "cannot read the picture's pixels");
    return false;
  }
  arenaUsed_ = 0;
  gEncoder = this;
  spng_alloc arenaAlloc{SpngMalloc, SpngRealloc, SpngCalloc, SpngFree};
  spng_ctx* ctx = spng_ctx_new2(&arenaAlloc, SPNG_CTX_ENCODER);
  if (ctx == nullptr) {
    std::snprintf(error, errorSize, "no memory for the PNG encoder");
    return false;
  }
  Sink sink{out};
  spng_ihdr ihdr = {};
  ihdr.width = uint32_t(rect.Width());
  ihdr.height = uint32_t(rect.Height());
  ihdr.bit_depth = 8;
  ihdr.color_type = SPNG_COLOR_TYPE_TRUECOLOR;
  int rc = spng_set_png_stream(ctx, Write, &sink);
  if (rc == 0) rc = spng_set_ihdr(ctx, &ihdr);
  // Fast settings: the pictures are mostly flat colour, and the loop waits.
  if (rc == 0) rc = spng_set_option(ctx, SPNG_IMG_COMPRESSION_LEVEL, 1);
  if (rc == 0) rc = spng_set_option(ctx, SPNG_FILTER_CHOICE, SPNG_FILTER_CHOICE_SUB);
  if (rc == 0) rc = spng_encode_image(ctx, rgb_.get(), bytes, SPNG_FMT_PNG, SPNG_ENCODE_FINALIZE);
  spng_ctx_free(ctx);
  gEncoder = nullptr;
  if (rc != 0) {
    std::snprintf(error, errorSize, "PNG encoding failed: %s", spng_strerror(rc));
    return false;
  }
  return true;
}

bool FrameEncoder::Encode(const platform::DrawSurface& surface, const platform::Rect* rects, int count, bool whole,
                          std::vector<uint8_t>* message, char* error, std::size_t errorSize) {
  message->clear();
  if (!Init()) {
    std::snprintf(error, errorSize, "no memory for the frame encoder");
    return false;
  }
  const platform::Rect bounds{0, 0, surface.Width() < kMaxWidth ? surface.Width() : kMaxWidth,
                              surface.Height() < kMaxHeight ? surface.Height() : kMaxHeight};
  platform::Rect kept[kMaxRects];
  int n = 0;
  for (int i = 0; i < count && n < kMaxRects; i++) {
    const platform::Rect r = platform::Intersect(rects[i], bounds);
    if (!r.IsEmpty()) kept[n++] = r;
  }
  const std::size_t header = kHeaderSize + std::size_t(n) * kEntrySize;
  message->resize(header);
  (*message)[0] = kMagic;
  (*message)[1] = whole ? kWholePicture : 0;
  Put16(message->data() + 2, uint32_t(n));
  for (int i = 0; i < n; i++) {
    const std::size_t before = message->size();
    if (!EncodePng(surface, kept[i], message, error, errorSize)) {
      message->clear();
      return false;
    }
    uint8_t* entry = message->data() + kHeaderSize + std::size_t(i) * kEntrySize;
    Put16(entry, uint32_t(kept[i].left));
    Put16(entry + 2, uint32_t(kept[i].top));
    Put16(entry + 4, uint32_t(kept[i].Width()));
    Put16(entry + 6, uint32_t(kept[i].Height()));
    Put32(entry + 8, uint32_t(message->size() - before));
  }
  return true;
}

void FrameEncoder::Assemble(const platform::Rect* rects, const std::vector<uint8_t>* pngs, int count, bool whole,
                            std::vector<uint8_t>* message) {
  const int n = count < kMaxRects ? count : kMaxRects;
  message->resize(kHeaderSize + std::size_t(n) * kEntrySize);
  (*message)[0] = kMagic;
  (*message)[1] = whole ? kWholePicture : 0;
  Put16(message->data() + 2, uint32_t(n));
  for (int i = 0; i < n; i++) {
    uint8_t* entry = message->data() + kHeaderSize + std::size_t(i) * kEntrySize;
    Put16(entry, uint32_t(rects[i].left));
    Put16(entry + 2, uint32_t(rects[i].top));
    Put16(entry + 4, uint32_t(rects[i].Width()));
    Put16(entry + 6, uint32_t(rects[i].Height()));
    Put32(entry + 8, uint32_t(pngs[i].size()));
  }
  for (int i = 0; i < n; i++) message->insert(message->end(), pngs[i].begin(), pngs[i].end());
}

bool FrameEncoder::EncodeWhole(const platform::DrawSurface& surface, std::vector<uint8_t>* message, char* error,
                               std::size_t errorSize) {
  const platform::Rect all{0, 0, surface.Width(), surface.Height()};
  return Encode(surface, &all, 1, true, message, error, errorSize);
}

bool ParseFrame(const uint8_t* data, std::size_t size, bool* whole, FramePicture* pictures, int capacity,
                int* count) {
  if (data == nullptr || size < FrameEncoder::kHeaderSize || data[0] != FrameEncoder::kMagic) return false;
  const int n = int(Get16(data + 2));
  if (n > FrameEncoder::kMaxRects || n > capacity) return false;
  std::size_t offset = FrameEncoder::kHeaderSize + std::size_t(n) * FrameEncoder::kEntrySize;
  if (offset > size) return false;
  for (int i = 0; i < n; i++) {
    const uint8_t* e = data + FrameEncoder::kHeaderSize + std::size_t(i) * FrameEncoder::kEntrySize;
    FramePicture& p = pictures[i];
    p.x = int(Get16(e));
    p.y = int(Get16(e + 2));
    p.width = int(Get16(e + 4));
    p.height = int(Get16(e + 6));
    p.size = Get32(e + 8);
    if (p.size > size - offset) return false;
    p.png = data + offset;
    offset += p.size;
  }
  if (offset != size) return false;
  *whole = (data[1] & FrameEncoder::kWholePicture) != 0;
  *count = n;
  return true;
}

}  // namespace web
