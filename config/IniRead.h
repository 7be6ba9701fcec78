// Reads the program's own ini file once at start-up into the configuration
// block of the generic simulation area, and writes what it found and every
// problem into the initialisation progress record of the same area.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "common/Qx_ErrorReport.h"
#include "config/Ini_File_Reader.h"
#include "simlink/GenericArea.h"

// The configuration block and the progress record: simlink/GenericArea.h.

// Writer of the progress record through one program-wide pointer; every
// operation does nothing while no reading pass has set the pointer. The counts
// come from shared memory and wrap around at the int32 limits.
class CInitProgress : public Qx_ErrorReport {
 public:
  // Points the program-wide record pointer at the record (null: none).
  static void SetRecord(uint8_t* record);
  static uint8_t* Record();
  // Pause after each report, 100 ms unless changed (tests shorten it).
  static void SetPauseMilliseconds(int milliseconds);

  void ReportItem(const char* name, const char* text);
  void ReportMessage(const char* text);
  void ReportWarning(const char* headline, const char* message, const char* consequence);

 private:
  static void Pause();
};

class CIniRead : public Ini_File_Reader {
 public:
  static constexpr std::size_t kPictureSize = 1000;
  static constexpr std::size_t kProblemSize = 1024;
  static constexpr std::size_t kMessageSize = 1200;
  static constexpr std::size_t kFolderSize = 1024;

  // One look-up: Item under Key, the result into destination (size bytes).
  struct Request {
    Ini_File_Reader* reader = nullptr;
    const char* key = "";
    const char* item = "";
    char* destination = nullptr;
    std::size_t size = 0;
  };

  // area: start of the generic simulation area (kAreaSize bytes), or null.
  // Points the program-wide progress record at the area's record.
  CIniRead(uint8_t* area, const char* fileName);
  ~CIniRead() override;
  CIniRead(const CIniRead&) = delete;
  CIniRead& operator=(const CIniRead&) = delete;

  // One reading pass. mandatoryMask selects the Items whose absence fails the
  // pass (the station passes 5: MainPicture and CockpitPanelBitMaps). True when
  // the whole pass ran; otherwise the reason is in the report text.
  bool ReadIniFile(int mandatoryMask);

  const char* MainPicture() const { return mainPicture_; }
  const char* FoMainPicture() const { return foMainPicture_; }
  const char* ProblemText() const { return problem_; }
  const char* LookUpMessage() const { return lookUpMessage_; }
  bool LayoutFlag() const { return layoutFlag_; }
  bool DontAsk() const { return dontAsk_; }

  // 0: stop after DONT_ASK; 1: also the iteration rate; other: also the sound folder.
  void SetReadingDepth(int depth) { readingDepth_ = depth; }
  // Trailing components cut from the program path for a "..\" value (at least 1).
  void SetLevelsUp(int levels) { levelsUp_ = levels < 1 ? 1 : levels; }
  // Folder that "..\" values start from; the running program's folder unless set.
  void SetProgramFolder(const char* folder);

  // The ini file to read when none is named: the name in the working folder
  // when a file of that name is there, otherwise the name in the program
  // folder (where the installation puts the default one).
  static void ChooseDefaultFile(const char* name, const char* programFolder, char* out, std::size_t size);

  // One look-up with path completion; report writes success to the progress record.
  bool GetInitData(Request& request, bool report);

 private:
  enum class Target { kArea, kMainPicture, kFoMainPicture };
  // One text Item of the configuration block.
  struct Entry {
    const char* key;
    const char* item;
    Target target;
    std::size_t offset;       // in the area, for Target::kArea
    int bit;                  // mandatory bit, 0: never mandatory
    const char* missingText;  // reported when mandatory and missing
    const char* headline;     // warning when optional and missing, or null
    const char* consequence;
  };
  static const Entry kEntries[19];
  static const Entry kSoundEntry;

  bool ReadEntry(const Entry& entry, int mandatoryMask);
  bool Fail(const char* text);
  void ReadFonts();
  void ReadLayoutOptions();
  void ReadIterationRate();
  bool CloseReader(bool result);
  void WriteInt(std::size_t offset, int32_t value);

  char mainPicture_[kPictureSize] = {};
  char foMainPicture_[kPictureSize] = {};
  char problem_[kProblemSize] = {};
  int readingDepth_ = 4;
  bool layoutFlag_ = false;
  bool dontAsk_ = false;
  Request request_;
  CInitProgress progress_;
  std::unique_ptr<Ini_File_Reader> reader_;
  bool attached_ = false;
  uint8_t* area_ = nullptr;
  char lookUpMessage_[kMessageSize] = {};
  int levelsUp_ = 1;
  char fileName_[1024] = {};
  char programFolder_[kFolderSize] = {};
};
