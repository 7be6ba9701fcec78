// The radio management panel's navigation side: tuning of the VOR, ILS and
// ADF receivers, the frequency/course entry with its transfer count-down,
// and the back-up navigation mode (RMP 1 and 2 only).
#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "rmp/A330_Rmp.h"

namespace {

RevisionLines gRevisions("%Z% A330_RmpNav QX_P_0420_04 A330_RmpNav.cpp $Revision: 1.1 $",
                         "%Z% A330_RmpNav QX_P_0420_04 A330_Rmp.h $Revision: 1.1 $");

// Knob steps in units: frequencies fine or coarse, courses one degree.
constexpr int32_t kFrequencyFine = 5;  // 0.05 MHz
constexpr int32_t kFrequencyCoarse = 100;
constexpr int32_t kAdfFine = 1;  // 0.1 kHz
constexpr int32_t kAdfCoarse = 10;
constexpr int32_t kCourseStep = 1;
constexpr int32_t kCountDownStart = 10;

}  // namespace

void RegisterRmpNavRevision() { gRevisions.RegisterOnce(); }

void CA330_Rmp::TuneNavigation() {
  // VOR and ILS tune the frequency, or after a transfer the course; ADF
  // its frequency in either entry state; MLS nothing.
  RmpAccumulator* tuned = nullptr;
  switch (selection_) {
    case kSelVor:
    case kSelIls: {
      const bool vor = selection_ == kSelVor;
      if (entryState_ == 0) {
        tuned = &nav_[vor ? kVorFrequency : kIlsFrequency];
        tuned->step = fineSteps_ ? kFrequencyFine : kFrequencyCoarse;
      } else {
        tuned = &nav_[vor ? kVorCourse : kIlsCourse];
        tuned->step = kCourseStep;
      }
      break;
    }
    case kSelAdf:
      tuned = &nav_[kAdfFrequency];
      tuned->step = fineSteps_ ? kAdfFine : kAdfCoarse;
      break;
    default:
      break;
  }
  if (tuned != nullptr) tuned->Accumulate(KnobDelta());
  output_.Put<int32_t>(kVorCourseOut, nav_[kVorCourse].value);
  output_.Put<int32_t>(kIlsCourseOut, nav_[kIlsCourse].value);

  navTransfer_.SetBool(keys_[kTransfer].IsPressed());
  if (navTransfer_.BecameSet()) {
    switch (selection_) {
      case kSelVor:
        output_.Put<int32_t>(kVorTransferred, nav_[kVorFrequency].value);
        break;
      case kSelIls:
        output_.Put<int32_t>(kIlsTransferred, nav_[kIlsFrequency].value);
        break;
      case kSelAdf:
        output_.Put<int32_t>(kAdfTransferred, nav_[kAdfFrequency].value);
        break;
      default:
        break;
    }
    // The first transfer sends the frequency and turns the knob to the
    // course; the next returns to frequency entry.
    if (entryState_ == 0) {
      entryState_ = 1;
      countDown_ = kCountDownStart;
    } else {
      entryState_ = 0;
    }
    output_.Put<int32_t>(kNavTransferSelection, selection_);
  } else {
    // No lower bound: it runs on down (wrapping after 2^31 passes, defined).
    countDown_ = int32_t(uint32_t(countDown_) - 1u);
  }
  output_.Put<int32_t>(kNavCountDown, countDown_);
}

void CA330_Rmp::AdvanceNavMode() {
  if (navMode_ == 0) {
    savedSelection_ = selection_;
    output_.Put<int32_t>(kVorTransferred, -1);
    output_.Put<int32_t>(kAdfTransferred, -1);
    output_.Put<int32_t>(kIlsTransferred, -1);
    // The standbys follow the simulation's active values, so back-up
    // navigation starts from them.
    nav_[kVorFrequency].SetFromRealRounded(input_.Get<float>(BlockField(kActiveVor + 4 * unit_)));
    nav_[kAdfFrequency].SetFromRealRounded(input_.Get<float>(BlockField(kActiveAdf + 4 * unit_)));
    nav_[kIlsFrequency].SetFromRealRounded(input_.Get<float>(kActiveIls));
    entryState_ = 0;
    output_.Write(kBackupNavActive, 0);
    if (navPress_.BecameSet()) navMode_ = 1;
    return;
  }
  if (unit_ == 2) {
    navMode_ = 0;  // RMP 3 has no back-up navigation
    return;
  }
  output_.Write(kBackupNavActive, 1);
  if (navPress_.BecameSet()) {
    navMode_ = 0;
    selection_ = savedSelection_;
  }
}

void CA330_Rmp::BuildNavStandbyText() {
  switch (displayedSelection_) {
    case kSelVor:
    case kSelIls: {
      const bool vor = displayedSelection_ == kSelVor;
      if (entryState_ == 0) {
        FormatBounded(standbyText_, kTextSize, "%7.3f", nav_[vor ? kVorFrequency : kIlsFrequency].Real());
      } else {
        FormatBounded(standbyText_, kTextSize, " C- %03d", int(nav_[vor ? kVorCourse : kIlsCourse].value));
      }
      break;
    }
    case kSelMls:
      CopyBounded(standbyText_, "-----", kTextSize);
      break;
    case kSelAdf:
      FormatBounded(standbyText_, kTextSize, "  %5.1f", nav_[kAdfFrequency].Real());
      break;
    default:
      break;
  }
}
