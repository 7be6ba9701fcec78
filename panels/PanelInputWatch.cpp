#include "panels/PanelInputWatch.h"

#include <algorithm>
#include <cstring>

#include "panels/PanelInterface.h"
#include "simlink/GenericArea.h"

namespace {

struct Collected {
  static constexpr int kMax = 512;
  uint32_t offset[kMax];
  uint32_t size[kMax];
  int count = 0;
};

bool Collect(const InterfaceField& field, void* context) {
  auto* c = static_cast<Collected*>(context);
  const uint32_t width = FieldWidth(field.type);
  if (field.writer == FieldWriter::kSimulation && c->count < Collected::kMax &&
      generic_area::Fits(field.offset, width)) {
    c->offset[c->count] = field.offset;
    c->size[c->count] = width;
    c->count++;
  }
  return true;
}

}  // namespace

void PanelInputWatch::Clear() {
  ranges_.clear();
  copies_.clear();
  for (int32_t id = 0; id < kMaxPanels; id++) {
    first_[id] = end_[id] = 0;
    taken_[id] = false;
  }
}

void PanelInputWatch::Add(int32_t id, const PanelFacts& facts, PanelLayout layout, int32_t unit) {
  if (id < 0 || id >= kMaxPanels || facts.tables == nullptr) {
    return;
  }
  static Collected fields;
  fields.count = 0;
  VisitPanelFields(facts, layout, unit, Collect, &fields);
  int order[Collected::kMax];
  for (int i = 0; i < fields.count; i++) order[i] = i;
  std::sort(order, order + fields.count, [](int a, int b) { return fields.offset[a] < fields.offset[b]; });
  first_[id] = int(ranges_.size());
  for (int k = 0; k < fields.count; k++) {
    const uint32_t offset = fields.offset[order[k]];
    const uint32_t end = offset + fields.size[order[k]];
    // Overlapping or touching fields share one range.
    if (int(ranges_.size()) > first_[id] && offset <= ranges_.back().offset + ranges_.back().size) {
      Range& last = ranges_.back();
      last.size = std::max(last.size, end - last.offset);
    } else {
      ranges_.push_back(Range{offset, end - offset, 0});
    }
  }
  end_[id] = int(ranges_.size());
  for (int r = first_[id]; r < end_[id]; r++) {
    ranges_[size_t(r)].copy = uint32_t(copies_.size());
    copies_.resize(copies_.size() + ranges_[size_t(r)].size);
  }
  taken_[id] = false;
}

void PanelInputWatch::Take(int32_t id, const uint8_t* area) {
  if (!Valid(id) || area == nullptr) {
    return;
  }
  for (int r = first_[id]; r < end_[id]; r++) {
    const Range& range = ranges_[size_t(r)];
    std::memcpy(&copies_[range.copy], area + range.offset, range.size);
  }
  taken_[id] = true;
}

bool PanelInputWatch::Changed(int32_t id, const uint8_t* area) const {
  if (!Valid(id) || area == nullptr) {
    return false;
  }
  if (!taken_[id]) {
    return true;
  }
  for (int r = first_[id]; r < end_[id]; r++) {
    const Range& range = ranges_[size_t(r)];
    if (std::memcmp(&copies_[range.copy], area + range.offset, range.size) != 0) {
      return true;
    }
  }
  return false;
}

int PanelInputWatch::RangeCount(int32_t id) const { return Valid(id) ? end_[id] - first_[id] : 0; }

uint32_t PanelInputWatch::ByteCount(int32_t id) const {
  uint32_t bytes = 0;
  for (int r = Valid(id) ? first_[id] : 0; Valid(id) && r < end_[id]; r++) bytes += ranges_[size_t(r)].size;
  return bytes;
}
