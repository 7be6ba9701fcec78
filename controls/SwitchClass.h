// Lever toggle switch with two or three positions, vertical or horizontal;
// kinds 5 and 6 spring back to the middle. A left click on a part of the
// picture moves it to that part's position. Exchanged with the sub-panel as
// two bytes (first position, last position).
#pragma once

#include <cstdint>

#include "controls/BaseCockpitControl.h"

// Switch descriptor without its id. Texts are not kept; null counts as empty.
struct SwitchDescriptor {
  const char* folder = "";
  int kind = 1;                              // 1 to 6
  const char* names[3] = {"", "", ""};       // images of positions 0, 1, 2, below "Switches"
  int originX = 0;
  int originY = 0;
  int offsetX = 0;
  int offsetY = 0;
  double scale = 1.0;
};

// The record form kept in panels' static tables.
struct SwitchRecord {
  int id = 0;
  const char* folder = "";
  int kind = 1;
  const char* names[3] = {"", "", ""};
  int originX = 0;
  int originY = 0;
  int offsetX = 0;
  int offsetY = 0;
  double scale = 1.0;
};

class SwitchClass : public CBaseCockpitControl {
 public:
  SwitchClass();

  // Stores the id and scale, scales the origin, then the descriptor form.
  bool Initialise(const SwitchRecord& record);
  // The id stays as it was.
  bool Initialise(const SwitchDescriptor& descriptor);

  // A left-button-down event moves the switch to the position of the region
  // strictly containing the pointer.
  void Click(int event);
  // 0, 1 or 2 when valid; anything else is ignored.
  void SetPosition(int position);
  // The position, or -1 when not valid; arms the spring timer.
  int GetPosition();
  // first = 1 in position 0, second = 1 in position 2; then the spring timer
  // runs. Untouched when not valid.
  void GetOutputs(uint8_t& first, uint8_t& second);
  // Position 0 when first is set, else 2 when second is set, else 1.
  void SetFromInputs(uint8_t first, uint8_t second);
  int GetId() const { return id_; }
  bool IsValid() const { return valid_; }
  int GetKind() const { return kind_; }
  int GetSpringTimer() const { return springTimer_; }

  enum Region : int { kRegionTop = 0, kRegionBottom, kRegionMiddle, kRegionLeft, kRegionRight };
  platform::Rect GetRegion(int region) const;

  void Paint(platform::DrawSurface& dc) override;

 private:
  bool IsSpring() const { return kind_ == 5 || kind_ == 6; }
  void SetRegions();

  int id_ = 0;
  bool valid_ = false;
  int kind_ = 0;
  int springTimer_ = -2;  // below -1, so the first off-centre setting gets the full hold
  platform::Rect regions_[5];
};
