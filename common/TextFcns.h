// Bounded text helpers on NUL-terminated buffers. Every function accepts a
// null pointer and then does nothing (returning null, false or 0).
#pragma once

#include <cstddef>

// Copies at most size - 1 characters and always terminates at index size - 1.
char* CopyBounded(char* destination, const char* source, std::size_t size);
// Clears the destination, then prints with vsnprintf; a cut result ends at size - 1.
char* FormatBounded(char* destination, std::size_t size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));
bool IsEmptyText(const char* text);
// Compares the first 999 characters of each text with every blank removed.
bool EqualIgnoringSpaces(const char* a, const char* b);
// A whole decimal number within low..high and nothing after it.
bool ParseWholeNumber(const char* text, long low, long high, long* out);

char* CutAtNewline(char* text);
char* CutAtChar(char* text, char c);
// First character that is not a blank (tabs are not skipped).
char* SkipSpaces(char* text);
// Removes every blank; the text may hold at most 1023 characters.
char* RemoveSpaces(char* text);
char* TabsToSpaces(char* text);
// Replaces each run of c by a single c; the result holds at most 1023 characters.
char* SqueezeChar(char* text, char c);
