#include "panels/A330_Acp.h"

namespace {

const char kSource[] = "%Z% A330_Acp QX_P_0409_03 A330_Acp.cpp $Revision: 1.1 $";
const char kHeader[] = "%Z% A330_Acp QX_P_0409_03 A330_Acp.h $Revision: 1.1 $";

// Output block fields beyond the third-row keys.
constexpr BlockField kSelectionField = 4;  // u16
constexpr BlockField kReceptionField = 6;

constexpr PushButtonRow TransmissionKey(int k, const char* image, int x) {
  return Button(image, {x, 8}, kNoField, kNoField, kNoField).Momentary().Number(k);
}
constexpr PushButtonRow ReceptionKey(int k, int x) {
  return Button("Buttons\\AcpVolume", {x, 55}, kNoField, kNoField, kNoField).SingleLamp().Number(k);
}
constexpr PushButtonRow ThirdRowKey(int k, int x, BlockField output, const char* name) {
  return Button("Buttons\\AcpVolume", {x, 142}, kNoField, kNoField, output).SingleLamp().Number(k).Named(name);
}

// Rows in button-array order: transmission keys, reception keys, third row.
// The third row writes its keys to +7 to +12 in the order 0, 1, 5, 6, 2, 3;
// its key 4 is written nowhere and never drawn.
constexpr PushButtonRow kButtons[] = {
    TransmissionKey(0, "Buttons\\AcpCall", 24),
    TransmissionKey(1, "Buttons\\AcpCall", 61),
    TransmissionKey(2, "Buttons\\AcpCall", 98),
    TransmissionKey(3, "Buttons\\AcpCall", 134),
    TransmissionKey(4, "Buttons\\AcpCall", 169),
    TransmissionKey(5, "Buttons\\AcpMech", 211),
    TransmissionKey(6, "Buttons\\AcpAtt", 248),
    ReceptionKey(0, 29),
    ReceptionKey(1, 66),
    ReceptionKey(2, 103),
    ReceptionKey(3, 139),
    ReceptionKey(4, 174),
    ReceptionKey(5, 216),
    ReceptionKey(6, 253),
    ThirdRowKey(0, 28, 7, "third-row key 0"),
    ThirdRowKey(1, 65, 8, "third-row key 1"),
    ThirdRowKey(2, 102, 11, "third-row key 2"),
    ThirdRowKey(3, 138, 12, "third-row key 3"),
    ThirdRowKey(4, 173, kNoField, "third-row key 4").Drawn(kDrawnNever),
    ThirdRowKey(5, 215, 9, "third-row key 5"),
    ThirdRowKey(6, 252, 10, "third-row key 6"),
};

constexpr FieldDecl kFields[] = {
    OutputField("transmission key selection", kSelectionField, FieldType::kU16,
                "selected transmission key 0 to 6; 125 when none is selected")
        .For(RowKind::kButton, 0, 6),
    OutputField("selected reception key", kReceptionField, FieldType::kU8,
                "1 while the reception key under the selected transmission key is in, else 0")
        .For(RowKind::kButton, 7, 13),
};

// Seats 0 and 1 have blocks side by side; seat 2 has blocks of its own.
constexpr BlockPair AcpBlocks(PanelLayout layout, int32_t seat) {
  const uint32_t s = seat <= 0 ? 0u : uint32_t(seat);
  if (layout == kLayoutA320) {
    return s >= 2 ? BlockPair{0x1F0CC, 13, 0x1EDB8, 6} : BlockPair{0x1F2AC + 14 * s, 13, 0x1EE6C + 6 * s, 6};
  }
  return s >= 2 ? BlockPair{0x124EC, 13, 0x121C4, 6} : BlockPair{0x126E8 + 14 * s, 13, 0x12284 + 6 * s, 6};
}

}  // namespace

// The input block is never read.
constexpr PanelTables kAcpTables{
    .unitBlocks = AcpBlocks,
    .unitName = "seat",
    .unitCount = CA330_Acp::kSeatCount,
    .displayOnlyRequest = 0,
    .buttons = kButtons,
    .fields = kFields,
};
static_assert(TablesFit(kAcpTables));

CA330_Acp::CA330_Acp() : SubPanel(kAcpTables, kSource, kHeader) {
  BindControls({.buttons = buttons_});
  SetAircraftType(kDefaultAircraftType);
}

bool CA330_Acp::CreateRow(int first, const char* folder) {
  for (int k = 0; k < kKeysPerRow; k++) {
    if (!CreateButton(first + k, folder)) return false;
  }
  return true;
}

void CA330_Acp::ClearKeyFlags() {
  for (int k = 0; k < kKeysPerRow; k++) selected_[k] = keyCall_[k] = false;
}

bool CA330_Acp::Initialise(const char* folder, int32_t originY, int32_t originX) {
  if (!BeginInitialise(originY, originX)) return false;
  const bool reception = CreateRow(kReceptionRow, folder);
  const bool third = CreateRow(kThirdRow, folder);
  const bool transmission = CreateRow(kTransmissionRow, folder);
  ClearKeyFlags();
  return reception && third && transmission;
}

void CA330_Acp::Update(const MouseState& mouse) {
  if (!BeginUpdate(mouse)) return;
  // A transmission key held in selects itself; the selection stays after release.
  for (int k = 0; k < kKeysPerRow; k++) {
    CButtonClass& key = buttons_[kTransmissionRow + k];
    key.Update(Event(), selected_[k], keyCall_[k], false);
    if (key.IsPressed()) {
      ClearKeyFlags();
      selected_[k] = true;
      lastSelected_ = k;
    }
  }
  uint16_t selection = kNoSelection;
  for (int k = 0; k < kKeysPerRow; k++) {
    if (selected_[k]) selection = uint16_t(k);
  }
  output_.Put<uint16_t>(kSelectionField, selection);

  for (int i = kReceptionRow; i < kButtonCount; i++) FeedButton(i);
  const bool heard = selection < kKeysPerRow && buttons_[kReceptionRow + selection].IsPressed();
  output_.Write(kReceptionField, heard ? 1 : 0);
  for (int k = 0; k < kKeysPerRow; k++) WriteButton(kThirdRow + k);
}

void CA330_Acp::Draw(platform::DrawSurface& surface) {
  for (int k = 0; k < kKeysPerRow; k++) {
    DrawButton(kTransmissionRow + k, surface);
    DrawButton(kReceptionRow + k, surface);
  }
  for (int k = 0; k < kKeysPerRow; k++) DrawButton(kThirdRow + k, surface);
}
