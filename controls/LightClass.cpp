#include "controls/LightClass.h"

namespace {
RevisionLines gRevisions("%Z% LightClass QX_P_0306_01 LightClass.cpp $Revision: 1.3 $",
                         "%Z% LightClass QX_P_0306_01 LightClass.h $Revision: 1.2 $");
}  // namespace

void RegisterLightClassRevision() { gRevisions.RegisterOnce(); }

LightClass::LightClass() : CButtonClass(gRevisions) {}

bool LightClass::Initialise(const ButtonDescriptor& d) {
  SetScale(d.scale);
  ImageSet set;
  set.type = kTypeLight;
  BuildControlPath(set.paths[0], sizeof set.paths[0], d.folder, d.name, "\\On.bmp");
  BuildControlPath(set.paths[1], sizeof set.paths[1], d.folder, d.name, "\\Off.bmp");
  BuildControlPath(set.paths[2], sizeof set.paths[2], d.folder, d.name, "\\On.bmp");
  BuildControlPath(set.paths[3], sizeof set.paths[3], d.folder, d.name, "\\Off.bmp");
  set.optionalImages = true;
  set.x = d.originX + Scale(d.offsetX);
  set.y = d.originY + Scale(d.offsetY);
  twoLight_ = true;
  momentary_ = true;
  bool ok = CBaseCockpitControl::Initialise(set);
  id_ = d.id;
  return ok;
}

void LightClass::SetLightState(bool on, bool test) {
  lightCode_ = (on || test) ? 0 : 3;
  state_ = lightCode_ == 0 ? 0 : 1;
}

void LightClass::Paint(platform::DrawSurface& dc) { Draw(dc); }
