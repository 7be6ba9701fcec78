// Table rows: one row per control of a panel, saying what the control is,
// where it sits in each layout and which fields of the panel's blocks it
// reads and writes. Rows are built with the constexpr helpers below
// (Button, Cover, Plate, Guarded, Switch, Knob, Light, Display, Rotary) and
// their modifiers; PanelTables gathers a panel's rows with its blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <span>

#include "controls/GuardedButton.h"
#include "panels/PanelBlock.h"

// Where a control sits in each layout, picture pixels from the panel origin.
struct Place {
  int16_t x = 0, y = 0;        // A330 layout
  int16_t x320 = 0, y320 = 0;  // A320 layout
  constexpr Place() = default;
  constexpr Place(int ax, int ay) : Place(ax, ay, ax, ay) {}
  constexpr Place(int ax, int ay, int bx, int by)
      : x(int16_t(ax)), y(int16_t(ay)), x320(int16_t(bx)), y320(int16_t(by)) {}
  constexpr int X(PanelLayout layout) const { return layout == kLayoutA320 ? x320 : x; }
  constexpr int Y(PanelLayout layout) const { return layout == kLayoutA320 ? y320 : y; }
};

// The layouts in which a control is drawn (it is processed in both).
enum DrawnIn : uint8_t { kDrawnNever = 0, kDrawnInA330 = 1, kDrawnInA320 = 2, kDrawnInBoth = 3 };

// What every row has. Row: the derived row type, for the modifiers.
template <class Row>
struct RowBase {
  const char* label = nullptr;     // name in the interface description; null: kind and number
  const char* image = "";          // below the bitmap root, "Buttons\..."
  const char* image320 = nullptr;  // A320 image where it differs
  Place at;
  uint8_t drawnIn = kDrawnInBoth;
  int16_t number = -1;  // control number; -1: the row's index
  // Input flag without which the control is absent (not served, not drawn;
  // an absent button publishes 0); kNoField: always present. The kit's button
  // and cover steps honour it.
  BlockField presentWhile = kNoField;

  constexpr Row Named(const char* name) const { return With([&](Row& r) { r.label = name; }); }
  constexpr Row A320Image(const char* name) const { return With([&](Row& r) { r.image320 = name; }); }
  constexpr Row Drawn(DrawnIn layouts) const { return With([&](Row& r) { r.drawnIn = layouts; }); }
  constexpr Row Number(int n) const { return With([&](Row& r) { r.number = int16_t(n); }); }
  constexpr Row PresentWhile(BlockField flag) const { return With([&](Row& r) { r.presentWhile = flag; }); }

  constexpr const char* ImageFor(PanelLayout layout) const {
    return layout == kLayoutA320 && image320 != nullptr ? image320 : image;
  }
  constexpr bool IsDrawnIn(PanelLayout layout) const {
    return (drawnIn & (layout == kLayoutA320 ? kDrawnInA320 : kDrawnInA330)) != 0;
  }
  constexpr int NumberOr(int index) const { return number >= 0 ? number : index; }

 protected:
  template <class F>
  constexpr Row With(F change) const {
    Row r = static_cast<const Row&>(*this);
    change(r);
    return r;
  }
};

// A push button: lamps from the input block, position (1 in, 0 out) to one
// output byte.
struct PushButtonRow : RowBase<PushButtonRow> {
  bool momentary = false;
  bool singleLamp = false;        // four-image On/Off set; its lamp is upperLamp
  BlockField upperLamp = kNoField;  // input fields
  BlockField lowerLamp = kNoField;
  BlockField shownLamp = kNoField;  // the lamp shown in display-only mode instead
  BlockField output = kNoField;
  uint8_t forcedIn = kDrawnNever;  // layouts in which the panel puts it back in on every pass

  constexpr PushButtonRow Momentary() const { return With([](PushButtonRow& r) { r.momentary = true; }); }
  // The panel puts the button back in on every pass (its own code does it;
  // the row says so for the interface description and the checks).
  constexpr PushButtonRow ForcedIn(DrawnIn layouts = kDrawnInBoth) const {
    return With([&](PushButtonRow& r) { r.forcedIn = layouts; });
  }
  constexpr bool IsForcedIn(PanelLayout layout) const {
    return (forcedIn & (layout == kLayoutA320 ? kDrawnInA320 : kDrawnInA330)) != 0;
  }
  // The single-lamp set, lit by the lamp test only, and by `shown` in
  // display-only mode.
  constexpr PushButtonRow SingleLamp(BlockField shown = kNoField) const {
    return With([&](PushButtonRow& r) {
      r.singleLamp = true;
      r.shownLamp = shown;
    });
  }
};
constexpr PushButtonRow Button(const char* image, Place at, BlockField upper, BlockField lower, BlockField output) {
  PushButtonRow r;
  r.image = image;
  r.at = at;
  r.upperLamp = upper;
  r.lowerLamp = lower;
  r.output = output;
  return r;
}

// A guarded button used as a cover over one push button of the panel: it
// sits where that button sits, and while it is closed the button takes no
// clicks.
struct CoverRow : RowBase<CoverRow> {
  int16_t button = 0;                      // index of the covered push button
  const GuardGeometry* geometry = nullptr;  // null: the standard guard

  constexpr CoverRow WithGeometry(const GuardGeometry* g) const {
    return With([&](CoverRow& r) { r.geometry = g; });
  }
};
constexpr CoverRow Cover(const char* image, int button) {
  CoverRow r;
  r.image = image;
  r.button = int16_t(button);
  r.number = 0;
  return r;
}

// A guarded cover plate ("Up" and "Down" pictures) over one push button: the
// button is seen only while the plate is up, and takes no clicks while the
// plate is down.
struct PlateRow : RowBase<PlateRow> {
  int16_t button = 0;  // index of the covered push button
};
constexpr PlateRow Plate(const char* image, int number, Place at, int button) {
  PlateRow r;
  r.image = image;
  r.number = int16_t(number);
  r.at = at;
  r.button = int16_t(button);
  return r;
}

// A guarded button: cover and push button as one control (image: the button's).
struct GuardedRow : RowBase<GuardedRow> {
  const char* coverImage = "";
  BlockField upperLamp = kNoField;
  BlockField lowerLamp = kNoField;
  BlockField output = kNoField;
};
constexpr GuardedRow Guarded(const char* coverImage, const char* buttonImage, Place at, BlockField upper,
                             BlockField lower, BlockField output) {
  GuardedRow r;
  r.coverImage = coverImage;
  r.image = buttonImage;
  r.at = at;
  r.upperLamp = upper;
  r.lowerLamp = lower;
  r.output = output;
  return r;
}

// A toggle switch: its position as two output bytes (1 in the up and in the
// down position respectively; both 0 in the middle).
struct SwitchRow : RowBase<SwitchRow> {
  int8_t kind = 1;
  const char* names[3] = {"", "", ""};  // up, middle, down pictures below "Switches"
  BlockField upFlag = kNoField;
  BlockField downFlag = kNoField;
};
constexpr SwitchRow Switch(int kind, const char* up, const char* middle, const char* down, Place at,
                           BlockField upFlag, BlockField downFlag) {
  SwitchRow r;
  r.kind = int8_t(kind);
  r.names[0] = up;
  r.names[1] = middle;
  r.names[2] = down;
  r.image = up;
  r.at = at;
  r.upFlag = upFlag;
  r.downFlag = downFlag;
  return r;
}

// A selector knob: its position number (0 up, clockwise, 45 degrees apart)
// as a signed 32-bit output field.
struct KnobRow : RowBase<KnobRow> {
  uint8_t positions = 0;  // bit p: position p exists
  BlockField output = kNoField;
};
constexpr uint8_t Positions(std::initializer_list<int> list) {
  uint8_t mask = 0;
  for (int p : list) mask = uint8_t(mask | (1u << p));
  return mask;
}
constexpr uint8_t kAllPositions = 0xFF;
constexpr KnobRow Knob(const char* image, uint8_t positions, Place at, BlockField output) {
  KnobRow r;
  r.image = image;
  r.positions = positions;
  r.at = at;
  r.output = output;
  return r;
}

// A light: lit by its input byte or the lamp test. An "on change" light is
// drawn lit once when its byte rises, unlit while the byte is clear, and not
// drawn while the byte stays set.
struct LightRow : RowBase<LightRow> {
  BlockField lamp = kNoField;
  bool onChange = false;

  constexpr LightRow OnChange() const { return With([](LightRow& r) { r.onChange = true; }); }
};
constexpr LightRow Light(int number, const char* image, Place at, BlockField lamp) {
  LightRow r;
  r.number = int16_t(number);
  r.image = image;
  r.at = at;
  r.lamp = lamp;
  return r;
}

// A digital display of character cells, fed with a text by its panel.
struct DisplayRow : RowBase<DisplayRow> {
  int8_t cells = 0;
};
constexpr DisplayRow Display(int cells, Place at) {
  DisplayRow r;
  r.cells = int8_t(cells);
  r.image = "DigitalDisplay";
  r.at = at;
  return r;
}

// A continuously turned knob; its panel reads the turns.
struct RotaryRow : RowBase<RotaryRow> {
  const char* names[3] = {"", "", ""};  // pictures below "RotaryKnobs"
  int32_t step = 1;
  int32_t maximum = 0;
  int32_t minimum = 0;
};
constexpr RotaryRow Rotary(const char* picture, Place at, int32_t step, int32_t maximum, int32_t minimum) {
  RotaryRow r;
  r.names[0] = r.names[1] = r.names[2] = picture;
  r.image = picture;
  r.at = at;
  r.step = step;
  r.maximum = maximum;
  r.minimum = minimum;
  return r;
}

// The kinds of rows, in the order PanelTables lists them.
enum class RowKind : uint8_t { kNone, kButton, kCover, kPlate, kGuarded, kSwitch, kKnob, kLight, kDisplay, kRotary };
// "button", "cover", ...; "" for kNone.
constexpr const char* RowKindName(RowKind kind) {
  constexpr const char* kNames[] = {"", "button", "cover", "plate", "guarded button", "switch", "knob", "light",
                                    "display", "rotary knob"};
  return kNames[static_cast<int>(kind)];
}

// One row of a panel's tables: its kind and its index among the rows of that kind.
struct RowRef {
  RowKind kind = RowKind::kNone;
  int16_t index = -1;
  constexpr bool operator==(const RowRef&) const = default;
};

// A run of rows of one kind, first to last.
struct RowRange {
  RowKind kind = RowKind::kNone;
  int16_t first = -1;
  int16_t last = -1;
  constexpr bool Holds(RowRef row) const {
    return kind != RowKind::kNone && row.kind == kind && first <= row.index && row.index <= last;
  }
};

// The rows a field belongs to, as up to two runs; runs of kind kNone are unused.
struct RowList {
  static constexpr int kMax = 2;
  RowRange at[kMax];

  constexpr bool Has(RowRef row) const {
    for (const RowRange& r : at) {
      if (r.Holds(row)) return true;
    }
    return false;
  }
  // Adds a run; a full list marks itself broken (first -2), which TablesFit refuses.
  constexpr void Add(RowRange run) {
    for (RowRange& r : at) {
      if (r.kind == RowKind::kNone) {
        r = run;
        return;
      }
    }
    at[0] = RowRange{RowKind::kNone, -2, -2};
  }
};

// A field that belongs to no control row (values, requests, selections).
// `shownBy` names the rows that show or feed it (a display showing a value,
// the knob whose setting a request sends), for the inspection of a control.
struct FieldDecl {
  const char* name;
  BlockKind block;
  BlockField offset;
  FieldType type;
  FieldWriter writer;
  const char* meaning;
  RowList shownBy = {};

  constexpr FieldDecl For(RowKind kind, int index) const { return For(kind, index, index); }
  constexpr FieldDecl For(RowKind kind, int first, int last) const {
    FieldDecl f = *this;
    f.shownBy.Add(RowRange{kind, int16_t(first), int16_t(last)});
    return f;
  }
};
constexpr FieldDecl InputField(const char* name, BlockField offset, FieldType type, const char* meaning) {
  return {name, BlockKind::kInput, offset, type, FieldWriter::kSimulation, meaning};
}
constexpr FieldDecl OutputField(const char* name, BlockField offset, FieldType type, const char* meaning) {
  return {name, BlockKind::kOutput, offset, type, FieldWriter::kStation, meaning};
}

// Everything a panel declares: its blocks per layout (and unit), its
// panel-wide fields and its rows. The interface description, the contract
// tests and the panel's own code all read the same tables.
struct PanelTables {
  BlockPair a330 = {};
  BlockPair a320 = {};  // sizes 0: the panel has no A320 layout
  // Blocks chosen by unit or seat number as well (null: a330 / a320 above).
  BlockPair (*unitBlocks)(PanelLayout layout, int32_t unit) = nullptr;
  const char* unitName = nullptr;  // "seat", "unit"
  int32_t unitCount = 0;

  BlockField lampTest = kNoField;            // input: non-zero lights every lamp
  BlockField resetRequest = kNoField;        // input: ResetToDefaults on every pass while set
  BlockField presetRequest = kNoField;       // input: the start-up preset on every pass while set
  BlockField displayOnlyRequest = kNoField;  // output byte the simulation sets for display-only
  bool readyStep = false;                    // Update does nothing until Initialise set the ready flag

  std::span<const PushButtonRow> buttons = {};
  std::span<const CoverRow> covers = {};
  std::span<const PlateRow> plates = {};
  std::span<const GuardedRow> guarded = {};
  std::span<const SwitchRow> switches = {};
  std::span<const KnobRow> knobs = {};
  std::span<const LightRow> lights = {};
  std::span<const DisplayRow> displays = {};
  std::span<const RotaryRow> rotaries = {};
  std::span<const FieldDecl> fields = {};

  constexpr bool HasA320() const { return a320.outputSize != 0 || a320.inputSize != 0; }
  // The number of rows of a kind.
  constexpr size_t RowCount(RowKind kind) const {
    switch (kind) {
      case RowKind::kButton: return buttons.size();
      case RowKind::kCover: return covers.size();
      case RowKind::kPlate: return plates.size();
      case RowKind::kGuarded: return guarded.size();
      case RowKind::kSwitch: return switches.size();
      case RowKind::kKnob: return knobs.size();
      case RowKind::kLight: return lights.size();
      case RowKind::kDisplay: return displays.size();
      case RowKind::kRotary: return rotaries.size();
      case RowKind::kNone: break;
    }
    return 0;
  }
  // The label a row has in the interface description (null: kind and number).
  constexpr const char* RowLabel(RowRef row) const {
    if (row.index < 0 || size_t(row.index) >= RowCount(row.kind)) return nullptr;
    const size_t i = size_t(row.index);
    switch (row.kind) {
      case RowKind::kButton: return buttons[i].label;
      case RowKind::kCover: return covers[i].label;
      case RowKind::kPlate: return plates[i].label;
      case RowKind::kGuarded: return guarded[i].label;
      case RowKind::kSwitch: return switches[i].label;
      case RowKind::kKnob: return knobs[i].label;
      case RowKind::kLight: return lights[i].label;
      case RowKind::kDisplay: return displays[i].label;
      case RowKind::kRotary: return rotaries[i].label;
      case RowKind::kNone: break;
    }
    return nullptr;
  }
  // The blocks of a layout and unit.
  constexpr BlockPair Blocks(PanelLayout layout, int32_t unit) const {
    if (unitBlocks != nullptr) return unitBlocks(layout, unit);
    return layout == kLayoutA320 && HasA320() ? a320 : a330;
  }
};

// True when every field of the tables lies inside its block, in every layout
// and unit, and every covered button exists. Checked by static_assert on
// every panel's tables.
constexpr bool FieldInside(BlockField f, FieldType type, uint32_t size) {
  return f == kNoField || (f >= 0 && uint32_t(f) + FieldWidth(type) <= size);
}
constexpr bool TablesFitBlocks(const PanelTables& t, const BlockPair& b) {
  const auto in = [&](BlockField f, FieldType type = FieldType::kU8) { return FieldInside(f, type, b.inputSize); };
  const auto out = [&](BlockField f, FieldType type = FieldType::kU8) {
    return FieldInside(f, type, b.outputSize);
  };
  bool ok = BlockPairFits(b) && in(t.lampTest) && in(t.resetRequest) && in(t.presetRequest) &&
            out(t.displayOnlyRequest);
  for (const auto& r : t.buttons) ok = ok && in(r.upperLamp) && in(r.lowerLamp) && in(r.shownLamp) && out(r.output);
  for (const auto& r : t.guarded) ok = ok && in(r.upperLamp) && in(r.lowerLamp) && out(r.output);
  for (const auto& r : t.switches) ok = ok && out(r.upFlag) && out(r.downFlag);
  for (const auto& r : t.knobs) ok = ok && out(r.output, FieldType::kI32);
  for (const auto& r : t.lights) ok = ok && in(r.lamp);
  for (const auto& r : t.covers) ok = ok && r.button >= 0 && size_t(r.button) < t.buttons.size();
  for (const auto& r : t.plates) ok = ok && r.button >= 0 && size_t(r.button) < t.buttons.size();
  for (const auto& f : t.fields) {
    ok = ok && (f.block == BlockKind::kInput ? in(f.offset, f.type) : out(f.offset, f.type));
    for (const RowRange& r : f.shownBy.at) {
      ok = ok && (r.kind == RowKind::kNone ? r.first == -1
                                           : r.first >= 0 && r.first <= r.last && size_t(r.last) < t.RowCount(r.kind));
    }
  }
  return ok;
}
constexpr bool TablesFit(const PanelTables& t) {
  if (t.unitBlocks == nullptr) {
    return BlockPairInZone(t.a330, generic_area::kA330ZoneFirst, generic_area::kA330ZoneLast) &&
           TablesFitBlocks(t, t.a330) &&
           (!t.HasA320() || (BlockPairInZone(t.a320, generic_area::kA320ZoneFirst, generic_area::kA320ZoneLast) &&
                             TablesFitBlocks(t, t.a320)));
  }
  bool ok = t.unitCount > 0;
  for (int32_t unit = 0; unit < t.unitCount; unit++) {
    ok = ok && BlockPairInZone(t.unitBlocks(kLayoutA330, unit), generic_area::kA330ZoneFirst,
                               generic_area::kA330ZoneLast) &&
         TablesFitBlocks(t, t.unitBlocks(kLayoutA330, unit)) &&
         BlockPairInZone(t.unitBlocks(kLayoutA320, unit), generic_area::kA320ZoneFirst,
                         generic_area::kA320ZoneLast) &&
         TablesFitBlocks(t, t.unitBlocks(kLayoutA320, unit));
  }
  return ok;
}
