// The oxygen panel driven through the cockpit manager, as the main dialog
// drives it, on the generated art of the program folder.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "controls/ViewGeometry.h"
#include "panels/A330_Oxygen.h"
#include "panels/CockpitManager.h"
#include "platform/Graphics.h"

namespace {

constexpr int32_t kOxygenId = CockpitManager::kOxygen;
constexpr int kOriginX = 613;  // the oxygen panel's rectangle
constexpr int kOriginY = 830;
// The dialog's scroll position: the oxygen panel lies in the view.
constexpr int kScrollX = 605;
constexpr int kScrollY = 700;

// The cockpit manager with only the oxygen panel left in, so that the
// failure texts checked here are the oxygen panel's whatever other panels
// are plugged in.
class OxygenOnlyCockpit : public CockpitManager {
 public:
  OxygenOnlyCockpit() {
    for (int32_t id = 0; id < kMaxPanels; id++) {
      if (id != kOxygenId) SetPanel(id, nullptr);
    }
  }
};

class OxygenPanelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The program folder: from the test environment, else the build's own.
    const char* bin = std::getenv("TARNEL_BIN_DIR");
    if (bin == nullptr || *bin == '\0') bin = OXYGEN_TEST_BIN_DIR;
    folder_ = std::string(bin) + "/CockpitBitmaps";
    std::fill(area_.begin(), area_.end(), 0);
    BasePanel::SetSharedMemory(area_.data());
    manager_ = std::make_unique<OxygenOnlyCockpit>();
    panel_ = dynamic_cast<COxygenPanel*>(manager_->GetPanel(kOxygenId));
    ASSERT_NE(panel_, nullptr);
    ASSERT_TRUE(surface_.Create(1880, 1300));
  }
  void TearDown() override { BasePanel::SetSharedMemory(nullptr); }

  // Initialises the panels and makes the first rotation step, which gives the
  // manager the mouse state and updates every panel once.
  void Start(int32_t aircraftType = 9) {
    panel_->SetAircraftType(aircraftType);
    ASSERT_TRUE(manager_->InitialisePanels(folder_.c_str())) << manager_->GetErrorText();
    Move(0, 0, 0);
    manager_->UpdateVisible(kScrollX, kScrollY, kScrollX + 975, kScrollY + 600, &mouse_);
  }

  // A mouse message at a picture point, as the dialog routes it.
  void Mouse(int32_t button, int x, int y) {
    Move(button, x, y);
    manager_->HandleMouse(x, y);
  }
  void Move(int32_t button, int x, int y) {
    mouse_ = MouseState{button, x - kScrollX, y - kScrollY};
    ViewGeometry::SetScrollAndPointer(kScrollX, kScrollY, mouse_.x, mouse_.y);
  }
  // A left or right click at a point of the panel, released in place.
  void Click(int32_t button, int px, int py) {
    Mouse(button, kOriginX + px, kOriginY + py);
    Mouse(0, kOriginX + px, kOriginY + py);
  }
  // A rotation pass of the panel with the current mouse state.
  void Pass() { manager_->UpdatePanel(kOxygenId); }

  uint8_t& Out(int field) { return area_[panel_->OutputBlock().Offset() + field]; }
  uint8_t& In(int field) { return area_[panel_->InputBlock().Offset() + field]; }

  // A fingerprint of the drawn pixels of a control's rectangle.
  uint64_t Drawn(const CBaseCockpitControl& c) {
    surface_.FillRect(platform::Rect{0, 0, 1880, 1300}, 0, 0, 0);
    manager_->DrawPanel(kOxygenId, surface_);
    const platform::Rect r = c.GetRect();
    uint64_t sum = 0;
    for (int y = r.top; y < r.bottom; y++) {
      for (int x = r.left; x < r.right; x++) {
        sum = sum * 1099511628211ULL + surface_.PixelAt(x, y) + 1;
      }
    }
    return sum;
  }
  bool AnyPixel(const CBaseCockpitControl& c) {
    surface_.FillRect(platform::Rect{0, 0, 1880, 1300}, 0, 0, 0);
    manager_->DrawPanel(kOxygenId, surface_);
    const platform::Rect r = c.GetRect();
    for (int y = r.top; y < r.bottom; y++) {
      for (int x = r.left; x < r.right; x++) {
        if (surface_.PixelAt(x, y) != 0) return true;
      }
    }
    return false;
  }

  std::vector<uint8_t> area_ = std::vector<uint8_t>(kGenericAreaSize, 0);
  std::unique_ptr<OxygenOnlyCockpit> manager_;
  COxygenPanel* panel_ = nullptr;
  MouseState mouse_{0, 0, 0};
  platform::DrawSurface surface_;
  std::string folder_;
};

TEST_F(OxygenPanelTest, AircraftTypesChooseLayoutBlocksAndDrawing) {
  Start(9);
  EXPECT_STREQ(panel_->GetErrorText(), "Initialising Oxygen Panel items");
  EXPECT_EQ(panel_->OutputBlock().Offset(), 0x12494u);
  EXPECT_EQ(panel_->InputBlock().Offset(), 0x12177u);
  EXPECT_EQ(panel_->Button(0).GetX(), kOriginX + 20);
  EXPECT_EQ(panel_->Button(0).GetY(), kOriginY + 45);
  EXPECT_EQ(panel_->Cover().GetX(), kOriginX + 98);
  EXPECT_TRUE(AnyPixel(panel_->Button(0)));
  Click(1, 30, 55);  // button 0 latches in
  EXPECT_EQ(area_[0x12494 + 3], 1);

  SetUp();
  Start(12);
  EXPECT_EQ(panel_->OutputBlock().Offset(), 0x1EFF5u);
  EXPECT_EQ(panel_->InputBlock().Offset(), 0x1ECD0u);
  EXPECT_EQ(panel_->Button(0).GetX(), kOriginX + 25);
  EXPECT_EQ(panel_->Button(2).GetX(), kOriginX + 155);
  EXPECT_EQ(panel_->Cover().GetX(), kOriginX + 85);
  EXPECT_EQ(panel_->Cover().GetY(), kOriginY + 35);
  EXPECT_FALSE(AnyPixel(panel_->Button(0)));  // created, processed, never drawn
  EXPECT_TRUE(AnyPixel(panel_->Button(2)));
  Click(1, 35, 55);
  EXPECT_EQ(area_[0x1EFF5 + 3], 1);
  EXPECT_EQ(area_[0x12494 + 3], 0);

  for (int32_t type : {6, 14, 0, -1, INT_MAX}) {
    SetUp();
    panel_->SetAircraftType(type);
    EXPECT_FALSE(manager_->InitialisePanels(folder_.c_str()));
    EXPECT_STREQ(manager_->GetErrorText(), "COxygenPanel::Initialise --> Incorrect aircraft fit") << type;
    EXPECT_FALSE(panel_->InputBlock().IsSelected());
  }
}

TEST_F(OxygenPanelTest, NullAreaIsReportedBeforeTheAircraftFit) {
  for (int32_t type : {9, 6}) {
    SetUp();
    BasePanel::SetSharedMemory(nullptr);
    panel_->SetAircraftType(type);
    EXPECT_FALSE(manager_->InitialisePanels(folder_.c_str()));
    EXPECT_STREQ(manager_->GetErrorText(), "COxygenPanel::Initialise --> SharedMemory ptr not set");
  }
}

TEST_F(OxygenPanelTest, MissingArtStopsWithTheControlsText) {
  panel_->SetAircraftType(9);
  EXPECT_FALSE(manager_->InitialisePanels("/nonexistent"));
  EXPECT_NE(std::string(manager_->GetErrorText()).find("DotsOnBlue"), std::string::npos) << manager_->GetErrorText();
}

TEST_F(OxygenPanelTest, ClicksLatchButtonsAndLampBytesLightThem) {
  Start();
  const uint64_t dark = Drawn(panel_->Button(3));
  Click(1, 230, 55);
  EXPECT_EQ(Out(6), 1);
  EXPECT_EQ(panel_->Button(3).GetState(), 3);  // NoneIn
  In(6) = 0xFF;  // upper lamp, any non-zero value
  Pass();
  EXPECT_EQ(panel_->Button(3).GetState(), 0);  // TopIn
  EXPECT_NE(Drawn(panel_->Button(3)), dark);
  Click(1, 230, 55);
  EXPECT_EQ(Out(6), 0);
  // Bytes of the block that no control owns are left alone.
  EXPECT_EQ(Out(0) | Out(1) | Out(2), 0);
}

TEST_F(OxygenPanelTest, LampTestLightsEveryButtonWhateverTheLampBytes) {
  Start();
  Click(2, 110, 60);  // open the cover so the call button is drawn
  ASSERT_FALSE(panel_->Cover().IsClosed());
  In(0) = 1;  // button 0: upper lamp only
  Pass();
  const uint64_t before0 = Drawn(panel_->Button(0));
  const uint64_t before1 = Drawn(panel_->Button(1));
  In(8) = 1;
  Pass();
  for (int i : {0, 2, 3}) EXPECT_EQ(panel_->Button(i).GetLightCode(), 2) << i;
  EXPECT_EQ(panel_->Button(0).GetState(), 6);  // BothOut
  EXPECT_EQ(panel_->Button(1).GetLightCode(), 0);
  EXPECT_EQ(panel_->Button(1).GetState(), 2);  // OnOut
  EXPECT_NE(Drawn(panel_->Button(0)), before0);
  EXPECT_NE(Drawn(panel_->Button(1)), before1);
}

TEST_F(OxygenPanelTest, CoverShowsTheCallButtonWhichIsMomentary) {
  Start();
  const uint64_t closed = Drawn(panel_->Cover());
  Click(2, 110, 60);
  EXPECT_FALSE(panel_->Cover().IsClosed());
  EXPECT_NE(Drawn(panel_->Cover()), closed);
  Mouse(1, kOriginX + 115, kOriginY + 65);
  EXPECT_EQ(Out(4), 1);
  Pass();  // still held
  EXPECT_EQ(Out(4), 1);
  Mouse(0, kOriginX + 115, kOriginY + 65);
  EXPECT_EQ(Out(4), 0);
  Click(2, 110, 60);
  EXPECT_TRUE(panel_->Cover().IsClosed());
  EXPECT_EQ(Drawn(panel_->Cover()), closed);
}

TEST_F(OxygenPanelTest, ButtonTwoIsForcedInAndReadsZeroForTheClickPassOnly) {
  Start();
  EXPECT_EQ(Out(5), 1);  // from the very first pass
  for (int round = 0; round < 2; round++) {
    Mouse(1, kOriginX + 160, kOriginY + 55);
    EXPECT_EQ(Out(5), 0) << round;
    Pass();  // the button is still held down
    EXPECT_EQ(Out(5), 1);
    Mouse(0, kOriginX + 160, kOriginY + 55);
    EXPECT_EQ(Out(5), 1);
    Pass();
    EXPECT_EQ(Out(5), 1);
    EXPECT_TRUE(panel_->Button(2).IsPressed());
    EXPECT_LT(panel_->Button(2).GetState(), 4);  // drawn in
  }
}

TEST_F(OxygenPanelTest, DisplayOnlyFollowsTheOutputBlockAndIgnoresClicks) {
  Start();
  panel_->SetDisplayOnly(true);
  Out(3) = 1;
  Out(4) = 0;
  Out(5) = 0;
  Out(6) = 9;
  In(2) = 1;  // button 1's lamp in display-only mode
  const std::vector<uint8_t> before = area_;
  Click(1, 30, 55);
  Click(1, 160, 55);
  Click(2, 110, 60);
  Pass();
  EXPECT_EQ(area_, before);
  EXPECT_TRUE(panel_->Button(0).IsPressed());
  EXPECT_FALSE(panel_->Button(2).IsPressed());
  EXPECT_TRUE(panel_->Button(3).IsPressed());
  EXPECT_EQ(panel_->Button(1).GetLightCode(), 0);
  EXPECT_TRUE(panel_->Cover().IsClosed());
  // Back in normal mode the panel writes its controls' positions again.
  panel_->SetDisplayOnly(false);
  Pass();
  EXPECT_EQ(Out(6), 1);
}

TEST_F(OxygenPanelTest, ResetRequestChangesNothing) {
  Start();
  Click(1, 30, 55);
  Click(2, 110, 60);
  const std::vector<uint8_t> out(&Out(0), &Out(0) + 7);
  In(10) = 1;
  manager_->ResetAll();
  Pass();
  EXPECT_EQ(std::vector<uint8_t>(&Out(0), &Out(0) + 7), out);
  EXPECT_TRUE(panel_->Button(0).IsPressed());
  EXPECT_FALSE(panel_->Cover().IsClosed());
}

TEST(PanelBlocksTest, BlocksStayInsideTheirBoundsAndTheArea) {
  std::vector<uint8_t> area(kGenericAreaSize, 0x5A);
  BasePanel::SetSharedMemory(area.data());
  PanelBlock block;
  block.Select(kGenericAreaSize - 4, 4);
  EXPECT_TRUE(block.IsSelected());
  block.Write(3, 7);
  block.Write(4, 7);  // past the block
  block.Write(kNoField, 7);
  EXPECT_EQ(area[kGenericAreaSize - 1], 7);
  EXPECT_EQ(block.Read(4), 0);
  EXPECT_FALSE(block.Lamp(kNoField));
  block.Select(kGenericAreaSize - 4, 5);  // would run past the area
  EXPECT_FALSE(block.IsSelected());
  EXPECT_EQ(block.Read(0), 0);
  BasePanel::SetSharedMemory(nullptr);
  block.Select(0x12494, 7);
  EXPECT_FALSE(block.IsSelected());

  EXPECT_EQ(AircraftLayoutFor(7), kLayoutA330);
  EXPECT_EQ(AircraftLayoutFor(9), kLayoutA330);
  EXPECT_EQ(AircraftLayoutFor(10), kLayoutA320);
  EXPECT_EQ(AircraftLayoutFor(13), kLayoutA320);
  for (int32_t code : {INT_MIN, 0, 5, 6, 14, INT_MAX}) EXPECT_EQ(AircraftLayoutFor(code), kLayoutNone) << code;
  EXPECT_STREQ(TextsForPanel(14)->nullAreaClass, "CEmrPwrPanel");
  EXPECT_STREQ(TextsForPanel(14)->fitClass, "CVentilationPanel");
  EXPECT_EQ(TextsForPanel(23), nullptr);
}

}  // namespace
