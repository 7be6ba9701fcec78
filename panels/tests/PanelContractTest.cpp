// What every panel of the catalogue must do, checked on each built panel
// through the same harness. A panel gets these checks by being built.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "panels/PanelInterface.h"
#include "panels/tests/PanelHarness.h"

namespace {

std::vector<int32_t> BuiltPanels() {
  std::vector<int32_t> ids;
  for (const PanelFacts& facts : PanelCatalogue()) {
    if (facts.tables != nullptr) ids.push_back(facts.id);
  }
  return ids;
}

// The aircraft type that gives a layout.
int32_t TypeFor(PanelLayout layout) { return layout == kLayoutA320 ? 12 : 9; }

struct Offsets {
  std::set<uint32_t> station;     // every byte the station may write
  std::set<uint32_t> simulation;  // every byte the simulation writes
};

bool CollectOffsets(const InterfaceField& f, void* context) {
  auto* o = static_cast<Offsets*>(context);
  for (uint32_t b = 0; b < FieldWidth(f.type); b++) {
    (f.writer == FieldWriter::kStation ? o->station : o->simulation).insert(f.offset + b);
  }
  return true;
}

class PanelContract : public ::testing::TestWithParam<int32_t> {
 protected:
  const PanelFacts& Facts() const { return *FindPanelFacts(GetParam()); }
  const PanelTables& Tables() const { return *Facts().tables; }
  int32_t Unit() const { return Facts().unit >= 0 ? Facts().unit : 0; }

  Offsets Declared(PanelLayout layout) const {
    Offsets o;
    VisitPanelFields(Facts(), layout, Unit(), CollectOffsets, &o);
    return o;
  }

  // Sets the input flags without which some controls are absent.
  void MakeAllPresent(PanelHarness& h) const {
    const auto present = [&](BlockField flag) {
      if (flag != kNoField) h.In(flag) = 1;
    };
    for (const auto& r : Tables().buttons) present(r.presentWhile);
    for (const auto& r : Tables().covers) present(r.presentWhile);
    for (const auto& r : Tables().guarded) present(r.presentWhile);
    h.Pass();
  }

  // Opens every cover and plate, so that every button takes clicks.
  static void OpenCovers(PanelHarness& h) {
    const PanelControls& c = h.Panel().Controls();
    for (const GuardedButton& cover : c.covers) {
      if (cover.IsClosed()) h.Click(2, cover);
    }
    for (const GuardedCover& plate : c.plates) {
      if (plate.IsClosed()) h.Click(2, plate);
    }
    for (const GuardedButton& guarded : c.guarded) {
      if (guarded.IsClosed()) h.Click(2, guarded);
    }
    h.Pass();
  }

  // A button under a closed plate is not seen (the plate is).
  bool HiddenUnderPlate(PanelHarness& h, RowRef row) const {
    for (size_t p = 0; row.kind == RowKind::kButton && p < Tables().plates.size(); p++) {
      if (Tables().plates[p].button == row.index && h.Panel().Controls().plates[p].IsClosed()) return true;
    }
    return false;
  }

  // Presses and releases every control that takes the left button.
  static void ClickEverything(PanelHarness& h) {
    const PanelControls& c = h.Panel().Controls();
    for (const CButtonClass& b : c.buttons) h.Click(1, b);
    for (GuardedButton& g : c.guarded) h.Click(1, g.Button());
    for (const SwitchClass& s : c.switches) h.Click(1, s);
    for (const KnobClass& k : c.knobs) h.Click(1, k);
    h.Pass();
  }
};

TEST_P(PanelContract, NullAreaIsReportedBeforeTheAircraftFit) {
  PanelHarness h(GetParam());
  h.DetachArea();
  // A type without a layout, except where the panel checks its fit first.
  EXPECT_FALSE(h.Start(Facts().fit == PanelFit::kOwn ? 9 : 6));
  EXPECT_EQ(std::string(h.Error()), std::string(Facts().nullAreaClass) + "::Initialise --> SharedMemory ptr not set");
  if (Facts().fitClass != nullptr && Facts().fit == PanelFit::kCommon) {
    PanelHarness fit(GetParam());
    EXPECT_FALSE(fit.Start(6));
    EXPECT_EQ(std::string(fit.Error()), std::string(Facts().fitClass) + "::Initialise --> Incorrect aircraft fit");
  }
}

// Every image the rows name exists in the generated art: the panel starts in
// each of its layouts with every image of every control loaded.
TEST_P(PanelContract, StartsInEachLayoutWithEveryImage) {
  for (PanelLayout layout : {kLayoutA330, kLayoutA320}) {
    if (!PanelHasLayout(Facts(), layout)) continue;
    PanelHarness h(GetParam());
    ASSERT_TRUE(h.Start(TypeFor(layout))) << h.Error();
    EXPECT_EQ(h.Panel().GetLayout(), layout);
    const BlockPair blocks = Tables().Blocks(layout, Unit());
    EXPECT_EQ(h.Panel().OutputBlock().Offset(), blocks.output);
    EXPECT_EQ(h.Panel().InputBlock().Offset(), blocks.input);
    const PanelControls& c = h.Panel().Controls();
    for (const GuardedButton& cover : c.covers) {
      for (int part = 0; part < kControlImageCount; part++) EXPECT_TRUE(cover.IsImageLoaded(part)) << part;
    }
    for (const GuardedButton& guarded : c.guarded) {
      for (int part = 0; part < kControlImageCount; part++) EXPECT_TRUE(guarded.IsImageLoaded(part)) << part;
    }
  }
}

TEST_P(PanelContract, EachButtonClickChangesOnlyItsOwnFields) {
  PanelHarness h(GetParam());
  ASSERT_TRUE(h.Start()) << h.Error();
  MakeAllPresent(h);
  OpenCovers(h);
  std::set<uint32_t> computed;  // the panel's own station-written fields beyond the rows
  for (const FieldDecl& f : Tables().fields) {
    for (uint32_t b = 0; f.writer == FieldWriter::kStation && b < FieldWidth(f.type); b++) {
      computed.insert(h.Panel().OutputBlock().Offset() + uint32_t(f.offset) + b);
    }
  }
  for (size_t i = 0; i < Tables().buttons.size(); i++) {
    const BlockField own = Tables().buttons[i].output;
    if (own == kNoField) continue;
    h.Pass();
    const std::vector<uint8_t> before = h.Area();
    h.Press(1, h.Panel().Controls().buttons[i]);
    const uint32_t ownOffset = h.Panel().OutputBlock().Offset() + uint32_t(own);
    // A button its panel keeps in may read 1 whatever the click.
    if (!Tables().buttons[i].IsForcedIn(h.Panel().GetLayout())) {
      EXPECT_NE(h.Area()[ownOffset], before[ownOffset]) << "button " << i;
    }
    for (uint32_t at = 0; at < before.size(); at++) {
      if (at != ownOffset && computed.count(at) == 0) {
        ASSERT_EQ(h.Area()[at], before[at]) << "button " << i << " changed byte 0x" << std::hex << at;
      }
    }
    h.Press(0, h.Panel().Controls().buttons[i]);
  }
}

TEST_P(PanelContract, LampTestLightsEveryLamp) {
  if (Tables().lampTest == kNoField) GTEST_SKIP() << "no lamp test";
  PanelHarness h(GetParam());
  ASSERT_TRUE(h.Start()) << h.Error();
  MakeAllPresent(h);
  h.In(Tables().lampTest) = 1;
  h.Pass();
  const PanelControls& c = h.Panel().Controls();
  for (size_t i = 0; i < c.buttons.size(); i++) {
    EXPECT_EQ(c.buttons[i].GetLightCode(), Tables().buttons[i].singleLamp ? 0 : 2) << "button " << i;
  }
  for (GuardedButton& g : c.guarded) EXPECT_EQ(g.Button().GetLightCode(), 2);
  for (size_t i = 0; i < c.lights.size(); i++) {
    if (!Tables().lights[i].onChange) {
      EXPECT_EQ(c.lights[i].light.GetState(), 0) << "light " << i;
    }
  }
}

TEST_P(PanelContract, DisplayOnlyWritesNothing) {
  PanelHarness h(GetParam());
  ASSERT_TRUE(h.Start()) << h.Error();
  if (Tables().displayOnlyRequest != kNoField) {
    h.Out(Tables().displayOnlyRequest) = 1;
  } else {
    h.Panel().SetDisplayOnly(true);
  }
  const std::vector<uint8_t> before = h.Area();
  h.Pass();
  OpenCovers(h);
  ClickEverything(h);
  // The cockpit's reset and a panel's start-up preset reach display-only
  // panels too: they change the controls, never the block.
  h.Manager().ResetAll();
  h.Panel().ApplyStartupPreset();
  EXPECT_TRUE(h.Area() == before);
}

// Whatever the operator and the simulation do, the panel writes no byte that
// its declarations do not name as its own: what the interface description
// lists is all the station writes.
TEST_P(PanelContract, WritesOnlyDeclaredFields) {
  for (PanelLayout layout : {kLayoutA330, kLayoutA320}) {
    if (!PanelHasLayout(Facts(), layout)) continue;
    PanelHarness h(GetParam());
    const Offsets declared = Declared(layout);
    std::vector<uint8_t>& area = h.Area();
    std::fill(area.begin(), area.end(), 0xA5);
    for (uint32_t at : declared.simulation) area[at] = 0;
    const std::vector<uint8_t> before = area;
    ASSERT_TRUE(h.Start(TypeFor(layout))) << h.Error();
    OpenCovers(h);
    ClickEverything(h);
    h.Manager().ResetAll();
    for (BlockField request : {Tables().resetRequest, Tables().presetRequest}) {
      if (request == kNoField) continue;
      h.In(request) = 1;
      h.Pass();
      h.In(request) = 0;
    }
    ClickEverything(h);
    for (uint32_t at = 0; at < area.size(); at++) {
      if (declared.station.count(at) == 0) {
        ASSERT_EQ(area[at], before[at]) << LayoutName(layout) << ": undeclared byte 0x" << std::hex << at;
      }
    }
  }
}

// Inspect mode: the middle of every control the layout draws finds a control
// of this panel there, and the declarations name at least one field it binds.
TEST_P(PanelContract, EveryDrawnControlUnderThePointerNamesItsFields) {
  PanelHarness h(GetParam());
  ASSERT_TRUE(h.Start()) << h.Error();
  MakeAllPresent(h);
  const PanelLayout layout = h.Panel().GetLayout();
  const auto drawn = [&](RowRef row) {
    const size_t i = size_t(row.index);
    switch (row.kind) {
      case RowKind::kButton: return Tables().buttons[i].IsDrawnIn(layout);
      case RowKind::kCover: return Tables().covers[i].IsDrawnIn(layout);
      case RowKind::kPlate: return Tables().plates[i].IsDrawnIn(layout);
      case RowKind::kGuarded: return Tables().guarded[i].IsDrawnIn(layout);
      case RowKind::kSwitch: return Tables().switches[i].IsDrawnIn(layout);
      case RowKind::kKnob: return Tables().knobs[i].IsDrawnIn(layout);
      case RowKind::kLight: return Tables().lights[i].IsDrawnIn(layout);
      case RowKind::kDisplay: return Tables().displays[i].IsDrawnIn(layout);
      case RowKind::kRotary: return Tables().rotaries[i].IsDrawnIn(layout);
      case RowKind::kNone: break;
    }
    return false;
  };
  const auto countNamed = [](const InterfaceField& f, void* context) {
    *static_cast<int*>(context) += f.name[0] != '\0' ? 1 : 0;
    return true;
  };
  int rows = 0;
  for (RowKind kind : {RowKind::kButton, RowKind::kCover, RowKind::kPlate, RowKind::kGuarded, RowKind::kSwitch,
                       RowKind::kKnob, RowKind::kLight, RowKind::kDisplay, RowKind::kRotary}) {
    for (size_t i = 0; i < Tables().RowCount(kind); i++) {
      const RowRef row{kind, int16_t(i)};
      if (!drawn(row) || HiddenUnderPlate(h, row)) continue;
      char name[64];
      RowName(Tables(), row, name, sizeof name);
      SCOPED_TRACE(name);
      const platform::Rect r = h.Panel().RowRect(row);
      ASSERT_GT(r.Width(), 0);
      ASSERT_GT(r.Height(), 0);
      const int x = (r.left + r.right) / 2;
      const int y = (r.top + r.bottom) / 2;
      ControlHit hit;
      ASSERT_TRUE(h.Manager().FindControlAt(x, y, &hit));
      EXPECT_EQ(hit.facts, &Facts());
      EXPECT_TRUE(hit.rect.left <= x && x < hit.rect.right && hit.rect.top <= y && y < hit.rect.bottom);
      int named = 0;
      EXPECT_GT(VisitRowFields(Facts(), layout, Unit(), hit.row, countNamed, &named), 0);
      EXPECT_GT(named, 0);
      rows++;
    }
  }
  EXPECT_GT(rows, 0);
}

INSTANTIATE_TEST_SUITE_P(Catalogue, PanelContract, ::testing::ValuesIn(BuiltPanels()),
                         [](const ::testing::TestParamInfo<int32_t>& info) {
                           std::string name = FindPanelFacts(info.param)->key;
                           for (char& ch : name) {
                             if (ch == '-') ch = '_';
                           }
                           return name;
                         });

}  // namespace
