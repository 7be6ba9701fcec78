#include "bridge/RefusalLog.h"

#include "common/TextFcns.h"

void RefusalLog::PrintLocked(const char* text, long heldBack, bool textNew) {
  if (!textNew) {
    std::fprintf(out_, "tarnel-bridge: %ld more in the last minute like: %s\n", heldBack, text);
  } else if (heldBack > 0) {
    std::fprintf(out_, "tarnel-bridge: %s (%ld more like it since the last report)\n", text, heldBack);
  } else {
    std::fprintf(out_, "tarnel-bridge: %s (repeats are counted and reported once a minute)\n", text);
  }
  std::fflush(out_);
  printed_++;
}

bool RefusalLog::Report(Kind kind, int slot, int64_t nowMs, const char* text) {
  if (kind < 0 || kind >= kKinds) return false;
  const int s = ((slot % kSlots) + kSlots) % kSlots;
  const std::lock_guard<std::mutex> lock(mutex_);
  Slot& entry = slots_[kind][s];
  if (entry.used && nowMs - entry.printedAtMs < kIntervalMs) {
    entry.heldBack++;
    heldBackTotal_++;
    CopyBounded(entry.text, text, sizeof entry.text);
    return false;
  }
  CopyBounded(entry.text, text, sizeof entry.text);
  PrintLocked(entry.text, entry.heldBack, true);
  entry.used = true;
  entry.printedAtMs = nowMs;
  entry.heldBack = 0;
  return true;
}

void RefusalLog::Flush(int64_t nowMs) {
  const std::lock_guard<std::mutex> lock(mutex_);
  for (auto& kind : slots_) {
    for (Slot& entry : kind) {
      if (!entry.used || entry.heldBack == 0 || nowMs - entry.printedAtMs < kIntervalMs) continue;
      PrintLocked(entry.text, entry.heldBack, false);
      entry.printedAtMs = nowMs;
      entry.heldBack = 0;
    }
  }
}
