#include "web/WebMessage.h"

#include <cstdio>
#include <cstring>

namespace web {

namespace {

struct Verb {
  const char* word;
  PointerAction action;
};
constexpr Verb kVerbs[] = {{"down", PointerAction::Down},
                           {"up", PointerAction::Up},
                           {"move", PointerAction::Move},
                           {"rdown", PointerAction::RightDown},
                           {"rup", PointerAction::RightUp}};

// A decimal number of at most 5 digits, no sign.
bool ReadNumber(const char* data, std::size_t size, std::size_t* at, int* value) {
  int v = 0;
  std::size_t digits = 0;
  while (*at < size && data[*at] >= '0' && data[*at] <= '9' && digits < 5) {
    v = v * 10 + (data[*at] - '0');
    (*at)++;
    digits++;
  }
  if (digits == 0 || (*at < size && data[*at] >= '0' && data[*at] <= '9')) return false;
  *value = v;
  return true;
}

bool Fail(char* error, std::size_t errorSize, const char* reason) {
  if (error != nullptr && errorSize > 0) std::snprintf(error, errorSize, "%s", reason);
  return false;
}

}  // namespace

bool DecodeClientMessage(const char* data, std::size_t size, int width, int height, PointerEvent* out, char* error,
                         std::size_t errorSize) {
  if (data == nullptr || size == 0) return Fail(error, errorSize, "empty message");
  if (size > kMaxClientMessage) return Fail(error, errorSize, "message too long");
  std::size_t word = 0;
  while (word < size && data[word] != ' ') word++;
  const Verb* verb = nullptr;
  for (const Verb& v : kVerbs) {
    if (std::strlen(v.word) == word && std::memcmp(v.word, data, word) == 0) verb = &v;
  }
  if (verb == nullptr) return Fail(error, errorSize, "unknown message");
  std::size_t at = word;
  int x = 0;
  int y = 0;
  if (at >= size || data[at++] != ' ' || !ReadNumber(data, size, &at, &x) || at >= size || data[at++] != ' ' ||
      !ReadNumber(data, size, &at, &y) || at != size) {
    return Fail(error, errorSize, "malformed pointer message");
  }
  if (x >= width || y >= height) return Fail(error, errorSize, "point outside the picture");
  out->action = verb->action;
  out->x = static_cast<int16_t>(x);
  out->y = static_cast<int16_t>(y);
  return true;
}

}  // namespace web
