#include "simlink/BaseSharedMemory.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <cinttypes>
#include <cstdlib>
#include <cstring>

#include "common/RevisionString.h"
#include "common/TextFcns.h"

namespace {
RevisionLines gRevisions("%Z% BaseSharedMemory QX_P_0305_01 BaseSharedMemory.cpp $Revision: 1.7 $",
                         "%Z% BaseSharedMemory QX_P_0305_01 BaseSharedMemory.h $Revision: 1.3 $");
}  // namespace

BaseSharedMemory::BaseSharedMemory() { gRevisions.RegisterOnce(); }

BaseSharedMemory::~BaseSharedMemory() = default;

bool BaseSharedMemory::SetName(const char* name) { return SetName(name, std::getenv("TARNEL_SHM_PREFIX")); }

bool BaseSharedMemory::SetName(const char* name, const char* prefix) {
  name_[0] = '\0';
  objectName_[0] = '\0';
  if (name == nullptr || name[0] == '\0' || std::strlen(name) > kMaxNameLength) {
    return false;
  }
  if (!platform::ShmObjectName(name, prefix, objectName_, sizeof objectName_)) {
    return false;
  }
  CopyBounded(name_, name, sizeof name_);
  return true;
}

bool BaseSharedMemory::NameUsable() {
  if (objectName_[0] != '\0') {
    return true;
  }
  lastError_ = 0;
  ReportText("Shared memory name missing, longer than 42 characters or too long with its prefix");
  return false;
}

bool BaseSharedMemory::Create(uint32_t size) {
  createFoundExisting_ = false;
  Detach();
  if (!NameUsable()) {
    return false;
  }
  if (size == 0) {
    lastError_ = EINVAL;
    char text[64];
    FormatBounded(text, sizeof text, "Creating Shared memory (Code: %d)", EINVAL);
    ReportText(text);
    return false;
  }
  if (size_ == 0) {
    size_ = size;
  }
  gid_t group = 0;
  if (platform::ShmSharedGroup(&group) < 0) {
    lastError_ = 0;
    char text[160];
    FormatBounded(text, sizeof text, "TARNEL_SHM_GROUP names no group of this system: '%s'",
                  std::getenv("TARNEL_SHM_GROUP"));
    ReportText(text);
    return false;
  }
  int fd = platform::ShmCreateExclusive(objectName_, size);
  if (fd < 0) {
    lastError_ = errno;
    createFoundExisting_ = lastError_ == EEXIST;
    char text[64];
    FormatBounded(text, sizeof text, "Creating Shared memory (Code: %d)", lastError_);
    ReportText(text);
    return false;
  }
  // The rest is Attach's, on the descriptor just created (no second open by
  // name, which another program's Unlink could race). A segment this object
  // created but cannot map is removed again rather than left half made.
  if (!MapOpened(fd, true)) {
    platform::ShmUnlink(objectName_);
    return false;
  }
  return true;
}

bool BaseSharedMemory::Attach() {
  Detach();
  if (!NameUsable()) {
    return false;
  }
  int fd = platform::ShmOpenExisting(objectName_);
  if (fd < 0) {
    lastError_ = errno;
    char text[64];
    FormatBounded(text, sizeof text, "OpenFileMapping (Code: %d)", lastError_);
    ReportText(text);
    return false;
  }
  return MapOpened(fd, false);
}

bool BaseSharedMemory::Trusted(const platform::ShmIdentity& identity) {
  gid_t shared = 0;
  const bool grouped = platform::ShmSharedGroup(&shared) > 0 && identity.group == shared;
  const bool closedToOthers = (identity.mode & 0007) == 0;
  if (closedToOthers && (identity.owner == ::geteuid() || grouped)) {
    return true;
  }
  struct passwd entry;
  struct passwd* found = nullptr;
  char buffer[1024];
  const char* owner = ::getpwuid_r(identity.owner, &entry, buffer, sizeof buffer, &found) == 0 && found != nullptr
                          ? found->pw_name
                          : "?";
  char text[384];
  FormatBounded(text, sizeof text,
                "Shared memory %s belongs to user %s (uid %u, group %u) with mode %04o: refused. Only a segment "
                "of this user, or of the group named by TARNEL_SHM_GROUP, without access for others is used",
                objectName_, owner, static_cast<unsigned>(identity.owner), static_cast<unsigned>(identity.group),
                static_cast<unsigned>(identity.mode));
  lastError_ = 0;  // the text says more than the system's code would
  ReportText(text);
  return false;
}

bool BaseSharedMemory::MapOpened(int fd, bool created) {
  char text[256];
  uint64_t objectSize = 0;
  platform::ShmIdentity identity;
  if (!platform::ShmStat(fd, kSizeWaitMs, &objectSize, &identity)) {
    lastError_ = errno;
    platform::ShmClose(fd);
    FormatBounded(text, sizeof text, "OpenFileMapping (Code: %d)", lastError_);
    ReportText(text);
    return false;
  }
  if (!created && !Trusted(identity)) {
    platform::ShmClose(fd);
    return false;
  }
  if (objectSize == 0 || objectSize < size_ || objectSize > SIZE_MAX) {
    lastError_ = 0;
    platform::ShmClose(fd);
    FormatBounded(text, sizeof text,
                  "Shared memory %s is %" PRIu64 " bytes, smaller than the segment's %" PRIu32
                  " bytes",
                  objectName_, objectSize, size_);
    ReportText(text);
    return false;
  }
  uint8_t* view = platform::ShmMap(fd, static_cast<std::size_t>(objectSize));
  if (view == nullptr) {
    lastError_ = errno;
    platform::ShmClose(fd);
    FormatBounded(text, sizeof text, "MapViewOfFile (Code: %d)", lastError_);
    ReportText(text);
    return false;
  }
  // The descriptor stays open with its lock while the view is mapped.
  othersHeld_ = false;
  platform::ShmLockShared(fd, &othersHeld_);
  fd_ = fd;
  view_ = view;
  mappedLength_ = static_cast<std::size_t>(objectSize);
  identity_ = identity;
  return true;
}

void BaseSharedMemory::Detach() {
  platform::ShmUnmap(view_, mappedLength_);
  platform::ShmClose(fd_);
  fd_ = -1;
  view_ = nullptr;
  mappedLength_ = 0;
}

bool BaseSharedMemory::Unlink() {
  if (objectName_[0] == '\0') {
    return false;
  }
  return platform::ShmUnlinkIfSame(objectName_, identity_);
}

bool BaseSharedMemory::ClearSegment(uint32_t count) {
  if (count == 0 || view_ == nullptr || count > mappedLength_) {
    return false;
  }
  std::memset(view_, 0, count);
  return true;
}
