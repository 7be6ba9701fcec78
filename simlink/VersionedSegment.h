// A named segment that carries its layout's version text in bytes 0 to 63 and
// a count of the programs using it: the common start-up and release of the
// generic simulation area and the training interface area.
//
// Open attaches or creates the segment, checks the version and counts this
// program as a user; the destructor uncounts it and, for the last user,
// removes the name and detaches. Creation is exclusive, a program that loses
// a creation race attaches, an attacher waits (bounded) for the creator's
// version text, and the user count is changed atomically: see
// BaseSharedMemory.h and SimAreaSupport.h.
#pragma once

#include <cstdint>

#include "simlink/BaseSharedMemory.h"

class VersionedSegment : public BaseSharedMemory {
 public:
  static constexpr uint32_t kVersionOffset = 0x0000;
  static constexpr uint32_t kVersionBytes = 64;

  // Only when attached with the version ok: uncounts the user; the last user
  // sets the count to 0, removes the name and detaches.
  ~VersionedSegment() override;
  VersionedSegment(const VersionedSegment&) = delete;
  VersionedSegment& operator=(const VersionedSegment&) = delete;

  // Attached and version ok: the only test callers make.
  bool IsValid() const { return attached_ && versionOk_; }
  // The text in bytes 0 to 63 (up to the first zero byte; all 64 bytes when
  // there is none) equals this program's version text exactly.
  bool CheckVersion();
  // The user count now in the segment; 0 when not attached.
  int32_t GetUserCount() const;
  // This object created the segment.
  bool WasCreator() const { return created_; }
  // This program's version text.
  const char* GetVersionText() const { return version_; }
  // Counts, and uncounts, one more user on behalf of another program (a
  // child whose count this program holds, so that the child's count cannot
  // outlive it whatever way it ends). Only while valid.
  void AddUserFor();
  void RemoveUserFor();

 protected:
  // name: the mapping name; method: the name in report texts ("Class::Class").
  VersionedSegment(const char* name, uint32_t size, uint32_t userCountOffset, const char* method);
  // Attaches or creates, checks the version against versionText and counts
  // the user; IsValid tells the outcome. Called from the derived constructor.
  // countSelf false: an attacher does not count itself (a creator always does).
  void Open(const char* versionText, bool countSelf = true);
  // The creator's extra set-up, after the count and before the version text.
  virtual void OnCreated() {}

  uint8_t* base_ = nullptr;

 private:
  uint32_t size_;
  uint32_t userCountOffset_;
  const char* method_;
  bool attached_ = false;
  bool versionOk_ = false;
  bool created_ = false;
  bool counted_ = false;
  char version_[kVersionBytes + 1] = {};
};
