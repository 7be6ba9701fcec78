// Single-access loads and stores of shared fields: a reader on another thread
// never sees a half-written value, at an aligned offset (the iteration count
// at 0x0814) nor at an unaligned one.
#include "simlink/SharedField.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <thread>

#include "simlink/GenericArea.h"

namespace {

// The writer toggles the field between 255 and 256, the step at which a
// bytewise write shows 0 (low byte already 0, high byte still 0) or 511.
// Returns the number of values the reader saw that were neither.
int TornReads(uint8_t* field) {
  shared_field::Store<uint32_t>(field, 255);
  std::atomic<bool> done{false};
  std::atomic<int> reads{0};
  int torn = 0;
  std::thread reader([&] {
    while (!done.load(std::memory_order_relaxed)) {
      const uint32_t seen = shared_field::Load<uint32_t>(field);
      torn += seen != 255 && seen != 256 ? 1 : 0;
      reads.fetch_add(1, std::memory_order_relaxed);
    }
  });
  // Write until the reader has had a fair chance to look in between.
  for (int i = 0; i < 2000000 || reads.load(std::memory_order_relaxed) < 100000; i++) {
    shared_field::Store<uint32_t>(field, (i & 1) != 0 ? 255u : 256u);
  }
  done = true;
  reader.join();
  return torn;
}

TEST(SharedField, ReaderNeverSeesATornCountAcross255To256) {
  alignas(8) static uint8_t area[0x0820] = {};
  EXPECT_EQ(0, TornReads(area + generic_area::kIterationCount));
  // A field off its natural alignment is still written in one access.
  EXPECT_EQ(0, TornReads(area + 0x0801));
}

TEST(SharedField, ValuesRoundTripLittleEndianAtAnyAlignment) {
  alignas(8) uint8_t bytes[12] = {};
  shared_field::Store<int32_t>(bytes + 1, -2);
  EXPECT_EQ(-2, shared_field::Load<int32_t>(bytes + 1));
  EXPECT_EQ(0xFE, bytes[1]);
  EXPECT_EQ(0xFF, bytes[4]);
  EXPECT_EQ(0, bytes[5]) << "no byte beyond the field is touched";
  shared_field::Store<uint32_t>(bytes + 8, 0x01020304u);
  EXPECT_EQ(4, bytes[8]);
  EXPECT_EQ(1, bytes[11]);
  shared_field::Store<float>(bytes + 6, 1.5f);
  EXPECT_EQ(1.5f, shared_field::Load<float>(bytes + 6));
  shared_field::Store<uint16_t>(bytes + 3, 0xBEEF);
  EXPECT_EQ(0xBEEF, shared_field::Load<uint16_t>(bytes + 3));
}

}  // namespace
