// The mapping file: one section per device, named by the device's name or
// GUID, and one line per mapping:
//
//   [USB button box]
//   oxygen: button 0        = button 3 toggle
//   air: switch 1           = buttons 4 5
//   air: knob 0             = axis 2
//   rmp: tuning knob        = buttons 6 7 step
//
// The file is read through the project's ini reader. A bad line gets an
// error naming the file, the line and the reason, and is left out; the
// rest of the file still counts.
#pragma once

#include <cstddef>

#include "common/Qx_ErrorReport.h"
#include "devices/InputMapping.h"

class InputMappingFile : public Qx_ErrorReport {
 public:
  static constexpr int kMaxMappings = 256;
  static constexpr int kMaxSections = 16;
  static constexpr std::size_t kSectionNameSize = 128;
  static constexpr std::size_t kErrorsSize = 4096;
  static constexpr std::size_t kReasonSize = 160;

  // Reads the file. False (reason in the report text) when it cannot be
  // read; bad lines leave their errors in Errors() and the result true.
  bool Load(const char* path);
  // One mapping line: "panel: control" (spaces optional) and the driver.
  // False with the reason when the line is bad.
  static bool ParseLine(const char* control, const char* driver, InputMapping* out, char* reason,
                        std::size_t reasonSize);

  // Adds a mapping under a device section (made when new); false when full.
  bool Add(const char* section, const InputMapping& mapping);

  const char* Path() const { return path_; }
  int MappingCount() const { return mappingCount_; }
  const InputMapping& Mapping(int i) const { return mappings_[i]; }
  int SectionCount() const { return sectionCount_; }
  const char* SectionName(int i) const { return sections_[i]; }
  // "FILE:LINE: reason" lines, one per bad line ("" when none).
  const char* Errors() const { return errors_; }
  int ErrorCount() const { return errorCount_; }

 private:
  void AddError(int line, const char* reason);
  int SectionOf(const char* name, int line);

  char path_[1024] = {};
  InputMapping mappings_[kMaxMappings];
  int mappingCount_ = 0;
  char sections_[kMaxSections][kSectionNameSize] = {};
  int sectionCount_ = 0;
  char errors_[kErrorsSize] = {};
  int errorCount_ = 0;
};

// The text of a control for a mapping line: "oxygen: button 0".
void MappingControlName(const PanelFacts& facts, RowRef row, char* out, std::size_t size);
