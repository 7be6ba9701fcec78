// The skeleton every sub-panel follows, between BasePanel and the panel:
// the common steps of Initialise and Update, the aircraft-fit rule with the
// block choice, the panel's input and output blocks, and the creation of a
// control with its failure text copied into the panel's report.
//
// A panel's Initialise: BeginInitialise (progress text, origin, generic area
// check, aircraft fit for panels with variants), fixed blocks with
// SelectBlocks for the others, then its creation steps through
// CreateControl. Its Update: BeginUpdate (display-only and reset request
// steps), then its controls in table order.
#pragma once

#include <cstdint>

#include "panels/BasePanel.h"
#include "panels/PanelBlocks.h"

class SubPanel : public BasePanel {
 public:
  // The panel's input and output blocks (unselected until Initialise has
  // chosen them).
  const PanelBlock& InputBlock() const { return input_; }
  const PanelBlock& OutputBlock() const { return output_; }
  PanelLayout GetLayout() const { return layout_; }
  // The panel's fixed texts (class names, progress text).
  const PanelTexts& Texts() const { return *texts_; }

 protected:
  // panelId picks the panel's row of fixed texts.
  SubPanel(int32_t panelId, const char* sourceRevision, const char* headerRevision);

  // Initialise steps 1 to 4: the progress text becomes the report text, the
  // origin is stored, a null generic area fails with the null-area text, and
  // a panel with aircraft-fit variants runs CheckAircraftFit (which chooses
  // its blocks) and fails with the aircraft-fit text. The null area is tested
  // first, so with both faults the panel reports the null area.
  bool BeginInitialise(int32_t originY, int32_t originX);
  // The single steps, for panels that create controls between them.
  void SetProgressText();
  bool CheckSharedMemory();
  bool CheckFit();

  // Chooses the input and output blocks.
  void SelectBlocks(const BlockPair& blocks);
  // The aircraft-fit rule on the stored type code: on a fit, the layout and
  // that layout's blocks are chosen and the result is true; otherwise
  // nothing changes.
  bool ApplyAircraftFit(const BlockPair& a330, const BlockPair& a320);

  // Update steps 1 and 2: in display-only mode ShowSimulationState runs and
  // the result is false (the mouse is not looked at); a non-zero reset
  // request byte of the input block (kNoField: the panel has none) calls
  // ResetToDefaults. True when the pass goes on with the controls.
  bool BeginUpdate(BlockField resetRequest);

  // Initialises one control; on failure the control's report text becomes
  // the panel's and the result is false.
  template <class Control, class Descriptor>
  bool CreateControl(Control& control, const Descriptor& descriptor) {
    if (control.Initialise(descriptor)) {
      return true;
    }
    ReportText(control.GetErrorText());
    return false;
  }
  // A push button from its table row, in the panel's layout, origin and scale.
  bool CreatePushButton(CButtonClass& button, const PushButtonRow& row, int id, const char* folder);

  PanelBlock input_;
  PanelBlock output_;
  PanelLayout layout_ = kLayoutA330;

 private:
  const PanelTexts* texts_;
};
