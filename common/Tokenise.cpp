#include "common/Tokenise.h"

#include <cstring>

int SplitTokens(char* text, const char* delimiters, char** slots) {
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
