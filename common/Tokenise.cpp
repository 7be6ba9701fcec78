#include "common/Tokenise.h"

#include <cstring>

#include "common/RevisionString.h"

namespace {
RevisionLines gRevisions("%Z% Tokenise QX_P_0511_03 Tokenise.cpp $Revision: 1.2 $",
                         "%Z% Tokenise QX_P_0511_03 Tokenise.h $Revision: 1.1 $");
}  // namespace

int SplitTokens(char* text, const char* delimiters, char** slots) {
  gRevisions.RegisterOnce();
  if (text == nullptr || delimiters == nullptr || slots == nullptr) {
    return 0;
  }
  char* state = nullptr;
  int i = 0;
  slots[i] = strtok_r(text, delimiters, &state);
  while (slots[i] != nullptr) {
    i++;
    slots[i] = strtok_r(nullptr, delimiters, &state);
  }
  return i;
}

int SplitTokensBounded(char* text, const char* delimiters, char** slots, int count) {
  gRevisions.RegisterOnce();
  if (text == nullptr || delimiters == nullptr || slots == nullptr) {
    return 0;
  }
  char* state = nullptr;
  if (count < 1) {
    slots[0] = nullptr;
    return 0;
  }
  slots[0] = strtok_r(text, delimiters, &state);
  if (slots[0] == nullptr) {
    slots[1] = nullptr;
    return 1;
  }
  int i = 1;
  for (;;) {
    slots[i] = strtok_r(nullptr, delimiters, &state);
    if (slots[i] == nullptr || i >= count) {
      return i;
    }
    i++;
  }
}
