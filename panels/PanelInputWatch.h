// For each panel, a copy of the fields the simulation writes to it (its
// lamps, displays, lamp test and requests, as its tables declare them in its
// layout and unit), taken at its last pass: whether any of them changed
// since is one bounded walk over byte ranges, with nothing allocated.
#pragma once

#include <cstdint>
#include <vector>

#include "panels/PanelBlock.h"
#include "panels/PanelCatalogue.h"

class PanelInputWatch {
 public:
  static constexpr int32_t kMaxPanels = 25;

  // Drops every panel's fields.
  void Clear();
  // Collects the declared fields of the panel with this id, merged into byte
  // ranges of the generic area (fields outside it are left out). Panels are
  // added once each (Clear, then Add again, to rebuild); the buffers grow
  // here only.
  void Add(int32_t id, const PanelFacts& facts, PanelLayout layout, int32_t unit);
  // Copies the panel's fields from the area as they are now.
  void Take(int32_t id, const uint8_t* area);
  // True when a field of the panel differs from its copy, or no copy was
  // taken yet; false for a panel without fields or without an area.
  bool Changed(int32_t id, const uint8_t* area) const;
  // The ranges and bytes watched for the panel.
  int RangeCount(int32_t id) const;
  uint32_t ByteCount(int32_t id) const;

 private:
  struct Range {
    uint32_t offset = 0;  // in the generic area
    uint32_t size = 0;
    uint32_t copy = 0;  // where its copy starts in copies_
  };
  bool Valid(int32_t id) const { return id >= 0 && id < kMaxPanels && end_[id] > first_[id]; }

  std::vector<Range> ranges_;
  std::vector<uint8_t> copies_;
  int first_[kMaxPanels] = {};
  int end_[kMaxPanels] = {};
  bool taken_[kMaxPanels] = {};
};
