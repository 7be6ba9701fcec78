#include "simlink/GenericSimShm.h"

#include <cstring>

#include "common/RevisionString.h"
#include "common/TextFcns.h"

static_assert(sizeof(GenericSimShm::kVersionText) - 1 == 43, "43 characters, leading blank");
static_assert(GenericSimShm::kUserCountOffset % 4 == 0 && GenericSimShm::kUserCountOffset + 4 <= GenericSimShm::kSize);

namespace {
RevisionLines gRevisions("%Z% GenericSimShm QX_P_0305_02 GenericSimShm.cpp $Revision: 1.4 $",
                         "%Z% GenericSimShm QX_P_0305_02 GenericSimShm.h $Revision: 1.2 $");
}  // namespace

GenericSimShm::GenericSimShm(const char* versionText, bool countSelf)
    : VersionedSegment(kName, kSize, kUserCountOffset, kMethod) {
  gRevisions.RegisterOnce();
  Open(versionText, countSelf);
}

void GenericSimShm::SetSubAreaTable() {
  if (base_ == nullptr) {
    return;
  }
  for (uint32_t i = 0; i < kSubAreaCount; i++) {
    if (i == kUnfilledSubArea) {
      continue;
    }
    // The table holds 32-bit absolute addresses in the creator's address
    // space. On 64-bit Linux only the low 32 bits of (view + offset) fit;
    // they are stored for the layout's sake: nothing reads the table back
    // (every program addresses fields as its own view + offset).
    uint32_t address = static_cast<uint32_t>(reinterpret_cast<uintptr_t>(base_ + kSubAreaOffsets[i]));
    std::memcpy(base_ + kSubAreaTableOffset + 4 * i, &address, sizeof address);
  }
}
