// The skeleton every sub-panel follows, between BasePanel and the panel: the
// common steps of Initialise and Update, the aircraft-fit rule with the
// block choice, and one create, serve, show and draw step per row kind,
// working on the panel's tables (PanelRows.h) and its control arrays.
//
// A panel holds its controls by value, binds them in its constructor
// (BindControls) and overrides only what departs from the common steps:
//   Initialise  = BeginInitialise (progress text, origin, generic area check,
//                 fit or fixed blocks), then CreateControls;
//   Update      = BeginUpdate (display-only, ready, reset and preset steps),
//                 then ServeControls (rows in table order, then the covers);
//   Draw        = DrawControls;
//   ShowSimulationState = ShowControls.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "common/Qx_Remember.h"
#include "controls/CButtonClass.h"
#include "controls/GuardedButton.h"
#include "controls/GuardedCover.h"
#include "controls/KnobClass.h"
#include "controls/LightClass.h"
#include "controls/PanelDisplay.h"
#include "controls/RotaryKnobClass.h"
#include "controls/SwitchClass.h"
#include "panels/BasePanel.h"
#include "panels/PanelBlock.h"
#include "panels/PanelCatalogue.h"
#include "panels/PanelRows.h"

// Formats a number for a display or a window: NaN and values below minimum as
// minimum, values above maximum as maximum, -0.0 as 0.0, so that whatever
// float the simulation writes, the text is a number the cells can show.
void FormatNumber(char* text, std::size_t size, const char* format, float value, float minimum, float maximum);

// A light with the change detector that "on change" lights use.
struct PanelLight {
  LightClass light;
  Qx_Remember change;
};

// The panel's control arrays, in the order of its table rows.
struct PanelControls {
  std::span<CButtonClass> buttons = {};
  std::span<GuardedButton> covers = {};
  std::span<GuardedCover> plates = {};
  std::span<GuardedButton> guarded = {};
  std::span<SwitchClass> switches = {};
  std::span<KnobClass> knobs = {};
  std::span<PanelLight> lights = {};
  std::span<CPanelDisplay> displays = {};
  std::span<RotaryKnobClass> rotaries = {};
};

class SubPanel : public BasePanel {
 public:
  const PanelBlock& InputBlock() const { return input_; }
  const PanelBlock& OutputBlock() const { return output_; }
  PanelLayout GetLayout() const { return layout_; }
  int32_t GetUnit() const { return unit_; }
  const PanelFacts& Facts() const { return *facts_; }
  const PanelTables& Tables() const { return *tables_; }
  const PanelControls& Controls() const { return controls_; }

  // The common skeleton; panels override what departs from it.
  bool Initialise(const char* folder, int32_t originY, int32_t originX) override;
  void Update(const MouseState& mouse) override;
  void Draw(platform::DrawSurface& surface) override;
  void ShowSimulationState() override;
  // The fit rule on the stored type code (panels whose fit is the common
  // step); every code fails for the others, as in BasePanel.
  bool CheckAircraftFit() override;
  // Unit or seat number, kept in 0 .. unit count - 1 of the tables (0 when
  // the blocks do not depend on it).
  void SetUnit(int32_t unit) override;
  // The start-up preset; nothing unless the panel has one.
  virtual void ApplyStartupPreset();

  // The control under a picture point: the topmost row drawn in this layout
  // whose rectangle holds the point, else a row processed but not drawn
  // (it still takes clicks); absent rows are left out. False when none.
  bool FindControlAt(int x, int y, RowRef* row) const;
  // A row's rectangle on the picture; empty for a row the panel does not have.
  platform::Rect RowRect(RowRef row) const;

  // Puts a push button in (latched, so the next click brings it out) or out.
  static void SetButtonIn(CButtonClass& button, bool in) { button.SetLatched(in); }

 protected:
  // The panel's tables; the catalogue row is the one that names them.
  SubPanel(const PanelTables& tables, const char* sourceRevision, const char* headerRevision);
  // A panel outside the catalogue (tests): its facts are given.
  SubPanel(const PanelFacts& facts, const PanelTables& tables, const char* sourceRevision,
           const char* headerRevision);

  void BindControls(const PanelControls& controls) { controls_ = controls; }

  // ---- Initialise steps
  // Progress text, origin, generic area check, then the fit step (panels of
  // the common fit) or the fixed A330 blocks. The null area is tested first,
  // so with both faults the panel reports the null area.
  bool BeginInitialise(int32_t originY, int32_t originX);
  void SetProgressText();
  bool CheckSharedMemory();
  bool CheckFit();
  bool FailFit();  // sets the aircraft-fit text; false
  void SelectBlocks(const BlockPair& blocks);
  // The layout of the code and its blocks; false (nothing changed) for a
  // code without a layout.
  bool ApplyAircraftFit();

  // Creates every control in table order: buttons, covers, plates, guarded
  // buttons, switches, knobs, lights, displays, rotary knobs. Stops at the
  // first failure with that control's report text.
  bool CreateControls(const char* folder);
  bool CreateButtons(const char* folder);
  bool CreateButton(int i, const char* folder);
  bool CreateCovers(const char* folder);
  bool CreatePlates(const char* folder);
  bool CreateGuarded(const char* folder);
  bool CreateSwitches(const char* folder);
  bool CreateKnobs(const char* folder);
  bool CreateLights(const char* folder);
  bool CreateDisplays(const char* folder);
  bool CreateRotaries(const char* folder);
  // Initialises one control; on failure its report text becomes the panel's.
  template <class Control, class Descriptor>
  bool CreateControl(Control& control, const Descriptor& descriptor) {
    if (control.Initialise(descriptor)) return true;
    ReportText(control.GetErrorText());
    return false;
  }

  // ---- Update steps
  // Takes the pass's mouse event and lamp test, then: the display-only
  // request (output byte, for panels that have one); display-only mode
  // (ShowSimulationState, false); the ready flag (false while not set); the
  // reset request (ResetToDefaults) and the preset request
  // (ApplyStartupPreset). True when the pass goes on with the controls.
  bool BeginUpdate(const MouseState& mouse);
  // Rows in table order (buttons, guarded buttons, switches, knobs, lights),
  // then covers and plates.
  void ServeControls();
  void ServeButton(int i);  // lamps, mouse, then its output byte
  void ServeButtons(int first, int last);
  void ServeButtons() { ServeButtons(0, int(controls_.buttons.size()) - 1); }
  void FeedButton(int i);   // lamps and mouse only
  // Output steps write nothing while the panel is display-only: it shows
  // another writer's block. An absent button publishes 0.
  void WriteButton(int i);  // its output byte only
  void WriteButtons();
  void ServeCover(int i);  // mouse, then its button takes no clicks while it is closed
  void ServeCovers();
  void ServePlates();
  void ServeGuarded();
  void ServeSwitch(int i);
  void ServeSwitches();
  void WriteSwitch(int i);
  void WriteSwitches();
  void ServeKnob(int i);
  void ServeKnobs();
  void WriteKnob(int i);
  void WriteKnobs();
  void ServeLights();
  // Covered buttons take no clicks while their cover or plate is closed.
  void SyncCovers();
  int Event() const { return event_; }
  bool LampTest() const { return lampTest_; }

  // ---- Display-only: every control from the blocks, no mouse, nothing written.
  void ShowControls();
  void ShowButton(int i);
  void ShowSwitch(int i);
  void ShowKnob(int i);

  // ---- Drawing, in the common order: switches, buttons (a plate's button
  // after its plate, while it is up), covers, plates, guarded buttons,
  // knobs, lights, rotary knobs. Controls of the other layout are left out.
  void DrawControls(platform::DrawSurface& surface);
  // Rows marked PresentWhile are served and drawn only while their flag is
  // set; an absent button keeps its position.
  bool IsPresent(const auto& row) const { return row.presentWhile == kNoField || input_.Lamp(row.presentWhile); }
  void DrawButton(int i, platform::DrawSurface& surface);
  void DrawCover(int i, platform::DrawSurface& surface);
  void DrawPlate(int i, platform::DrawSurface& surface);  // and its button while up
  void DrawLight(int i, platform::DrawSurface& surface);
  // Shows a number on a display: NaN and values below minimum as minimum,
  // values above maximum as maximum, formatted with format.
  void ShowNumber(int display, float value, float minimum, float maximum, const char* format,
                  platform::DrawSurface& surface);

  // Buttons set in or out by the panel (presets, resets, forced positions).
  void SetButton(int i, bool in);
  void SetButtons(std::initializer_list<int> buttons, bool in);

  PanelBlock input_;
  PanelBlock output_;
  PanelLayout layout_ = kLayoutA330;
  int32_t unit_ = 0;
  PanelControls controls_;

 private:
  // A descriptor at a place of the panel's layout, origin and scale.
  ButtonDescriptor Describe(int number, const char* folder, const char* image, const Place& at) const;
  int PlateOver(int button) const;  // the plate over a button, or -1
  bool RowShown(RowRef row, bool drawn) const;  // present, and drawn in this layout or not

  const PanelFacts* facts_;
  const PanelTables* tables_;
  int event_ = 0;
  bool lampTest_ = false;
  // The text last shown by ShowNumber on the first displays, so that an
  // unchanged value is not formatted again on every pass.
  struct ShownNumber {
    bool valid = false;
    uint32_t bits = 0;
    const char* format = nullptr;
    float minimum = 0;
    float maximum = 0;
    char text[32] = {};
  };
  ShownNumber shownNumbers_[2];
};
