#include "panels/PanelBlocks.h"

#include <optional>

#include "common/RevisionString.h"
#include "panels/BasePanel.h"

namespace {

RevisionLines gRevisions("%Z% PanelBlocks QX_P_0402_02 PanelBlocks.cpp $Revision: 1.1 $",
                         "%Z% PanelBlocks QX_P_0402_02 PanelBlocks.h $Revision: 1.1 $");

// Every panel's fixed texts, by panel id.
constexpr PanelTexts kPanelTexts[] = {
    {1, "CA330_ElectricalPanel", "Initialising Electrical Panel Items", "CA330_ElectricalPanel", nullptr},
    {3, "CA330_LtSwPanel", "Initialising Light Switch Panel Items", "CEcamCntlPanel", nullptr},
    {4, "CA330_AdiruPanel", "Initialising ADIRU Panel Items", "CA330_AdiruPanel", nullptr},
    {5, "CA330_FuelPanel", "Initialising Fuel Panel Items", "CA330_ElectricalPanel", nullptr},
    {6, "CA330_AirPanel", "Initialising Air Panel Items", "CA330_AirPanel", nullptr},
    {7, "CHydPanelPanel", "Initialising Hydraulic panel items", "CHydPanelPanel", nullptr},
    {8, "CEngFirePanel", "Initialising Flt Ctl panel items", "CHydPanelPanel", nullptr},
    {9, "CApuFirePanel", "Initialising Flt Ctl panel items", "CHydPanelPanel", nullptr},
    {10, "CFltCtlPanel", "Initialising Flt Ctl panel items", "CHydPanelPanel", nullptr},
    {12, "CA330_FuelJeterson", "Initialising Fuel Jeterson Panel Items", "CA330_FuelJeterson", nullptr},
    {13, "CEmrPwrPanel", "Initialising Emergency Pwr Panel items", "CEmrPwrPanel", "CEmrPwrPanel"},
    {14, "CVentilationPanel", "Initialising ventilation Panel items", "CEmrPwrPanel", "CVentilationPanel"},
    {15, "CCargoSmokePanel", "Initialising Cargo Smoke  Panel items", "CEmrPwrPanel", nullptr},
    {16, "CManEngPanel", "Initialising Manual Start Panel items", "CManEngPanel", "CManEngPanel"},
    {17, "CFltCtl2Panel", "Initialising Flt Ctl 2 panel items", "CHydPanelPanel", nullptr},
    {18, "CCargoAirConPanel", "Initialising ventilation Panel items", "CEmrPwrPanel", nullptr},
    {19, "COxygenPanel", "Initialising Oxygen Panel items", "COxygenPanel", "COxygenPanel"},
    {20, "CA330_Rmp", "Initialising RMP  Items", "CA330_Rmp", "CA330_Rmp"},
    {21, "CA330_Acp", "Initialising ACP  Items", "CA330_Acp", "CA330_Acp"},
    {22, "CGpwsPanel", "Initialising GPWS Panel items", "CGpwsPanel", nullptr},
};

}  // namespace

void RegisterPanelBlocksRevision() { gRevisions.RegisterOnce(); }

void PanelBlock::Select(uint32_t offset, uint32_t size) {
  uint8_t* area = BasePanel::GetSharedMemory();
  if (area == nullptr || !BlockFits(offset, size)) {
    base_ = nullptr;
    offset_ = 0;
    size_ = 0;
    return;
  }
  base_ = area + offset;
  offset_ = offset;
  size_ = size;
}

uint8_t PanelBlock::Read(BlockField field) const {
  if (!Holds(field)) {
    return 0;
  }
  return *static_cast<const volatile uint8_t*>(base_ + field);
}

void PanelBlock::Write(BlockField field, uint8_t value) {
  if (Holds(field)) {
    *static_cast<volatile uint8_t*>(base_ + field) = value;
  }
}

PanelLayout AircraftLayoutFor(int32_t aircraftType) {
  if (aircraftType >= 7 && aircraftType <= 9) {
    return kLayoutA330;
  }
  if (aircraftType >= 10 && aircraftType <= 13) {
    return kLayoutA320;
  }
  return kLayoutNone;
}

const PanelTexts* TextsForPanel(int32_t id) {
  for (const PanelTexts& row : kPanelTexts) {
    if (row.id == id) {
      return &row;
    }
  }
  return nullptr;
}

void FillButtonDescriptor(ButtonDescriptor& d, const PushButtonRow& row, int id, const char* folder,
                          PanelLayout layout, int originX, int originY, double scale) {
  const bool a320 = layout == kLayoutA320;
  d.id = id;
  d.folder = folder;
  d.name = row.image;
  d.originX = originX;
  d.originY = originY;
  d.offsetX = a320 ? row.a320X : row.a330X;
  d.offsetY = a320 ? row.a320Y : row.a330Y;
  d.momentary = row.momentary;
  d.twoLight = row.singleLamp;
  d.scale = scale;
}

void FeedPushButton(CButtonClass& button, const PushButtonRow& row, int event, const PanelBlock& input,
                    bool lampTest) {
  button.Update(event, input.Lamp(row.upperLamp), input.Lamp(row.lowerLamp), lampTest);
}

void WritePushButton(const CButtonClass& button, const PushButtonRow& row, PanelBlock& output) {
  output.Write(row.output, button.IsPressed() ? 1 : 0);
}

void ServePushButton(CButtonClass& button, const PushButtonRow& row, int event, const PanelBlock& input,
                     PanelBlock& output, bool lampTest) {
  FeedPushButton(button, row, event, input, lampTest);
  WritePushButton(button, row, output);
}

void ShowPushButton(CButtonClass& button, const PushButtonRow& row, const PanelBlock& input,
                    const PanelBlock& output, bool lampTest) {
  if (row.shownLamp != kNoField) {
    button.Update(std::nullopt, input.Lamp(row.shownLamp), false, lampTest);
  } else {
    button.Update(std::nullopt, input.Lamp(row.upperLamp), input.Lamp(row.lowerLamp), lampTest);
  }
  // SetPressed recomputes the image from the lamps just set.
  button.SetPressed(output.Read(row.output) != 0);
}

void CPanelButton::ForcePressed() {
  pressed_ = 2;
  ComputeState();
}
