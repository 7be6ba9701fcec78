// One harness for every panel test: the generic area in memory, the
// generated art, a cockpit manager holding only the panel under test (a
// panel of the cockpit, or one the test builds), mouse messages at picture
// points routed as the main dialog routes them, and the drawn pixels.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "panels/CockpitManager.h"
#include "panels/SubPanel.h"
#include "platform/Graphics.h"

class PanelHarness {
 public:
  // The cockpit's own panel of the id.
  explicit PanelHarness(int32_t id);
  // A panel the test built, initialised with the facts it was built with.
  explicit PanelHarness(SubPanel& panel);
  ~PanelHarness();
  PanelHarness(const PanelHarness&) = delete;
  PanelHarness& operator=(const PanelHarness&) = delete;

  // Initialises the panel (as the cockpit manager does; a panel that takes
  // the aircraft type as an Initialise argument gets this one) and makes the first
  // rotation step, which hands the manager the mouse state and updates the
  // panel once. False with the report text in Error().
  bool Start(int32_t aircraftType = 9);
  const char* Error() const;

  // A mouse message at a picture point; Click presses and releases there.
  void Mouse(int32_t button, int x, int y);
  void Click(int32_t button, int x, int y);
  // At the centre of a control's rectangle.
  void Click(int32_t button, const CBaseCockpitControl& control);
  void Press(int32_t button, const CBaseCockpitControl& control);
  // A rotation pass of the panel with the current mouse state.
  void Pass();

  SubPanel& Panel() { return *panel_; }
  CockpitManager& Manager();
  // Bytes of the panel's blocks, relative to their starts.
  uint8_t& Out(int field) { return area_[panel_->OutputBlock().Offset() + field]; }
  uint8_t& In(int field) { return area_[panel_->InputBlock().Offset() + field]; }
  std::vector<uint8_t>& Area() { return area_; }
  void DetachArea();  // the panels see no generic area

  // Draws the panel on a cleared surface; then the pixels of a rectangle.
  uint64_t Drawn(const CBaseCockpitControl& control);
  bool AnyPixel(const CBaseCockpitControl& control);
  const std::string& Folder() const { return folder_; }

 private:
  class OnePanelCockpit;

  void Route(int x, int y);
  std::vector<uint8_t> area_;
  std::unique_ptr<OnePanelCockpit> manager_;
  SubPanel* panel_ = nullptr;
  bool own_ = false;  // a test's panel: initialised here, not by the manager
  int32_t id_ = 0;
  int scrollX_ = 0;
  int scrollY_ = 0;
  MouseState mouse_{0, 0, 0};
  platform::DrawSurface surface_;
  std::string folder_;
};

// A test of one panel of the cockpit, by its catalogue key: P() is the panel.
template <class Panel>
class PanelFixture : public ::testing::Test {
 protected:
  Panel& P() { return static_cast<Panel&>(h->Panel()); }
  void Start(const char* key, int32_t type = 9) {
    h.reset();
    h = std::make_unique<PanelHarness>(FindPanelFacts(key)->id);
    ASSERT_TRUE(h->Start(type)) << h->Error();
  }
  int32_t OutI32(int field) { return h->Panel().OutputBlock().Get<int32_t>(BlockField(field)); }
  void SetOutI32(int field, int32_t v) { std::memcpy(&h->Out(field), &v, 4); }
  // Clicks the middle of a region given relative to a control's corner.
  void ClickIn(const CBaseCockpitControl& c, const platform::Rect& r) {
    h->Click(1, c.GetX() + (r.left + r.right) / 2, c.GetY() + (r.top + r.bottom) / 2);
  }
  std::unique_ptr<PanelHarness> h;
};
