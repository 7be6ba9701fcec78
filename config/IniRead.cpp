#include "config/IniRead.h"

#include <sys/stat.h>

#include <cctype>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>

#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "platform/FilePath.h"
#include "simlink/SharedField.h"

namespace {
RevisionLines gRevisions("%Z% IniRead QX_P_0612_02 IniRead.cpp $Revision: 1.9 $",
                         "%Z% IniRead QX_P_0612_02 IniRead.h $Revision: 1.4 $");

const char kReadIniFile[] = "CIniRead::ReadIniFile";

uint8_t* gRecord = nullptr;
int gPauseMilliseconds = 100;

// Counts in the record are written by whoever else maps the area as well:
// add modulo 2^32 so that a huge value wraps instead of overflowing.
// Each field is written in one access, so a reader never sees half a value.
void AddToInt(uint8_t* at, int32_t amount) {
  shared_field::Store<uint32_t>(at, shared_field::Load<uint32_t>(at) + static_cast<uint32_t>(amount));
}

void SetInt(uint8_t* at, int32_t value) { shared_field::Store<int32_t>(at, value); }

// True when the path names a regular file that opens for reading; the file is
// closed again at once.
bool OpensForReading(const char* path) {
  char native[4096];
  if (!platform::ResolvePath(path, native, sizeof native)) {
    return false;
  }
  struct stat st;
  if (::stat(native, &st) != 0 || !S_ISREG(st.st_mode)) {
    return false;
  }
  std::FILE* file = std::fopen(native, "r");
  if (file == nullptr) {
    return false;
  }
  std::fclose(file);
  return true;
}

bool StartsRelative(const char* value) {
  return value[0] == '.' && value[1] == '.' && (value[2] == '\\' || value[2] == '/');
}
}  // namespace

// ---------------------------------------------------------------------------
// Progress record

void CInitProgress::SetRecord(uint8_t* record) { gRecord = record; }

uint8_t* CInitProgress::Record() { return gRecord; }

void CInitProgress::SetPauseMilliseconds(int milliseconds) { gPauseMilliseconds = milliseconds < 0 ? 0 : milliseconds; }

// A reader of the record relies on this pause to show each entry.
void CInitProgress::Pause() {
  if (gPauseMilliseconds > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(gPauseMilliseconds));
  }
}

void CInitProgress::ReportItem(const char* name, const char* text) {
  if (gRecord == nullptr) {
    return;
  }
  using namespace init_progress;
  CopyBounded(reinterpret_cast<char*>(gRecord + kItemName), name != nullptr ? name : "", kItemNameSize);
  AddToInt(gRecord + kItemCount, 1);
  CopyBounded(reinterpret_cast<char*>(gRecord + kItemText), text != nullptr ? text : "", kItemTextSize);
  Pause();
}

void CInitProgress::ReportMessage(const char* text) {
  if (gRecord == nullptr) {
    return;
  }
  using namespace init_progress;
  AddToInt(gRecord + kItemCount, 1);
  CopyBounded(reinterpret_cast<char*>(gRecord + kItemName), "", kItemNameSize);
  CopyBounded(reinterpret_cast<char*>(gRecord + kItemText), text != nullptr ? text : "", kItemTextSize);
  Pause();
}

void CInitProgress::ReportWarning(const char* headline, const char* message, const char* consequence) {
  if (gRecord == nullptr) {
    return;
  }
  using namespace init_progress;
  AddToInt(gRecord + kWarningCount, 1);
  CopyBounded(reinterpret_cast<char*>(gRecord + kHeadline), headline != nullptr ? headline : "", kWarningTextSize);
  CopyBounded(reinterpret_cast<char*>(gRecord + kConsequence), consequence != nullptr ? consequence : "",
              kWarningTextSize);
  CopyBounded(reinterpret_cast<char*>(gRecord + kWarningMessage), message != nullptr ? message : "",
              kWarningTextSize);
  SetInt(gRecord + kStatus, 2);
  Pause();
}

// ---------------------------------------------------------------------------
// Program ini

using namespace ini_area;

// The Items in the order they are read.
const CIniRead::Entry CIniRead::kEntries[19] = {
    {"DIRECTORY_PATHS", "CockpitPanelBitMaps", Target::kArea, kCockpitPanelBitMaps, 0x0004,
     "Cockpit Bit Map path not found in ini file", nullptr, nullptr},
    {"DIRECTORY_PATHS", "ProgramPath", Target::kArea, kProgramPath, 0x0020, "Program path not found in ini file",
     nullptr, nullptr},
    {"FILES", "MainPicture", Target::kMainPicture, 0, 0x0001, "Main Picture File name not found in ini file", nullptr,
     nullptr},
    {"FILES", "FoMainPicture", Target::kFoMainPicture, 0, 0, nullptr, nullptr, nullptr},
    {"FILES", "HelpFile", Target::kArea, kHelpFile, 0x0040, "Help File name not found in ini file",
     "help file not identified in the Ini file", "No help file available"},
    {"FILES", "FixData", Target::kArea, kFixData, 0x0002, "Fix Data File name not found in ini file", nullptr,
     nullptr},
    {"FILES", "VorData", Target::kArea, kVorData, 0x1000, "Vor Data File name not found in ini file", nullptr,
     nullptr},
    {"FILES", "NdbData", Target::kArea, kNdbData, 0x2000, "Ndb Data File name not found in ini file", nullptr,
     nullptr},
    {"FILES", "FixData", Target::kArea, kWaypointData, 0x0080, "Waypoint Data File name not found in ini file",
     nullptr, nullptr},
    {"FILES", "SID", Target::kArea, kSid, 0x0008, "SID Data File name not found in ini file", nullptr, nullptr},
    {"FILES", "STAR", Target::kArea, kStar, 0x0008, "STAR Data File name not found in ini file", nullptr, nullptr},
    {"FILES", "Runways", Target::kArea, kRunways, 0x0800, "Runway File name not found in ini file", nullptr, nullptr},
    {"FILES", "Airways", Target::kArea, kAirways, 0x0080, "Airways Data File name not found in ini file", nullptr,
     nullptr},
    {"FILES", "Airports", Target::kArea, kAirports, 0x8000, "Airports Data File name not found in ini file", nullptr,
     nullptr},
    {"DIRECTORY_PATHS", "CompanyRoutes", Target::kArea, kCompanyRoutes, 0x0100,
     "Company Routes path not found in ini file", "Company routes file not identified in the Ini file",
     "No company routes available for city pairs"},
    {"FILES", "AirwaysIntercept", Target::kArea, kAirwaysIntercept, 0x0200,
     "Airways Intercepts File name not found in ini file", nullptr, nullptr},
    {"FILES", "MAPP", Target::kArea, kMapp, 0, nullptr, nullptr, nullptr},
    {"DIRECTORY_PATHS", "NavData", Target::kArea, kNavData, 0x4000, "Nav Data Path not found in ini file", nullptr,
     nullptr},
    {"DIRECTORY_PATHS", "LogFilePath", Target::kArea, kLogFilePath, 0x0400, "Log File Path not found in ini file",
     "Log File Path not identified in the Ini file", "No Flight plan printing or log files available"},
};

const CIniRead::Entry CIniRead::kSoundEntry{"DIRECTORY_PATHS",
                                  "SoundFiles",
                                  Target::kArea,
                                  kSoundFiles,
                                  0x0100,
                                  "Sound file path not found in ini file",
                                  "Sound file not identified in the Ini file",
                                  "No Sounds available for program"};

namespace {
const char* const kFontItems[] = {"LargeFont", "SmallFont", "EcamFont", "TitleFont", "FmcLargeFont", "FmcSmallFont"};
}  // namespace

CIniRead::CIniRead(uint8_t* area, const char* fileName) : attached_(area != nullptr), area_(area) {
  gRevisions.RegisterOnce();
  CopyBounded(fileName_, fileName != nullptr ? fileName : "", sizeof fileName_);
  CopyBounded(programFolder_, platform::ProgramFolder(), sizeof programFolder_);
  CopyBounded(lookUpMessage_, " ", sizeof lookUpMessage_);
  CInitProgress::SetRecord(area_ != nullptr ? area_ + init_progress::kRecord : nullptr);
}

CIniRead::~CIniRead() {
  reader_.reset();
  // The record pointer must not outlive the area it points into.
  if (area_ != nullptr && CInitProgress::Record() == area_ + init_progress::kRecord) {
    CInitProgress::SetRecord(nullptr);
  }
}

void CIniRead::SetProgramFolder(const char* folder) {
  CopyBounded(programFolder_, folder != nullptr ? folder : "", sizeof programFolder_);
}

void CIniRead::ChooseDefaultFile(const char* name, const char* programFolder, char* out, std::size_t size) {
  if (out == nullptr || size == 0) {
    return;
  }
  if (platform::FileExists(name) || IsEmptyText(programFolder)) {
    CopyBounded(out, name, size);
    return;
  }
  FormatBounded(out, size, "%s%s", programFolder, name);
}

void CIniRead::WriteInt(std::size_t offset, int32_t value) { SetInt(area_ + offset, value); }

bool CIniRead::GetInitData(Request& request, bool report) {
  CopyBounded(lookUpMessage_, " ", sizeof lookUpMessage_);
  Ini_File_Reader* reader = request.reader != nullptr ? request.reader : reader_.get();
  if (reader == nullptr || request.destination == nullptr || request.size == 0 || request.key == nullptr ||
      request.item == nullptr) {
    return false;
  }
  char value[Ini_File_Reader::kValueSize];
  if (!reader->LookForValue(request.key, request.item, value, Spaces::kKept)) {
    FormatBounded(lookUpMessage_, sizeof lookUpMessage_, "Tag >%s< not found under Title >%s< in initialisation file",
                  request.item, request.key);
    return false;
  }
  const char* text = SkipSpaces(value);
  // Room for the longest text a destination holds.
  char path[ini_area::kTextSize];
  if (StartsRelative(text)) {
    platform::JoinToFolder(programFolder_, levelsUp_, text + 3, path, sizeof path);
  } else {
    CopyBounded(path, text, sizeof path);
  }
  CopyBounded(request.destination, path, request.size);
  if (std::strstr(request.key, "FILE") != nullptr && !OpensForReading(path)) {
    FormatBounded(lookUpMessage_, sizeof lookUpMessage_, "Tag >%s< identifies >%s<  but it appears not to exist",
                  request.item, path);
    return false;
  }
  if (report) {
    char line[ini_area::kTextSize + 32];
    FormatBounded(line, sizeof line, "Using Data File : %s", path);
    progress_.ReportItem("CIniRead::GetInitData", line);
  }
  return true;
}

bool CIniRead::CloseReader(bool result) {
  reader_.reset();
  CInitProgress::SetRecord(nullptr);
  return result;
}

bool CIniRead::Fail(const char* text) {
  CopyBounded(problem_, text, sizeof problem_);
  progress_.ReportItem(kReadIniFile, problem_);
  return false;
}

bool CIniRead::ReadEntry(const Entry& entry, int mandatoryMask) {
  request_.reader = reader_.get();
  request_.key = entry.key;
  request_.item = entry.item;
  switch (entry.target) {
    case Target::kMainPicture:
      request_.destination = mainPicture_;
      request_.size = sizeof mainPicture_;
      break;
    case Target::kFoMainPicture:
      request_.destination = foMainPicture_;
      request_.size = sizeof foMainPicture_;
      break;
    case Target::kArea:
      request_.destination = reinterpret_cast<char*>(area_ + entry.offset);
      request_.size = ini_area::kTextSize;
      break;
  }
  if (GetInitData(request_, true)) {
    return true;
  }
  if (entry.bit != 0 && (mandatoryMask & entry.bit) != 0) {
    Fail(entry.missingText);
    progress_.ReportMessage(lookUpMessage_);
    Report3(kReadIniFile, entry.missingText, lookUpMessage_);
    return false;
  }
  if (entry.headline != nullptr) {
    progress_.ReportWarning(entry.headline, lookUpMessage_, entry.consequence);
  }
  return true;
}

void CIniRead::ReadFonts() {
  int stored = 0;
  for (std::size_t i = 0; i < sizeof kFontItems / sizeof kFontItems[0]; i++) {
    char size[10] = {};
    Request request{reader_.get(), "OPTIONS", kFontItems[i], size, sizeof size};
    if (GetInitData(request, false) && !IsEmptyText(size)) {
      WriteInt(ini_area::kFonts + 4 * i, ToInt(size));
      stored++;
    }
  }
  if (stored != 6) {
    progress_.ReportItem(kReadIniFile, "No Font Sizes found :: Defaults Used");
  }
}

void CIniRead::ReadLayoutOptions() {
  char layout[31] = {};
  Request request{reader_.get(), "OPTIONS", "LAYOUT", layout, sizeof layout};
  if (GetInitData(request, false)) {
    for (char* p = layout; *p != '\0'; p++) {
      *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
    }
    layoutFlag_ = std::strstr(layout, "FMGS_CAPT") == nullptr;
  } else {
    layoutFlag_ = true;
  }
  char dontAsk[11] = {};
  request = Request{reader_.get(), "OPTIONS", "DONT_ASK", dontAsk, sizeof dontAsk};
  dontAsk_ = GetInitData(request, false) && (std::strstr(dontAsk, "True") != nullptr ||
                                             std::strstr(dontAsk, "true") != nullptr ||
                                             std::strstr(dontAsk, "TRUE") != nullptr);
}

void CIniRead::ReadIterationRate() {
  WriteInt(ini_area::kIterationRate, 0);
  char rate[10] = {};
  Request request{reader_.get(), "OPTIONS", "IterationRate", rate, sizeof rate};
  if (GetInitData(request, false) && !IsEmptyText(rate)) {
    WriteInt(ini_area::kIterationRate, ToInt(rate));
    return;
  }
  progress_.ReportWarning("Iteration rate no specified", lookUpMessage_, "Default value used, if required");
}

bool CIniRead::ReadIniFile(int mandatoryMask) {
  if (!attached_) {
    progress_.ReportItem(kReadIniFile, "Not Attached to shared Memory");
    Report(kReadIniFile, "Not Attached to shared Memory");
    return false;
  }
  char line[sizeof fileName_ + 32];
  FormatBounded(line, sizeof line, "Reading Ini File ... %s", fileName_);
  progress_.ReportMessage(line);
  reader_ = std::make_unique<Ini_File_Reader>();
  if (!reader_->OpenFile(fileName_)) {
    Fail(reader_->GetFullText().c_str());
    ReportText(problem_);
    return CloseReader(false);
  }
  for (const Entry& entry : kEntries) {
    if (!ReadEntry(entry, mandatoryMask)) {
      return CloseReader(false);
    }
  }
  ReadFonts();
  ReadLayoutOptions();
  if (readingDepth_ == 0) {
    return CloseReader(true);
  }
  ReadIterationRate();
  if (readingDepth_ == 1) {
    return CloseReader(true);
  }
  if (!ReadEntry(kSoundEntry, mandatoryMask)) {
    return CloseReader(false);
  }
  return CloseReader(true);
}
