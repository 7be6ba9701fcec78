// Which fields of the generic area the bridge replicates, and in which
// direction: every field the station's panels declare (in the layout and unit
// each panel runs with in the station) and the area-wide fields the station
// reads or writes, grouped by area (a panel's id, or kAreaWide) and by writer.
// A field crosses from its writer's side to the other, so it keeps its
// single writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "panels/PanelBlock.h"

struct BridgeField {
  uint32_t offset = 0;  // from the start of the generic area
  uint8_t width = 1;    // 1, 2 or 4 bytes
};

class BridgeFields {
 public:
  static constexpr int32_t kAreaWide = 0;  // no panel has id 0
  static constexpr int kMaxAreas = 32;
  static constexpr int kMaxFields = 2048;

  struct Area {
    int32_t id = 0;
    const char* key = "";
    // Index of the first field and number of fields, per writer
    // (FieldWriter::kSimulation, FieldWriter::kStation).
    uint16_t first[2] = {};
    uint16_t count[2] = {};
  };

  // Collects the fields from the declarations. False, with the reason in
  // report, when two fields overlap with different writers or widths, or
  // the tables hold more fields than the bridge carries.
  bool Build(char* report, std::size_t size);

  int AreaCount() const { return areaCount_; }
  const Area& AreaAt(int index) const { return areas_[index]; }
  // The index of the area with this id; -1 when there is none.
  int FindArea(int32_t id) const;
  // The fields of an area written by writer, in offset order.
  std::span<const BridgeField> Fields(int areaIndex, FieldWriter writer) const;
  // The field of an area written by writer at offset; null when none.
  const BridgeField* FindField(int areaIndex, FieldWriter writer, uint32_t offset) const;
  int FieldCount() const { return fieldCount_; }
  // The start of the list every area's fields lie in (for per-field state).
  const BridgeField* Data() const { return fields_; }

 private:
  Area areas_[kMaxAreas];
  BridgeField fields_[kMaxFields];
  int areaCount_ = 0;
  int fieldCount_ = 0;
};
