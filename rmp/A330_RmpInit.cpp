// The radio management panel's start-up: unit number, aircraft fit by unit,
// controls, and the start values of the knob and the accumulators.
#include "common/RevisionString.h"
#include "rmp/A330_Rmp.h"

namespace {

RevisionLines gRevisions("%Z% A330_RmpInit QX_P_0420_02 A330_RmpInit.cpp $Revision: 1.1 $",
                         "%Z% A330_RmpInit QX_P_0420_02 A330_Rmp.h $Revision: 1.1 $");

struct Range {
  int32_t max;
  int32_t min;
  int32_t start;
  double scale;
  bool wrap;
};

// Communication radios VHF1, VHF2, VHF3, HF1, HF2, AM (units: kHz; AM 0.01).
constexpr Range kCommRanges[CA330_Rmp::kCommCount] = {
    {300000, 30000, 119900, 1000, false}, {300000, 30000, 213900, 1000, false}, {300000, 30000, 145050, 1000, false},
    {8000, 1000, 4532, 1000, false},      {8000, 1000, 2863, 1000, false},      {15000, 500, 786, 100, false},
};
// VOR frequency, VOR course, ILS frequency, ILS course, ADF frequency.
constexpr Range kNavRanges[CA330_Rmp::kNavCount] = {
    {11795, 10800, 11255, 100, false}, {360, 0, 121, 1, true},
    {11195, 10810, 11050, 100, false}, {360, 0, 167, 1, true},
    {5350, 1900, 2075, 10, false},
};
// Communication values per unit; -1 clamps to the VHF3 minimum (data mode).
constexpr int32_t kUnitCommValues[CA330_Rmp::kUnitCount][CA330_Rmp::kCommCount] = {
    {121800, 133800, -1, 3354, 5655, 5655},
    {131800, 133650, -1, 2863, 6679, 5655},
    {131800, 124750, -1, 1267, 2374, 5655},
};
// The knob's own value per unit (the panel reads only its turns).
constexpr int32_t kKnobValues[CA330_Rmp::kUnitCount] = {12600, 11950, 12330};

}  // namespace

void RegisterRmpModuleRevisions() {
  gRevisions.RegisterOnce();
  RegisterRmpNavRevision();
  RegisterRmpAccumulatorRevision();
}

void CA330_Rmp::SetUnit(int32_t unit) {
  SubPanel::SetUnit(unit);
  selection_ = unit_;  // VHF1, VHF2 or VHF3
  for (int i = 0; i < kCommCount; i++) {
    const Range& r = kCommRanges[i];
    comm_[i].Setup(r.max, r.min, kUnitCommValues[unit_][i], r.scale, r.wrap);
  }
}

void CA330_Rmp::SetStartValues() {
  for (int i = 0; i < kCommCount; i++) {
    const Range& r = kCommRanges[i];
    comm_[i].Setup(r.max, r.min, r.start, r.scale, r.wrap);
  }
  for (int i = 0; i < kNavCount; i++) {
    const Range& r = kNavRanges[i];
    nav_[i].Setup(r.max, r.min, r.start, r.scale, r.wrap);
  }
}

bool CA330_Rmp::Initialise(const char* folder, int32_t originY, int32_t originX) {
  SetProgressText();
  SetOrigin(originX, originY);
  // The windows first, then the area and the fit, then the other controls.
  if (!CreateDisplays(folder)) return false;
  if (!CheckSharedMemory()) return false;
  if (!ApplyAircraftFit()) return FailFit();
  if (!CreateButtons(folder) || !CreateSwitches(folder) || !CreateRotaries(folder) || !CreatePlates(folder)) {
    return false;
  }
  SyncCovers();
  knob_[0].SetImage(2);
  knob_[0].SetValue(kKnobValues[unit_]);
  knob_[0].SetRange(15000, 9000);
  fineSteps_ = true;
  SetStartValues();
  return true;
}
