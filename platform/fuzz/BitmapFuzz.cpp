// libFuzzer target: arbitrary bytes as a .bmp file, loaded as a control image
// and as a picture, then drawn.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/Graphics.h"

namespace {

const std::string& InputPath() {
  static const std::string path = [] {
    static char name[] = "/tmp/tarnel_bmpfuzz_XXXXXX.bmp";
    int fd = ::mkstemps(name, 4);
    if (fd >= 0) ::close(fd);
    std::atexit([] { ::unlink(name); });
    return std::string(name);
  }();
  return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::FILE* f = std::fopen(InputPath().c_str(), "wb");
  if (f == nullptr) return 0;
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  static platform::DrawSurface target;
  if (!target.IsValid()) target.Create(64, 64);
  char error[512];
  platform::Bitmap bitmap;
  if (bitmap.Load(InputPath().c_str(), error, sizeof error)) target.DrawBitmap(bitmap, 3, 3);
  platform::DrawSurface picture;
  if (picture.LoadPicture(InputPath().c_str(), error, sizeof error)) picture.PixelAt(0, 0);
  return 0;
}
