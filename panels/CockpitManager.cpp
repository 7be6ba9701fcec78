#include "panels/CockpitManager.h"

#include "common/RevisionString.h"

namespace {

RevisionLines gRevisions("%Z% CockpitManager QX_P_0077_40 CockpitManager.cpp $Revision: 1.9 $",
                         "%Z% CockpitManager QX_P_0077_40 CockpitManager.h $Revision: 1.6 $");

bool gPanelRevisionsRegistered = false;

}  // namespace

CockpitManager::CockpitManager() : PanelManager(kPanelCount) {
  gRevisions.RegisterOnce();
  // One line per sub-panel.
  panels_[kOxygen] = &oxygen_;

  if (!gPanelRevisionsRegistered) {
    gPanelRevisionsRegistered = true;
    for (BasePanel* panel : panels_) {
      if (panel != nullptr) {
        panel->RegisterRevisions();
      }
    }
  }
}

CockpitManager::~CockpitManager() = default;

void CockpitManager::FillPanelTable() {
  SetPanelRect(kElectrical, 898, 587, 669, 200);
  SetPanelRect(kLightSwitches, 898, 1077, 669, 170);
  SetPanelRect(kAdiru, 613, 0, 285, 250);
  SetPanelRect(kFuel, 898, 370, 669, 215);
  SetPanelRect(kAir, 898, 792, 669, 284);
  SetPanelRect(kHydraulic, 898, 218, 669, 150);
  SetPanelRect(kEngineFire, 898, 0, 669, 211);
  SetPanelRect(kApuFire, 613, 250, 285, 156);
  SetPanelRect(kFlightControl, 613, 410, 285, 95);
  SetPanelRect(kFuelJettison, 613, 497, 285, 110);
  SetPanelRect(kEmergencyPower, 613, 615, 285, 120);
  SetPanelRect(kVentilation, 1567, 830, 285, 120);
  SetPanelRect(kCargoSmoke, 1567, 706, 285, 120);
  SetPanelRect(kManualEngineStart, 1567, 950, 285, 120);
  SetPanelRect(kFlightControl2, 1567, 340, 285, 120);
  SetPanelRect(kCargoAir, 1567, 460, 285, 255);
  SetPanelRect(kOxygen, 613, 830, 285, 110);
  SetPanelRect(kRadioManagement, 1564, 0, 310, 160);
  SetPanelRect(kAudioControl, 1562, 153, 310, 175);
  SetPanelRect(kGpws, 613, 735, 285, 95);
  // A rectangle without a panel.
  SetPanelRect(23, 613, 937, 285, 130);
}

bool CockpitManager::InitialisePanels(const char* folder) {
  FillPanelTable();
  for (int32_t id : kInitialiseOrder) {
    BasePanel* panel = GetPanel(id);
    if (panel == nullptr) {
      continue;
    }
    const PanelRect rect = GetPanelRect(id);
    if (!InitialisePanel(id, *panel, folder, rect.y, rect.x)) {
      ReportText(panel->GetErrorText());
      return false;
    }
  }
  return true;
}

bool CockpitManager::InitialisePanel(int32_t id, BasePanel& panel, const char* folder, int32_t originY,
                                     int32_t originX) {
  switch (id) {
    // case kLightSwitches: return lightSwitches_.Initialise(folder, originY, originX, 8);
    // case kRadioManagement: rmp_.SetUnitNumber(2); break;
    // case kAudioControl: acp_.SetSeat(2); break;
    default:
      break;
  }
  return panel.Initialise(folder, originY, originX);
}

void CockpitManager::SetPanelsDisplayOnly(bool displayOnly) {
  for (int32_t id : kResetIds) {
    if (BasePanel* panel = GetPanel(id)) {
      panel->SetDisplayOnly(displayOnly);
    }
  }
}

void CockpitManager::UpdatePanel(int32_t id) {
  const MouseState* mouse = GetMouseState();
  BasePanel* panel = GetPanel(id);
  if (mouse != nullptr && panel != nullptr) {
    panel->Update(*mouse);
  }
}

void CockpitManager::DrawPanel(int32_t id, platform::DrawSurface& surface) {
  if (BasePanel* panel = GetPanel(id)) {
    panel->Draw(surface);
  }
}

void CockpitManager::ResetAll() {
  for (int32_t id : kResetIds) {
    if (BasePanel* panel = GetPanel(id)) {
      panel->ResetToDefaults();
    }
  }
  UpdateAll();
}

BasePanel* CockpitManager::GetPanel(int32_t id) const {
  if (id < 0 || id >= kMaxPanels) {
    return nullptr;
  }
  return panels_[id];
}

void CockpitManager::SetPanel(int32_t id, BasePanel* panel) {
  if (id >= 0 && id < kMaxPanels) {
    panels_[id] = panel;
  }
}
