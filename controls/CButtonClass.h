// Illuminated push button: in or out, with an upper and a lower light (or one
// light for the four-image set). Latching buttons toggle on each press;
// momentary buttons are in while the left button is held on them.
#pragma once

#include <optional>

#include "controls/BaseCockpitControl.h"

// Filled by a sub-panel for a push button (also used by guards and lights).
// Texts are not kept; a null text counts as empty.
struct ButtonDescriptor {
  int id = 0;
  const char* folder = "";  // bitmap root folder
  const char* name = "";    // sub-folder below the root, e.g. "Buttons\FaultOff"
  int originX = 0;          // sub-panel top-left on the picture
  int originY = 0;
  int offsetX = 0;  // button top-left inside the sub-panel
  int offsetY = 0;
  bool momentary = false;
  bool twoLight = false;  // four-image On/Off set
  double scale = 1.0;
};

class CButtonClass : public CBaseCockpitControl {
 public:
  CButtonClass();

  bool Initialise(const ButtonDescriptor& descriptor);

  // Eight-image buttons: light code from the lights; with an event the state
  // follows and the event is handled. Forwards to UpdateTwoLight (with the
  // upper light) for four-image buttons.
  void Update(std::optional<int> event, bool upper, bool lower, bool test);
  void UpdateTwoLight(std::optional<int> event, bool light, bool test);

  bool IsPressed() const { return pressed_ != 0; }
  // Held in (1) or out; a held latching button stays in after the next click.
  void SetPressed(bool on);
  // In as after a completed click (latched, so the next click brings it out;
  // a momentary button is held) or out. The way a panel sets a button.
  void SetLatched(bool in);
  void SetDisabled(bool disabled) { disabled_ = disabled; }
  bool IsDisabled() const { return disabled_; }
  int GetId() const { return id_; }
  int GetPressed() const { return pressed_; }  // 0 out, 1 held, 2 latched
  int GetLightCode() const { return lightCode_; }
  int GetLastEvent() const { return lastEvent_; }
  bool IsMomentary() const { return momentary_; }
  bool IsTwoLight() const { return twoLight_; }

  void Paint(platform::DrawSurface& dc) override;

 protected:
  CButtonClass(RevisionLines& lines);
  void HandleEvent(int event);
  void ComputeState();

  bool twoLight_ = false;
  bool momentary_ = false;
  int pressed_ = 0;
  int lightCode_ = 3;
  int id_ = 0;
  bool disabled_ = false;
  int lastEvent_ = kEventNone;
};
