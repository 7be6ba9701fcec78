// Reads single values out of a sectioned ini file. A Key is a section name in
// square brackets on a line of its own; an Item is the name on the left of
// "=" inside that section. Every look-up rescans the file from its first line.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "common/Qx_ErrorReport.h"
#include "config/SettingsFile.h"

class Ini_File_Reader : public Qx_ErrorReport {
 public:
  // The largest ini file read, in bytes.
  static constexpr long kMaxFileBytes = 1024 * 1024;

  // Size of the value buffer and of the caller's buffer for the text look-ups.
  static constexpr std::size_t kValueSize = 1024;

  enum class Spaces { kRemoved, kKept };

  Ini_File_Reader();
  ~Ini_File_Reader() override;
  Ini_File_Reader(const Ini_File_Reader&) = delete;
  Ini_File_Reader& operator=(const Ini_File_Reader&) = delete;

  // Opens the file for reading; a reader opens one file in its life (a second
  // call fails and keeps the first file).
  bool OpenFile(const char* fileName);
  bool OpenFile(const std::string& fileName);

  // The LookForValue family: each finds Key, then Item below it, then converts
  // the value. False (output untouched) when either is missing.
  // Text: value copied into the caller's buffer of kValueSize characters, with
  // every space removed (kRemoved) or as written (kKept).
  bool LookForValue(const char* key, const char* item, char* value, Spaces spaces = Spaces::kRemoved);
  bool LookForValue(const char* key, const char* item, int* value);
  bool LookForValue(const char* key, const char* item, short* value);
  bool LookForValue(const char* key, const char* item, long* value);
  bool LookForValue(const char* key, const char* item, float* value);
  bool LookForValue(const char* key, const char* item, double* value);
  // True when the value holds "true", "TRUE", "True" or the character '1'.
  bool LookForValue(const char* key, const char* item, bool* value);
  // Entry only: finds a line that, packed, is exactly the Item.
  bool LookForValue(const char* key, const char* item);

  const std::string& FileName() const { return fileName_; }

  // A walk over the whole file, for files of many lines of one shape: after
  // Rewind, each NextEntry delivers the next line that is neither blank, nor
  // a comment (first character ';' or '#'), nor a Key line ("[Key]" as the
  // line's first text), with the Key it sits under. The texts stay valid
  // until the next call.
  struct Entry {
    int line = 0;            // from 1
    const char* key = "";    // "" before the first Key line
    const char* item = "";   // the Item name, spaces removed; "" without "="
    const char* value = "";  // after the first "=", as written (leading and trailing spaces cut)
    const char* text = "";   // the whole line, tabs as spaces, leading spaces cut
  };
  bool Rewind();
  bool NextEntry(Entry* entry);

 protected:
  // atoi that saturates instead of overflowing on out-of-range digits.
  static int ToInt(const char* text);

 private:
  // Finds Key and Item, leaving the value text (after "=", cut at the newline,
  // leading spaces skipped) in *value.
  bool Find(const char* key, const char* item, bool packed, const char** value);
  bool FindKey(const char* key);
  bool FindItem(const char* item, bool packed);
  bool FindEntry(const char* item);
  bool MatchItem(const char* item, bool packed);
  void ReportKeyMissing(const char* key);
  void ReportItemMissing(const char* item);
  const char* ExtractValue();

  std::string fileName_;
  char value_[kValueSize] = {};
  char line_[kValueSize] = {};
  std::string currentKey_;
  std::unique_ptr<SettingsFileClass> file_;
  // The walk's line count, Key and texts.
  int walkLine_ = 0;
  char walkKey_[kValueSize] = {};
  char walkItem_[kValueSize] = {};
  char walkText_[kValueSize] = {};
};
