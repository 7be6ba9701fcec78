#include "platform/PassLog.h"

#include <cstdint>

namespace platform {

namespace {

bool Same(const BitmapCopy& a, const BitmapCopy& b) {
  return a.bitmap == b.bitmap && a.x == b.x && a.y == b.y && a.area.left == b.area.left &&
         a.area.top == b.area.top && a.area.right == b.area.right && a.area.bottom == b.area.bottom;
}

}  // namespace

void PassLog::Begin() {
  current_ ^= 1;
  count_[current_] = 0;
  segmentCount_[current_] = 0;
  currentValid_ = true;
}

void PassLog::BeginSegment(int key) {
  int& count = segmentCount_[current_];
  if (count < kMaxSegments) {
    segments_[current_][count++] = Segment{key, count_[current_]};
  } else {
    // No room for the mark: the copies from here on would count as the last
    // kept part's, so no later pass may repeat that part.
    segments_[current_][kMaxSegments - 1].key = -1;
  }
}

bool PassLog::RepeatSegment(int key) {
  if (!previousValid_ || !currentValid_ || key < 0) {
    return false;
  }
  const int before = current_ ^ 1;
  for (int i = 0; i < segmentCount_[before]; i++) {
    if (segments_[before][i].key != key) {
      continue;
    }
    const int first = segments_[before][i].first;
    const int end = i + 1 < segmentCount_[before] ? segments_[before][i + 1].first : count_[before];
    if (end - first > kMaxCopies - count_[current_] || segmentCount_[current_] >= kMaxSegments) {
      return false;
    }
    BeginSegment(key);
    for (int c = first; c < end; c++) {
      copies_[current_][count_[current_]++] = copies_[before][c];
    }
    return true;
  }
  return false;
}

bool PassLog::Record(const BitmapCopy& copy) {
  int& count = count_[current_];
  if (count >= kMaxCopies) {
    currentValid_ = false;
    return false;
  }
  copies_[current_][count++] = copy;
  return true;
}

int PassLog::FindSlot(const BitmapCopy& copy) const {
  auto hash = static_cast<uint64_t>(reinterpret_cast<uintptr_t>(copy.bitmap));
  hash ^= static_cast<uint64_t>(static_cast<uint32_t>(copy.area.left)) * 0x9E3779B97F4A7C15ull;
  hash ^= static_cast<uint64_t>(static_cast<uint32_t>(copy.area.top)) * 0xC2B2AE3D27D4EB4Full;
  hash ^= hash >> 29;
  auto index = static_cast<int>(hash & (kTableSize - 1));
  // Linear probing; the table is at most half full, so a free slot is near.
  while (table_[index].generation == generation_ && !Same(table_[index].key, copy)) {
    index = (index + 1) & (kTableSize - 1);
  }
  return index;
}

bool PassLog::Compare(DamageList& damage) {
  if (!previousValid_ || !currentValid_) {
    return false;
  }
  const BitmapCopy* before = copies_[current_ ^ 1];
  const BitmapCopy* now = copies_[current_];
  int beforeEnd = count_[current_ ^ 1];
  int nowEnd = count_[current_];
  // Most passes repeat the previous one: the same copies at both ends match
  // in place, and only the part between them is looked at further.
  int first = 0;
  while (first < beforeEnd && first < nowEnd && Same(before[first], now[first])) {
    first++;
  }
  while (beforeEnd > first && nowEnd > first &&
         Same(before[beforeEnd - 1], now[nowEnd - 1])) {
    beforeEnd--;
    nowEnd--;
  }
  if (first == beforeEnd && first == nowEnd) {
    return true;
  }
  if (++generation_ == 0) {
    // The counter wrapped: forget every slot once.
    for (Slot& slot : table_) {
      slot.generation = 0;
    }
    generation_ = 1;
  }
  // Chain the previous copies between the ends by key, each chain in pass order.
  for (int i = beforeEnd - 1; i >= first; i--) {
    Slot& slot = table_[FindSlot(before[i])];
    if (slot.generation != generation_) {
      slot = Slot{generation_, -1, before[i]};
    }
    next_[i] = slot.head;
    slot.head = i;
    matched_[i] = false;
  }
  // Match each copy with the earliest unmatched previous copy of its key; the
  // matched copies must keep their order, so that wherever every covering
  // copy is matched the last one is the same.
  int lastMatched = -1;
  for (int i = first; i < nowEnd; i++) {
    const BitmapCopy& copy = now[i];
    Slot& slot = table_[FindSlot(copy)];
    if (slot.generation == generation_ && slot.head >= 0) {
      const int match = slot.head;
      slot.head = next_[match];
      matched_[match] = true;
      if (match < lastMatched) {
        return false;
      }
      lastMatched = match;
    } else {
      damage.Add(copy.area);
    }
  }
  for (int i = first; i < beforeEnd; i++) {
    if (!matched_[i]) {
      damage.Add(before[i].area);
    }
  }
  return true;
}

void PassLog::End() { previousValid_ = currentValid_; }

}  // namespace platform
