#include "simlink/CTrnShm.h"

#include "common/RevisionString.h"

static_assert(sizeof(CTrnShm::kVersionText) - 1 == 35, "35 characters, leading blank");
static_assert(CTrnShm::kUserCountOffset % 4 == 0 && CTrnShm::kUserCountOffset + 4 <= CTrnShm::kSize);

namespace {
RevisionLines gRevisions("%Z% CTrnShm QX_P_0305_03 CTrnShm.cpp $Revision: 1.1 $",
                         "%Z% CTrnShm QX_P_0305_03 CTrnShm.h $Revision: 1.1 $");
}  // namespace

CTrnShm::CTrnShm(const char* versionText) : VersionedSegment(kName, kSize, kUserCountOffset, kMethod) {
  gRevisions.RegisterOnce();
  Open(versionText);
}
