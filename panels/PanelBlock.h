// A panel's input and output blocks in the generic simulation area, the
// typed fields inside them, and the aircraft layouts that choose them.
#pragma once

#include <cstdint>

#include "simlink/GenericArea.h"

// A field of a block: its offset from the block's start; kNoField: none.
using BlockField = int16_t;
constexpr BlockField kNoField = -1;

enum class FieldType : uint8_t { kU8, kI16, kU16, kI32, kU32, kF32 };

constexpr uint32_t FieldWidth(FieldType type) {
  switch (type) {
    case FieldType::kU8:
      return 1;
    case FieldType::kI16:
    case FieldType::kU16:
      return 2;
    default:
      return 4;
  }
}
const char* FieldTypeName(FieldType type);  // "u8", "i16", ...

// Which block a field lies in, and who writes it.
enum class BlockKind : uint8_t { kInput, kOutput };
enum class FieldWriter : uint8_t { kSimulation, kStation };

// The input and output blocks of one layout: offsets in the generic area and
// the number of bytes the panel uses from each.
struct BlockPair {
  uint32_t output = 0;
  uint32_t outputSize = 0;
  uint32_t input = 0;
  uint32_t inputSize = 0;
};

constexpr bool BlockPairFits(const BlockPair& b) {
  return generic_area::Fits(b.output, b.outputSize) && generic_area::Fits(b.input, b.inputSize);
}
constexpr bool BlockPairInZone(const BlockPair& b, uint32_t first, uint32_t last) {
  return BlockPairFits(b) && b.output >= first && b.output + b.outputSize - 1 <= last && b.input >= first &&
         b.input + b.inputSize - 1 <= last;
}

// Which layout a panel takes.
enum PanelLayout : int {
  kLayoutNone = 0,  // the panel does not exist on this aircraft
  kLayoutA330 = 1,
  kLayoutA320 = 2,
};
const char* LayoutName(PanelLayout layout);  // "A330", "A320"

// The aircraft-fit rule: type codes 7 to 9 (A330 family) take the A330
// layout, 10 to 13 (A320 family) the A320 layout, any other code none.
PanelLayout AircraftLayoutFor(int32_t aircraftType);

// A panel's view of one block. Each field is read or written in one access
// (simlink/SharedField.h): other processes use the same bytes without any
// lock. A field not wholly inside the block reads 0 and is never written; an
// unselected block reads 0 everywhere. Values from the simulation are taken
// as they come: callers range-check what they read.
class PanelBlock {
 public:
  // Points the block at offset of the generic area (BasePanel's shared
  // memory address). Left unselected when the area is not set or the block
  // does not fit inside it.
  void Select(uint32_t offset, uint32_t size);
  bool IsSelected() const { return base_ != nullptr; }
  uint32_t Offset() const { return offset_; }
  uint32_t Size() const { return size_; }

  uint8_t Read(BlockField field) const { return Get<uint8_t>(field); }
  // A lamp or flag: set when its byte is non-zero; kNoField never is.
  bool Lamp(BlockField field) const { return Read(field) != 0; }
  void Write(BlockField field, uint8_t value) { Put<uint8_t>(field, value); }

  // T: int8_t..uint32_t or float.
  template <class T>
  T Get(BlockField field) const;
  template <class T>
  void Put(BlockField field, T value);

 private:
  bool Holds(BlockField field, uint32_t width) const {
    return base_ != nullptr && field >= 0 && uint32_t(field) + width <= size_;
  }

  uint8_t* base_ = nullptr;
  uint32_t offset_ = 0;
  uint32_t size_ = 0;
};

// Registers this module's identification lines once per process.
void RegisterPanelBlockRevision();
