#include "panels/CockpitManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "common/ConfigFile.h"
#include "panels/BasePanel.h"
#include "panels/PanelInterface.h"
#include "simlink/GenericArea.h"
#include "platform/Graphics.h"
#include "platform/PassLog.h"

namespace {

// Every call a fake panel receives, as "op:id".
std::vector<std::string> gCalls;

class FakePanel : public BasePanel {
 public:
  FakePanel() = default;
  void SetId(int32_t id) { id_ = id; }

  bool Initialise(const char* folder, int32_t originY, int32_t originX) override {
    Log("init");
    folder_ = folder != nullptr ? folder : "";
    SetOrigin(originX, originY);
    if (fail) {
      ReportText(("CFake" + std::to_string(id_) + "::Initialise --> SharedMemory ptr not set").c_str());
    }
    return !fail;
  }
  void Update(const MouseState& mouse) override {
    Log("update");
    lastMouse = &mouse;
  }
  void Draw(platform::DrawSurface& /*surface*/) override { Log("draw"); }
  void ResetToDefaults() override { Log("reset"); }
  void SetUnit(int32_t unit) override { this->unit = unit; }

  bool fail = false;
  int32_t unit = -1;
  std::string folder_;
  const MouseState* lastMouse = nullptr;

 private:
  void Log(const char* op) { gCalls.push_back(std::string(op) + ":" + std::to_string(id_)); }
  int32_t id_ = 0;
};

// A manager whose ids 0 to 23 all have fake panels (ids 0, 2, 11 and 23 too,
// so the tests see that the manager never reaches them where it must not).
class TestManager : public CockpitManager {
 public:
  TestManager() {
    for (int32_t id = 0; id < kPanelCount; id++) {
      fakes[id].SetId(id);
      SetPanel(id, &fakes[id]);
    }
    gCalls.clear();
  }
  void Remove(int32_t id) { SetPanel(id, nullptr); }
  FakePanel fakes[kPanelCount];
};

std::vector<std::string> Calls(const char* op, const std::vector<int32_t>& ids) {
  std::vector<std::string> out;
  for (int32_t id : ids) {
    out.push_back(std::string(op) + ":" + std::to_string(id));
  }
  return out;
}

const std::vector<int32_t> kOrder = {1, 3, 4, 5, 6, 7, 8, 9, 10, 12, 13, 15, 14, 16, 17, 18, 19, 22, 20, 21};
const std::vector<int32_t> kResetOrder = {1, 3, 4, 5, 6, 7, 8, 9, 10, 12, 17, 18};

std::vector<int32_t> AllIds() {
  std::vector<int32_t> ids;
  for (int32_t id = 0; id < 24; id++) {
    ids.push_back(id);
  }
  return ids;
}

TEST(CockpitManagerTest, InitialisesInOrderWithEachOriginAndStopsAtTheFirstFailure) {
  TestManager manager;
  ASSERT_TRUE(manager.InitialisePanels("Art\\Cockpit"));
  EXPECT_EQ(gCalls, Calls("init", kOrder));
  EXPECT_EQ(manager.fakes[19].folder_, "Art\\Cockpit");
  EXPECT_EQ(manager.fakes[19].GetOriginX(), 613);
  EXPECT_EQ(manager.fakes[19].GetOriginY(), 830);
  EXPECT_EQ(manager.fakes[21].GetOriginX(), 1562);
  EXPECT_EQ(manager.fakes[21].GetOriginY(), 153);
  // Units before Initialise, and the light switches' aircraft type argument.
  EXPECT_EQ(manager.fakes[20].unit, 2);
  EXPECT_EQ(manager.fakes[21].unit, 2);
  EXPECT_EQ(manager.fakes[19].unit, -1);
  EXPECT_EQ(manager.fakes[3].GetAircraftType(), 8);
  EXPECT_EQ(manager.fakes[19].GetAircraftType(), 9);

  // The fifth panel in the order (id 6) fails: panels six to twenty are not
  // initialised and the manager reports the fifth panel's text.
  TestManager failing;
  failing.fakes[6].fail = true;
  EXPECT_FALSE(failing.InitialisePanels("Art"));
  EXPECT_EQ(gCalls, Calls("init", {1, 3, 4, 5, 6}));
  EXPECT_STREQ(failing.GetErrorText(), "CFake6::Initialise --> SharedMemory ptr not set");

  // Ids without a panel are skipped.
  TestManager sparse;
  for (int32_t id = 0; id < 24; id++) {
    if (id != 19 && id != 5) {
      sparse.Remove(id);
    }
  }
  EXPECT_TRUE(sparse.InitialisePanels("Art"));
  EXPECT_EQ(gCalls, Calls("init", {5, 19}));
}

TEST(CockpitManagerTest, HitTestsIncludeEdgesAndTheLowestIdWins) {
  TestManager manager;
  manager.InitialisePanels("Art");
  // Shared edge y = 950 of ventilation (14) and manual engine start (16).
  EXPECT_EQ(manager.FindPanelAt(1600, 950), 14);
  EXPECT_EQ(manager.FindPanelAt(1600, 951), 16);
  // Radio management (20) and audio control (21) overlap on y 153..160.
  EXPECT_EQ(manager.FindPanelAt(1600, 155), 20);
  EXPECT_EQ(manager.FindPanelAt(1600, 161), 21);
  // Corners are inside; one pixel beyond is not.
  EXPECT_EQ(manager.FindPanelAt(613, 0), 4);
  EXPECT_EQ(manager.FindPanelAt(1874, 0), 20);
  EXPECT_EQ(manager.FindPanelAt(1875, 0), -1);
  EXPECT_EQ(manager.FindPanelAt(700, 1000), 23);
  EXPECT_EQ(manager.FindPanelAt(10, 10), -1);
  // Id 0 never answers; ids 2 and 11 have all-zero rectangles that touch the
  // picture's corner, and id 2 has no panel behind it.
  EXPECT_EQ(manager.FindPanelAt(0, 0), 2);
  EXPECT_EQ(manager.FindPanelAt(1, 0), -1);
  EXPECT_EQ(manager.FindPanelAt(INT32_MAX, INT32_MIN), -1);
}

TEST(CockpitManagerTest, MouseUpdatesOnlyExistingPanelsAndOnlyAfterTheFirstRotation) {
  TestManager manager;
  manager.InitialisePanels("Art");
  manager.Remove(23);  // as in the station: a rectangle without a panel
  gCalls.clear();

  // No mouse state yet: nothing is updated.
  manager.HandleMouse(700, 850);
  manager.UpdatePanel(19);
  EXPECT_TRUE(gCalls.empty());
  EXPECT_EQ(manager.GetLastPanelUnderPointer(), 19);

  MouseState mouse{1, 10, 20};
  manager.UpdateVisible(605, 5, 1580, 730, &mouse);
  gCalls.clear();
  manager.HandleMouse(700, 850);
  EXPECT_EQ(gCalls, Calls("update", {19}));
  EXPECT_EQ(manager.fakes[19].lastMouse, &mouse);

  gCalls.clear();
  manager.HandleMouse(700, 1000);  // id 23: found, nothing to update
  manager.HandleMouse(10, 10);     // outside every rectangle
  EXPECT_TRUE(gCalls.empty());
  EXPECT_EQ(manager.GetLastPanelUnderPointer(), -1);
  manager.UpdatePanel(-1);
  manager.UpdatePanel(99);
  EXPECT_TRUE(gCalls.empty());
}

TEST(CockpitManagerTest, RotationOverTheVisibleListTakesVisibleCountPlusOneSteps) {
  TestManager manager;
  manager.InitialisePanels("Art");
  EXPECT_EQ(manager.GetVisibleCount(), 24);
  MouseState mouse{0, 0, 0};
  gCalls.clear();

  // The first step updates the first visible panel, then every panel once.
  manager.UpdateVisible(605, 5, 1580, 730, &mouse);
  const std::vector<int32_t> visible = {1, 4, 5, 7, 8, 9, 10, 12, 13, 15, 17, 18, 20, 21};
  ASSERT_EQ(manager.GetVisibleCount(), 14);
  for (int32_t i = 0; i < 14; i++) {
    EXPECT_EQ(manager.GetVisibleId(i), visible[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(manager.GetVisibleId(14), -1);
  std::vector<std::string> expected = Calls("update", {1});
  const std::vector<std::string> all = Calls("update", AllIds());
  expected.insert(expected.end(), all.begin(), all.end());
  EXPECT_EQ(gCalls, expected);
  EXPECT_TRUE(manager.IsFirstCycleDone());

  // The rest of the cycle: 13 more panels, then one step that updates none.
  gCalls.clear();
  for (int i = 1; i < 15; i++) {
    manager.UpdateVisible(605, 5, 1580, 730, &mouse);
  }
  EXPECT_EQ(gCalls, Calls("update", {4, 5, 7, 8, 9, 10, 12, 13, 15, 17, 18, 20, 21}));
  EXPECT_EQ(manager.GetRotationPosition(), 0);

  // A scroll takes effect at the start of the next cycle.
  gCalls.clear();
  manager.UpdateVisible(1560, 800, 1880, 1300, &mouse);
  EXPECT_EQ(gCalls, Calls("update", {3}));
  // 3 and 6 reach x 1567; 15 reaches y 826.
  EXPECT_EQ(manager.GetVisibleCount(), 5);

  gCalls.clear();
  platform::DrawSurface surface;
  manager.DrawVisible(surface);
  EXPECT_EQ(gCalls, Calls("draw", {3, 6, 14, 15, 16}));
}

TEST(CockpitManagerTest, ResetAllAndDisplayOnlyReachTheTwelvePanelsInOrder) {
  TestManager manager;
  manager.InitialisePanels("Art");
  MouseState mouse{0, 0, 0};
  manager.UpdateVisible(605, 5, 1580, 730, &mouse);
  gCalls.clear();
  manager.ResetAll();
  std::vector<std::string> expected = Calls("reset", kResetOrder);
  const std::vector<std::string> all = Calls("update", AllIds());
  expected.insert(expected.end(), all.begin(), all.end());
  EXPECT_EQ(gCalls, expected);

  manager.SetPanelsDisplayOnly(true);
  for (int32_t id = 0; id < 24; id++) {
    const bool listed = std::find(kResetOrder.begin(), kResetOrder.end(), id) != kResetOrder.end();
    EXPECT_EQ(manager.fakes[id].IsDisplayOnly(), listed) << id;
  }
  manager.SetPanelsDisplayOnly(false);
  EXPECT_FALSE(manager.fakes[1].IsDisplayOnly());
}

TEST(CockpitManagerTest, TheStationManagerHoldsTheOxygenPanel) {
  CockpitManager manager;
  EXPECT_NE(manager.GetPanel(FindPanelFacts("oxygen")->id), nullptr);
  EXPECT_EQ(manager.GetPanel(23), nullptr);
  EXPECT_EQ(manager.GetPanel(0), nullptr);
  EXPECT_EQ(manager.GetPanel(-1), nullptr);
  EXPECT_EQ(manager.GetPanel(25), nullptr);
}

TEST(CockpitManagerTest, ConstructionRegistersEveryControlModulesLines) {
  const std::string path = ::testing::TempDir() + "cockpit_revisions.txt";
  OpenConfigReport(path.c_str());
  { CockpitManager manager; }
  CloseConfigReport();
  std::string text;
  if (FILE* f = std::fopen(path.c_str(), "r")) {
    char buffer[512];
    while (std::fgets(buffer, sizeof buffer, f) != nullptr) text += buffer;
    std::fclose(f);
  }
  std::remove(path.c_str());
  // Lines are registered once per process: only the first manager shows them
  // (CTest runs each test in a process of its own).
  if (text.find("CockpitManager.cpp") == std::string::npos) GTEST_SKIP() << "registered earlier in this process";
  for (const char* file : {"CButtonClass.cpp", "GuardedButton.cpp", "SwitchClass.cpp",
                           "KnobClass.cpp", "LightClass.cpp", "PanelDisplay.cpp", "A330_Oxygen.cpp"}) {
    EXPECT_NE(text.find(file), std::string::npos) << file;
  }
}

class CountingManager : public PanelManager {
 public:
  explicit CountingManager(int32_t count) : PanelManager(count) { SetPanelRect(1, 0, 0, 100, 100); }
  void UpdatePanel(int32_t id) override { updated.push_back(id); }
  std::vector<int32_t> updated;
};

TEST(PanelManagerTest, TwentyFivePanelsOrMoreDisableTheViewAndHitTests) {
  CountingManager full(25);
  EXPECT_EQ(full.FindPanelAt(50, 50), -1);
  MouseState mouse{0, 0, 0};
  full.UpdateVisible(0, 0, 10, 10, &mouse);
  EXPECT_EQ(full.GetVisibleCount(), 24);  // never recomputed

  CountingManager two(2);
  EXPECT_EQ(two.FindPanelAt(50, 50), 1);
  two.UpdateVisible(0, 0, 10, 10, &mouse);
  // Ids 0 (all-zero rectangle touching the view) and 1 are visible.
  EXPECT_EQ(two.GetVisibleCount(), 2);
  // The first step updates id 0, then every id 0..23 once.
  ASSERT_EQ(two.updated.size(), 25u);
  EXPECT_EQ(two.updated[0], 0);
  EXPECT_EQ(two.updated[24], 23);

  CountingManager negative(-3);
  EXPECT_EQ(negative.GetVisibleCount(), 0);
  EXPECT_EQ(negative.FindPanelAt(50, 50), -1);
}

// Panels 1, 2 and 3 side by side; the test says whose fields changed and
// records passes and draws.
class ChangeManager : public PanelManager {
 public:
  ChangeManager() : PanelManager(4) {
    for (int32_t id = 1; id <= 3; id++) SetPanelRect(id, id * 100, 100, 90, 90);
  }
  void UpdatePanel(int32_t id) override {
    if (id < 0) return;  // the step past the list
    passes.push_back(id);
    if (id >= 0 && id < 4) changed[id] = false;
    MarkForDrawing(id);
  }
  void DrawPanel(int32_t id, platform::DrawSurface& /*surface*/) override { drawn.push_back(id); }
  bool InputsChanged(int32_t id) override { return id >= 0 && id < 4 && changed[id]; }
  std::vector<int32_t> Drawn(platform::DrawSurface& surface) {
    drawn.clear();
    if (NeedsDrawing()) {
      surface.BeginPass();
      DrawVisible(surface);
      surface.EndPass();
    }
    return drawn;
  }
  bool changed[4] = {};
  std::vector<int32_t> passes;
  std::vector<int32_t> drawn;
};

TEST(PanelManagerTest, ChangePassesFollowTheRotationStepAndOnlyTouchedPanelsAreDrawn) {
  ChangeManager manager;
  MouseState mouse{0, 0, 0};
  const int32_t view[] = {150, 150, 260, 160};  // panels 1 and 2
  manager.UpdateVisible(view[0], view[1], view[2], view[3], &mouse);
  ASSERT_EQ(manager.GetVisibleCount(), 2);
  manager.passes.clear();
  // The rotation passes 2; then the changed visible panels in id order: 1, not 3 (out of view).
  manager.changed[1] = manager.changed[3] = true;
  manager.UpdateVisible(view[0], view[1], view[2], view[3], &mouse);
  EXPECT_EQ(manager.passes, (std::vector<int32_t>{2, 1}));
  EXPECT_EQ(manager.GetChangePassCount(), 1);
  // The literal rotation: no pass for a change.
  manager.SetChangePasses(false);
  manager.passes.clear();
  manager.changed[2] = true;
  manager.UpdateVisible(view[0], view[1], view[2], view[3], &mouse);  // the step past the list
  EXPECT_TRUE(manager.passes.empty());
  manager.SetChangePasses(true);
  // The whole picture in view: 3 is visible from the next cycle on.
  manager.SetWholePictureInView(true);
  manager.passes.clear();
  manager.UpdateVisible(view[0], view[1], view[2], view[3], &mouse);
  EXPECT_EQ(manager.GetVisibleCount(), 3);
  EXPECT_EQ(manager.passes, (std::vector<int32_t>{1, 2, 3}));

  platform::DrawSurface surface;
  platform::PassLog log;
  ASSERT_TRUE(surface.Create(400, 200));
  surface.SetPassLog(&log);
  // Every panel twice after its pass, then none; a pass or the pointer brings one back.
  EXPECT_EQ(manager.Drawn(surface), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(manager.Drawn(surface), (std::vector<int32_t>{1, 2, 3}));
  EXPECT_TRUE(manager.Drawn(surface).empty());
  EXPECT_FALSE(manager.NeedsDrawing());
  manager.MarkForDrawing(2);
  EXPECT_EQ(manager.Drawn(surface), (std::vector<int32_t>{2}));
  EXPECT_EQ(manager.Drawn(surface), (std::vector<int32_t>{2}));
  // The pointer moving over 3, resting there, then moving to 1.
  for (int x : {310, 320, 320, 320, 150}) {
    manager.SetPointer(x, 150, x / 100);
    manager.Drawn(surface);
  }
  EXPECT_EQ(manager.Drawn(surface), (std::vector<int32_t>{1, 3}));
  EXPECT_TRUE(manager.Drawn(surface).empty());
  // Drawing outside a pass leaves no copies to record again: all are drawn.
  surface.FillRect(platform::Rect{0, 0, 4, 4}, 1, 2, 3);
  surface.BeginPass();
  manager.drawn.clear();
  manager.DrawVisible(surface);
  surface.EndPass();
  EXPECT_EQ(manager.drawn, (std::vector<int32_t>{1, 2, 3}));
  manager.SetSkipUntouched(false);
  EXPECT_EQ(manager.Drawn(surface), (std::vector<int32_t>{1, 2, 3}));
}

// Every field the simulation writes to a panel, in each of its layouts and
// units, is watched; a field the station writes is not (the display-only
// request, written by the simulation into the output block, is).
TEST(PanelInputWatchTest, WatchesExactlyTheFieldsTheSimulationWrites) {
  static uint8_t area[generic_area::kSize];
  PanelInputWatch watch;
  int simulationFields = 0;
  for (const PanelFacts& facts : PanelCatalogue()) {
    if (facts.tables == nullptr) continue;
    const int32_t units = facts.tables->unitBlocks != nullptr ? facts.tables->unitCount : 1;
    for (PanelLayout layout : {kLayoutA330, kLayoutA320}) {
      for (int32_t unit = 0; unit < units && PanelHasLayout(facts, layout); unit++) {
        watch.Clear();
        watch.Add(facts.id, facts, layout, unit);
        std::vector<InterfaceField> fields;
        VisitPanelFields(facts, layout, unit, [](const InterfaceField& f, void* c) {
          static_cast<std::vector<InterfaceField>*>(c)->push_back(f);
          return true;
        }, &fields);
        for (const InterfaceField& f : fields) {
          const uint32_t last = f.offset + FieldWidth(f.type) - 1;
          bool shared = false;  // a byte also belongs to a field the simulation writes
          for (const InterfaceField& g : fields) {
            shared = shared || (g.writer == FieldWriter::kSimulation && g.offset <= last &&
                                f.offset < g.offset + FieldWidth(g.type));
          }
          watch.Take(facts.id, area);
          area[last] ^= 0x5A;
          EXPECT_EQ(watch.Changed(facts.id, area), f.writer == FieldWriter::kSimulation || shared)
              << facts.key << " " << LayoutName(layout) << " unit " << unit << ": " << f.name;
          area[last] ^= 0x5A;
          EXPECT_FALSE(watch.Changed(facts.id, area)) << f.name;
          simulationFields += f.writer == FieldWriter::kSimulation ? 1 : 0;
        }
      }
    }
  }
  EXPECT_GT(simulationFields, 200);
  // No area, an unknown id, or a copy not yet taken.
  EXPECT_FALSE(watch.Changed(-1, area));
  EXPECT_FALSE(watch.Changed(1, nullptr));
  watch.Clear();
  watch.Add(1, *FindPanelFacts(1), kLayoutA330, 0);
  EXPECT_TRUE(watch.Changed(1, area));
}

TEST(BasePanelTest, DefaultsScaleClampAndSharedMemory) {
  FakePanel panel;
  EXPECT_STREQ(panel.GetSourceRevision(), "Not Set Up");
  EXPECT_STREQ(panel.GetHeaderRevision(), "Not Set Up");
  EXPECT_EQ(panel.GetAircraftType(), 9);
  EXPECT_FALSE(panel.CheckAircraftFit());
  panel.SetAircraftType(12);
  EXPECT_EQ(panel.GetAircraftType(), 12);
  EXPECT_FALSE(panel.CheckAircraftFit());
  EXPECT_DOUBLE_EQ(panel.GetScale(), 1.0);
  panel.SetScale(0.0);
  EXPECT_DOUBLE_EQ(panel.GetScale(), 0.1);
  panel.SetScale(7.5);
  EXPECT_DOUBLE_EQ(panel.GetScale(), 5.0);
  panel.SetScale(0.0 / 0.0 * 0.0);
  EXPECT_DOUBLE_EQ(panel.GetScale(), 0.1);
  panel.SetScale(2.5);
  EXPECT_DOUBLE_EQ(panel.GetScale(), 2.5);

  uint8_t area[16] = {};
  BasePanel::SetSharedMemory(area);
  EXPECT_EQ(BasePanel::GetSharedMemory(), area);
  BasePanel::SetSharedMemory(nullptr);
  EXPECT_EQ(BasePanel::GetSharedMemory(), nullptr);
}

}  // namespace
