#include "common/TextFcns.h"

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "common/RevisionString.h"

namespace {
const char kIdSource[] = "%Z% TextFcns QX_P_0511_01 TextFcns.cpp $Revision: 1.4 $";
const char kIdHeader[] = "%Z% TextFcns QX_P_0511_01 TextFcns.h $Revision: 1.2 $";
RevisionLines gRevisions(kIdSource, kIdHeader);
}  // namespace

char* CopyBounded(char* destination, const char* source, std::size_t size) {
  if (destination == nullptr || source == nullptr || size == 0) {
    return destination;
  }
  gRevisions.RegisterOnce();
  std::size_t n = 0;
  while (n + 1 < size && source[n] != '\0') {
    n++;
  }
  // memmove: callers sometimes copy a text onto itself shifted (e.g. SkipSpaces results).
  std::memmove(destination, source, n);
  destination[n] = '\0';
  // The destination is always terminated at index size - 1 too, whatever
  // the source's length, so a fixed field never keeps a stale last byte.
  destination[size - 1] = '\0';
  return destination;
}

char* FormatBounded(char* destination, std::size_t size, const char* format, ...) {
  if (destination == nullptr || format == nullptr || size == 0) {
    return destination;
  }
  std::memset(destination, 0, size);
  va_list args;
  va_start(args, format);
  int printed = std::vsnprintf(destination, size, format, args);
  va_end(args);
  if (printed < 0 || static_cast<std::size_t>(printed) >= size) {
    destination[size - 1] = '\0';
  } else {
    destination[printed] = '\0';
  }
  return destination;
}

bool IsEmptyText(const char* text) { return text != nullptr && text[0] == '\0'; }

bool ParseWholeNumber(const char* text, long low, long high, long* out) {
  if (text == nullptr || *text == '\0' || out == nullptr) return false;
  char* end = nullptr;
  errno = 0;
  const long v = std::strtol(text, &end, 10);
  if (errno != 0 || end == text || *end != '\0' || v < low || v > high) return false;
  *out = v;
  return true;
}

bool EqualIgnoringSpaces(const char* a, const char* b) {
  if (a == nullptr || b == nullptr) {
    return false;
  }
  char left[1000];
  char right[1000];
  CopyBounded(left, a, sizeof left);
  CopyBounded(right, b, sizeof right);
  RemoveSpaces(left);
  RemoveSpaces(right);
  return std::strcmp(left, right) == 0;
}

char* CutAtNewline(char* text) { return CutAtChar(text, '\n'); }

char* CutAtChar(char* text, char c) {
  if (text == nullptr) {
    return nullptr;
  }
  char* at = std::strchr(text, c);
  if (at != nullptr) {
    *at = '\0';
  }
  return text;
}

char* SkipSpaces(char* text) {
  if (text == nullptr) {
    return nullptr;
  }
  while (*text == ' ') {
    text++;
  }
  return text;
}

char* RemoveSpaces(char* text) {
  if (text == nullptr) {
    return nullptr;
  }
  char work[1024];
  std::size_t out = 0;
  for (std::size_t i = 0; text[i] != '\0' && out + 1 < sizeof work; i++) {
    if (text[i] != ' ') {
      work[out++] = text[i];
    }
  }
  work[out] = '\0';
  // The result is never longer than the text it came from.
  std::memcpy(text, work, out + 1);
  return text;
}

char* TabsToSpaces(char* text) {
  if (text == nullptr) {
    return nullptr;
  }
  for (char* p = text; *p != '\0'; p++) {
    if (*p == '\t') {
      *p = ' ';
    }
  }
  return text;
}

char* SqueezeChar(char* text, char c) {
  if (text == nullptr) {
    return nullptr;
  }
  char work[1024];
  std::size_t out = 0;
  for (std::size_t i = 0; text[i] != '\0' && out + 1 < sizeof work; i++) {
    if (text[i] == c && out > 0 && work[out - 1] == c) {
      continue;
    }
    work[out++] = text[i];
  }
  work[out] = '\0';
  std::memcpy(text, work, out + 1);
  return text;
}
