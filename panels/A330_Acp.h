// The audio control panel: a row of seven momentary transmission keys, a
// row of seven reception keys and a third row of seven keys. The panel keeps
// its own transmission-key selection and publishes it with the reception
// key beneath it; its blocks depend on the seat it serves.
#pragma once

#include "panels/SubPanel.h"

extern const PanelTables kAcpTables;

class CA330_Acp : public SubPanel {
 public:
  static constexpr int kKeysPerRow = 7;
  // First index of each row in the button array.
  static constexpr int kTransmissionRow = 0;
  static constexpr int kReceptionRow = 7;
  static constexpr int kThirdRow = 14;
  static constexpr int kButtonCount = 21;
  static constexpr int kUnusedThirdRowKey = 4;  // processed, never drawn, written nowhere
  static constexpr uint16_t kNoSelection = 125;
  static constexpr int kSeatCount = 3;

  CA330_Acp();

  // Creates the reception row, the third row and the transmission row, every
  // row even when an earlier one failed; true only when all three succeeded.
  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  // In display-only mode the keys keep their last state.
  void ShowSimulationState() override {}

  const CButtonClass& TransmissionKey(int k) const { return buttons_[kTransmissionRow + k]; }
  const CButtonClass& ReceptionKey(int k) const { return buttons_[kReceptionRow + k]; }
  const CButtonClass& ThirdRowKey(int k) const { return buttons_[kThirdRow + k]; }
  int32_t LastSelectedKey() const { return lastSelected_; }

 private:
  bool CreateRow(int first, const char* folder);
  void ClearKeyFlags();

  CButtonClass buttons_[kButtonCount];
  bool selected_[kKeysPerRow] = {};
  bool keyCall_[kKeysPerRow] = {};  // lower lamps of the transmission keys
  int32_t lastSelected_ = -1;
};
