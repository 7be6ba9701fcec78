#include "bridge/BridgeFields.h"

#include <algorithm>

#include "bridge/AreaImage.h"
#include "common/TextFcns.h"
#include "panels/BasePanel.h"
#include "panels/PanelCatalogue.h"
#include "panels/PanelInterface.h"

namespace {

struct Entry {
  uint32_t offset;
  uint8_t width;
  FieldWriter writer;
  int area;  // index into the areas
};

struct Collector {
  Entry* entries;
  int capacity;
  int count = 0;
  int area = 0;
  bool full = false;
};

// The banner record is between the station and its own banner program, on
// the station's machine: it does not cross.
bool InBannerRecord(uint32_t offset) {
  return offset >= banner_record::kProgramName && offset <= banner_record::kEnd;
}

bool Collect(const InterfaceField& f, void* context) {
  auto* c = static_cast<Collector*>(context);
  if (InBannerRecord(f.offset)) return true;
  if (c->count >= c->capacity) {
    c->full = true;
    return false;
  }
  c->entries[c->count++] = {f.offset, static_cast<uint8_t>(FieldWidth(f.type)), f.writer, c->area};
  return true;
}

// The layout a panel runs with in the station: the station's aircraft type,
// or the type its catalogue row hands it.
PanelLayout StationLayout(const PanelFacts& facts) {
  return AircraftLayoutFor(facts.typeArgument != 0 ? facts.typeArgument : BasePanel::kDefaultAircraftType);
}

int WriterIndex(FieldWriter writer) { return writer == FieldWriter::kSimulation ? 0 : 1; }

}  // namespace

bool BridgeFields::Build(char* report, std::size_t size) {
  static Entry entries[kMaxFields];
  Collector collector{entries, kMaxFields};
  areaCount_ = 0;
  fieldCount_ = 0;

  areas_[0] = Area{kAreaWide, "station"};
  areaCount_ = 1;
  VisitStationFields(Collect, &collector);
  for (const PanelFacts& facts : PanelCatalogue()) {
    if (facts.tables == nullptr) continue;
    if (areaCount_ >= kMaxAreas) {
      FormatBounded(report, size, "more than %d panels to replicate", kMaxAreas);
      return false;
    }
    collector.area = areaCount_;
    areas_[areaCount_++] = Area{facts.id, facts.key};
    VisitPanelFields(facts, StationLayout(facts), facts.unit >= 0 ? facts.unit : 0, Collect, &collector);
  }
  if (collector.full) {
    FormatBounded(report, size, "more than %d fields to replicate", kMaxFields);
    return false;
  }

  // Every byte has one writer: fields that share bytes must be the same
  // field (same offset, width and writer), declared twice.
  Entry* end = entries + collector.count;
  std::sort(entries, end, [](const Entry& a, const Entry& b) {
    return a.offset != b.offset ? a.offset < b.offset : a.area < b.area;
  });
  for (Entry* e = entries; e + 1 < end; e++) {
    const Entry& next = e[1];
    if (next.offset < e->offset + e->width &&
        (next.offset != e->offset || next.width != e->width || next.writer != e->writer)) {
      FormatBounded(report, size, "fields of %s and %s overlap at 0x%05X with different %s",
                    areas_[e->area].key, areas_[next.area].key, static_cast<unsigned>(next.offset),
                    next.writer != e->writer ? "writers" : "widths");
      return false;
    }
  }

  // Group by area, then writer, each group in offset order; a field declared
  // twice by one area is kept once.
  std::stable_sort(entries, end, [](const Entry& a, const Entry& b) {
    return a.area != b.area ? a.area < b.area : WriterIndex(a.writer) < WriterIndex(b.writer);
  });
  for (Entry* e = entries; e < end; e++) {
    Area& area = areas_[e->area];
    const int w = WriterIndex(e->writer);
    if (area.count[w] == 0) {
      area.first[w] = static_cast<uint16_t>(fieldCount_);
    } else if (fields_[fieldCount_ - 1].offset == e->offset) {
      continue;
    }
    if (area.count[w] >= AreaImage::kMaxFields) {
      FormatBounded(report, size, "%s has more fields than one sample carries", area.key);
      return false;
    }
    fields_[fieldCount_++] = BridgeField{e->offset, e->width};
    area.count[w]++;
  }
  return true;
}

int BridgeFields::FindArea(int32_t id) const {
  for (int i = 0; i < areaCount_; i++) {
    if (areas_[i].id == id) return i;
  }
  return -1;
}

std::span<const BridgeField> BridgeFields::Fields(int areaIndex, FieldWriter writer) const {
  if (areaIndex < 0 || areaIndex >= areaCount_) return {};
  const Area& area = areas_[areaIndex];
  const int w = WriterIndex(writer);
  return {fields_ + area.first[w], area.count[w]};
}

const BridgeField* BridgeFields::FindField(int areaIndex, FieldWriter writer, uint32_t offset) const {
  const std::span<const BridgeField> list = Fields(areaIndex, writer);
  const auto at = std::lower_bound(list.begin(), list.end(), offset,
                                   [](const BridgeField& f, uint32_t o) { return f.offset < o; });
  return at != list.end() && at->offset == offset ? &*at : nullptr;
}
