#include "platform/SharedMemory.h"

#include <fcntl.h>
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
  if (out == nullptr || size == 0) {
    return false;
  }
  out[0] = '\0';
  if (name == nullptr) {
    return false;
  }
  const char* prefix = std::getenv("TARNEL_SHM_PREFIX");
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

int ShmCreateExclusive(const char* objectName, std::size_t size) {
  int fd = ::shm_open(objectName, O_CREAT | O_EXCL | O_RDWR | O_CLOEXEC, S_IRUSR | S_IWUSR);
  if (fd < 0) {
    return -1;
  }
  // The umask may have taken bits away: the owner must read and write, and
  // nobody else may open the object.
  if (::fchmod(fd, S_IRUSR | S_IWUSR) != 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) {
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
