#include "platform/SharedMemory.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sys/file.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
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

bool ShmRangeClaimed(int fd, uint64_t offset, uint64_t length) {
  struct flock probe = {};
  probe.l_type = F_WRLCK;
  probe.l_whence = SEEK_SET;
  probe.l_start = static_cast<off_t>(offset);
  probe.l_len = static_cast<off_t>(length);
  return fd >= 0 && ::fcntl(fd, F_OFD_GETLK, &probe) == 0 && probe.l_type != F_UNLCK;
}

namespace {

// "MAJOR:MINOR:INODE" as /proc/locks and fdinfo write a file's identity.
bool LockKey(int fd, char* key, std::size_t size) {
  struct stat st;
  if (::fstat(fd, &st) != 0) {
    return false;
  }
  const int n = std::snprintf(key, size, "%02x:%02x:%lu", major(st.st_dev), minor(st.st_dev),
                              static_cast<unsigned long>(st.st_ino));
  return n > 0 && static_cast<std::size_t>(n) < size;
}

// Whether a line of /proc/locks or fdinfo names the file key as a whole word.
bool NamesKey(const char* line, const char* key) {
  const std::size_t length = std::strlen(key);
  for (const char* at = std::strstr(line, key); at != nullptr; at = std::strstr(at + 1, key)) {
    const char after = at[length];
    if ((at == line || at[-1] == ' ') && (after == ' ' || after == '\n' || after == '\0')) {
      return true;
    }
  }
  return false;
}

// Whether one of the program's descriptors holds a range lock on the file.
bool ClaimsRange(pid_t pid, const char* key) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/fdinfo", static_cast<int>(pid));
  DIR* dir = ::opendir(path);
  if (dir == nullptr) {
    return false;
  }
  bool claims = false;
  char line[256];
  while (!claims) {
    const dirent* entry = ::readdir(dir);
    if (entry == nullptr) {
      break;
    }
    if (entry->d_name[0] < '0' || entry->d_name[0] > '9') {
      continue;
    }
    char file[96];
    std::snprintf(file, sizeof file, "%s/%.20s", path, entry->d_name);
    std::FILE* info = std::fopen(file, "re");
    if (info == nullptr) {
      continue;
    }
    while (!claims && std::fgets(line, sizeof line, info) != nullptr) {
      claims = std::strncmp(line, "lock:", 5) == 0 && std::strstr(line, "OFDLCK") != nullptr && NamesKey(line, key);
    }
    std::fclose(info);
  }
  ::closedir(dir);
  return claims;
}

}  // namespace

int ShmLockHolders(int fd, ShmHolder* holders, int max) {
  char key[64];
  if (holders == nullptr || max <= 0 || !LockKey(fd, key, sizeof key)) {
    return 0;
  }
  std::FILE* locks = std::fopen("/proc/locks", "re");
  if (locks == nullptr) {
    return 0;
  }
  int count = 0;
  char line[256];
  while (count < max && std::fgets(line, sizeof line, locks) != nullptr) {
    // "1: FLOCK  ADVISORY  READ 1234 00:1b:2 0 EOF": every program that has
    // the object mapped holds such a lock on it.
    char kind[16];
    int pid = 0;
    if (std::sscanf(line, "%*d: %15s %*s %*s %d", kind, &pid) != 2 || std::strcmp(kind, "FLOCK") != 0 || pid <= 0 ||
        !NamesKey(line, key)) {
      continue;
    }
    bool seen = false;
    for (int i = 0; i < count; i++) seen = seen || holders[i].pid == pid;
    if (seen) {
      continue;
    }
    ShmHolder& holder = holders[count++];
    holder = ShmHolder{};
    holder.pid = static_cast<pid_t>(pid);
    char path[64];
    std::snprintf(path, sizeof path, "/proc/%d/comm", pid);
    std::FILE* comm = std::fopen(path, "re");
    if (comm == nullptr || std::fgets(holder.program, sizeof holder.program, comm) == nullptr) {
      std::snprintf(holder.program, sizeof holder.program, "?");
    }
    if (comm != nullptr) {
      std::fclose(comm);
    }
    holder.program[std::strcspn(holder.program, "\n")] = '\0';
    holder.claims = ClaimsRange(holder.pid, key);
  }
  std::fclose(locks);
  return count;
}

void ShmDescribeHolders(int fd, bool claimersOnly, char* text, std::size_t size) {
  if (text == nullptr || size == 0) {
    return;
  }
  text[0] = '\0';
  constexpr int kMaxHolders = 16;
  ShmHolder holders[kMaxHolders];
  const int count = ShmLockHolders(fd, holders, kMaxHolders);
  bool anyClaims = false;
  for (int i = 0; i < count; i++) anyClaims = anyClaims || (holders[i].claims && holders[i].pid != ::getpid());
  std::size_t used = 0;
  for (int i = 0; i < count; i++) {
    if (holders[i].pid == ::getpid() || (claimersOnly && anyClaims && !holders[i].claims)) {
      continue;
    }
    const int n = std::snprintf(text + used, size - used, "%spid %d (%s%s)", used > 0 ? ", " : "",
                                static_cast<int>(holders[i].pid), holders[i].program,
                                !claimersOnly && holders[i].claims ? ", claims fields" : "");
    if (n < 0 || static_cast<std::size_t>(n) >= size - used) {
      break;
    }
    used += static_cast<std::size_t>(n);
  }
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
