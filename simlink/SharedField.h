// Loads and stores of one multi-byte field of a shared-memory segment, each
// in a single access, so that a reader in another process never sees half of
// a value being written. Fields are little-endian, as on the machines that
// share the segments. An aligned field is accessed atomically (relaxed); an
// unaligned one with one plain access of its width.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

namespace shared_field {

template <class T>
inline bool IsAligned(const volatile void* p) {
  return reinterpret_cast<uintptr_t>(p) % alignof(T) == 0;
}

// T: an integer or float type of 1, 2 or 4 bytes.
template <class T>
inline T Load(const uint8_t* p) {
  static_assert(std::is_trivially_copyable_v<T> && (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4));
  using Bits = std::conditional_t<sizeof(T) == 1, uint8_t, std::conditional_t<sizeof(T) == 2, uint16_t, uint32_t>>;
  Bits bits;
  if (IsAligned<Bits>(p)) {
    bits = __atomic_load_n(reinterpret_cast<const Bits*>(p), __ATOMIC_RELAXED);
  } else {
    typedef Bits __attribute__((aligned(1), may_alias)) Unaligned;
    bits = *reinterpret_cast<const volatile Unaligned*>(p);
  }
  T value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

template <class T>
inline void Store(uint8_t* p, T value) {
  static_assert(std::is_trivially_copyable_v<T> && (sizeof(T) == 1 || sizeof(T) == 2 || sizeof(T) == 4));
  using Bits = std::conditional_t<sizeof(T) == 1, uint8_t, std::conditional_t<sizeof(T) == 2, uint16_t, uint32_t>>;
  Bits bits;
  std::memcpy(&bits, &value, sizeof bits);
  if (IsAligned<Bits>(p)) {
    __atomic_store_n(reinterpret_cast<Bits*>(p), bits, __ATOMIC_RELAXED);
  } else {
    typedef Bits __attribute__((aligned(1), may_alias)) Unaligned;
    *reinterpret_cast<volatile Unaligned*>(p) = bits;
  }
}

// A field of `width` bytes (1, 2, else 4) as raw bits, zero-extended.
inline uint32_t LoadBits(const uint8_t* p, uint32_t width) {
  switch (width) {
    case 1:
      return Load<uint8_t>(p);
    case 2:
      return Load<uint16_t>(p);
    default:
      return Load<uint32_t>(p);
  }
}

// Stores the low bits of `bits` that fit a field of `width` bytes.
inline void StoreBits(uint8_t* p, uint32_t width, uint32_t bits) {
  switch (width) {
    case 1:
      Store<uint8_t>(p, static_cast<uint8_t>(bits));
      break;
    case 2:
      Store<uint16_t>(p, static_cast<uint16_t>(bits));
      break;
    default:
      Store<uint32_t>(p, bits);
      break;
  }
}

}  // namespace shared_field
