#include "simlink/VersionedSegment.h"

#include <cstdio>

#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "simlink/SegmentFault.h"
#include "simlink/SimAreaSupport.h"

static_assert(VersionedSegment::kVersionBytes == simlink_detail::kVersionBytes);

namespace {
RevisionLines gRevisions("%Z% VersionedSegment QX_P_0305_04 VersionedSegment.cpp $Revision: 1.0 $",
                         "%Z% VersionedSegment QX_P_0305_04 VersionedSegment.h $Revision: 1.0 $");
}  // namespace

VersionedSegment::VersionedSegment(const char* name, uint32_t size, uint32_t userCountOffset, const char* method)
    : size_(size), userCountOffset_(userCountOffset), method_(method) {
  gRevisions.RegisterOnce();
  SetName(name);
  SetSize(size);
}

void VersionedSegment::Open(const char* versionText, bool countSelf) {
  using namespace simlink_detail;
  CopyBounded(version_, versionText, sizeof version_);
  switch (AttachOrCreate(*this, size_)) {
    case Opened::kAttached:
      base_ = GetBase();
      attached_ = true;
      WaitForVersion(base_);
      versionOk_ = CheckVersion();
      if (!versionOk_) {
        // The count is left alone: this program changes nothing.
        Report(method_, "Shared Memory Version Mismatch\nPlease rebuild software");
      } else if (countSelf) {
        counted_ = true;
        segment_fault::Track(Descriptor(), base_, userCountOffset_, GetObjectName());
        const int32_t users = AddUser(base_, userCountOffset_) - 1;
        if (users > 0 && !OthersHeldIt()) {
          // Counted users but no live holder: a user may have died. Nothing
          // is changed: a simulation that attaches without the lock keeps
          // its data.
          std::fprintf(stderr,
                       "note: shared memory %s counts %d other user(s), but no running program holds it; a "
                       "program that used it may have died. When nothing uses it any more, remove it with "
                       "'tarnel-shm remove'.\n",
                       GetObjectName(), static_cast<int>(users));
        }
      }
      break;
    case Opened::kCreated:
      // Only the one program whose exclusive creation succeeded gets here.
      base_ = GetBase();
      created_ = true;
      ClearSegment(size_);
      // Count and extra set-up first, the version text last: an attacher
      // waits for the version and then adds itself to a count that is already 1.
      StoreUserCount(base_, userCountOffset_, 1);
      OnCreated();
      PublishVersion(base_, version_);
      counted_ = true;
      segment_fault::Track(Descriptor(), base_, userCountOffset_, GetObjectName());
      attached_ = true;
      versionOk_ = true;
      break;
    case Opened::kFailed:
      attached_ = false;
      ReportOpenFailure(*this, method_);
      break;
  }
}

VersionedSegment::~VersionedSegment() {
  if (!attached_ || !versionOk_ || !counted_) {
    return;
  }
  segment_fault::Untrack(base_);
  if (simlink_detail::RemoveUser(base_, userCountOffset_)) {
    Unlink();
    Detach();
    base_ = nullptr;
  }
  // Otherwise the view stays mapped until the program exits: callers may
  // still hold the base address.
}

void VersionedSegment::AddUserFor() {
  if (IsValid()) simlink_detail::AddUser(base_, userCountOffset_);
}

void VersionedSegment::RemoveUserFor() {
  // This program still counts itself, so the count does not reach 0 here.
  if (IsValid()) simlink_detail::RemoveUser(base_, userCountOffset_);
}

bool VersionedSegment::CheckVersion() { return simlink_detail::VersionMatches(base_, version_); }

int32_t VersionedSegment::GetUserCount() const {
  if (base_ == nullptr) {
    return 0;
  }
  return simlink_detail::LoadUserCount(base_, userCountOffset_);
}
