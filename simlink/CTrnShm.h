// The training interface area "TrnShmSpace". The panel station
// attaches it, checks its version and keeps it attached; it never reads or
// writes any other field. Same shape as GenericSimShm, without the block
// address table.
#pragma once

#include <cstdint>

#include "simlink/BaseSharedMemory.h"

class CTrnShm : public BaseSharedMemory {
 public:
  static constexpr const char kName[] = "TrnShmSpace";
  static constexpr uint32_t kSize = 692672;  // 0xA91C0
  // 35 characters, leading blank, in bytes 0 to 63, zero-padded.
  static constexpr const char kVersionText[] = " TrnInterfaceShm.h $Revision: 1.1.0";
  static constexpr uint32_t kVersionOffset = 0x0000;
  static constexpr uint32_t kVersionBytes = 64;
  // Signed 32-bit, little-endian.
  static constexpr uint32_t kUserCountOffset = 0xA91B0;
  static constexpr const char kMethod[] = "CTrnShm::CTrnShm";

  // Attaches or creates the segment, checks its version against versionText
  // and counts the user. IsValid tells the outcome.
  explicit CTrnShm(const char* versionText = kVersionText);
  // Only when attached with the version ok: uncounts the user; the last user
  // sets the count to 0, removes the name and detaches.
  ~CTrnShm() override;
  CTrnShm(const CTrnShm&) = delete;
  CTrnShm& operator=(const CTrnShm&) = delete;

  bool IsValid() const { return attached_ && versionOk_; }
  bool CheckVersion();

  int32_t GetUserCount() const;
  bool WasCreator() const { return created_; }
  const char* GetVersionText() const { return version_; }

 private:
  uint8_t* base_ = nullptr;
  bool attached_ = false;
  bool versionOk_ = false;
  bool created_ = false;
  char version_[kVersionBytes + 1] = {};
};
