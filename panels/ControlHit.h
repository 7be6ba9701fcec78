// The control under a point of the picture, as the cockpit manager finds it:
// its panel, the row that declares it and where it sits. The fields it binds
// come from the interface description (VisitRowFields).
#pragma once

#include <cstdint>

#include "panels/PanelCatalogue.h"
#include "panels/PanelRows.h"
#include "platform/Graphics.h"

struct ControlHit {
  const PanelFacts* facts = nullptr;
  PanelLayout layout = kLayoutA330;  // the layout and unit the panel runs with
  int32_t unit = 0;
  RowRef row;
  platform::Rect rect;  // picture coordinates
};
