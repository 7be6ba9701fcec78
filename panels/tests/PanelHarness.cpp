#include "panels/tests/PanelHarness.h"

#include <cstdlib>

#include "controls/ViewGeometry.h"

class PanelHarness::OnePanelCockpit : public CockpitManager {
 public:
  // The aircraft type a panel that takes it as an Initialise argument gets
  // instead of its catalogue's, so that tests reach its other layout too.
  int32_t typeArgument = 0;
  bool InitialisePanel(const PanelFacts& facts, BasePanel& panel, const char* folder) override {
    if (facts.typeArgument == 0 || typeArgument == 0) return CockpitManager::InitialisePanel(facts, panel, folder);
    PanelFacts given = facts;
    given.typeArgument = typeArgument;
    return CockpitManager::InitialisePanel(given, panel, folder);
  }

  // Only the given panel, behind the given id.
  void Only(int32_t id, BasePanel* panel) {
    for (int32_t i = 0; i < kMaxPanels; i++) SetPanel(i, nullptr);
    SetPanel(id, panel);
  }
};

namespace {

std::string ArtFolder() {
  const char* bin = std::getenv("TARNEL_BIN_DIR");
  if (bin == nullptr || *bin == '\0') bin = TARNEL_TEST_BIN_DIR;
  return std::string(bin) + "/CockpitBitmaps";
}

}  // namespace

PanelHarness::PanelHarness(int32_t id)
    : area_(generic_area::kSize, 0), manager_(std::make_unique<OnePanelCockpit>()), id_(id), folder_(ArtFolder()) {
  BasePanel::SetSharedMemory(area_.data());
  panel_ = dynamic_cast<SubPanel*>(manager_->GetPanel(id));
  manager_->Only(id, panel_);
  surface_.Create(1880, 1300);
}

PanelHarness::PanelHarness(SubPanel& panel)
    : area_(generic_area::kSize, 0),
      manager_(std::make_unique<OnePanelCockpit>()),
      panel_(&panel),
      own_(true),
      id_(panel.Facts().id),
      folder_(ArtFolder()) {
  BasePanel::SetSharedMemory(area_.data());
  manager_->Only(id_, panel_);
  surface_.Create(1880, 1300);
}

PanelHarness::~PanelHarness() {
  if (BasePanel::GetSharedMemory() == area_.data()) BasePanel::SetSharedMemory(nullptr);
}

void PanelHarness::DetachArea() { BasePanel::SetSharedMemory(nullptr); }

bool PanelHarness::Start(int32_t aircraftType) {
  if (panel_ == nullptr) return false;
  panel_->SetAircraftType(aircraftType);
  manager_->typeArgument = aircraftType;
  const PanelFacts& facts = panel_->Facts();
  const bool ok =
      own_ ? panel_->Initialise(folder_.c_str(), facts.y, facts.x) : manager_->InitialisePanels(folder_.c_str());
  if (!ok) return false;
  // A view with the panel in it.
  scrollX_ = facts.x > 8 ? facts.x - 8 : 0;
  scrollY_ = facts.y > 100 ? facts.y - 100 : 0;
  mouse_ = MouseState{0, 0, 0};
  ViewGeometry::SetScrollAndPointer(scrollX_, scrollY_, 0, 0);
  manager_->UpdateVisible(scrollX_, scrollY_, scrollX_ + 975, scrollY_ + 600, &mouse_);
  return true;
}

const char* PanelHarness::Error() const { return own_ ? panel_->GetErrorText() : manager_->GetErrorText(); }

void PanelHarness::Mouse(int32_t button, int x, int y) {
  mouse_ = MouseState{button, x - scrollX_, y - scrollY_};
  ViewGeometry::SetScrollAndPointer(scrollX_, scrollY_, mouse_.x, mouse_.y);
  Route(x, y);
}

void PanelHarness::Route(int x, int y) {
  // The manager finds the panel under the pointer; a test's panel sits
  // behind an id of its own.
  if (own_) {
    manager_->UpdatePanel(id_);
  } else {
    manager_->HandleMouse(x, y);
  }
}

void PanelHarness::Click(int32_t button, int x, int y) {
  Mouse(button, x, y);
  Mouse(0, x, y);
}

void PanelHarness::Press(int32_t button, const CBaseCockpitControl& control) {
  const platform::Rect r = control.GetRect();
  Mouse(button, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void PanelHarness::Click(int32_t button, const CBaseCockpitControl& control) {
  const platform::Rect r = control.GetRect();
  Click(button, (r.left + r.right) / 2, (r.top + r.bottom) / 2);
}

void PanelHarness::Pass() { manager_->UpdatePanel(id_); }

uint64_t PanelHarness::Drawn(const CBaseCockpitControl& control) {
  surface_.FillRect(platform::Rect{0, 0, 1880, 1300}, 0, 0, 0);
  manager_->DrawPanel(id_, surface_);
  const platform::Rect r = control.GetRect();
  uint64_t sum = 0;
  for (int y = r.top; y < r.bottom; y++) {
    for (int x = r.left; x < r.right; x++) sum = sum * 1099511628211ULL + surface_.PixelAt(x, y) + 1;
  }
  return sum;
}

bool PanelHarness::AnyPixel(const CBaseCockpitControl& control) {
  surface_.FillRect(platform::Rect{0, 0, 1880, 1300}, 0, 0, 0);
  manager_->DrawPanel(id_, surface_);
  const platform::Rect r = control.GetRect();
  for (int y = r.top; y < r.bottom; y++) {
    for (int x = r.left; x < r.right; x++) {
      if (surface_.PixelAt(x, y) != 0) return true;
    }
  }
  return false;
}

CockpitManager& PanelHarness::Manager() { return *manager_; }
