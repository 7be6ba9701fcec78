// The controls' names come from the art the picture is drawn from: every row
// the panels declare is drawn at its place, every control drawn is declared,
// and the declarations name each one by the legend drawn at it.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "art/ArtData.h"
#include "panels/PanelCatalogue.h"
#include "panels/PanelInterface.h"
#include "panels/PanelLegends.h"

namespace {

using art::SetKind;

// The image set name a row's A330 picture has in the art ("Switches\RoundSwUp" for a switch).
std::string ArtSetName(const char* image, bool isSwitch) {
  std::string name = image;
  if (!isSwitch) return name;
  if (name.size() > 4 && name.compare(name.size() - 4, 4, ".bmp") == 0) name.resize(name.size() - 4);
  return "Switches\\" + name;
}

class ArtAgainstDeclarations : public ::testing::Test {
 protected:
  void SetUp() override {
    char error[512] = "";
    // The file the generator draws from, not the copy built into the programs.
    const std::string path = std::string(TARNEL_TEST_SOURCE_DIR) + "/art/art_sets.txt";
    ASSERT_TRUE(art::LoadArtData(path.c_str(), art_, error, sizeof error)) << error;
    // The controls a simulation reaches through fields of their own ("fuel.button6").
    VisitInterface(
        nullptr,
        [](const InterfaceField& f, void* context) {
          const std::string id = f.id;
          const size_t last = id.rfind('.');
          if (std::string(f.layout) == "A330" && id.find('.') != last) {
            static_cast<std::set<std::string>*>(context)->insert(id.substr(0, last));
          }
          return true;
        },
        &withFields_);
    ASSERT_GT(withFields_.size(), 100u);
  }

  // Checks one row; adds the control it matched to `claimed`.
  void Row(const PanelFacts& facts, RowRef row, const char* image, Place at, bool drawn,
           std::initializer_list<SetKind> kinds, bool isSwitch = false) {
    const std::string what = std::string(facts.key) + " " + RowKindName(row.kind) + " " + std::to_string(row.index);
    const art::Control* control = art_.FindControl(facts.id, at.x, at.y, kinds);
    const RowLegend& declared = FindRowLegend(facts, row);
    if (!drawn) {
      EXPECT_EQ(nullptr, control) << what << " is not drawn in the A330 layout, but the art draws it";
      return;
    }
    ASSERT_NE(nullptr, control) << what << ": the art draws nothing of its kind at " << at.x << "," << at.y;
    claimed_.insert(control);
    EXPECT_TRUE(declared.drawn) << what;
    if (image != nullptr) {
      EXPECT_EQ(ArtSetName(image, isSwitch), control->set) << what;
    }
    EXPECT_EQ(art_.ControlName(*control), declared.legend) << what << ": the declared legend is not the drawn one";
    char id[48];
    RowId(facts, row, id, sizeof id);
    if (withFields_.count(id) != 0) {
      EXPECT_STRNE("", declared.legend) << id << " has fields but neither a legend nor a name";
    }
    const art::ImageSet* set = art_.SetOfControl(*control);
    if (set->kind == SetKind::TwoLamp || set->kind == SetKind::OneLamp || set->kind == SetKind::Light) {
      EXPECT_EQ(set->upper.text, declared.upper) << what;
      EXPECT_EQ(set->kind == SetKind::TwoLamp ? set->lower.text : "", declared.lower) << what;
    }
  }

  art::ArtData art_;
  std::set<const art::Control*> claimed_;
  std::set<std::string> withFields_;
};

TEST_F(ArtAgainstDeclarations, EveryRowIsDrawnAtItsPlaceNamedByItsLegendAndEveryDrawnControlIsDeclared) {
  const auto lamps = {SetKind::TwoLamp, SetKind::OneLamp};
  for (const PanelFacts& facts : PanelCatalogue()) {
    if (facts.tables == nullptr) continue;
    const PanelTables& t = *facts.tables;
    for (size_t i = 0; i < t.buttons.size(); i++) {
      const PushButtonRow& r = t.buttons[i];
      Row(facts, {RowKind::kButton, int16_t(i)}, r.ImageFor(kLayoutA330), r.at, r.IsDrawnIn(kLayoutA330), lamps);
    }
    for (size_t i = 0; i < t.guarded.size(); i++) {
      const GuardedRow& r = t.guarded[i];
      Row(facts, {RowKind::kGuarded, int16_t(i)}, r.ImageFor(kLayoutA330), r.at, r.IsDrawnIn(kLayoutA330), lamps);
      // Its guard is drawn over it.
      const art::Control* guard = art_.FindControl(facts.id, r.at.x, r.at.y, {SetKind::Guard});
      ASSERT_NE(nullptr, guard) << facts.key << " guarded button " << i << " has no guard in the art";
      EXPECT_EQ(r.coverImage, guard->set) << facts.key << " guarded button " << i;
      claimed_.insert(guard);
    }
    for (size_t i = 0; i < t.covers.size(); i++) {
      const CoverRow& r = t.covers[i];
      Row(facts, {RowKind::kCover, int16_t(i)}, r.ImageFor(kLayoutA330), t.buttons[size_t(r.button)].at,
          r.IsDrawnIn(kLayoutA330), {SetKind::Guard, SetKind::Cover});
    }
    for (size_t i = 0; i < t.plates.size(); i++) {
      const PlateRow& r = t.plates[i];
      // A second plate at the same place is another picture of the first (lit).
      const bool alternate = i > 0 && t.plates[i - 1].at.x == r.at.x && t.plates[i - 1].at.y == r.at.y;
      Row(facts, {RowKind::kPlate, int16_t(i)}, alternate ? nullptr : r.ImageFor(kLayoutA330), r.at,
          r.IsDrawnIn(kLayoutA330), {SetKind::Cover});
    }
    for (size_t i = 0; i < t.switches.size(); i++) {
      const SwitchRow& r = t.switches[i];
      Row(facts, {RowKind::kSwitch, int16_t(i)}, r.names[0], r.at, r.IsDrawnIn(kLayoutA330), {SetKind::Switch},
          true);
    }
    for (size_t i = 0; i < t.knobs.size(); i++) {
      const KnobRow& r = t.knobs[i];
      Row(facts, {RowKind::kKnob, int16_t(i)}, r.ImageFor(kLayoutA330), r.at, r.IsDrawnIn(kLayoutA330),
          {SetKind::Knob});
    }
    for (size_t i = 0; i < t.lights.size(); i++) {
      const LightRow& r = t.lights[i];
      Row(facts, {RowKind::kLight, int16_t(i)}, r.ImageFor(kLayoutA330), r.at, r.IsDrawnIn(kLayoutA330),
          {SetKind::Light});
    }
    for (size_t i = 0; i < t.rotaries.size(); i++) {
      const RotaryRow& r = t.rotaries[i];
      Row(facts, {RowKind::kRotary, int16_t(i)}, nullptr, r.at, r.IsDrawnIn(kLayoutA330), {SetKind::Rotary});
    }
  }
  for (const art::Control& c : art_.controls) {
    const PanelFacts* facts = FindPanelFacts(c.panel);
    if (c.cells > 0 || facts == nullptr || facts->tables == nullptr) continue;
    EXPECT_EQ(1u, claimed_.count(&c)) << "art_sets.txt line " << c.line << ": " << c.set
                                      << " is drawn but no row of panel " << facts->key << " declares it";
  }
}

// Ids stay apart: one field per id in each layout and unit, and every field of
// a control says its role.
TEST(FieldIds, AreUniqueInEachLayoutAndUnitAndEveryControlFieldHasARole) {
  struct Seen {
    std::set<std::string> keys;
    int fields = 0;
    std::string problems;
  } seen;
  VisitInterface(
      nullptr,
      [](const InterfaceField& f, void* context) {
        auto* s = static_cast<Seen*>(context);
        s->fields++;
        if (!s->keys.insert(std::string(f.id) + "/" + f.layout + "/" + std::to_string(f.unit)).second) {
          s->problems += std::string(" duplicate ") + f.id;
        }
        if (f.role[0] == '\0' || std::string(f.id).find('.') == std::string::npos) {
          s->problems += std::string(" no role or id: ") + f.name;
        }
        // Only a control's own fields carry its legend (the id names the control).
        const bool control = std::string(f.id).find('.') != std::string(f.id).rfind('.');
        if (!control && f.legend[0] != '\0') s->problems += std::string(" legend on ") + f.id;
        return true;
      },
      &seen);
  EXPECT_GT(seen.fields, 800);
  // Every row of a panel has an id of its own.
  for (const PanelFacts& facts : PanelCatalogue()) {
    if (facts.tables == nullptr) continue;
    std::set<std::string> rows;
    for (int kind = int(RowKind::kButton); kind <= int(RowKind::kRotary); kind++) {
      for (size_t i = 0; i < facts.tables->RowCount(RowKind(kind)); i++) {
        char id[48];
        RowId(facts, RowRef{RowKind(kind), int16_t(i)}, id, sizeof id);
        if (!rows.insert(id).second) seen.problems += std::string(" duplicate row ") + id;
      }
    }
  }
  EXPECT_EQ("", seen.problems);
}

}  // namespace
