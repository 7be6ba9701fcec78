#include "config/SettingsFile.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>

#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "platform/FilePath.h"

namespace {
RevisionLines gRevisions("%Z% SettingsFile QX_P_0612_03 SettingsFile.cpp $Revision: 1.5 $",
                         "%Z% SettingsFile QX_P_0612_03 SettingsFile.h $Revision: 1.2 $");

struct ModeEntry {
  const char* streamMode;
  const char* operation;
};

constexpr ModeEntry kModes[] = {
    {"r", "SettingsFileClass::OpenFileForReading"},
    {"w", "SettingsFileClass::OpenFileForWriting"},
    {"r+", "SettingsFileClass::OpenFileForReadWrite"},
    {"a", "SettingsFileClass::OpenFileForAppending"},
};

const char kReadOperation[] = "SettingsFileClass::ReadFromSettingsFile";
const char kWriteOperation[] = "SettingsFileClass::WriteToSettingsFile";
}  // namespace

SettingsFileClass::SettingsFileClass(const char* fileName, int mode) {
  gRevisions.RegisterOnce();
  Open(fileName, mode);
}

SettingsFileClass::SettingsFileClass(const std::string& fileName, int mode) {
  gRevisions.RegisterOnce();
  Open(fileName.c_str(), mode);
}

SettingsFileClass::~SettingsFileClass() { Close(); }

void SettingsFileClass::Open(const char* fileName, int mode) {
  CopyBounded(fileName_, fileName != nullptr ? fileName : "", sizeof fileName_);
  if (IsEmptyText(fileName_) || mode < kRead || mode > kAppend) {
    return;
  }
  // Backslashes are directory separators; an existing file is found whatever
  // the case of its name, a new one is created under the name as given.
  char native[4096];
  platform::ResolvePath(fileName_, native, sizeof native);
  stream_ = std::fopen(native, kModes[mode].streamMode);
  if (stream_ == nullptr) {
    Report3(kModes[mode].operation, std::strerror(errno), fileName_);
    return;
  }
  open_ = true;
}

void SettingsFileClass::Close() {
  if (stream_ != nullptr) {
    std::fclose(stream_);
    stream_ = nullptr;
  }
  open_ = false;
}

void SettingsFileClass::Flush() {
  if (open_) {
    std::fflush(stream_);
  }
}

bool SettingsFileClass::Rewind() {
  if (!open_) {
    return false;
  }
  std::clearerr(stream_);
  return std::fseek(stream_, 0, SEEK_SET) == 0;
}

const char* SettingsFileClass::FileName() {
  CopyBounded(nameCopy_, fileName_, sizeof nameCopy_);
  return nameCopy_;
}

void SettingsFileClass::ReportFailure(const char* operation, const char* message) {
  Report3(operation, message, fileName_);
}

bool SettingsFileClass::ReadLine(char* buffer, std::size_t size) {
  buffer[0] = '\0';
  if (!open_) {
    ReportFailure(kReadOperation, "File is not opened");
    return false;
  }
  std::size_t n = 0;
  bool any = false;
  int c = 0;
  while ((c = std::getc(stream_)) != EOF) {
    any = true;
    if (n + 1 < size) {
      buffer[n++] = static_cast<char>(c);
    }
    if (c == '\n') {
      break;
    }
  }
  // A line longer than the buffer keeps its first part; the rest up to its
  // newline has been read and dropped, so it never comes back as a line of its own.
  buffer[n] = '\0';
  if (!any) {
    ReportFailure(kReadOperation, "NULL read from file");
    return false;
  }
  // Files written on Windows end their lines with CR LF: read them as LF.
  if (n >= 2 && buffer[n - 2] == '\r' && buffer[n - 1] == '\n') {
    buffer[n - 2] = '\n';
    buffer[n - 1] = '\0';
  } else if (n >= 1 && buffer[n - 1] == '\r') {
    buffer[n - 1] = '\0';
  }
  return true;
}

bool SettingsFileClass::ReadFromSettingsFile(char* destination, std::size_t length) {
  if (destination == nullptr || length == 0) {
    return false;
  }
  bool ok = ReadLine(line_, sizeof line_);
  CopyBounded(destination, line_, length);
  return ok;
}

bool SettingsFileClass::ReadFromSettingsFile(char (&buffer)[1024]) { return ReadLine(buffer, sizeof buffer); }

bool SettingsFileClass::ReadFromSettingsFile(std::string& text) {
  bool ok = ReadLine(scratch_, sizeof scratch_);
  text.assign(scratch_);
  return ok;
}

bool SettingsFileClass::ReadStraight(char* buffer, std::size_t size) {
  if (buffer == nullptr || size == 0) {
    return false;
  }
  return ReadLine(buffer, size);
}

bool SettingsFileClass::WriteToSettingsFile(const char* text) {
  if (!open_) {
    ReportFailure(kWriteOperation, "File is not opened");
    return false;
  }
  if (text == nullptr) {
    return true;
  }
  if (std::fputs(text, stream_) == EOF) {
    ReportFailure(kWriteOperation, "EOF Error On writing");
    return false;
  }
  return true;
}

bool SettingsFileClass::WriteLine(const char* text) { return WriteToSettingsFile(text) && WriteToSettingsFile("\n"); }

bool SettingsFileClass::WriteLine(const std::string& text) {
  CopyBounded(scratch_, text.c_str(), sizeof scratch_);
  return WriteLine(scratch_);
}

bool SettingsFileClass::WriteFormatted(const char* format, ...) {
  if (format == nullptr) {
    return false;
  }
  std::memset(format_, 0, sizeof format_);
  va_list args;
  va_start(args, format);
  std::vsnprintf(format_, kFormatSize, format, args);
  va_end(args);
  format_[kFormatSize - 1] = '\0';
  return WriteLine(format_);
}

bool SettingsFileClass::WriteValue(const char* name, const char* value) {
  FormatBounded(format_, kFormatSize, "%s = %s\n", name != nullptr ? name : "", value != nullptr ? value : "");
  return WriteToSettingsFile(format_);
}

bool SettingsFileClass::WriteValue(const char* name, int value) {
  FormatBounded(format_, kFormatSize, "%s = %d\n", name != nullptr ? name : "", value);
  return WriteToSettingsFile(format_);
}

bool SettingsFileClass::WriteValue(const char* name, double value) {
  FormatBounded(format_, kFormatSize, "%s = %f\n", name != nullptr ? name : "", value);
  return WriteToSettingsFile(format_);
}

bool SettingsFileClass::WriteValue(const char* name, bool value) {
  return WriteValue(name, value ? "TRUE" : "FALSE");
}
