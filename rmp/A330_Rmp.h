// The radio management panel: six communication radios selected by their
// keys, a standby frequency turned with the concentric knob and swapped with
// the active one by the transfer key, and (RMP 1 and 2 only) the back-up
// navigation mode under the STBY NAV cover, in which the panel tunes the VOR,
// ILS and ADF receivers. One class serves the three units of the aircraft;
// the unit number chooses the blocks and the start values.
#pragma once

#include <cstdint>

#include "common/Qx_Remember.h"
#include "panels/SubPanel.h"
#include "rmp/RmpAccumulator.h"

extern const PanelTables kRmpTables;

class CA330_Rmp : public SubPanel {
 public:
  // Push buttons, in creation order.
  enum Key : int {
    kVhf1 = 0,
    kVhf2,
    kVhf3,
    kHf1,
    kHf2,
    kAm,
    kSel,
    kNav,
    kVor,
    kIls,
    kMls,
    kAdf,
    kBfo,
    kTransfer,
    kKeyCount
  };
  // Selections: the communication radios, then the navigation receivers.
  enum Selection : int32_t {
    kSelVhf1 = 0,
    kSelVhf2,
    kSelVhf3,
    kSelHf1,
    kSelHf2,
    kSelAm,
    kSelVor,
    kSelIls,
    kSelMls,
    kSelAdf,
  };
  static constexpr int kCommCount = 6;
  enum NavAccumulator : int { kVorFrequency = 0, kVorCourse, kIlsFrequency, kIlsCourse, kAdfFrequency, kNavCount };
  enum Window : int { kActiveWindow = 0, kStandbyWindow = 1 };
  static constexpr int32_t kUnitCount = 3;
  static constexpr int kTextSize = 8;  // seven cells and the terminator

  // Input block.
  static constexpr BlockField kActiveFrequencies = 0;  // six floats, one per communication radio
  static constexpr BlockField kActiveVor = 24;         // float per unit 0 and 1, MHz
  static constexpr BlockField kActiveAdf = 32;         // float per unit 0 and 1, kHz
  static constexpr BlockField kActiveIls = 40;         // float, MHz
  static constexpr BlockField kSelCondition = 56;
  static constexpr BlockField kPower = 57;
  static constexpr BlockField kTransferAcknowledge = 58;
  static constexpr BlockField kLampTest = 59;
  static constexpr uint32_t kInputSize = 60;
  // Output block.
  static constexpr BlockField kRmpOn = 3;
  static constexpr BlockField kKeyPositions = 5;  // one byte per key; the NAV key's byte is only read
  static constexpr BlockField kBackupNavActive = 20;
  static constexpr BlockField kVorTransferred = 24;
  static constexpr BlockField kVorCourseOut = 28;
  static constexpr BlockField kAdfTransferred = 32;
  static constexpr BlockField kIlsTransferred = 36;
  static constexpr BlockField kIlsCourseOut = 40;
  static constexpr BlockField kNavTransferSelection = 52;
  static constexpr BlockField kNavCountDown = 60;
  static constexpr BlockField kTransferRequest = 64;
  static constexpr BlockField kSelectionOut = 68;
  static constexpr BlockField kNewActive = 72;
  static constexpr BlockField kSpare = 76;
  static constexpr uint32_t kOutputSize = 80;

  CA330_Rmp();

  // Unit number, clamped to 0..2, with the unit's selection and
  // communication start values.
  void SetUnit(int32_t unit) override;
  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  void ShowSimulationState() override;

  int32_t GetSelection() const { return selection_; }
  int32_t GetNavMode() const { return navMode_; }
  int32_t GetEntryState() const { return entryState_; }
  bool IsFineSteps() const { return fineSteps_; }
  const RmpAccumulator& Comm(int i) const { return comm_[i]; }
  const RmpAccumulator& Nav(int i) const { return nav_[i]; }
  const char* ActiveText() const { return activeText_; }
  const char* StandbyText() const { return standbyText_; }
  const CButtonClass& Key(int i) const { return keys_[i]; }
  const SwitchClass& OnOffSwitch() const { return switch_[0]; }
  const RotaryKnobClass& Knob() const { return knob_[0]; }
  const GuardedCover& Cover(int i) const { return covers_[i]; }
  const CPanelDisplay& WindowDisplay(int i) const { return windows_[i]; }

 private:
  // Update steps.
  void ServeNavKey();
  void SetLampFlags();
  void ServeKeys();
  void SelectFromKeys();
  void ServeKnobPress();
  void TuneCommunication();
  void TuneNavigation();
  void AdvanceNavMode();
  int32_t KnobDelta();
  // Drawing: the two windows.
  void DrawWindows(platform::DrawSurface& surface);
  void BuildActiveText();
  void BuildStandbyText();
  void BuildNavStandbyText();
  void SetCommStartValues();
  void SetStartValues();

  CButtonClass keys_[kKeyCount];
  GuardedCover covers_[2];  // 0: STBY NAV dark, 1: lit; both over the NAV key
  SwitchClass switch_[1];
  RotaryKnobClass knob_[1];
  CPanelDisplay windows_[2];

  int32_t selection_ = kSelVhf1;
  int32_t displayedSelection_ = kSelVhf1;
  int32_t savedSelection_ = kSelVhf1;
  int32_t navMode_ = 0;     // 0 normal, 1 back-up navigation
  int32_t entryState_ = 0;  // 0 frequency, 1 course
  int32_t countDown_ = 0;   // navigation transfer count-down
  bool lampFlags_[kKeyCount] = {};
  bool fineSteps_ = true;
  Qx_Remember knobPress_;
  Qx_Remember commTransfer_;
  Qx_Remember navPress_;
  Qx_Remember navTransfer_;
  RmpAccumulator comm_[kCommCount];
  RmpAccumulator nav_[kNavCount];
  char activeText_[kTextSize] = {};
  char standbyText_[kTextSize] = {};
};

// Registers the identification lines of the panel's other modules once per
// process.
void RegisterRmpModuleRevisions();
void RegisterRmpNavRevision();
