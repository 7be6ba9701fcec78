#include "panels/CockpitManager.h"

#include "common/RevisionString.h"
#include "controls/BaseCockpitControl.h"

namespace {

RevisionLines gRevisions("%Z% CockpitManager QX_P_0077_40 CockpitManager.cpp $Revision: 1.10 $",
                         "%Z% CockpitManager QX_P_0077_40 CockpitManager.h $Revision: 1.7 $");

bool gPanelRevisionsRegistered = false;

}  // namespace

CockpitManager::CockpitManager() : PanelManager(kPanelCount) {
  gRevisions.RegisterOnce();
  RegisterControlRevisions();
  // One line per sub-panel.
  Plug(lightSwitches_);
  Plug(adiru_);
  Plug(fuel_);
  Plug(hydraulic_);
  Plug(engineFire_);
  Plug(apuFire_);
  Plug(flightControl_);
  Plug(fuelJettison_);
  Plug(manualStart_);
  Plug(flightControl2_);
  Plug(electrical_);
  Plug(air_);
  Plug(emergencyPower_);
  Plug(ventilation_);
  Plug(cargoSmoke_);
  Plug(cargoAir_);
  Plug(oxygen_);
  Plug(acp_);
  Plug(gpws_);
  Plug(rmp_);

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
  for (const PanelFacts& facts : PanelCatalogue()) {
    SetPanelRect(facts.id, facts.x, facts.y, facts.width, facts.height);
  }
}

bool CockpitManager::InitialisePanels(const char* folder) {
  FillPanelTable();
  for (int32_t order = 1; order <= int32_t(PanelCatalogue().size()); order++) {
    for (const PanelFacts& facts : PanelCatalogue()) {
      BasePanel* panel = facts.initialiseOrder == order ? GetPanel(facts.id) : nullptr;
      if (panel != nullptr && !InitialisePanel(facts, *panel, folder)) {
        ReportText(panel->GetErrorText());
        return false;
      }
    }
  }
  WatchPanelInputs();
  return true;
}

void CockpitManager::WatchPanelInputs() {
  watch_.Clear();
  for (int32_t id = 0; id < kMaxPanels; id++) {
    if (const auto* panel = dynamic_cast<const SubPanel*>(GetPanel(id))) {
      watch_.Add(id, panel->Facts(), panel->GetLayout(), panel->GetUnit());
    }
  }
}

bool CockpitManager::InputsChanged(int32_t id) { return watch_.Changed(id, BasePanel::GetSharedMemory()); }

bool CockpitManager::InitialisePanel(const PanelFacts& facts, BasePanel& panel, const char* folder) {
  if (facts.unit >= 0) {
    panel.SetUnit(facts.unit);
  }
  if (facts.typeArgument != 0) {
    return panel.InitialiseForType(folder, facts.y, facts.x, facts.typeArgument);
  }
  return panel.Initialise(folder, facts.y, facts.x);
}

void CockpitManager::SetPanelsDisplayOnly(bool displayOnly) {
  for (const PanelFacts& facts : PanelCatalogue()) {
    BasePanel* panel = facts.resetList ? GetPanel(facts.id) : nullptr;
    if (panel != nullptr) {
      panel->SetDisplayOnly(displayOnly);
    }
  }
}

void CockpitManager::UpdatePanel(int32_t id) {
  const MouseState* mouse = GetMouseState();
  BasePanel* panel = GetPanel(id);
  if (mouse != nullptr && panel != nullptr) {
    // Copied before the update reads them: a value written meanwhile shows
    // as a change at the next test.
    watch_.Take(id, BasePanel::GetSharedMemory());
    MarkForDrawing(id);
    panel->Update(*mouse);
  }
}

void CockpitManager::DrawPanel(int32_t id, platform::DrawSurface& surface) {
  if (BasePanel* panel = GetPanel(id)) {
    panel->Draw(surface);
  }
}

void CockpitManager::ResetAll() {
  // The catalogue is in id order, the order of the resets.
  for (const PanelFacts& facts : PanelCatalogue()) {
    BasePanel* panel = facts.resetList ? GetPanel(facts.id) : nullptr;
    if (panel != nullptr) {
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

bool CockpitManager::FindControlAt(int32_t x, int32_t y, ControlHit* hit) const {
  const auto* panel = dynamic_cast<const SubPanel*>(GetPanel(FindPanelAt(x, y)));
  RowRef row;
  if (panel == nullptr || !panel->FindControlAt(x, y, &row)) return false;
  if (hit != nullptr) {
    hit->facts = &panel->Facts();
    hit->layout = panel->GetLayout();
    hit->unit = panel->GetUnit();
    hit->row = row;
    hit->rect = panel->RowRect(row);
  }
  return true;
}
