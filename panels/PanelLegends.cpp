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
    // A key with its legend printed on its face, or a light, goes by that legend.
    if (name.empty() && control != nullptr && (set->style == "face" || set->kind == SetKind::Light)) {
      name = set->upper.text;
    }
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

void RowId(const PanelFacts& facts, RowRef row, char* out, size_t size) {
  int number = row.index;
  const PanelTables* t = facts.tables;
  if (t != nullptr && row.index >= 0 && size_t(row.index) < t->RowCount(row.kind)) {
    const size_t i = size_t(row.index);
    switch (row.kind) {
      case RowKind::kButton: number = t->buttons[i].NumberOr(row.index); break;
      case RowKind::kGuarded: number = t->guarded[i].NumberOr(row.index); break;
      case RowKind::kSwitch: number = t->switches[i].NumberOr(row.index); break;
      case RowKind::kKnob: number = t->knobs[i].NumberOr(row.index); break;
      case RowKind::kLight: number = t->lights[i].NumberOr(row.index); break;
      case RowKind::kPlate: number = t->plates[i].NumberOr(row.index); break;
      // Covers all carry number 0 and displays and rotary knobs none: their index.
      default: break;
    }
  }
  FormatBounded(out, size, "%s.%s%d", facts.key, RowKindWord(row.kind), number);
}

const char* LampWords(const char* text) {
  if (text[0] == '.' && text[1] == '.') return "(dots)";
  if (text[0] == '-' && text[1] == '\0') return "(bar)";
  return text;
}
