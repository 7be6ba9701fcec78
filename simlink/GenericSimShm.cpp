#include "simlink/GenericSimShm.h"

#include <cstring>

#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "simlink/SimAreaSupport.h"

static_assert(sizeof(GenericSimShm::kVersionText) - 1 == 43, "43 characters, leading blank");
static_assert(GenericSimShm::kUserCountOffset % 4 == 0 && GenericSimShm::kUserCountOffset + 4 <= GenericSimShm::kSize);
static_assert(GenericSimShm::kVersionBytes == simlink_detail::kVersionBytes);

namespace {
RevisionLines gRevisions("%Z% GenericSimShm QX_P_0305_02 GenericSimShm.cpp $Revision: 1.4 $",
                         "%Z% GenericSimShm QX_P_0305_02 GenericSimShm.h $Revision: 1.2 $");
}  // namespace

GenericSimShm::GenericSimShm(const char* versionText) {
  using namespace simlink_detail;
  gRevisions.RegisterOnce();
  CopyBounded(version_, versionText, sizeof version_);
  SetName(kName);
  SetSize(kSize);

  switch (AttachOrCreate(*this, kSize)) {
    case Opened::kAttached:
      base_ = GetBase();
      attached_ = true;
      WaitForVersion(base_);
      versionOk_ = CheckVersion();
      if (!versionOk_) {
        // The count is left alone: this program changes nothing.
        Report(kMethod, "Shared Memory Version Mismatch\nPlease rebuild software");
      } else {
        AddUser(base_, kUserCountOffset);
      }
      break;
    case Opened::kCreated:
      // Only the one program whose exclusive creation succeeded gets here.
      base_ = GetBase();
      created_ = true;
      ClearSegment(kSize);
      // Count and table first, the version text last: an attacher waits for
      // the version and then adds itself to a count that is already 1.
      StoreUserCount(base_, kUserCountOffset, 1);
      SetSubAreaTable();
      PublishVersion(base_, version_);
      attached_ = true;
      versionOk_ = true;
      break;
    case Opened::kFailed:
      attached_ = false;
      ReportOpenFailure(*this, kMethod);
      break;
  }
}

GenericSimShm::~GenericSimShm() {
  if (!attached_ || !versionOk_) {
    return;
  }
  if (simlink_detail::RemoveUser(base_, kUserCountOffset)) {
    Unlink();
    Detach();
    base_ = nullptr;
  }
  // Otherwise the view stays mapped until the program exits: callers may
  // still hold the base address.
}

bool GenericSimShm::CheckVersion() { return simlink_detail::VersionMatches(base_, version_); }

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

int32_t GenericSimShm::GetUserCount() const {
  if (base_ == nullptr) {
    return 0;
  }
  return simlink_detail::LoadUserCount(base_, kUserCountOffset);
}
