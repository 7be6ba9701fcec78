// The generic simulation area "GenericSimSharedMemory", through which
// the simulation, the panel station, the banner and the other stations share
// their state. The constructor attaches or creates it, checks its layout
// version and counts this program as a user; the destructor uncounts it and,
// for the last user, detaches and removes the name.
//
// Creation is exclusive, a program that loses a creation race attaches, an
// attacher waits (bounded) for the creator's version text, and the user count
// is changed atomically: see BaseSharedMemory.h and SimAreaSupport.h.
#pragma once

#include <cstdint>

#include "simlink/GenericArea.h"
#include "simlink/VersionedSegment.h"

class GenericSimShm : public VersionedSegment {
 public:
  static constexpr const char kName[] = "GenericSimSharedMemory";
  static constexpr uint32_t kSize = generic_area::kSize;
  // The tail of the layout definition's identification line (43 characters,
  // leading blank), in bytes 0 to 63 of the segment, zero-padded.
  static constexpr const char kVersionText[] = " QX_P_0305_02_genericSim.h $Revision: 5.5.2";
  // Signed 32-bit, little-endian.
  static constexpr uint32_t kUserCountOffset = generic_area::kUserCount;
  // Block address table: ten 32-bit entries, entry i at kSubAreaTableOffset + 4 * i.
  static constexpr uint32_t kSubAreaTableOffset = 0x07D8;
  static constexpr uint32_t kSubAreaCount = 10;
  // Offset of the block each entry points to; entry 8 is not filled (stays 0).
  static constexpr uint32_t kSubAreaOffsets[kSubAreaCount] = {0x0000,  0x7588,  0x10730, 0x127E0, 0x19678,
                                                              0x1A8C0, 0x1C840, 0x1D408, 0,       0x0448};
  static constexpr uint32_t kUnfilledSubArea = 8;
  static constexpr const char kMethod[] = "GenericSimShm::GenericSimShm";

  // Attaches or creates the segment, checks its version against versionText
  // (this program's layout revision; another text is for tests and tools that
  // must meet a mismatch) and counts the user. IsValid tells the outcome.
  // countSelf false: a program whose count another program holds for it (the
  // banner started by the station) attaches without counting itself, and
  // leaves the count alone when it ends.
  explicit GenericSimShm(const char* versionText = kVersionText, bool countSelf = true);
  GenericSimShm(const GenericSimShm&) = delete;
  GenericSimShm& operator=(const GenericSimShm&) = delete;

  // Fills the block address table (done by the creator only).
  void SetSubAreaTable();

 protected:
  void OnCreated() override { SetSubAreaTable(); }
};
