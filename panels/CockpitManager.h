// Owns every sub-panel of the overhead picture, places them in the panel
// table, and routes initialisation, updates, drawing and resets to them.
//
// Plugging in a sub-panel (one line each in CockpitManager.h/.cpp):
//   1. a by-value member in the panel section below;
//   2. its `panels_[id] = &member;` line in the constructor.
// Its place in the Initialise order, the reset list and the display-only list
// are already given by id (kInitialiseOrder, kResetIds); a panel whose
// Initialise needs more than (folder, y, x) gets its case in InitialisePanel.
#pragma once

#include <cstdint>

#include "panels/A330_Oxygen.h"
#include "panels/BasePanel.h"
#include "panels/PanelManager.h"

class CockpitManager : public PanelManager {
 public:
  static constexpr int32_t kPanelCount = 24;

  // Panel ids.
  static constexpr int32_t kElectrical = 1;
  static constexpr int32_t kLightSwitches = 3;
  static constexpr int32_t kAdiru = 4;
  static constexpr int32_t kFuel = 5;
  static constexpr int32_t kAir = 6;
  static constexpr int32_t kHydraulic = 7;
  static constexpr int32_t kEngineFire = 8;
  static constexpr int32_t kApuFire = 9;
  static constexpr int32_t kFlightControl = 10;
  static constexpr int32_t kFuelJettison = 12;
  static constexpr int32_t kEmergencyPower = 13;
  static constexpr int32_t kVentilation = 14;
  static constexpr int32_t kCargoSmoke = 15;
  static constexpr int32_t kManualEngineStart = 16;
  static constexpr int32_t kFlightControl2 = 17;
  static constexpr int32_t kCargoAir = 18;
  static constexpr int32_t kOxygen = 19;
  static constexpr int32_t kRadioManagement = 20;
  static constexpr int32_t kAudioControl = 21;
  static constexpr int32_t kGpws = 22;

  // The order in which InitialisePanels initialises the panels.
  static constexpr int32_t kInitialiseOrder[] = {
      kElectrical,   kLightSwitches,  kAdiru,      kFuel,        kAir,          kHydraulic,   kEngineFire,
      kApuFire,      kFlightControl,  kFuelJettison, kEmergencyPower, kCargoSmoke, kVentilation, kManualEngineStart,
      kFlightControl2, kCargoAir,     kOxygen,     kGpws,        kRadioManagement, kAudioControl};
  // The panels ResetAll resets, in this order; SetPanelsDisplayOnly sets the same.
  static constexpr int32_t kResetIds[] = {kElectrical, kLightSwitches, kAdiru,         kFuel,
                                          kAir,        kHydraulic,     kEngineFire,    kApuFire,
                                          kFlightControl, kFuelJettison, kFlightControl2, kCargoAir};

  CockpitManager();
  ~CockpitManager() override;
  CockpitManager(const CockpitManager&) = delete;
  CockpitManager& operator=(const CockpitManager&) = delete;

  // Fills the panel table, then initialises the panels in kInitialiseOrder.
  // Stops at the first failing panel with its report text as this manager's.
  bool InitialisePanels(const char* folder);
  void SetPanelsDisplayOnly(bool displayOnly);

  void UpdatePanel(int32_t id) override;
  void DrawPanel(int32_t id, platform::DrawSurface& surface) override;
  void ResetAll() override;

  // The panel object of an id; null for ids without a panel.
  BasePanel* GetPanel(int32_t id) const;

 protected:
  // Puts a panel object behind an id (null removes it). The constructor uses
  // it for the members; tests use it to plug in panels of their own.
  void SetPanel(int32_t id, BasePanel* panel);
  // Initialises one panel with its origin; the place for a panel's extra
  // start-up arguments (the light switches' aircraft type code 8, the unit
  // number 2 of the radio management and audio control panels).
  virtual bool InitialisePanel(int32_t id, BasePanel& panel, const char* folder, int32_t originY, int32_t originX);

 private:
  void FillPanelTable();

  BasePanel* panels_[kMaxPanels] = {};

  // Sub-panels, held by value.
  COxygenPanel oxygen_;
};
