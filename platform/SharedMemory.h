// Named shared memory on Linux: the POSIX shared-memory objects that stand in
// for named file mappings. A segment whose mapping name
// is N is the object "/" + $TARNEL_SHM_PREFIX + N (the prefix is empty when the
// variable is unset), so any other process (the simulation, scripts in other
// languages) opens it by that name and sees the same bytes.
//
// A thin layer: each function is one system call or two. Failures return -1,
// false or nullptr with errno set by the failing call.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>

namespace platform {

// Room for "/", the prefix and the mapping name, and the terminator.
constexpr std::size_t kShmObjectNameSize = 256;

// Writes "/" + $TARNEL_SHM_PREFIX + name into out. False, with out empty, when
// the name is null or the whole does not fit in size bytes.
bool ShmObjectName(const char* name, char* out, std::size_t size);
// The same with the prefix given (null: none) instead of $TARNEL_SHM_PREFIX.
bool ShmObjectName(const char* name, const char* prefix, char* out, std::size_t size);

// Which object an open descriptor refers to, so that a name can be checked to
// still refer to it before it is removed.
struct ShmIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  bool known = false;
  uid_t owner = 0;
  gid_t group = 0;
  mode_t mode = 0;  // permission bits
};

// The group named by $TARNEL_SHM_GROUP: 1 with *gid set when the variable
// names a group, 0 when it is unset or empty, -1 when it names no group.
int ShmSharedGroup(gid_t* gid);

// Creates a new object exclusively (O_CREAT | O_EXCL, read/write, mode 0600;
// with $TARNEL_SHM_GROUP mode 0660 and that group) and sets its size; its
// bytes read as zero. Returns the descriptor, or -1
// (errno EEXIST when the name is taken). A failed size step removes the name
// again.
int ShmCreateExclusive(const char* objectName, std::size_t size);

// Opens an existing object for reading and writing. -1 on failure.
int ShmOpenExisting(const char* objectName);

// Size and identity of an open object. While the size is 0 (a creator between
// its shm_open and its ftruncate) it polls again, for at most waitMs
// milliseconds. False when fstat fails.
bool ShmStat(int fd, int waitMs, uint64_t* size, ShmIdentity* identity);

// Maps length bytes from offset 0, shared, read/write. nullptr on failure.
uint8_t* ShmMap(int fd, std::size_t length);
void ShmUnmap(uint8_t* view, std::size_t length);
void ShmClose(int fd);

// Holds a shared lock on the object for as long as the descriptor stays
// open, so that others can tell a live user from a dead one. Returns whether
// any other descriptor held a lock on it just before (false when the
// locking itself fails).
bool ShmLockShared(int fd, bool* othersHeld);
// Claims bytes [offset, offset + length) of the object for this descriptor
// alone (an exclusive record lock, released when the descriptor closes).
// False when another descriptor holds them.
bool ShmClaimRange(int fd, uint64_t offset, uint64_t length);
// Whether another descriptor claims any of bytes [offset, offset + length)
// (a probe that takes nothing away). False when none does or the probe fails.
bool ShmRangeClaimed(int fd, uint64_t offset, uint64_t length);
// Whether a live program holds a lock on the object (a probe that takes
// nothing away). False when nobody does or the probe fails.
bool ShmHeld(const char* objectName);

// A program that holds the object open with its lock, as far as /proc shows it.
struct ShmHolder {
  pid_t pid = 0;
  char program[64] = {};  // /proc/PID/comm; "?" when it cannot be read
  bool claims = false;    // it also holds a claimed range (ShmClaimRange)
};
// Finds the programs, this one included, that hold a lock on the object open
// as descriptor fd: the pids from /proc/locks, their names from
// /proc/PID/comm, and which of them has a claimed range from
// /proc/PID/fdinfo (readable for this user's programs only). Returns how many
// were written into holders (at most max).
int ShmLockHolders(int fd, ShmHolder* holders, int max);
// Writes "pid N (NAME)" for each holder other than this process, separated
// by ", "; empty when none is known. claimersOnly: only those that claim a
// range, when any is known to (else every other holder); otherwise every
// other holder, a claiming one as "pid N (NAME, claims fields)".
void ShmDescribeHolders(int fd, bool claimersOnly, char* text, std::size_t size);

// Removes the name. False on failure (errno ENOENT when there is none).
bool ShmUnlink(const char* objectName);

// Removes the name only while it still refers to the object identified (not a
// newer object created under the same name after ours was removed). False when
// nothing was removed.
bool ShmUnlinkIfSame(const char* objectName, const ShmIdentity& identity);

}  // namespace platform
