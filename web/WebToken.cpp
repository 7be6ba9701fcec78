#include "web/WebToken.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace web {

namespace {

bool Fail(char* error, std::size_t errorSize, const char* path, const char* reason) {
  if (error != nullptr && errorSize > 0) std::snprintf(error, errorSize, "token file %s: %s", path, reason);
  return false;
}

bool SameConstantTime(const char* a, std::size_t aSize, const char* b, std::size_t bSize) {
  unsigned diff = aSize == bSize ? 0u : 1u;
  for (std::size_t i = 0; i < aSize; i++) {
    diff |= static_cast<unsigned char>(a[i]) ^ static_cast<unsigned char>(b[i < bSize ? i : 0]);
  }
  return diff == 0 && bSize > 0;
}

}  // namespace

bool WebToken::Load(const char* path, char* error, std::size_t errorSize) {
  length_ = 0;
  const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
  if (fd < 0) return Fail(error, errorSize, path, std::strerror(errno));
  struct stat st = {};
  char text[kMaxLength + 64];
  ssize_t got = -1;
  const char* problem = nullptr;
  if (::fstat(fd, &st) != 0) {
    problem = std::strerror(errno);
  } else if (!S_ISREG(st.st_mode)) {
    problem = "not a regular file";
  } else if (st.st_uid != ::geteuid()) {
    problem = "not owned by the station's user";
  } else if ((st.st_mode & 077) != 0) {
    problem = "readable or writable by others (chmod 600 it)";
  } else {
    got = ::read(fd, text, sizeof text - 1);
    if (got < 0) problem = std::strerror(errno);
  }
  ::close(fd);
  if (problem != nullptr) return Fail(error, errorSize, path, problem);
  const std::size_t size = got > 0 ? std::size_t(got) : 0;
  text[size < sizeof text ? size : sizeof text - 1] = '\0';
  std::size_t end = 0;
  while (end < size && text[end] != '\n' && text[end] != '\r') end++;
  std::size_t begin = 0;
  while (begin < end && (text[begin] == ' ' || text[begin] == '\t')) begin++;
  while (end > begin && (text[end - 1] == ' ' || text[end - 1] == '\t')) end--;
  const std::size_t length = end - begin;
  if (length < kMinLength || length > kMaxLength) {
    return Fail(error, errorSize, path, "the token on its first line must be 8 to 128 characters long");
  }
  for (std::size_t i = begin; i < end; i++) {
    if (static_cast<unsigned char>(text[i]) < 0x21 || static_cast<unsigned char>(text[i]) > 0x7E) {
      return Fail(error, errorSize, path, "the token must be printable characters without blanks");
    }
  }
  std::memcpy(token_, text + begin, length);
  token_[length] = '\0';
  length_ = length;
  return true;
}

bool WebToken::Matches(const char* candidate, std::size_t size) const {
  return length_ > 0 && candidate != nullptr && SameConstantTime(token_, length_, candidate, size);
}

bool WebSessions::Create(char* id) {
  unsigned char random[kIdLength / 2];
  std::size_t filled = 0;
  while (filled < sizeof random) {
    const ssize_t got = ::getrandom(random + filled, sizeof random - filled, 0);
    if (got <= 0) {
      if (got < 0 && errno == EINTR) continue;
      return false;
    }
    filled += std::size_t(got);
  }
  static constexpr char kHex[] = "0123456789abcdef";
  for (std::size_t i = 0; i < sizeof random; i++) {
    id[2 * i] = kHex[random[i] >> 4];
    id[2 * i + 1] = kHex[random[i] & 15];
  }
  id[kIdLength] = '\0';
  std::lock_guard<std::mutex> guard(lock_);
  std::memcpy(ids_[next_], id, kIdLength + 1);
  next_ = (next_ + 1) % kCapacity;
  return true;
}

bool WebSessions::Contains(const char* id, std::size_t size) const {
  if (id == nullptr || size != kIdLength) return false;
  std::lock_guard<std::mutex> guard(lock_);
  bool found = false;
  for (const auto& known : ids_) {
    if (known[0] != '\0' && SameConstantTime(known, kIdLength, id, size)) found = true;
  }
  return found;
}

}  // namespace web
