#include "panels/PanelLegends.h"

#include <string>

#include "art/ArtData.h"
#include "common/TextFcns.h"
#include "panels/PanelCatalogue.h"

namespace {

constexpr int kMaxRows = 1024;

struct Entry {
  int32_t panel = 0;
  RowRef row;
  RowLegend texts;
};

struct Cache {
  Entry entries[kMaxRows];
  int count = 0;
};

using art::SetKind;

void Fill(const art::ArtData& art, const PanelFacts& facts, RowKind kind, size_t index, const char* image, Place at,
          std::initializer_list<SetKind> kinds, Cache& cache) {
  if (cache.count >= kMaxRows) return;
  Entry& e = cache.entries[cache.count++];
  e.panel = facts.id;
  e.row = RowRef{kind, int16_t(index)};
  const art::ImageSet* set = image != nullptr ? art.FindSet(image) : nullptr;
  const art::Control* control = art.FindControl(facts.id, at.x, at.y, kinds);
  if (control != nullptr) {
    e.texts.drawn = true;
    set = art.SetOfControl(*control);
  }
  std::string name = control != nullptr ? art.ControlName(*control) : std::string();
  if (set != nullptr && (set->kind == SetKind::TwoLamp || set->kind == SetKind::OneLamp ||
                         set->kind == SetKind::Light)) {
    CopyBounded(e.texts.upper, set->upper.text.c_str(), sizeof e.texts.upper);
    if (set->kind == SetKind::TwoLamp) CopyBounded(e.texts.lower, set->lower.text.c_str(), sizeof e.texts.lower);
  }
  CopyBounded(e.texts.legend, name.c_str(), sizeof e.texts.legend);
}

void FillPanel(const art::ArtData& art, const PanelFacts& facts, Cache& cache) {
  const PanelTables& t = *facts.tables;
  const auto lamps = {SetKind::TwoLamp, SetKind::OneLamp};
  for (size_t i = 0; i < t.buttons.size(); i++) {
    Fill(art, facts, RowKind::kButton, i, t.buttons[i].image, t.buttons[i].at, lamps, cache);
  }
  for (size_t i = 0; i < t.covers.size(); i++) {
    const size_t button = size_t(t.covers[i].button);
    Fill(art, facts, RowKind::kCover, i, nullptr, t.buttons[button].at, {SetKind::Guard, SetKind::Cover}, cache);
  }
  for (size_t i = 0; i < t.plates.size(); i++) {
    Fill(art, facts, RowKind::kPlate, i, nullptr, t.plates[i].at, {SetKind::Cover}, cache);
  }
  for (size_t i = 0; i < t.guarded.size(); i++) {
    Fill(art, facts, RowKind::kGuarded, i, t.guarded[i].image, t.guarded[i].at, lamps, cache);
  }
  for (size_t i = 0; i < t.switches.size(); i++) {
    Fill(art, facts, RowKind::kSwitch, i, nullptr, t.switches[i].at, {SetKind::Switch}, cache);
  }
  for (size_t i = 0; i < t.knobs.size(); i++) {
    Fill(art, facts, RowKind::kKnob, i, t.knobs[i].image, t.knobs[i].at, {SetKind::Knob}, cache);
  }
  for (size_t i = 0; i < t.lights.size(); i++) {
    Fill(art, facts, RowKind::kLight, i, t.lights[i].image, t.lights[i].at, {SetKind::Light}, cache);
  }
  for (size_t i = 0; i < t.rotaries.size(); i++) {
    Fill(art, facts, RowKind::kRotary, i, nullptr, t.rotaries[i].at, {SetKind::Rotary}, cache);
  }
}

const Cache& TheCache() {
  static const Cache* cache = [] {
    static Cache built;
    const art::ArtData& art = art::BuiltInArtData();
    for (const PanelFacts& facts : PanelCatalogue()) {
      if (facts.tables != nullptr) FillPanel(art, facts, built);
    }
    return &built;
  }();
  return *cache;
}

}  // namespace

const RowLegend& FindRowLegend(const PanelFacts& facts, RowRef row) {
  static const RowLegend kNone;
  const Cache& cache = TheCache();
  for (int i = 0; i < cache.count; i++) {
    if (cache.entries[i].panel == facts.id && cache.entries[i].row == row) return cache.entries[i].texts;
  }
  return kNone;
}

const char* RowKindWord(RowKind kind) {
  constexpr const char* kWords[] = {"field", "button", "cover", "plate", "guarded", "switch", "knob", "light",
                                    "display", "rotary"};
  return kWords[static_cast<int>(kind)];
}

namespace {

// The control number of a row; -1 where its kind carries none.
int ControlNumber(const PanelTables& t, RowKind kind, size_t i) {
  switch (kind) {
    case RowKind::kButton: return t.buttons[i].NumberOr(int(i));
    case RowKind::kGuarded: return t.guarded[i].NumberOr(int(i));
    case RowKind::kSwitch: return t.switches[i].NumberOr(int(i));
    case RowKind::kKnob: return t.knobs[i].NumberOr(int(i));
    case RowKind::kLight: return t.lights[i].NumberOr(int(i));
    case RowKind::kPlate: return t.plates[i].NumberOr(int(i));
    default: return -1;  // covers all carry 0; displays and rotary knobs none
  }
}

}  // namespace

void RowId(const PanelFacts& facts, RowRef row, char* out, size_t size) {
  int number = row.index;
  const PanelTables* t = facts.tables;
  if (t != nullptr && row.index >= 0 && size_t(row.index) < t->RowCount(row.kind)) {
    // The control number, where no other row of the kind carries it too
    // (the audio panel numbers each row of keys from 0): else the index.
    const int own = ControlNumber(*t, row.kind, size_t(row.index));
    bool unique = own >= 0;
    for (size_t i = 0; unique && i < t->RowCount(row.kind); i++) {
      unique = i == size_t(row.index) || ControlNumber(*t, row.kind, i) != own;
    }
    if (unique) number = own;
  }
  FormatBounded(out, size, "%s.%s%d", facts.key, RowKindWord(row.kind), number);
}

const char* LampWords(const char* text) {
  if (text[0] == '.' && text[1] == '.') return "(dots)";
  if (text[0] == '-' && text[1] == '\0') return "(bar)";
  return text;
}
