#include "panels/PanelCatalogue.h"

#include <strings.h>

#include "common/RevisionString.h"
#include "panels/A330_Acp.h"
#include "panels/A330_AdiruPanel.h"
#include "panels/A330_ApuFirePanel.h"
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
#include "rmp/A330_Rmp.h"
#include "panels/A330_AirPanel.h"
#include "panels/A330_ElectricalPanel.h"
#include "panels/CargoAirConPanel.h"
#include "panels/CargoSmokePanel.h"
#include "panels/EmrPwrPanel.h"
#include "panels/VentilationPanel.h"

namespace {

RevisionLines gRevisions("%Z% PanelCatalogue QX_P_0401_03 PanelCatalogue.cpp $Revision: 1.1 $",
                         "%Z% PanelCatalogue QX_P_0401_03 PanelCatalogue.h $Revision: 1.1 $");

using F = PanelFit;

// id, key, class, progress text, null-area class, fit class, fit, x, y, w, h,
// initialise order, reset list, unit, type argument, tables.
constexpr PanelFacts kCatalogue[] = {
    {1, "electrical", "CA330_ElectricalPanel", "Initialising Electrical Panel Items", "CA330_ElectricalPanel",
     nullptr, F::kNone, 898, 587, 669, 200, 1, true, -1, 0, &kElectricalTables},
    {3, "light-switches", "CA330_LtSwPanel", "Initialising Light Switch Panel Items", "CEcamCntlPanel", nullptr,
     F::kOwn, 898, 1077, 669, 170, 2, true, -1, 8, &kLtSwTables},
    {4, "adiru", "CA330_AdiruPanel", "Initialising ADIRU Panel Items", "CA330_AdiruPanel", nullptr, F::kNone, 613,
     0, 285, 250, 3, true, -1, 0, &kAdiruTables},
    {5, "fuel", "CA330_FuelPanel", "Initialising Fuel Panel Items", "CA330_ElectricalPanel", nullptr, F::kNone,
     898, 370, 669, 215, 4, true, -1, 0, &kFuelTables},
    {6, "air", "CA330_AirPanel", "Initialising Air Panel Items", "CA330_AirPanel", nullptr, F::kNone, 898, 792,
     669, 284, 5, true, -1, 0, &kAirTables},
    {7, "hydraulic", "CHydPanelPanel", "Initialising Hydraulic panel items", "CHydPanelPanel", nullptr, F::kNone,
     898, 218, 669, 150, 6, true, -1, 0, &kHydraulicTables},
    {8, "engine-fire", "CEngFirePanel", "Initialising Flt Ctl panel items", "CHydPanelPanel", nullptr, F::kNone,
     898, 0, 669, 211, 7, true, -1, 0, &kEngineFireTables},
    {9, "apu-fire", "CApuFirePanel", "Initialising Flt Ctl panel items", "CHydPanelPanel", nullptr, F::kNone, 613,
     250, 285, 156, 8, true, -1, 0, &kApuFireTables},
    {10, "flight-control", "CFltCtlPanel", "Initialising Flt Ctl panel items", "CHydPanelPanel", nullptr,
     F::kNone, 613, 410, 285, 95, 9, true, -1, 0, &kFlightControlTables},
    {12, "fuel-jettison", "CA330_FuelJeterson", "Initialising Fuel Jeterson Panel Items", "CA330_FuelJeterson",
     nullptr, F::kNone, 613, 497, 285, 110, 10, true, -1, 0, &kFuelJettisonTables},
    {13, "emergency-power", "CEmrPwrPanel", "Initialising Emergency Pwr Panel items", "CEmrPwrPanel",
     "CEmrPwrPanel", F::kCommon, 613, 615, 285, 120, 11, false, -1, 0, &kEmrPwrTables},
    {14, "ventilation", "CVentilationPanel", "Initialising ventilation Panel items", "CEmrPwrPanel",
     "CVentilationPanel", F::kCommon, 1567, 830, 285, 120, 13, false, -1, 0, &kVentilationTables},
    {15, "cargo-smoke", "CCargoSmokePanel", "Initialising Cargo Smoke  Panel items", "CEmrPwrPanel", nullptr,
     F::kNone, 1567, 706, 285, 120, 12, false, -1, 0, &kCargoSmokeTables},
    {16, "manual-start", "CManEngPanel", "Initialising Manual Start Panel items", "CManEngPanel", "CManEngPanel",
     F::kCommon, 1567, 950, 285, 120, 14, false, -1, 0, &kManualStartTables},
    {17, "flight-control-2", "CFltCtl2Panel", "Initialising Flt Ctl 2 panel items", "CHydPanelPanel", nullptr,
     F::kNone, 1567, 340, 285, 120, 15, true, -1, 0, &kFlightControl2Tables},
    {18, "cargo-air", "CCargoAirConPanel", "Initialising ventilation Panel items", "CEmrPwrPanel", nullptr,
     F::kNone, 1567, 460, 285, 255, 16, true, -1, 0, &kCargoAirConTables},
    {19, "oxygen", "COxygenPanel", "Initialising Oxygen Panel items", "COxygenPanel", "COxygenPanel", F::kCommon,
     613, 830, 285, 110, 17, false, -1, 0, &kOxygenTables},
    // The radio management panel checks its fit inside Initialise, by unit.
    {20, "rmp", "CA330_Rmp", "Initialising RMP  Items", "CA330_Rmp", "CA330_Rmp", F::kOwn, 1564, 0, 310, 160, 19,
     false, 2, 0, &kRmpTables},
    {21, "acp", "CA330_Acp", "Initialising ACP  Items", "CA330_Acp", "CA330_Acp", F::kCommon, 1562, 153, 310, 175,
     20, false, 2, 0, &kAcpTables},
    {22, "gpws", "CGpwsPanel", "Initialising GPWS Panel items", "CGpwsPanel", nullptr, F::kNone, 613, 735, 285, 95,
     18, false, -1, 0, &kGpwsTables},
    // A rectangle without a panel.
    {23, "none", "", "", "", nullptr, F::kNone, 613, 937, 285, 130, 0, false, -1, 0, nullptr},
};

constexpr bool OrdersAreUnique() {
  for (const PanelFacts& a : kCatalogue) {
    for (const PanelFacts& b : kCatalogue) {
      if (&a != &b && a.initialiseOrder != 0 && a.initialiseOrder == b.initialiseOrder) return false;
    }
  }
  return true;
}
static_assert(OrdersAreUnique());

}  // namespace

void RegisterPanelCatalogueRevision() { gRevisions.RegisterOnce(); }

std::span<const PanelFacts> PanelCatalogue() { return kCatalogue; }

const PanelFacts* FindPanelFacts(int32_t id) {
  for (const PanelFacts& facts : kCatalogue) {
    if (facts.id == id) return &facts;
  }
  return nullptr;
}

const PanelFacts* FindPanelFacts(const char* key) {
  if (key == nullptr) return nullptr;
  for (const PanelFacts& facts : kCatalogue) {
    if (facts.initialiseOrder != 0 && strcasecmp(facts.key, key) == 0) return &facts;
  }
  return nullptr;
}
