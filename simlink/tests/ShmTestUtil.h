// Helpers for tests of the shared-memory segments: a unique name prefix per
// test, raw (uncounted) access to an object as another program would have it,
// and child processes.
#pragma once

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "platform/SharedMemory.h"
#include "tests/support/ShmTestPrefix.h"

namespace shm_test {

// "/" + the current prefix + the mapping name.
inline std::string ObjectName(const char* mapping) {
  char name[platform::kShmObjectNameSize];
  platform::ShmObjectName(mapping, name, sizeof name);
  return name;
}

inline bool Exists(const char* mapping) {
  int fd = ::shm_open(ObjectName(mapping).c_str(), O_RDONLY, 0);
  if (fd < 0) {
    return false;
  }
  ::close(fd);
  return true;
}

// Size of the object, or -1 when there is none.
inline long long ObjectSize(const char* mapping) {
  int fd = ::shm_open(ObjectName(mapping).c_str(), O_RDONLY, 0);
  if (fd < 0) {
    return -1;
  }
  struct stat st;
  long long size = ::fstat(fd, &st) == 0 ? static_cast<long long>(st.st_size) : -1;
  ::close(fd);
  return size;
}

// Gives the test a prefix of its own; removes what the test left behind.
class ScopedPrefix {
 public:
  explicit ScopedPrefix(std::vector<std::string> mappings = {"GenericSimSharedMemory", "TrnShmSpace"})
      : prefix_(test_support::UseUniqueShmPrefix()), mappings_(std::move(mappings)) {}
  ~ScopedPrefix() {
    for (const std::string& m : mappings_) {
      ::shm_unlink(ObjectName(m.c_str()).c_str());
    }
  }
  ScopedPrefix(const ScopedPrefix&) = delete;
  ScopedPrefix& operator=(const ScopedPrefix&) = delete;
  const std::string& Prefix() const { return prefix_; }

 private:
  std::string prefix_;
  std::vector<std::string> mappings_;
};

// A view of an object mapped directly, as a foreign program would: not
// counted as a user, never created.
class RawView {
 public:
  // Maps the existing object (all of it); Ok() is false when there is none.
  explicit RawView(const char* mapping) {
    int fd = ::shm_open(ObjectName(mapping).c_str(), O_RDWR, 0);
    if (fd < 0) {
      return;
    }
    struct stat st;
    if (::fstat(fd, &st) == 0 && st.st_size > 0) {
      void* p = ::mmap(nullptr, static_cast<size_t>(st.st_size), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      if (p != MAP_FAILED) {
        base_ = static_cast<uint8_t*>(p);
        size_ = static_cast<size_t>(st.st_size);
      }
    }
    ::close(fd);
  }
  ~RawView() {
    if (base_ != nullptr) {
      ::munmap(base_, size_);
    }
  }
  RawView(const RawView&) = delete;
  RawView& operator=(const RawView&) = delete;
  bool Ok() const { return base_ != nullptr; }
  uint8_t* Base() const { return base_; }
  size_t Size() const { return size_; }
  int32_t I32(uint32_t offset) const {
    int32_t v;
    std::memcpy(&v, base_ + offset, sizeof v);
    return v;
  }
  uint32_t U32(uint32_t offset) const {
    uint32_t v;
    std::memcpy(&v, base_ + offset, sizeof v);
    return v;
  }

 private:
  uint8_t* base_ = nullptr;
  size_t size_ = 0;
};

// Creates an object directly (zero bytes, mode 0600); false when it exists.
inline bool CreateRaw(const char* mapping, size_t size) {
  int fd = ::shm_open(ObjectName(mapping).c_str(), O_CREAT | O_EXCL | O_RDWR, 0600);
  if (fd < 0) {
    return false;
  }
  bool ok = ::ftruncate(fd, static_cast<off_t>(size)) == 0;
  ::close(fd);
  return ok;
}

// Runs body in a forked child, which exits with body's result without
// running anything else of the test program. Returns the child's pid.
inline pid_t StartChild(const std::function<int()>& body) {
  pid_t pid = ::fork();
  if (pid == 0) {
    int code = body();
    ::_exit(code);
  }
  return pid;
}

// The child's exit status, or -1 when it did not exit normally.
inline int WaitChild(pid_t pid) {
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0) {
    if (errno != EINTR) {
      return -1;
    }
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// A pipe; each end closed once.
struct Pipe {
  int fds[2] = {-1, -1};
  Pipe() {
    if (::pipe(fds) != 0) {
      fds[0] = fds[1] = -1;
    }
  }
  ~Pipe() {
    CloseRead();
    CloseWrite();
  }
  Pipe(const Pipe&) = delete;
  Pipe& operator=(const Pipe&) = delete;
  void CloseRead() {
    if (fds[0] >= 0) {
      ::close(fds[0]);
      fds[0] = -1;
    }
  }
  void CloseWrite() {
    if (fds[1] >= 0) {
      ::close(fds[1]);
      fds[1] = -1;
    }
  }
  // Blocks until a byte arrives (its value) or every write end is closed (-1).
  int ReadByte() {
    unsigned char c;
    for (;;) {
      ssize_t n = ::read(fds[0], &c, 1);
      if (n == 1) {
        return c;
      }
      if (n == 0 || errno != EINTR) {
        return -1;
      }
    }
  }
  bool WriteByte(unsigned char c) { return ::write(fds[1], &c, 1) == 1; }
};

}  // namespace shm_test
