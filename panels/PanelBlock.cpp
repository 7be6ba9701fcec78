#include "panels/PanelBlock.h"

#include "common/RevisionString.h"
#include "panels/BasePanel.h"
#include "simlink/SharedField.h"

namespace {

RevisionLines gRevisions("%Z% PanelBlock QX_P_0402_02 PanelBlock.cpp $Revision: 1.2 $",
                         "%Z% PanelBlock QX_P_0402_02 PanelBlock.h $Revision: 1.2 $");

}  // namespace

void RegisterPanelBlockRevision() { gRevisions.RegisterOnce(); }

const char* FieldTypeName(FieldType type) {
  switch (type) {
    case FieldType::kU8:
      return "u8";
    case FieldType::kI16:
      return "i16";
    case FieldType::kU16:
      return "u16";
    case FieldType::kI32:
      return "i32";
    case FieldType::kU32:
      return "u32";
    case FieldType::kF32:
      return "f32";
  }
  return "?";
}

const char* LayoutName(PanelLayout layout) {
  switch (layout) {
    case kLayoutA330:
      return "A330";
    case kLayoutA320:
      return "A320";
    default:
      return "none";
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

void PanelBlock::Select(uint32_t offset, uint32_t size) {
  uint8_t* area = BasePanel::GetSharedMemory();
  if (area == nullptr || !generic_area::Fits(offset, size)) {
    base_ = nullptr;
    offset_ = 0;
    size_ = 0;
    return;
  }
  base_ = area + offset;
  offset_ = offset;
  size_ = size;
}

template <class T>
T PanelBlock::Get(BlockField field) const {
  if (!Holds(field, sizeof(T))) {
    return T{};
  }
  return shared_field::Load<T>(base_ + field);
}

template <class T>
void PanelBlock::Put(BlockField field, T value) {
  if (Holds(field, sizeof(T))) {
    shared_field::Store<T>(base_ + field, value);
  }
}

template uint8_t PanelBlock::Get<uint8_t>(BlockField) const;
template int16_t PanelBlock::Get<int16_t>(BlockField) const;
template uint16_t PanelBlock::Get<uint16_t>(BlockField) const;
template int32_t PanelBlock::Get<int32_t>(BlockField) const;
template uint32_t PanelBlock::Get<uint32_t>(BlockField) const;
template float PanelBlock::Get<float>(BlockField) const;
template void PanelBlock::Put<uint8_t>(BlockField, uint8_t);
template void PanelBlock::Put<int16_t>(BlockField, int16_t);
template void PanelBlock::Put<uint16_t>(BlockField, uint16_t);
template void PanelBlock::Put<int32_t>(BlockField, int32_t);
template void PanelBlock::Put<uint32_t>(BlockField, uint32_t);
template void PanelBlock::Put<float>(BlockField, float);
