// Owns every sub-panel of the overhead picture, places them in the panel
// table, and routes initialisation, updates, drawing and resets to them.
// Rectangles, start-up order, the reset list and the start-up arguments come
// from the panel catalogue (PanelCatalogue.h).
//
// Plugging in a sub-panel: its row in the catalogue names its tables; here,
// a by-value member and its Plug line in the constructor.
#pragma once

#include <cstdint>

#include "panels/A330_Acp.h"
#include "panels/A330_AdiruPanel.h"
#include "panels/A330_AirPanel.h"
#include "panels/A330_ApuFirePanel.h"
#include "panels/A330_ElectricalPanel.h"
#include "panels/A330_EngFirePanel.h"
#include "panels/A330_FltCtl2Panel.h"
#include "panels/A330_FltCtlPanel.h"
#include "panels/A330_FuelJeterson.h"
#include "panels/A330_FuelPanel.h"
#include "panels/A330_GpwsPanel.h"
#include "panels/A330_HydPanel.h"
#include "panels/A330_LtSwPanel.h"
#include "panels/A330_ManEngPanel.h"
#include "panels/A330_Oxygen.h"
#include "panels/CargoAirConPanel.h"
#include "panels/CargoSmokePanel.h"
#include "panels/EmrPwrPanel.h"
#include "panels/VentilationPanel.h"
#include "panels/BasePanel.h"
#include "panels/ControlHit.h"
#include "panels/PanelCatalogue.h"
#include "panels/PanelInputWatch.h"
#include "panels/PanelManager.h"
#include "rmp/A330_Rmp.h"

class CockpitManager : public PanelManager {
 public:
  static constexpr int32_t kPanelCount = 24;

  CockpitManager();
  ~CockpitManager() override;
  CockpitManager(const CockpitManager&) = delete;
  CockpitManager& operator=(const CockpitManager&) = delete;

  // Fills the panel table, then initialises the panels in the catalogue's order.
  // Stops at the first failing panel with its report text as this manager's.
  bool InitialisePanels(const char* folder);
  void SetPanelsDisplayOnly(bool displayOnly);

  // Collects the simulation-written fields of every panel in its layout and
  // unit, for the change passes (InitialisePanels does it at its end).
  void WatchPanelInputs();
  const PanelInputWatch& GetInputWatch() const { return watch_; }

  // A pass: the panel's simulation fields are copied for the change test,
  // the panel is updated and drawn at the next paints.
  void UpdatePanel(int32_t id) override;
  void DrawPanel(int32_t id, platform::DrawSurface& surface) override;
  void ResetAll() override;

  // The panel object of an id; null for ids without a panel.
  BasePanel* GetPanel(int32_t id) const;
  // The control under a picture point (the panel found as mouse messages
  // find it); false when the point is on no control.
  bool FindControlAt(int32_t x, int32_t y, ControlHit* hit) const;

 protected:
  // Puts a panel object behind an id (null removes it). The constructor uses
  // it for the members; tests use it to plug in panels of their own.
  void SetPanel(int32_t id, BasePanel* panel);
  // Initialises one panel at its rectangle, with the unit number and the
  // aircraft type argument its catalogue row gives.
  virtual bool InitialisePanel(const PanelFacts& facts, BasePanel& panel, const char* folder);
  bool InputsChanged(int32_t id) override;

 private:
  void FillPanelTable();
  void Plug(SubPanel& panel) { SetPanel(panel.Facts().id, &panel); }

  BasePanel* panels_[kMaxPanels] = {};
  PanelInputWatch watch_;

  // Sub-panels, held by value.
  CA330_LtSwPanel lightSwitches_;
  CA330_AdiruPanel adiru_;
  CA330_FuelPanel fuel_;
  CHydPanelPanel hydraulic_;
  CEngFirePanel engineFire_;
  CApuFirePanel apuFire_;
  CFltCtlPanel flightControl_;
  CA330_FuelJeterson fuelJettison_;
  CManEngPanel manualStart_;
  CFltCtl2Panel flightControl2_;
  CA330_ElectricalPanel electrical_;
  CA330_AirPanel air_;
  CEmrPwrPanel emergencyPower_;
  CVentilationPanel ventilation_;
  CCargoSmokePanel cargoSmoke_;
  CCargoAirConPanel cargoAir_;
  COxygenPanel oxygen_;
  CA330_Acp acp_;
  CGpwsPanel gpws_;
  CA330_Rmp rmp_;
};
