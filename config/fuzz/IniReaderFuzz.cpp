// libFuzzer target: arbitrary bytes as an ini file, read through every
// look-up of the ini reader and through a whole program-ini pass.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "config/IniRead.h"
#include "config/Ini_File_Reader.h"

namespace {

const std::string& InputPath() {
  static std::string path = [] {
    char name[] = "/tmp/tarnel_inifuzz_XXXXXX";
    int fd = ::mkstemp(name);
    if (fd >= 0) {
      ::close(fd);
    }
    static char made[sizeof name];
    std::snprintf(made, sizeof made, "%s", name);
    std::atexit([] { ::unlink(made); });
    return std::string(name);
  }();
  return path;
}

bool WriteInput(const uint8_t* data, std::size_t size) {
  std::FILE* f = std::fopen(InputPath().c_str(), "wb");
  if (f == nullptr) {
    return false;
  }
  std::fwrite(data, 1, size, f);
  std::fclose(f);
  return true;
}

void LookUps(const char* key, const char* item) {
  Ini_File_Reader reader;
  if (!reader.OpenFile(InputPath())) {
    return;
  }
  char text[Ini_File_Reader::kValueSize];
  int i = 0;
  short s = 0;
  long l = 0;
  float f = 0;
  double d = 0;
  bool b = false;
  reader.LookForValue(key, item, text);
  reader.LookForValue(key, item, text, Ini_File_Reader::Spaces::kKept);
  reader.LookForValue(key, item, &i);
  reader.LookForValue(key, item, &s);
  reader.LookForValue(key, item, &l);
  reader.LookForValue(key, item, &f);
  reader.LookForValue(key, item, &d);
  reader.LookForValue(key, item, &b);
  reader.LookForValue(key, item);
  reader.GetErrorText();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  if (!WriteInput(data, size)) {
    return 0;
  }
  CInitProgress::SetPauseMilliseconds(0);

  // A Key and Item taken from the input's first line, then fixed ones.
  std::string first(reinterpret_cast<const char*>(data), size < 64 ? size : 64);
  std::size_t cut = first.find_first_of("\n\0", 0, 2);
  first = first.substr(0, cut);
  std::size_t eq = first.find('=');
  LookUps(first.substr(0, eq).c_str(), eq == std::string::npos ? "" : first.substr(eq + 1).c_str());
  LookUps("FILES", "MainPicture");
  LookUps("OPTIONS", "IterationRate");

  static std::vector<uint8_t> area(ini_area::kAreaSize);
  CIniRead ini(area.data(), InputPath().c_str());
  ini.ReadIniFile(size > 0 ? data[0] : 5);
  ini.GetErrorText();
  return 0;
}
