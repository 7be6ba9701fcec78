// libFuzzer target: arbitrary bytes as a mapping file, read whole (every
// line through the ini reader's walk and the mapping parser), and the first
// line's two halves as one mapping line.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "devices/InputMappingFile.h"

namespace {

const char* InputPath() {
  static char path[] = "/tmp/tarnel_mapfuzz_XXXXXX";
  static const bool made = [] {
    const int fd = ::mkstemp(path);
    if (fd >= 0) ::close(fd);
    std::atexit([] { ::unlink(path); });
    return fd >= 0;
  }();
  return made ? path : nullptr;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const char* path = InputPath();
  if (path == nullptr) return 0;
  if (std::FILE* f = std::fopen(path, "wb")) {
    std::fwrite(data, 1, size, f);
    std::fclose(f);
  }
  static InputMappingFile file;  // large: made once
  file.Load(path);
  for (int i = 0; i < file.MappingCount(); i++) {
    const InputMapping& m = file.Mapping(i);
    if (m.facts == nullptr || m.section < 0 || m.section >= file.SectionCount() || m.line <= 0) std::abort();
  }

  std::string text(reinterpret_cast<const char*>(data), size < 300 ? size : 300);
  text = text.substr(0, text.find_first_of(std::string("\n\0", 2)));
  const std::size_t equals = text.find('=');
  InputMapping m;
  char reason[InputMappingFile::kReasonSize];
  InputMappingFile::ParseLine(text.substr(0, equals).c_str(), equals == std::string::npos ? "" : text.c_str() + equals + 1,
                              &m, reason, sizeof reason);
  return 0;
}
