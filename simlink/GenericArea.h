// The layout of the generic simulation area "GenericSimSharedMemory": every
// offset and size that more than one module of the station uses, written once.
// Offsets are bytes from the start of the area; integers are little-endian.
// Each panel's own blocks are declared with the panel (panels/).
#pragma once

#include <cstddef>
#include <cstdint>

namespace generic_area {

constexpr uint32_t kSize = 129328;  // 0x1F930
// Bytes 0 to 63: the layout version text, zero-padded.
constexpr uint32_t kVersionBytes = 64;
// Signed 32-bit: the number of programs attached.
constexpr uint32_t kUserCount = 0x1C834;

// Unsigned 32-bit, written by the station once per real-time iteration.
constexpr uint32_t kIterationCount = 0x0814;
// Byte, written by the simulation: the panels reset once per rise.
constexpr uint32_t kPanelResetRequest = 0x081B;
// Byte, written by the simulation: non-zero stops the panel drawing.
constexpr uint32_t kPaintInhibit = 0x6956;

// The panels' blocks: A330 layouts in one zone, A320 layouts in another
// (first and last byte of each).
constexpr uint32_t kA330ZoneFirst = 0x12068;
constexpr uint32_t kA330ZoneLast = 0x127DF;
constexpr uint32_t kA320ZoneFirst = 0x1EC8D;
constexpr uint32_t kA320ZoneLast = 0x1F92F;

// True when [offset, offset + size) lies inside the area.
constexpr bool Fits(uint32_t offset, uint32_t size) {
  return size > 0 && offset < kSize && size <= kSize - offset;
}

}  // namespace generic_area

// The start-up banner record: written by the starting program, read by the
// banner program.
namespace banner_record {
constexpr uint32_t kProgramName = 0x0EE0;  // 50 bytes, zero-terminated inside the field
constexpr uint32_t kProgramNameSize = 50;
constexpr uint32_t kMessage = 0x0F12;  // 1,024 bytes, zero-terminated inside the field
constexpr uint32_t kMessageSize = 1024;
constexpr uint32_t kSuccess = 0x1312;  // byte, 1 = initialisation finished
constexpr uint32_t kWarning = 0x1313;  // byte, 1 = finished with a warning
constexpr uint32_t kFailure = 0x1314;  // byte, 1 = initialisation failed
constexpr uint32_t kProgress = 0x1318;  // signed 32-bit, per cent
constexpr uint32_t kEnd = 0x131B;       // last byte of the record
}  // namespace banner_record

// The configuration block, filled from the program's ini file.
namespace ini_area {
constexpr std::size_t kAreaSize = generic_area::kSize;
constexpr std::size_t kTextSize = 1000;  // every text destination: at most 999 characters
constexpr std::size_t kCockpitPanelBitMaps = 4908;  // 0x132C; the station reads it back
constexpr std::size_t kProgramPath = 6958;
constexpr std::size_t kCompanyRoutes = 7958;
constexpr std::size_t kSid = 8958;
constexpr std::size_t kStar = 9958;
constexpr std::size_t kAirways = 10958;
constexpr std::size_t kFixData = 11958;
constexpr std::size_t kWaypointData = 12958;
constexpr std::size_t kHelpFile = 13958;
constexpr std::size_t kAirwaysIntercept = 14958;
constexpr std::size_t kLogFilePath = 15958;
constexpr std::size_t kSoundFiles = 16958;
constexpr std::size_t kRunways = 17958;
constexpr std::size_t kVorData = 18958;
constexpr std::size_t kNdbData = 19958;
constexpr std::size_t kNavData = 20958;
constexpr std::size_t kAirports = 21958;
constexpr std::size_t kMapp = 23958;
// int32 each: LargeFont, SmallFont, EcamFont, TitleFont, FmcLargeFont, FmcSmallFont.
constexpr std::size_t kFonts = 3728;
constexpr std::size_t kIterationRate = 2064;  // int32
}  // namespace ini_area

// The initialisation progress record (offsets from the record's start).
namespace init_progress {
constexpr std::size_t kRecord = 104064;  // 0x19680, offset of the record in the area
constexpr std::size_t kWarningCount = 0;  // int32
constexpr std::size_t kItemCount = 4;     // int32
constexpr std::size_t kItemName = 8;      // char[50]
constexpr std::size_t kItemNameSize = 50;
constexpr std::size_t kItemText = 58;  // char[512]
constexpr std::size_t kItemTextSize = 512;
constexpr std::size_t kStatus = 572;  // int32, 2 after a warning
constexpr std::size_t kHeadline = 2624;  // char[512]
constexpr std::size_t kConsequence = 3136;  // char[512]
constexpr std::size_t kWarningMessage = 3648;  // char[512]
constexpr std::size_t kWarningTextSize = 512;
constexpr std::size_t kRecordSize = 4160;
}  // namespace init_progress

static_assert(generic_area::Fits(banner_record::kProgramName, banner_record::kEnd - banner_record::kProgramName + 1));
static_assert(generic_area::Fits(init_progress::kRecord, init_progress::kRecordSize));
static_assert(generic_area::Fits(ini_area::kMapp, ini_area::kTextSize));
static_assert(generic_area::kA320ZoneLast == generic_area::kSize - 1);
