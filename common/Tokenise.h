// Splitting a line into tokens in place; the delimiters are a set of characters.
#pragma once

// Stores every token in consecutive slots and ends with a null slot.
// The caller provides enough slots. Returns the number of tokens.
int SplitTokens(char* text, const char* delimiters, char** slots);
// As SplitTokens, but stops once slot count has been filled; the caller
// provides count + 1 slots. Returns the index of the last slot written.
int SplitTokensBounded(char* text, const char* delimiters, char** slots, int count);
