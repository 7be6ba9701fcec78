#include "panels/SubPanel.h"

#include "common/RevisionString.h"
#include "common/TextFcns.h"

namespace {

RevisionLines gRevisions("%Z% SubPanel QX_P_0402_01 SubPanel.cpp $Revision: 1.1 $",
                         "%Z% SubPanel QX_P_0402_01 SubPanel.h $Revision: 1.1 $");

// Texts of a panel id without a row: the generic class name, so a missing
// row still gives readable failure texts.
constexpr PanelTexts kUnknownPanel = {0, "SubPanel", "Initialising Panel items", "SubPanel", nullptr};

}  // namespace

SubPanel::SubPanel(int32_t panelId, const char* sourceRevision, const char* headerRevision)
    : BasePanel(sourceRevision, headerRevision), texts_(TextsForPanel(panelId)) {
  if (texts_ == nullptr) {
    texts_ = &kUnknownPanel;
  }
  gRevisions.RegisterOnce();
  RegisterPanelBlocksRevision();
}

void SubPanel::SetProgressText() { ReportText(texts_->progress); }

bool SubPanel::CheckSharedMemory() {
  if (GetSharedMemory() != nullptr) {
    return true;
  }
  char text[128];
  FormatBounded(text, sizeof text, "%s::Initialise --> SharedMemory ptr not set", texts_->nullAreaClass);
  ReportText(text);
  return false;
}

bool SubPanel::CheckFit() {
  if (texts_->fitClass == nullptr || CheckAircraftFit()) {
    return true;
  }
  char text[128];
  FormatBounded(text, sizeof text, "%s::Initialise --> Incorrect aircraft fit", texts_->fitClass);
  ReportText(text);
  return false;
}

bool SubPanel::BeginInitialise(int32_t originY, int32_t originX) {
  SetProgressText();
  SetOrigin(originX, originY);
  return CheckSharedMemory() && CheckFit();
}

void SubPanel::SelectBlocks(const BlockPair& blocks) {
  output_.Select(blocks.output, blocks.outputSize);
  input_.Select(blocks.input, blocks.inputSize);
}

bool SubPanel::ApplyAircraftFit(const BlockPair& a330, const BlockPair& a320) {
  const PanelLayout layout = AircraftLayoutFor(aircraftType_);
  if (layout == kLayoutNone) {
    return false;
  }
  layout_ = layout;
  SelectBlocks(layout == kLayoutA330 ? a330 : a320);
  return true;
}

bool SubPanel::BeginUpdate(BlockField resetRequest) {
  if (displayOnly_) {
    ShowSimulationState();
    return false;
  }
  if (input_.Read(resetRequest) != 0) {
    ResetToDefaults();
  }
  return true;
}

bool SubPanel::CreatePushButton(CButtonClass& button, const PushButtonRow& row, int id, const char* folder) {
  ButtonDescriptor d;
  FillButtonDescriptor(d, row, id, folder, layout_, originX_, originY_, scale_);
  return CreateControl(button, d);
}
