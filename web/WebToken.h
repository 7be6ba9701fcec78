// Who may operate the panel: the operating token read from a file only the
// station's user can read, and the sessions handed to browsers that
// presented it (random ids in an HttpOnly cookie). Watching needs neither.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>

namespace web {

class WebToken {
 public:
  static constexpr std::size_t kMinLength = 8;
  static constexpr std::size_t kMaxLength = 128;

  // Reads the token: the file's first line without surrounding blanks. The
  // file must be a regular file owned by this user and readable by nobody
  // else. False with a text naming the file and the reason otherwise.
  bool Load(const char* path, char* error, std::size_t errorSize);
  bool IsSet() const { return length_ > 0; }
  // Compares in time independent of where the texts differ.
  bool Matches(const char* candidate, std::size_t size) const;

 private:
  char token_[kMaxLength + 1] = {};
  std::size_t length_ = 0;
};

// The sessions of browsers that presented the token; the oldest is replaced
// when all are taken. Thread-safe.
class WebSessions {
 public:
  static constexpr int kCapacity = 64;
  static constexpr std::size_t kIdLength = 32;  // hex digits of 128 random bits

  // A new session id into id (kIdLength + 1 bytes). False when the system
  // gives no random bytes.
  bool Create(char* id);
  bool Contains(const char* id, std::size_t size) const;

 private:
  mutable std::mutex lock_;
  char ids_[kCapacity][kIdLength + 1] = {};
  int next_ = 0;
};

}  // namespace web
