// The training interface area "TrnShmSpace". The panel station
// attaches it, checks its version and keeps it attached; it never reads or
// writes any other field. Same shape as GenericSimShm, without the block
// address table.
#pragma once

#include <cstdint>

#include "simlink/VersionedSegment.h"

class CTrnShm : public VersionedSegment {
 public:
  static constexpr const char kName[] = "TrnShmSpace";
  static constexpr uint32_t kSize = 692672;  // 0xA91C0
  // 35 characters, leading blank, in bytes 0 to 63, zero-padded.
  static constexpr const char kVersionText[] = " TrnInterfaceShm.h $Revision: 1.1.0";
  // Signed 32-bit, little-endian.
  static constexpr uint32_t kUserCountOffset = 0xA91B0;
  static constexpr const char kMethod[] = "CTrnShm::CTrnShm";

  // Attaches or creates the segment, checks its version against versionText
  // and counts the user. IsValid tells the outcome.
  explicit CTrnShm(const char* versionText = kVersionText);
  CTrnShm(const CTrnShm&) = delete;
  CTrnShm& operator=(const CTrnShm&) = delete;
};
