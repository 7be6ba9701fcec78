// One named shared-memory segment and one view of it, with the three
// primitive steps the simulation areas build their start-up from: create,
// attach, release. Knows nothing of the contents.
//
// On Linux the segment is the POSIX shared-memory object named
// "/" + $TARNEL_SHM_PREFIX + the mapping name (platform/SharedMemory.h). How
// it differs from the named file mappings it replaces:
// - Create is exclusive (O_CREAT | O_EXCL, mode 0600): when the name exists
//   it fails with EEXIST and CreateFoundExisting() is true, so the caller
//   attaches instead of clearing the segment a second time.
// - Attach checks the object's size and fails with a clear text when it is
//   smaller than the segment's size, instead of dying of SIGBUS later.
// - The name does not vanish by itself when the last user closes it: the
//   derived classes call Unlink when the user count falls to 0.
// - Attach refuses an object that another user owns or that any user may
//   open ("other" permission bits), naming its owner and mode; the one
//   exception is an object of the group named by $TARNEL_SHM_GROUP that gives
//   "other" no access.
// - While mapped, the object's descriptor stays open with a shared lock, so
//   that a live user can be told from one that died (OthersHeldIt, and
//   platform::ShmHeld for tools).
// The failure texts keep their form, with errno as the code.
#pragma once

#include <cstddef>
#include <cstdint>

#include "common/Qx_ErrorReport.h"
#include "platform/SharedMemory.h"

class BaseSharedMemory : public Qx_ErrorReport {
 public:
  // Longest mapping name the object accepts (prefix not counted).
  static constexpr std::size_t kMaxNameLength = 42;
  // How long Attach waits for an object whose size is still 0 (its creator
  // has not set the size yet).
  static constexpr int kSizeWaitMs = 1000;

  BaseSharedMemory();
  // Leaves the view mapped: only the derived class decides when to detach
  // (a user that was not the last one keeps its view until it exits).
  ~BaseSharedMemory() override;
  BaseSharedMemory(const BaseSharedMemory&) = delete;
  BaseSharedMemory& operator=(const BaseSharedMemory&) = delete;

  // Sets the mapping name and, from it and $TARNEL_SHM_PREFIX, the object
  // name. False (and no name) when the name is null, empty, longer than 42
  // characters or, with the prefix, too long for the system.
  bool SetName(const char* name);
  // The same with the prefix given (null: none) instead of $TARNEL_SHM_PREFIX.
  bool SetName(const char* name, const char* prefix);
  // The segment's size: Attach refuses smaller objects. Create sets it too
  // when it has not been set.
  void SetSize(uint32_t size) { size_ = size; }

  // Creates the object exclusively with size bytes (all zero) and maps it.
  // False with "Creating Shared memory (Code: %d)" when the object cannot be
  // created; CreateFoundExisting() then tells whether the name was taken.
  bool Create(uint32_t size);
  // Opens the existing object by name and maps all of it. False with
  // "OpenFileMapping (Code: %d)" when it cannot be opened, "MapViewOfFile
  // (Code: %d)" when it cannot be mapped, or a text naming both sizes when
  // it is smaller than the segment's size.
  bool Attach();
  // Unmaps the view. Not checked; does nothing when nothing is mapped.
  void Detach();
  // Removes the object's name, only while it still refers to the object this
  // object mapped last. The bytes live on until the last view is unmapped.
  bool Unlink();

  uint8_t* GetBase() const { return view_; }
  // Zeroes the first count bytes of the view. False, and nothing written,
  // when count is 0, nothing is mapped or count is beyond the view.
  bool ClearSegment(uint32_t count);

  bool IsAttached() const { return view_ != nullptr; }
  const char* GetName() const { return name_; }
  // "/" + prefix + name: the name other processes open.
  const char* GetObjectName() const { return objectName_; }
  uint32_t GetSize() const { return size_; }
  // Bytes mapped: the object's whole size (at least GetSize()).
  std::size_t GetMappedLength() const { return mappedLength_; }
  // errno of the last failed step; 0 when the last failure was not the
  // system's (a bad name, an undersized object).
  int GetLastErrorCode() const { return lastError_; }
  // The last Create failed because an object of that name exists already.
  bool CreateFoundExisting() const { return createFoundExisting_; }
  // Claims bytes of the segment for this object alone while it is mapped (a
  // field with a single writer); false when another program has claimed them.
  bool ClaimRange(uint32_t offset, uint32_t length) { return platform::ShmClaimRange(fd_, offset, length); }
  // Whether another program has claimed any of these bytes (see ClaimRange).
  bool RangeClaimed(uint32_t offset, uint32_t length) const {
    return platform::ShmRangeClaimed(fd_, offset, length);
  }
  // The open descriptor of the mapped object; -1 when nothing is mapped.
  int Descriptor() const { return fd_; }
  // Another program held the object's lock when this one mapped it.
  bool OthersHeldIt() const { return othersHeld_; }

 private:
  bool NameUsable();
  bool MapOpened(int fd, bool created);
  bool Trusted(const platform::ShmIdentity& identity);

  char name_[kMaxNameLength + 1] = {};
  char objectName_[platform::kShmObjectNameSize] = {};
  uint8_t* view_ = nullptr;
  std::size_t mappedLength_ = 0;
  uint32_t size_ = 0;
  int lastError_ = 0;
  bool createFoundExisting_ = false;
  bool othersHeld_ = false;
  int fd_ = -1;
  platform::ShmIdentity identity_;
};
