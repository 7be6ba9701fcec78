// The steps GenericSimShm and CTrnShm share: attach or create, the version
// text and the user count. Internal to simlink.
//
// Safer than plain reads and writes of the shared bytes:
// - A program that loses a creation race (its Attach found nothing, but its
//   exclusive Create found the name taken) attaches instead of clearing the
//   segment a second time.
// - The creator writes the user count and then the version text, its first
//   byte last with release ordering; an attacher waits, bounded, while that
//   byte is still zero before it compares, so it never compares a version the
//   creator has not finished writing.
// - The user count is changed with atomic read-modify-write operations on the
//   int32 at its offset (layout unchanged).
#pragma once

#include <cstdint>

#include "simlink/BaseSharedMemory.h"

namespace simlink_detail {

// Bytes 0 to 63 of each segment hold its version text, zero-padded.
constexpr uint32_t kVersionBytes = 64;
// How long an attacher waits for the creator's version text, and how often it looks.
constexpr int kVersionWaitMs = 1000;
constexpr int kVersionPollMs = 5;

enum class Opened { kAttached, kCreated, kFailed };

// Attach; when that fails, Create(size); when the name was taken meanwhile
// (a lost creation race), Attach again.
Opened AttachOrCreate(BaseSharedMemory& shm, uint32_t size);

// Sets the report text for a segment that could be neither attached nor
// created: method, new line, strerror of the last error (or, for a failure
// that is not the system's, such as an undersized object, the base's text).
void ReportOpenFailure(BaseSharedMemory& shm, const char* method);

// Waits while the first version byte is zero, at most kVersionWaitMs.
void WaitForVersion(const uint8_t* base);
// The text in bytes 0 to 63, up to the first zero byte (all 64 bytes when
// there is none), equals version exactly.
bool VersionMatches(const uint8_t* base, const char* version);
// Writes at most 64 characters of version into bytes 0 to 63, zero-filled,
// byte 0 last with release ordering.
void PublishVersion(uint8_t* base, const char* version);

// The user count, signed 32-bit at base + offset (4-byte aligned).
int32_t LoadUserCount(const uint8_t* base, uint32_t offset);
void StoreUserCount(uint8_t* base, uint32_t offset, int32_t value);
// Adds one user; returns the new count.
int32_t AddUser(uint8_t* base, uint32_t offset);
// Takes one user away: true when this was the last user (the count was 1 or
// less; it is then set to 0), false when others remain (count decremented).
bool RemoveUser(uint8_t* base, uint32_t offset);

}  // namespace simlink_detail
