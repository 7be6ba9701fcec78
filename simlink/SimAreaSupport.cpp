#include "simlink/SimAreaSupport.h"

#include <atomic>
#include <bit>
#include <chrono>
#include <cstring>
#include <string>
#include <thread>

#include "common/RevisionString.h"

static_assert(std::endian::native == std::endian::little,
              "the segments' integers are little-endian and are read in place");

namespace simlink_detail {

namespace {

RevisionLines gRevisions("%Z% SimAreaSupport QX_P_0305_02 SimAreaSupport.cpp $Revision: 1.0 $",
                         "%Z% SimAreaSupport QX_P_0305_02 SimAreaSupport.h $Revision: 1.0 $");

std::atomic_ref<int32_t> CountAt(uint8_t* base, uint32_t offset) {
  // The count offsets (0x1C834, 0xA91B0) are multiples of 4 and the view is
  // page-aligned, as atomic_ref requires.
  return std::atomic_ref<int32_t>(*reinterpret_cast<int32_t*>(base + offset));
}

}  // namespace

Opened AttachOrCreate(BaseSharedMemory& shm, uint32_t size) {
  gRevisions.RegisterOnce();
  if (shm.Attach()) {
    return Opened::kAttached;
  }
  if (shm.Create(size)) {
    return Opened::kCreated;
  }
  if (shm.CreateFoundExisting() && shm.Attach()) {
    return Opened::kAttached;
  }
  return Opened::kFailed;
}

void ReportOpenFailure(BaseSharedMemory& shm, const char* method) {
  if (shm.GetLastErrorCode() != 0) {
    shm.Report(method, std::strerror(shm.GetLastErrorCode()));
    return;
  }
  std::string why = shm.GetFullText();
  shm.Report(method, why.c_str());
}

void WaitForVersion(const uint8_t* base) {
  for (int waited = 0; waited < kVersionWaitMs; waited += kVersionPollMs) {
    if (__atomic_load_n(base, __ATOMIC_ACQUIRE) != 0) {
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(kVersionPollMs));
  }
}

bool VersionMatches(const uint8_t* base, const char* version) {
  if (base == nullptr || version == nullptr) {
    return false;
  }
  char stored[kVersionBytes + 1];
  uint32_t n = 0;
  while (n < kVersionBytes && base[n] != 0) {
    stored[n] = static_cast<char>(base[n]);
    n++;
  }
  stored[n] = '\0';
  return std::strcmp(stored, version) == 0;
}

void PublishVersion(uint8_t* base, const char* version) {
  uint8_t bytes[kVersionBytes] = {};
  std::size_t n = version == nullptr ? 0 : std::strlen(version);
  if (n > kVersionBytes) {
    n = kVersionBytes;
  }
  if (n > 0) {
    std::memcpy(bytes, version, n);
  }
  std::memcpy(base + 1, bytes + 1, kVersionBytes - 1);
  __atomic_store_n(base, bytes[0], __ATOMIC_RELEASE);
}

int32_t LoadUserCount(const uint8_t* base, uint32_t offset) {
  return CountAt(const_cast<uint8_t*>(base), offset).load();
}

void StoreUserCount(uint8_t* base, uint32_t offset, int32_t value) { CountAt(base, offset).store(value); }

int32_t AddUser(uint8_t* base, uint32_t offset) { return CountAt(base, offset).fetch_add(1) + 1; }

bool RemoveUser(uint8_t* base, uint32_t offset) {
  std::atomic_ref<int32_t> count = CountAt(base, offset);
  int32_t before = count.load();
  // Decrement only while others remain; the last user sets 0 (also over a
  // count that went wrong), in one atomic step each time.
  for (;;) {
    int32_t after = before > 1 ? before - 1 : 0;
    if (count.compare_exchange_weak(before, after)) {
      return before <= 1;
    }
  }
}

}  // namespace simlink_detail
