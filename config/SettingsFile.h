// Line-oriented wrapper around a C stream for files of "name = value" lines.
// Problems are kept as the object's report text; nothing throws.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "common/Qx_ErrorReport.h"

class SettingsFileClass : public Qx_ErrorReport {
 public:
  // Open modes: "r", "w", "r+", "a". Any other mode leaves the file closed.
  enum Mode { kRead = 0, kWrite = 1, kReadWrite = 2, kAppend = 3 };

  static constexpr std::size_t kNameSize = 1024;
  static constexpr std::size_t kFormatSize = 1024;
  static constexpr std::size_t kLineSize = 5120;
  static constexpr std::size_t kScratchSize = 1024;

  SettingsFileClass(const char* fileName, int mode);
  SettingsFileClass(const std::string& fileName, int mode);
  ~SettingsFileClass() override;
  SettingsFileClass(const SettingsFileClass&) = delete;
  SettingsFileClass& operator=(const SettingsFileClass&) = delete;

  void Close();
  void Flush();
  bool IsOpen() const { return open_; }
  // Moves to the start of the file; true when that succeeded.
  bool Rewind();
  const char* FileName();

  // Reads one line (at most 5119 characters, newline included; the rest of a
  // longer line is skipped) and copies at most length - 1 characters of it.
  // The destination always ends with a NUL; it is empty at the end of the file.
  bool ReadFromSettingsFile(char* destination, std::size_t length);
  // Reads one line straight into a 1024-character buffer.
  bool ReadFromSettingsFile(char (&buffer)[1024]);
  // Reads one line into a string (at most 1023 characters).
  bool ReadFromSettingsFile(std::string& text);
  // Reads one line straight into the caller's buffer of the given size.
  bool ReadStraight(char* buffer, std::size_t size);

  bool WriteToSettingsFile(const char* text);
  bool WriteLine(const char* text);
  bool WriteLine(const std::string& text);
  bool WriteFormatted(const char* format, ...) __attribute__((format(printf, 2, 3)));
  bool WriteValue(const char* name, const char* value);
  bool WriteValue(const char* name, int value);
  bool WriteValue(const char* name, double value);
  bool WriteValue(const char* name, bool value);

 private:
  void Open(const char* fileName, int mode);
  // Reads one line into buffer (size bytes), skipping what does not fit.
  bool ReadLine(char* buffer, std::size_t size);
  void ReportFailure(const char* operation, const char* message);

  char nameCopy_[kNameSize] = {};
  char format_[kFormatSize + 16] = {};
  char line_[kLineSize] = {};
  std::FILE* stream_ = nullptr;
  bool open_ = false;
  char fileName_[kNameSize] = {};
  char scratch_[kScratchSize] = {};
};
