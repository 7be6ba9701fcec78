// Reports of refused input (samples from the network, the middleware's own
// warnings) bounded in number: each kind of refusal is printed at most once
// per slot (an area, or a middleware call site) per minute; the refusals held
// back meanwhile are counted and their number printed with the next report,
// or once the minute is over. Safe to call from the middleware's threads.
#pragma once

#include <cstdint>
#include <cstdio>
#include <mutex>

class RefusalLog {
 public:
  static constexpr int64_t kIntervalMs = 60000;
  enum Kind { kUnknownArea, kUndeclaredFields, kForeignWriter, kMiddleware, kKinds };
  static constexpr int kSlots = 40;  // areas, and one for "any other"
  static constexpr std::size_t kTextSize = 320;

  explicit RefusalLog(std::FILE* out) : out_(out) {}

  // One refusal of kind in slot (taken modulo kSlots) at nowMs, described by
  // text (one line, no newline). Returns true when it was printed.
  bool Report(Kind kind, int slot, int64_t nowMs, const char* text);
  // Prints the count of refusals held back in slots whose minute is over.
  void Flush(int64_t nowMs);
  // Refusals printed and held back so far (for the tests).
  long Printed() const { return printed_; }
  long HeldBack() const { return heldBackTotal_; }

 private:
  struct Slot {
    bool used = false;
    int64_t printedAtMs = 0;
    long heldBack = 0;
    char text[kTextSize] = {};
  };
  void PrintLocked(const char* text, long heldBack, bool textNew);

  std::FILE* out_;
  std::mutex mutex_;
  Slot slots_[kKinds][kSlots];
  long printed_ = 0;
  long heldBackTotal_ = 0;
};
