#include "bridge/BridgeState.h"

#include "simlink/SharedField.h"

uint32_t LoadFieldBits(const uint8_t* base, const BridgeField& field) {
  return shared_field::LoadBits(base + field.offset, field.width);
}

void StoreFieldBits(uint8_t* base, const BridgeField& field, uint32_t bits) {
  shared_field::StoreBits(base + field.offset, field.width, bits);
}

BridgeState::BridgeState(const BridgeFields& fields, FieldWriter local)
    : fields_(fields),
      local_(local),
      remote_(local == FieldWriter::kSimulation ? FieldWriter::kStation : FieldWriter::kSimulation) {}

void BridgeState::SendAllNow() {
  for (bool& sent : everSent_) sent = false;
}

bool BridgeState::NextDue(const uint8_t* base, int64_t nowMs, AreaImage* image) {
  const int areas = fields_.AreaCount();
  for (int step = 0; step < areas; step++) {
    const int a = (next_ + step) % areas;
    const std::span<const BridgeField> list = fields_.Fields(a, local_);
    if (list.empty()) continue;
    const auto first = static_cast<uint32_t>(list.data() - fields_.Data());
    bool changed = false;
    image->area = fields_.AreaAt(a).id;
    image->count = 0;
    for (const BridgeField& f : list) {
      const uint32_t bits = LoadFieldBits(base, f);
      const uint32_t index = first + image->count;
      changed = changed || bits != sent_[index];
      image->fields[image->count++] = FieldBits{f.offset, bits};
    }
    if (changed && everSent_[a]) lastChangeMs_ = nowMs;
    if (!changed && everSent_[a] && nowMs - sentAtMs_[a] < kRepeatMs) continue;
    for (uint32_t i = 0; i < image->count; i++) sent_[first + i] = image->fields[i].bits;
    everSent_[a] = true;
    sentAtMs_[a] = nowMs;
    next_ = (a + 1) % areas;
    return true;
  }
  return false;
}

BridgeState::Applied BridgeState::Apply(const AreaImage& image, uint8_t* base) const {
  Applied result;
  const int a = fields_.FindArea(image.area);
  if (a < 0) return result;
  result.knownArea = true;
  const uint32_t count = image.count <= AreaImage::kMaxFields ? image.count : AreaImage::kMaxFields;
  for (uint32_t i = 0; i < count; i++) {
    const FieldBits& in = image.fields[i];
    const BridgeField* f = fields_.FindField(a, remote_, in.offset);
    // A value wider than its field is not one this side's declarations know.
    if (f == nullptr || (f->width < 4 && (in.bits >> (8 * f->width)) != 0)) {
      result.unknown++;
      continue;
    }
    if (LoadFieldBits(base, *f) != in.bits) {
      StoreFieldBits(base, *f, in.bits);
      result.written++;
    }
  }
  return result;
}
