// Panel light or annunciator outside a push button: lit or dark, driven by
// the simulation's lamp byte and the lamp test. Takes no mouse input.
#pragma once

#include "controls/CButtonClass.h"

class LightClass : public CButtonClass {
 public:
  LightClass();

  // The push-button descriptor; its momentary and two-light flags are ignored.
  bool Initialise(const ButtonDescriptor& descriptor);
  // Lit when on or test, else dark.
  void SetLightState(bool on, bool test);
  void Paint(platform::DrawSurface& dc) override;
};
