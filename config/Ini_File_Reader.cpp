#include "config/Ini_File_Reader.h"

#include <sys/stat.h>

#include <cerrno>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>

#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "platform/FilePath.h"

namespace {
RevisionLines gRevisions("%Z% Ini_File_Reader QX_P_0612_01 Ini_File_Reader.cpp $Revision: 1.7 $",
                         "%Z% Ini_File_Reader QX_P_0612_01 Ini_File_Reader.h $Revision: 1.3 $");

const char kLookForValue[] = "Ini_File_Reader::LookForValue";

// Longest Key that fits "[" + Key + "]" in the search buffer.
constexpr std::size_t kMaxKey = 1021;

double ToDouble(const char* text) {
  double d = std::strtod(text, nullptr);
  return std::isnan(d) ? 0.0 : d;
}
}  // namespace

Ini_File_Reader::Ini_File_Reader() { gRevisions.RegisterOnce(); }

Ini_File_Reader::~Ini_File_Reader() = default;

bool Ini_File_Reader::OpenFile(const char* fileName) {
  if (fileName == nullptr || fileName[0] == '\0') {
    Report("Ini_File_Reader::OpenFile", "Ini_File_Reader::OpenFile - File Name Given was NULL");
    return false;
  }
  if (file_ != nullptr) {
    Report3("Ini_File_Reader::OpenFile", "A file is already open", fileName_.c_str());
    return false;
  }
  fileName_.assign(fileName);
  // Only a regular file of a bounded size is read: a device or a pipe could
  // feed the reader for ever.
  char native[4096];
  struct stat st;
  if (platform::ResolvePath(fileName, native, sizeof native) && ::stat(native, &st) == 0) {
    if (!S_ISREG(st.st_mode)) {
      Report3("Ini_File_Reader::OpenFile", "Not a regular file", fileName);
      return false;
    }
    if (st.st_size > kMaxFileBytes) {
      char text[96];
      FormatBounded(text, sizeof text, "File larger than %ld bytes", static_cast<long>(kMaxFileBytes));
      Report3("Ini_File_Reader::OpenFile", text, fileName);
      return false;
    }
  }
  file_ = std::make_unique<SettingsFileClass>(fileName, SettingsFileClass::kRead);
  if (!file_->IsOpen()) {
    CopyReport(*file_);
    return false;
  }
  return true;
}

bool Ini_File_Reader::OpenFile(const std::string& fileName) { return OpenFile(fileName.c_str()); }

int Ini_File_Reader::ToInt(const char* text) {
  if (text == nullptr) {
    return 0;
  }
  long v = std::strtol(text, nullptr, 10);
  if (v > INT_MAX) {
    return INT_MAX;
  }
  if (v < INT_MIN) {
    return INT_MIN;
  }
  return static_cast<int>(v);
}

void Ini_File_Reader::ReportKeyMissing(const char* key) {
  std::string text(kLookForValue);
  text += "\nDid not find Key [";
  text += key;
  text += "]\nin file \n";
  text += fileName_;
  ReportText(text.c_str());
}

void Ini_File_Reader::ReportItemMissing(const char* item) {
  std::string text(kLookForValue);
  text += "\nDid not find Item <";
  text += item;
  text += "> under Key [";
  text += currentKey_;
  text += "]\nin file \n";
  text += fileName_;
  ReportText(text.c_str());
}

bool Ini_File_Reader::FindKey(const char* key) {
  char search[kValueSize];
  FormatBounded(search, sizeof search, "[%.*s]", static_cast<int>(kMaxKey), key);
  if (!file_->Rewind()) {
    return false;
  }
  while (file_->ReadFromSettingsFile(line_, sizeof line_)) {
    if (std::strstr(line_, search) != nullptr) {
      return true;
    }
  }
  return false;
}

bool Ini_File_Reader::MatchItem(const char* item, bool packed) {
  char work[kValueSize];
  CopyBounded(work, line_, sizeof work);
  if (std::strchr(work, '=') == nullptr) {
    return false;
  }
  TabsToSpaces(work);
  char* written = SkipSpaces(work);
  char asWritten[kValueSize];
  CopyBounded(asWritten, written, sizeof asWritten);
  RemoveSpaces(written);
  char* equals = std::strchr(written, '=');
  CopyBounded(value_, packed ? equals : asWritten, sizeof value_);
  *equals = '\0';
  return std::strcmp(written, item) == 0;
}

bool Ini_File_Reader::FindItem(const char* item, bool packed) {
  while (file_->ReadFromSettingsFile(line_, sizeof line_)) {
    if (MatchItem(item, packed)) {
      return true;
    }
    if (std::strchr(line_, '[') != nullptr) {
      return false;
    }
  }
  return false;
}

bool Ini_File_Reader::FindEntry(const char* item) {
  while (file_->ReadFromSettingsFile(line_, sizeof line_)) {
    char work[kValueSize];
    CopyBounded(work, line_, sizeof work);
    TabsToSpaces(work);
    RemoveSpaces(work);
    CutAtNewline(work);
    if (std::strcmp(work, item) == 0) {
      CopyBounded(value_, work, sizeof value_);
      return true;
    }
    if (std::strchr(line_, '[') != nullptr) {
      return false;
    }
  }
  return false;
}

const char* Ini_File_Reader::ExtractValue() {
  char* equals = std::strchr(value_, '=');
  if (equals == nullptr) {
    return "";
  }
  CutAtNewline(equals + 1);
  return SkipSpaces(equals + 1);
}

bool Ini_File_Reader::Find(const char* key, const char* item, bool packed, const char** value) {
  if (key == nullptr || item == nullptr) {
    return false;
  }
  if (file_ == nullptr || !file_->IsOpen()) {
    Report(kLookForValue, "File is not opened");
    return false;
  }
  currentKey_.assign(key);
  if (!FindKey(key)) {
    ReportKeyMissing(key);
    return false;
  }
  if (!FindItem(item, packed)) {
    ReportItemMissing(item);
    return false;
  }
  *value = ExtractValue();
  return true;
}

bool Ini_File_Reader::LookForValue(const char* key, const char* item, char* value, Spaces spaces) {
  const char* found = nullptr;
  if (value == nullptr || !Find(key, item, spaces == Spaces::kRemoved, &found)) {
    return false;
  }
  CopyBounded(value, found, kValueSize);
  return true;
}

bool Ini_File_Reader::LookForValue(const char* key, const char* item, int* value) {
  const char* found = nullptr;
  if (value == nullptr || !Find(key, item, true, &found)) {
    return false;
  }
  *value = ToInt(found);
  return true;
}

bool Ini_File_Reader::LookForValue(const char* key, const char* item, short* value) {
  const char* found = nullptr;
  if (value == nullptr || !Find(key, item, true, &found)) {
    return false;
  }
  // Kept to 16 bits (modulo 2^16).
  *value = static_cast<short>(ToInt(found));
  return true;
}

bool Ini_File_Reader::LookForValue(const char* key, const char* item, long* value) {
  const char* found = nullptr;
  if (value == nullptr || !Find(key, item, true, &found)) {
    return false;
  }
  *value = ToInt(found);
  return true;
}

bool Ini_File_Reader::LookForValue(const char* key, const char* item, float* value) {
  const char* found = nullptr;
  if (value == nullptr || !Find(key, item, true, &found)) {
    return false;
  }
  // Out of single-precision range becomes an infinity rather than undefined.
  double d = ToDouble(found);
  if (d > FLT_MAX) {
    *value = HUGE_VALF;
  } else if (d < -FLT_MAX) {
    *value = -HUGE_VALF;
  } else {
    *value = static_cast<float>(d);
  }
  return true;
}

bool Ini_File_Reader::LookForValue(const char* key, const char* item, double* value) {
  const char* found = nullptr;
  if (value == nullptr || !Find(key, item, true, &found)) {
    return false;
  }
  *value = ToDouble(found);
  return true;
}

bool Ini_File_Reader::LookForValue(const char* key, const char* item, bool* value) {
  const char* found = nullptr;
  if (value == nullptr || !Find(key, item, true, &found)) {
    return false;
  }
  *value = std::strstr(found, "true") != nullptr || std::strstr(found, "TRUE") != nullptr ||
           std::strstr(found, "True") != nullptr || std::strchr(found, '1') != nullptr;
  return true;
}

bool Ini_File_Reader::LookForValue(const char* key, const char* item) {
  if (key == nullptr || item == nullptr) {
    return false;
  }
  if (file_ == nullptr || !file_->IsOpen()) {
    Report(kLookForValue, "File is not opened");
    return false;
  }
  currentKey_.assign(key);
  if (!FindKey(key)) {
    ReportKeyMissing(key);
    return false;
  }
  if (!FindEntry(item)) {
    ReportItemMissing(item);
    return false;
  }
  return true;
}

bool Ini_File_Reader::Rewind() {
  walkLine_ = 0;
  walkKey_[0] = '\0';
  return file_ != nullptr && file_->IsOpen() && file_->Rewind();
}

bool Ini_File_Reader::NextEntry(Entry* entry) {
  if (entry == nullptr || file_ == nullptr || !file_->IsOpen()) {
    return false;
  }
  while (file_->ReadFromSettingsFile(line_, sizeof line_)) {
    walkLine_++;
    CopyBounded(walkText_, line_, sizeof walkText_);
    CutAtNewline(walkText_);
    TabsToSpaces(walkText_);
    char* text = SkipSpaces(walkText_);
    // Trailing spaces and a carriage return (a file written on another system).
    size_t length = std::strlen(text);
    while (length > 0 && (text[length - 1] == ' ' || text[length - 1] == '\r')) text[--length] = '\0';
    if (text[0] == '\0' || text[0] == ';' || text[0] == '#') {
      continue;
    }
    if (text[0] == '[' && std::strchr(text, ']') != nullptr) {
      const char* close = std::strchr(text, ']');
      const int keyLength = static_cast<int>(close - text - 1);
      FormatBounded(walkKey_, sizeof walkKey_, "%.*s", keyLength, text + 1);
      continue;
    }
    entry->line = walkLine_;
    entry->key = walkKey_;
    entry->text = text;
    entry->item = "";
    entry->value = "";
    char* equals = std::strchr(text, '=');
    if (equals != nullptr) {
      FormatBounded(walkItem_, sizeof walkItem_, "%.*s", static_cast<int>(equals - text), text);
      RemoveSpaces(walkItem_);
      entry->item = walkItem_;
      entry->value = SkipSpaces(equals + 1);
    }
    return true;
  }
  return false;
}
