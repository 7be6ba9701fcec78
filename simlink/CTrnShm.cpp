#include "simlink/CTrnShm.h"

#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "simlink/SimAreaSupport.h"

static_assert(sizeof(CTrnShm::kVersionText) - 1 == 35, "35 characters, leading blank");
static_assert(CTrnShm::kUserCountOffset % 4 == 0 && CTrnShm::kUserCountOffset + 4 <= CTrnShm::kSize);
static_assert(CTrnShm::kVersionBytes == simlink_detail::kVersionBytes);

namespace {
RevisionLines gRevisions("%Z% CTrnShm QX_P_0305_03 CTrnShm.cpp $Revision: 1.1 $",
                         "%Z% CTrnShm QX_P_0305_03 CTrnShm.h $Revision: 1.1 $");
}  // namespace

CTrnShm::CTrnShm(const char* versionText) {
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
        Report(kMethod, "Shared Memory Version Mismatch\nPlease rebuild software");
      } else {
        AddUser(base_, kUserCountOffset);
      }
      break;
    case Opened::kCreated:
      base_ = GetBase();
      created_ = true;
      ClearSegment(kSize);
      StoreUserCount(base_, kUserCountOffset, 1);
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

CTrnShm::~CTrnShm() {
  if (!attached_ || !versionOk_) {
    return;
  }
  if (simlink_detail::RemoveUser(base_, kUserCountOffset)) {
    Unlink();
    Detach();
    base_ = nullptr;
  }
}

bool CTrnShm::CheckVersion() { return simlink_detail::VersionMatches(base_, version_); }

int32_t CTrnShm::GetUserCount() const {
  if (base_ == nullptr) {
    return 0;
  }
  return simlink_detail::LoadUserCount(base_, kUserCountOffset);
}
