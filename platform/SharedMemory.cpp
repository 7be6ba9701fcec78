#include "platform/SharedMemory.h"

#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace platform {

namespace {

void SleepMs(int ms) {
  struct timespec ts;
  ts.tv_sec = ms / 1000;
  ts.tv_nsec = static_cast<long>(ms % 1000) * 1000000L;
  while (::nanosleep(&ts, &ts) != 0 && errno == EINTR) {
  }
}

}  // namespace

bool ShmObjectName(const char* name, char* out, std::size_t size) {
  return ShmObjectName(name, std::getenv("TARNEL_SHM_PREFIX"), out, size);
}

bool ShmObjectName(const char* name, const char* prefix, char* out, std::size_t size) {
  if (out == nullptr || size == 0) {
    return false;
  }
  out[0] = '\0';
  if (name == nullptr) {
    return false;
  }
  if (prefix == nullptr) {
    prefix = "";
  }
  std::size_t prefixLength = std::strlen(prefix);
  std::size_t nameLength = std::strlen(name);
  if (1 + prefixLength + nameLength + 1 > size) {
    return false;
  }
  out[0] = '/';
  std::memcpy(out + 1, prefix, prefixLength);
  std::memcpy(out + 1 + prefixLength, name, nameLength);
  out[1 + prefixLength + nameLength] = '\0';
  return true;
}

int ShmSharedGroup(gid_t* gid) {
  const char* name = std::getenv("TARNEL_SHM_GROUP");
  if (name == nullptr || name[0] == '\0') {
    return 0;
  }
  struct group entry;
  struct group* found = nullptr;
  char buffer[4096];
  if (::getgrnam_r(name, &entry, buffer, sizeof buffer, &found) != 0 || found == nullptr) {
    return -1;
  }
  *gid = found->gr_gid;
  return 1;
}

int ShmCreateExclusive(const char* objectName, std::size_t size) {
  gid_t gid = 0;
  const int shared = ShmSharedGroup(&gid);
  if (shared < 0) {
    errno = EINVAL;
    return -1;
  }
  const mode_t mode = shared > 0 ? (S_IRUSR | S_IWUSR | S_IRGRP | S_IWGRP) : (S_IRUSR | S_IWUSR);
  int fd = ::shm_open(objectName, O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, mode);
  if (fd < 0) {
    return -1;
  }
  // The umask may have taken bits away: the owner (and the shared group)
  // must read and write, and nobody else may open the object.
  if ((shared > 0 && ::fchown(fd, static_cast<uid_t>(-1), gid) != 0) || ::fchmod(fd, mode) != 0 ||
      ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
    int saved = errno;
    ::shm_unlink(objectName);
    ::close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

int ShmOpenExisting(const char* objectName) { return ::shm_open(objectName, O_RDWR | O_CLOEXEC, 0); }

bool ShmStat(int fd, int waitMs, uint64_t* size, ShmIdentity* identity) {
  const int kStepMs = 5;
  struct stat st;
  for (int waited = 0;; waited += kStepMs) {
    if (::fstat(fd, &st) != 0) {
      return false;
    }
    if (st.st_size > 0 || waited >= waitMs) {
      break;
    }
    SleepMs(kStepMs);
  }
  if (size != nullptr) {
    *size = static_cast<uint64_t>(st.st_size);
  }
  if (identity != nullptr) {
    identity->device = st.st_dev;
    identity->inode = st.st_ino;
    identity->known = true;
    identity->owner = st.st_uid;
    identity->group = st.st_gid;
    identity->mode = st.st_mode & 07777;
  }
  return true;
}

uint8_t* ShmMap(int fd, std::size_t length) {
  void* view = ::mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
  if (view == MAP_FAILED) {
    return nullptr;
  }
  return static_cast<uint8_t*>(view);
}

void ShmUnmap(uint8_t* view, std::size_t length) {
  if (view != nullptr && length > 0) {
    ::munmap(view, length);
  }
}

void ShmClose(int fd) {
  if (fd >= 0) {
    ::close(fd);
  }
}

bool ShmLockShared(int fd, bool* othersHeld) {
  // An exclusive probe first: it fails only while another descriptor holds a
  // lock. Converting it to a shared lock keeps this one for the caller.
  int rc;
  while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
  }
  if (othersHeld != nullptr) {
    *othersHeld = rc != 0 && errno == EWOULDBLOCK;
  }
  while ((rc = ::flock(fd, LOCK_SH)) != 0 && errno == EINTR) {
  }
  return rc == 0;
}

bool ShmClaimRange(int fd, uint64_t offset, uint64_t length) {
  struct flock claim = {};
  claim.l_type = F_WRLCK;
  claim.l_whence = SEEK_SET;
  claim.l_start = static_cast<off_t>(offset);
  claim.l_len = static_cast<off_t>(length);
  // Open-file-description locks: a second descriptor is refused even in the
  // same process, and nothing else of the process's locks is disturbed.
  return ::fcntl(fd, F_OFD_SETLK, &claim) == 0;
}

bool ShmHeld(const char* objectName) {
  int fd = ::shm_open(objectName, O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) {
    return false;
  }
  const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(fd);
  return held;
}

bool ShmUnlink(const char* objectName) { return ::shm_unlink(objectName) == 0; }

bool ShmUnlinkIfSame(const char* objectName, const ShmIdentity& identity) {
  if (!identity.known) {
    return ShmUnlink(objectName);
  }
  int fd = ::shm_open(objectName, O_RDONLY | O_CLOEXEC, 0);
  if (fd < 0) {
    return false;
  }
  struct stat st;
  bool same = ::fstat(fd, &st) == 0 && st.st_dev == identity.device && st.st_ino == identity.inode;
  ::close(fd);
  if (!same) {
    errno = ESTALE;
    return false;
  }
  return ShmUnlink(objectName);
}

}  // namespace platform
