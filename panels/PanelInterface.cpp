#include "panels/PanelInterface.h"

#include <strings.h>

#include <algorithm>
#include <cstring>

#include "common/TextFcns.h"
#include "panels/BasePanel.h"
#include "panels/PanelLegends.h"
#include "panels/PanelRows.h"
#include "simlink/SharedField.h"

namespace {

// Words as an id part: lower case, each run of other characters one "_"
// ("lamp test" -> "lamp_test", "display-only request" -> "display_only_request").
void IdWords(const char* words, char* out, size_t size) {
  size_t n = 0;
  bool gap = false;
  for (const char* p = words; *p != '\0' && n + 2 < size; p++) {
    const char c = *p;
    const bool word = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
    if (!word) {
      gap = n > 0;
      continue;
    }
    if (gap) out[n++] = '_';
    gap = false;
    out[n++] = (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
  }
  if (size > 0) out[n < size ? n : size - 1] = '\0';
}

// One panel layout's fields, sorted before they are handed on.
constexpr int kMaxPanelFields = 512;
InterfaceField gFields[kMaxPanelFields];

// Collects the fields of one panel layout and unit and hands each on.
class FieldWalk {
 public:
  FieldWalk(const PanelFacts& facts, PanelLayout layout, int32_t unit, FieldVisitor visit, void* context)
      : facts_(facts), tables_(*facts.tables), visit_(visit), context_(context) {
    field_.areaId = facts.id;
    blocks_ = tables_.Blocks(layout, unit);
    field_.area = facts.key;
    field_.layout = LayoutName(layout);
    layout_ = layout;
    if (tables_.unitBlocks != nullptr) {
      field_.unitName = tables_.unitName != nullptr ? tables_.unitName : "unit";
      field_.unit = unit;
    }
  }

  int Walk() {
    Row(RowKind::kNone, 0);
    Input(tables_.lampTest, "lamp test", "non-zero lights every lamp of the panel");
    Input(tables_.resetRequest, "reset request", "non-zero: the panel's reset runs on every pass while set");
    Input(tables_.presetRequest, "preset request", "non-zero: the start-up positions are set on every pass while set");
    if (tables_.displayOnlyRequest != kNoField) {
      Add(BlockKind::kOutput, tables_.displayOnlyRequest, FieldType::kU8, FieldWriter::kSimulation,
          "display-only request", "", "non-zero: controls follow the output block, the panel writes nothing");
    }
    for (size_t i = 0; i < tables_.buttons.size(); i++) {
      Row(RowKind::kButton, i);
      const PushButtonRow& r = tables_.buttons[i];
      const char* label = Label(r.label, "button", i);
      if (r.singleLamp) {
        Role("lamp", "lamp", texts_->upper);
        Input(r.upperLamp, label, " lamp", "lit when non-zero");
      } else {
        Role("upper_lamp", "upper lamp", texts_->upper);
        Input(r.upperLamp, label, " upper lamp", "lit when non-zero");
        Role("lower_lamp", "lower lamp", texts_->lower);
        Input(r.lowerLamp, label, " lower lamp", "lit when non-zero");
      }
      Role("shown_lamp", "lamp in display-only mode", texts_->upper);
      Input(r.shownLamp, label, " lamp (display-only mode)", "lit when non-zero");
      Role("position", "position");
      char position[96];
      FormatBounded(position, sizeof position, "%s%s%s", r.momentary ? "1 while held in, else 0" : "1 in, 0 out",
                    r.presentWhile != kNoField ? "; 0 while the button is absent" : "",
                    r.IsForcedIn(layout_) ? "; the panel puts it back in on every pass" : "");
      Output(r.output, FieldType::kU8, label, " position", position);
    }
    for (size_t i = 0; i < tables_.guarded.size(); i++) {
      Row(RowKind::kGuarded, i);
      const GuardedRow& r = tables_.guarded[i];
      const char* label = Label(r.label, "guarded button", i);
      Role("upper_lamp", "upper lamp", texts_->upper);
      Input(r.upperLamp, label, " upper lamp", "lit when non-zero");
      Role("lower_lamp", "lower lamp", texts_->lower);
      Input(r.lowerLamp, label, " lower lamp", "lit when non-zero");
      Role("position", "position");
      Output(r.output, FieldType::kU8, label, " position", "1 in, 0 out");
    }
    for (size_t i = 0; i < tables_.switches.size(); i++) {
      Row(RowKind::kSwitch, i);
      const SwitchRow& r = tables_.switches[i];
      const char* label = Label(r.label, "switch", i);
      Role("up", "up");
      Output(r.upFlag, FieldType::kU8, label, " up", "1 in the up position, else 0");
      Role("down", "down");
      Output(r.downFlag, FieldType::kU8, label, " down", "1 in the down position, else 0 (both 0: middle)");
    }
    for (size_t i = 0; i < tables_.knobs.size(); i++) {
      Row(RowKind::kKnob, i);
      const KnobRow& r = tables_.knobs[i];
      char meaning[96];
      PositionsText(r.positions, meaning, sizeof meaning);
      Role("position", "position");
      Output(r.output, FieldType::kI32, Label(r.label, "knob", i), " position", meaning);
    }
    for (size_t i = 0; i < tables_.lights.size(); i++) {
      Row(RowKind::kLight, i);
      const LightRow& r = tables_.lights[i];
      Role("lamp", "lamp", texts_->upper);
      Input(r.lamp, Label(r.label, "light", i), "", "lit when non-zero");
    }
    Row(RowKind::kNone, 0);
    for (const FieldDecl& f : tables_.fields) {
      field_.rows = f.shownBy;
      Add(f.block, f.offset, f.type, f.writer, f.name, "", f.meaning);
    }
    // Input block first, each block by offset.
    std::stable_sort(gFields, gFields + count_, [](const InterfaceField& a, const InterfaceField& b) {
      return a.block != b.block ? a.block == BlockKind::kInput : a.offset < b.offset;
    });
    for (int i = 0; i < count_; i++) {
      if (!visit_(gFields[i], context_)) return i + 1;
    }
    return count_;
  }

 private:
  // The row the fields added next belong to.
  void Row(RowKind kind, size_t index) {
    field_.rows = RowList{};
    static const RowLegend kNone;
    texts_ = &kNone;
    row_[0] = '\0';
    Role(nullptr, "");
    if (kind == RowKind::kNone) return;
    const RowRef row{kind, int16_t(index)};
    field_.rows.Add(RowRange{kind, row.index, row.index});
    texts_ = &FindRowLegend(facts_, row);
    RowId(facts_, row, row_, sizeof row_);
  }

  // The role of the fields added next: key for the id ("upper_lamp"; null:
  // a panel-wide field, named by its own name), words and lamp text.
  void Role(const char* key, const char* words, const char* lamp = "") {
    roleKey_ = key;
    if (lamp[0] != '\0') {
      FormatBounded(role_, sizeof role_, "%s %s", words, LampWords(lamp));
    } else {
      CopyBounded(role_, words, sizeof role_);
    }
  }

  const char* Label(const char* given, const char* kind, size_t index) {
    if (given != nullptr) return given;
    FormatBounded(label_, sizeof label_, "%s %zu", kind, index);
    return label_;
  }

  static void PositionsText(uint8_t positions, char* out, size_t size) {
    size_t used = 0;
    FormatBounded(out, size, "position number (0 up, clockwise):");
    for (int p = 0; p < 8; p++) {
      used = std::strlen(out);
      if (((positions >> p) & 1) != 0 && used + 3 < size) FormatBounded(out + used, size - used, " %d", p);
    }
  }

  void Input(BlockField offset, const char* name, const char* meaning) {
    Add(BlockKind::kInput, offset, FieldType::kU8, FieldWriter::kSimulation, name, "", meaning);
  }
  void Input(BlockField offset, const char* label, const char* role, const char* meaning) {
    Add(BlockKind::kInput, offset, FieldType::kU8, FieldWriter::kSimulation, label, role, meaning);
  }
  void Output(BlockField offset, FieldType type, const char* label, const char* role, const char* meaning) {
    Add(BlockKind::kOutput, offset, type, FieldWriter::kStation, label, role, meaning);
  }

  void Add(BlockKind block, BlockField offset, FieldType type, FieldWriter writer, const char* name,
           const char* role, const char* meaning) {
    if (offset == kNoField || count_ >= kMaxPanelFields) return;
    field_.block = block;
    field_.offset = (block == BlockKind::kInput ? blocks_.input : blocks_.output) + uint32_t(offset);
    field_.type = type;
    field_.writer = writer;
    FormatBounded(field_.name, sizeof field_.name, "%s%s", name, role);
    CopyBounded(field_.meaning, meaning, sizeof field_.meaning);
    CopyBounded(field_.legend, texts_->legend, sizeof field_.legend);
    CopyBounded(field_.role, roleKey_ != nullptr ? role_ : field_.name, sizeof field_.role);
    if (roleKey_ != nullptr) {
      FormatBounded(field_.id, sizeof field_.id, "%s.%s", row_, roleKey_);
    } else {
      FormatBounded(field_.id, sizeof field_.id, "%s.", facts_.key);
      IdWords(field_.name, field_.id + std::strlen(field_.id), sizeof field_.id - std::strlen(field_.id));
    }
    gFields[count_++] = field_;
  }

  const PanelFacts& facts_;
  const PanelTables& tables_;
  const RowLegend* texts_ = nullptr;
  char row_[40] = {};
  char role_[40] = {};
  const char* roleKey_ = nullptr;
  FieldVisitor visit_;
  void* context_;
  BlockPair blocks_;
  PanelLayout layout_ = kLayoutA330;
  InterfaceField field_;
  char label_[32] = {};
  int count_ = 0;
};

struct StationField {
  uint32_t offset;
  FieldType type;
  FieldWriter writer;
  const char* name;
  const char* meaning;
};

constexpr StationField kStationFields[] = {
    {generic_area::kIterationCount, FieldType::kU32, FieldWriter::kStation, "iteration count",
     "real-time iterations since the station started (20 a second)"},
    {generic_area::kPanelResetRequest, FieldType::kU8, FieldWriter::kSimulation, "panel reset request",
     "the panels reset once per rise from 0 to non-zero"},
    {generic_area::kPaintInhibit, FieldType::kU8, FieldWriter::kSimulation, "paint inhibit",
     "non-zero stops the panel drawing"},
    {banner_record::kProgress, FieldType::kI32, FieldWriter::kStation, "banner progress",
     "start-up progress in per cent"},
};

}  // namespace

PanelLayout RunningLayout(const PanelFacts& facts) {
  return AircraftLayoutFor(facts.typeArgument != 0 ? facts.typeArgument : BasePanel::kDefaultAircraftType);
}

int32_t RunningUnit(const PanelFacts& facts) { return facts.unit >= 0 ? facts.unit : 0; }

bool StationUses(const InterfaceField& field) {
  if (field.areaId == 0) return true;
  const PanelFacts* facts = FindPanelFacts(field.areaId);
  if (facts == nullptr) return false;
  if (field.layout[0] != '\0' && std::strcmp(field.layout, LayoutName(RunningLayout(*facts))) != 0) return false;
  return field.unit < 0 || field.unit == RunningUnit(*facts);
}

bool PanelHasLayout(const PanelFacts& facts, PanelLayout layout) {
  if (facts.tables == nullptr) return false;
  if (layout == kLayoutA330) return true;
  return facts.fit != PanelFit::kNone && (facts.tables->HasA320() || facts.tables->unitBlocks != nullptr);
}

int VisitPanelFields(const PanelFacts& facts, PanelLayout layout, int32_t unit, FieldVisitor visit, void* context) {
  if (facts.tables == nullptr || !PanelHasLayout(facts, layout)) return 0;
  return FieldWalk(facts, layout, unit, visit, context).Walk();
}

int VisitStationFields(FieldVisitor visit, void* context) {
  int count = 0;
  InterfaceField field;
  field.area = "station";
  for (const StationField& f : kStationFields) {
    field.offset = f.offset;
    field.type = f.type;
    field.writer = f.writer;
    CopyBounded(field.name, f.name, sizeof field.name);
    CopyBounded(field.meaning, f.meaning, sizeof field.meaning);
    CopyBounded(field.role, f.name, sizeof field.role);
    CopyBounded(field.id, "station.", sizeof field.id);
    IdWords(f.name, field.id + 8, sizeof field.id - 8);
    count++;
    if (!visit(field, context)) break;
  }
  return count;
}

int VisitInterface(const char* key, FieldVisitor visit, void* context) {
  int count = 0;
  if (key == nullptr || strcasecmp(key, "station") == 0) {
    count += VisitStationFields(visit, context);
  }
  for (const PanelFacts& facts : PanelCatalogue()) {
    if (facts.tables == nullptr || (key != nullptr && strcasecmp(key, facts.key) != 0)) continue;
    const int32_t units = facts.tables->unitBlocks != nullptr ? facts.tables->unitCount : 1;
    for (PanelLayout layout : {kLayoutA330, kLayoutA320}) {
      for (int32_t unit = 0; unit < units; unit++) {
        count += VisitPanelFields(facts, layout, unit, visit, context);
      }
    }
  }
  return count;
}

namespace {

struct NameSearch {
  const char* name;
  InterfaceField* out;
  bool found = false;
};

bool MatchName(const InterfaceField& f, void* context) {
  auto* s = static_cast<NameSearch*>(context);
  if (strcasecmp(f.name, s->name) != 0) return true;
  *s->out = f;
  s->found = true;
  return false;
}

struct RowFilter {
  RowRef row;
  FieldVisitor visit;
  void* context;
  int count = 0;
  bool stopped = false;
};

bool FilterRow(const InterfaceField& f, void* context) {
  auto* r = static_cast<RowFilter*>(context);
  if (!f.rows.Has(r->row)) return true;
  r->count++;
  r->stopped = !r->visit(f, r->context);
  return !r->stopped;
}

}  // namespace

bool FindPanelField(const PanelFacts& facts, PanelLayout layout, int32_t unit, const char* name, InterfaceField* out) {
  if (name == nullptr || out == nullptr) return false;
  NameSearch search{name, out};
  VisitPanelFields(facts, layout, unit, MatchName, &search);
  return search.found;
}

int VisitRowFields(const PanelFacts& facts, PanelLayout layout, int32_t unit, RowRef row, FieldVisitor visit,
                   void* context) {
  if (facts.tables == nullptr || visit == nullptr) return 0;
  const PanelTables& t = *facts.tables;
  if (row.index < 0 || size_t(row.index) >= t.RowCount(row.kind)) return 0;
  // A cover or plate has no fields of its own: it answers for its button.
  if (row.kind == RowKind::kCover) row = RowRef{RowKind::kButton, t.covers[size_t(row.index)].button};
  if (row.kind == RowKind::kPlate) row = RowRef{RowKind::kButton, t.plates[size_t(row.index)].button};
  RowFilter filter{row, visit, context};
  VisitPanelFields(facts, layout, unit, FilterRow, &filter);
  return filter.count;
}

void RowName(const PanelTables& tables, RowRef row, char* out, size_t size) {
  const char* label = tables.RowLabel(row);
  if (label != nullptr) {
    CopyBounded(out, label, size);
  } else {
    FormatBounded(out, size, "%s %d", RowKindName(row.kind), int(row.index));
  }
}

void RowTitle(const PanelFacts& facts, RowRef row, char* out, size_t size) {
  char id[40];
  RowId(facts, row, id, sizeof id);
  const char* legend = FindRowLegend(facts, row).legend;
  FormatBounded(out, size, "%s%s%s", id, legend[0] != '\0' ? " " : "", legend);
}

void FormatFieldValue(const InterfaceField& field, const uint8_t* area, char* out, size_t size) {
  if (area == nullptr || field.offset + FieldWidth(field.type) > generic_area::kSize) {
    CopyBounded(out, "?", size);
    return;
  }
  const uint8_t* at = area + field.offset;
  switch (field.type) {
    case FieldType::kU8:
      FormatBounded(out, size, "%u", unsigned(shared_field::Load<uint8_t>(at)));
      break;
    case FieldType::kI16:
      FormatBounded(out, size, "%d", int(shared_field::Load<int16_t>(at)));
      break;
    case FieldType::kU16:
      FormatBounded(out, size, "%u", unsigned(shared_field::Load<uint16_t>(at)));
      break;
    case FieldType::kI32:
      FormatBounded(out, size, "%ld", long(shared_field::Load<int32_t>(at)));
      break;
    case FieldType::kU32:
      FormatBounded(out, size, "%lu", static_cast<unsigned long>(shared_field::Load<uint32_t>(at)));
      break;
    case FieldType::kF32:
      // %g prints NaN and infinities as words, and any finite float in a few characters.
      FormatBounded(out, size, "%.6g", double(shared_field::Load<float>(at)));
      break;
  }
}
