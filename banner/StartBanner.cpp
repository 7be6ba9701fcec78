#include "banner/StartBanner.h"

#include <cstdio>
#include <cstring>

#include "banner/BannerRecord.h"
#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "platform/FilePath.h"
#include "platform/Spawn.h"
#include "simlink/SharedField.h"

namespace {
RevisionLines gRevisions("%Z% StartBanner QX_P_0077_05 StartBanner.cpp $Revision: 1.3 $",
                         "%Z% StartBanner QX_P_0077_05 StartBanner.h $Revision: 1.2 $");
}  // namespace

StartBanner::StartBanner(uint8_t* area) : area_(area) { gRevisions.RegisterOnce(); }

const char* StartBanner::BannerProgramPath() {
  static char path[4200] = {};
  FormatBounded(path, sizeof path, "%slisket", platform::ProgramFolder());
  return path;
}

bool StartBanner::StartBannerProgram(void (*ended)(int status, void* context), void* context) {
  if (area_ == nullptr) {
    return false;
  }
  std::fflush(nullptr);
  // lisket is installed beside the station program; when it is not there the
  // station starts without a banner.
  if (IsEmptyText(platform::ProgramFolder())) {
    return false;
  }
  static char held[64];
  FormatBounded(held, sizeof held, "%s=1", banner_record::kHeldVariable);
  return platform::SpawnDetached(BannerProgramPath(), ended != nullptr ? held : nullptr, ended, context) > 0;
}

void StartBanner::SetProgramName(const char* name) {
  if (area_ == nullptr || name == nullptr) {
    return;
  }
  CopyBounded(reinterpret_cast<char*>(area_ + banner_record::kProgramName), name, banner_record::kProgramNameSize);
}

void StartBanner::SetMessage(const char* message) {
  if (area_ == nullptr || message == nullptr) {
    return;
  }
  CopyBounded(reinterpret_cast<char*>(area_ + banner_record::kMessage), message, banner_record::kMessageSize);
}

void StartBanner::SetProgress(int32_t percent) {
  if (area_ == nullptr) {
    return;
  }
  shared_field::Store<int32_t>(area_ + banner_record::kProgress, percent);
}

void StartBanner::AddProgress(int32_t percent) {
  if (area_ == nullptr) {
    return;
  }
  // Modulo 2^32: a huge value left by another program wraps instead of overflowing.
  uint32_t value = shared_field::Load<uint32_t>(area_ + banner_record::kProgress);
  shared_field::Store<uint32_t>(area_ + banner_record::kProgress, value + static_cast<uint32_t>(percent));
}

void StartBanner::SetSucceeded() {
  if (area_ != nullptr) {
    area_[banner_record::kSuccess] = 1;
  }
}

void StartBanner::SetWarning() {
  if (area_ != nullptr) {
    area_[banner_record::kWarning] = 1;
  }
}

void StartBanner::SetFailed() {
  if (area_ != nullptr) {
    area_[banner_record::kFailure] = 1;
  }
}
