// Writer's side of the start-up banner record in the generic simulation area.
// The banner program lisket shows the record; this side starts it, never
// waits for it and never reads anything back. Every operation does nothing
// when the area is null.
#pragma once

#include <cstdint>

#include "common/Qx_ErrorReport.h"

class StartBanner : public Qx_ErrorReport {
 public:
  // area: start of the generic simulation area, or null.
  explicit StartBanner(uint8_t* area);
  ~StartBanner() override = default;

  // Flushes all C streams, then starts "lisket" from the running program's
  // own folder (ProgramFolder() + "lisket") without a shell and without
  // waiting. A missing or failing lisket is not noticed.
  // Starts the banner program. With ended, the banner is told (environment
  // variable banner_record::kHeldVariable) that its user count is held for it
  // by the starting program, which is called back once the banner has ended;
  // true when the banner was started.
  bool StartBannerProgram(void (*ended)(int status, void* context) = nullptr, void* context = nullptr);
  // Where StartBannerProgram looks for the banner program.
  static const char* BannerProgramPath();

  // At most 49 characters, terminated inside the field.
  void SetProgramName(const char* name);
  // At most 1,023 characters, terminated inside the field.
  void SetMessage(const char* message);
  void SetProgress(int32_t percent);
  // Read, add, write; wraps modulo 2^32 instead of overflowing, since the
  // value read comes from shared memory.
  void AddProgress(int32_t percent);
  void SetSucceeded();
  void SetWarning();
  void SetFailed();

 private:
  uint8_t* area_;
};
