#include "panels/BasePanel.h"

#include "common/ConfigFile.h"
#include "common/RevisionString.h"
#include "common/TextFcns.h"
#include "controls/BaseCockpitControl.h"

namespace {

RevisionLines gRevisions("%Z% BasePanel QX_P_0077_41 BasePanel.cpp $Revision: 1.5 $",
                         "%Z% BasePanel QX_P_0077_41 BasePanel.h $Revision: 1.3 $");

const char kNotSetUp[] = "Not Set Up";

uint8_t* gSharedMemory = nullptr;

}  // namespace

BasePanel::BasePanel() : BasePanel(kNotSetUp, kNotSetUp) {}

BasePanel::BasePanel(const char* sourceRevision, const char* headerRevision) {
  CopyBounded(sourceRevision_, sourceRevision != nullptr ? sourceRevision : kNotSetUp, sizeof sourceRevision_);
  CopyBounded(headerRevision_, headerRevision != nullptr ? headerRevision : kNotSetUp, sizeof headerRevision_);
}

BasePanel::~BasePanel() = default;

void BasePanel::RegisterRevisions() {
  AddRevision(sourceRevision_);
  AddRevision(headerRevision_);
  gRevisions.RegisterOnce();
}

void BasePanel::ShowSimulationState() {}

void BasePanel::ResetToDefaults() {}

void BasePanel::SetAircraftType(int32_t code) { aircraftType_ = code; }

bool BasePanel::CheckAircraftFit() { return false; }

void BasePanel::SetUnit(int32_t /*unit*/) {}

bool BasePanel::InitialiseForType(const char* folder, int32_t originY, int32_t originX, int32_t code) {
  SetAircraftType(code);
  return Initialise(folder, originY, originX);
}

void BasePanel::SetScale(double scale) { scale_ = ClampScale(scale); }

void BasePanel::SetSharedMemory(uint8_t* base) { gSharedMemory = base; }

uint8_t* BasePanel::GetSharedMemory() { return gSharedMemory; }
