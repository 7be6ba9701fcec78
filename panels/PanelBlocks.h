// Shared pieces of every sub-panel: its input and output blocks in the
// generic simulation area, the aircraft-fit rule, the panels' fixed texts,
// and the push-button table rows with the per-pass work on one button.
#pragma once

#include <cstdint>

#include "controls/CButtonClass.h"
#include "panels/MouseState.h"

// Size of the generic simulation area; every block lies inside it.
constexpr uint32_t kGenericAreaSize = 129328;

// A field of a block, relative to the block's start; kNoField: none.
using BlockField = int16_t;
constexpr BlockField kNoField = -1;

// True when [offset, offset + size) lies inside the generic area. Used in
// static_asserts on every panel's block table.
constexpr bool BlockFits(uint32_t offset, uint32_t size) {
  return size > 0 && offset < kGenericAreaSize && size <= kGenericAreaSize - offset;
}

// The input and output blocks of one layout: offsets in the generic area and
// the number of bytes the panel uses from each.
struct BlockPair {
  uint32_t output;
  uint32_t outputSize;
  uint32_t input;
  uint32_t inputSize;
};

constexpr bool BlockPairFits(const BlockPair& b) {
  return BlockFits(b.output, b.outputSize) && BlockFits(b.input, b.inputSize);
}

// The A330 and A320 zones of the panels' blocks.
constexpr uint32_t kA330ZoneFirst = 0x12068;
constexpr uint32_t kA330ZoneLast = 0x127DF;
constexpr uint32_t kA320ZoneFirst = 0x1EC8D;
constexpr uint32_t kA320ZoneLast = 0x1F92F;

constexpr bool BlockPairInZone(const BlockPair& b, uint32_t first, uint32_t last) {
  return BlockPairFits(b) && b.output >= first && b.output + b.outputSize - 1 <= last && b.input >= first &&
         b.input + b.inputSize - 1 <= last;
}

// A panel's view of one block. Bytes are read and written through volatile
// accesses, once each per pass: other processes use the same bytes without
// any lock. A field outside the block reads 0 and is never written; an
// unselected block reads 0 everywhere.
class PanelBlock {
 public:
  // Points the block at offset of the generic area (BasePanel's shared
  // memory address). Left unselected when the area is not set or the block
  // does not fit inside it.
  void Select(uint32_t offset, uint32_t size);
  bool IsSelected() const { return base_ != nullptr; }
  uint32_t Offset() const { return offset_; }
  uint32_t Size() const { return size_; }

  uint8_t Read(BlockField field) const;
  // A lamp: lit when its byte is non-zero; kNoField is never lit.
  bool Lamp(BlockField field) const { return Read(field) != 0; }
  void Write(BlockField field, uint8_t value);

 private:
  bool Holds(BlockField field) const { return base_ != nullptr && field >= 0 && uint32_t(field) < size_; }

  uint8_t* base_ = nullptr;
  uint32_t offset_ = 0;
  uint32_t size_ = 0;
};

// Which layout a panel with aircraft-fit variants takes.
enum PanelLayout : int {
  kLayoutNone = 0,  // the panel does not exist on this aircraft
  kLayoutA330 = 1,
  kLayoutA320 = 2,
};

// The aircraft-fit rule: type codes 7 to 9 (A330 family) take the A330
// layout, 10 to 13 (A320 family) the A320 layout, any other code none.
PanelLayout AircraftLayoutFor(int32_t aircraftType);

// A panel's fixed texts. The class named in a failure text is not always the
// panel's own; fitClass is null for panels without aircraft-fit variants.
struct PanelTexts {
  int32_t id;                // cockpit manager panel id
  const char* className;     // the panel's class
  const char* progress;      // report text while initialising
  const char* nullAreaClass;  // in "::Initialise --> SharedMemory ptr not set"
  const char* fitClass;       // in "::Initialise --> Incorrect aircraft fit"
};

// The texts of a panel id; null for an id without a panel.
const PanelTexts* TextsForPanel(int32_t id);

// One row of a panel's push-button table. Panels without aircraft-fit
// variants fill only the A330 position.
struct PushButtonRow {
  const char* image;  // "Buttons\..." below the bitmap root
  int16_t a330X, a330Y;
  int16_t a320X, a320Y;
  bool momentary;
  bool singleLamp;  // four-image On/Off set, one lamp
  BlockField upperLamp;  // input-block fields (single-lamp buttons: upper only)
  BlockField lowerLamp;
  BlockField shownLamp;  // the lamp shown in display-only mode instead, or kNoField
  BlockField output;     // output-block byte of the button's position
};

// Fills a descriptor from a table row for the layout (A320 positions for
// kLayoutA320, A330 positions otherwise).
void FillButtonDescriptor(ButtonDescriptor& d, const PushButtonRow& row, int id, const char* folder,
                          PanelLayout layout, int originX, int originY, double scale);

// The controls' event for the dialog's mouse state: its button state
// (0 none, 1 left down, 2 right down; 3 and 4, the wheel, count as other
// events).
inline int MouseEvent(const MouseState& mouse) { return mouse.button; }

// A push button's share of a pass: its lamps from the input block, the lamp
// test and the mouse event (the button hit-tests the pointer itself).
void FeedPushButton(CButtonClass& button, const PushButtonRow& row, int event, const PanelBlock& input,
                    bool lampTest);
// Writes the button's position (1 in, 0 out) to its output byte.
void WritePushButton(const CButtonClass& button, const PushButtonRow& row, PanelBlock& output);
// Feed, then write: the whole pass of an ordinary push button.
void ServePushButton(CButtonClass& button, const PushButtonRow& row, int event, const PanelBlock& input,
                     PanelBlock& output, bool lampTest);
// Display-only: the position from the button's output byte (in when
// non-zero), the lamps from the input block; nothing is written.
void ShowPushButton(CButtonClass& button, const PushButtonRow& row, const PanelBlock& input,
                    const PanelBlock& output, bool lampTest);

// A push button its panel can force in after the pass. Forcing latches the
// button in, as a completed click does, so the next click brings it out for
// the pass in which it happens; SetPressed would leave it "held", which a
// click never brings out.
class CPanelButton : public CButtonClass {
 public:
  void ForcePressed();
};

// Registers this module's identification lines once per process.
void RegisterPanelBlocksRevision();
