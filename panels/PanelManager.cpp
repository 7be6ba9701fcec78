#include "panels/PanelManager.h"

#include "common/RevisionString.h"
#include "platform/Graphics.h"

namespace {

RevisionLines gRevisions("%Z% PanelManager QX_P_0077_40 PanelManager.cpp $Revision: 1.6 $",
                         "%Z% PanelManager QX_P_0077_40 PanelManager.h $Revision: 1.4 $");

// The ids UpdateAll visits.
constexpr int32_t kUpdateAllIds = 24;

// Sums in 64 bits so that no rectangle or view value can overflow.
bool Overlaps(const PanelRect& r, int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  const int64_t right = static_cast<int64_t>(r.x) + r.width;
  const int64_t bottom = static_cast<int64_t>(r.y) + r.height;
  return r.x <= x1 && right >= x0 && bottom >= y0 && r.y <= y1;
}

bool Contains(const PanelRect& r, int32_t x, int32_t y) {
  const int64_t right = static_cast<int64_t>(r.x) + r.width;
  const int64_t bottom = static_cast<int64_t>(r.y) + r.height;
  return r.x <= x && x <= right && r.y <= y && y <= bottom;
}

}  // namespace

PanelManager::PanelManager(int32_t panelCount) : panelCount_(panelCount) {
  gRevisions.RegisterOnce();
  // Until the first rotation step every usable id counts as visible.
  const int32_t usable = panelCount < 0 ? 0 : (panelCount < kMaxPanels ? panelCount : kMaxPanels - 1);
  for (int32_t i = 0; i < kMaxPanels; i++) {
    visible_[i] = i < usable ? i : -1;
  }
  visibleCount_ = usable;
}

PanelManager::~PanelManager() = default;

void PanelManager::DrawVisible(platform::DrawSurface& surface) {
  bool inThisPaint[kMaxPanels] = {};
  for (int32_t i = 0; i < visibleCount_ && i < kMaxPanels; i++) {
    const int32_t id = visible_[i];
    if (id < 0 || id >= kMaxPanels) {
      continue;
    }
    // A panel coming into the paint counts as changed.
    if (!inLastPaint_[id]) {
      drawsDue_[id] = kSettleDraws;
    }
    // Recording the last copies again keeps the pass's order, so a panel
    // drawn over this one still comes out as a full repaint would have it.
    // Once the pass draws directly (or the last pass is not known) every
    // later panel is drawn.
    const bool draw = !skipUntouched_ || drawsDue_[id] > 0 || !surface.RepeatSegment(id);
    if (draw) {
      surface.BeginSegment(id);
      DrawPanel(id, surface);
      if (drawsDue_[id] > 0) {
        drawsDue_[id]--;
      }
    }
    inThisPaint[id] = true;
  }
  for (int32_t id = 0; id < kMaxPanels; id++) {
    inLastPaint_[id] = inThisPaint[id];
  }
}

bool PanelManager::NeedsDrawing() const {
  if (!skipUntouched_) {
    return true;
  }
  int32_t visible = 0;
  for (int32_t i = 0; i < visibleCount_ && i < kMaxPanels; i++) {
    const int32_t id = visible_[i];
    if (id < 0 || id >= kMaxPanels) {
      continue;
    }
    if (drawsDue_[id] > 0 || !inLastPaint_[id]) {
      return true;
    }
    visible++;
  }
  // A panel that left the view leaves the pass too.
  int32_t last = 0;
  for (bool in : inLastPaint_) {
    last += in ? 1 : 0;
  }
  return last != visible;
}

void PanelManager::MarkForDrawing(int32_t id) {
  if (id >= 0 && id < kMaxPanels) {
    drawsDue_[id] = kSettleDraws;
  }
}

void PanelManager::SetPointer(int32_t x, int32_t y, int32_t panel) {
  if (x == pointerX_ && y == pointerY_ && panel == pointerPanel_) {
    return;
  }
  MarkForDrawing(pointerPanel_);
  MarkForDrawing(panel);
  pointerX_ = x;
  pointerY_ = y;
  pointerPanel_ = panel;
}

void PanelManager::MarkAllForDrawing() {
  for (int32_t id = 0; id < kMaxPanels; id++) {
    MarkForDrawing(id);
  }
}

bool PanelManager::InputsChanged(int32_t /*id*/) { return false; }

void PanelManager::UpdatePanel(int32_t /*id*/) {}

void PanelManager::DrawPanel(int32_t /*id*/, platform::DrawSurface& /*surface*/) {}

void PanelManager::ResetAll() {}

void PanelManager::UpdateAll() {
  for (int32_t id = 0; id < kUpdateAllIds; id++) {
    UpdatePanel(id);
  }
}

void PanelManager::RecomputeVisible(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  if (panelCount_ >= kMaxPanels) {
    return;
  }
  for (int32_t& id : visible_) {
    id = -1;
  }
  int32_t count = 0;
  for (int32_t id = 0; id < panelCount_; id++) {
    const PanelRect& r = table_[id];
    if (wholePicture_ ? (r.width > 0 && r.height > 0) : Overlaps(r, x0, y0, x1, y1)) {
      visible_[count++] = id;
    }
  }
  visibleCount_ = count;
}

void PanelManager::UpdateVisible(int32_t x0, int32_t y0, int32_t x1, int32_t y1, const MouseState* mouse) {
  mouse_ = mouse;
  if (rotationPosition_ == 0) {
    RecomputeVisible(x0, y0, x1, y1);
  }
  // The step after the last visible id reads the -1 that ends the list.
  UpdatePanel(GetVisibleId(rotationPosition_));
  if (rotationPosition_ < visibleCount_) {
    rotationPosition_++;
  } else {
    rotationPosition_ = 0;
  }
  if (!firstCycleDone_) {
    UpdateAll();
    firstCycleDone_ = true;
  }
  // The visible list is in id order.
  for (int32_t i = 0; i < visibleCount_ && i < kMaxPanels; i++) {
    const int32_t id = visible_[i];
    if (!InputsChanged(id)) {
      continue;
    }
    if (changePasses_) {
      UpdatePanel(id);
      changePassCount_++;
    } else {
      MarkForDrawing(id);
    }
  }
}

int32_t PanelManager::FindPanelAt(int32_t x, int32_t y) const {
  if (panelCount_ >= kMaxPanels) {
    return -1;
  }
  for (int32_t id = 1; id < panelCount_; id++) {
    if (Contains(table_[id], x, y)) {
      return id;
    }
  }
  return -1;
}

void PanelManager::HandleMouse(int32_t x, int32_t y) {
  const int32_t id = FindPanelAt(x, y);
  if (id != 0) {
    UpdatePanel(id);
    lastPanelUnderPointer_ = id;
  }
}

PanelRect PanelManager::GetPanelRect(int32_t id) const {
  if (id < 0 || id >= kMaxPanels) {
    return PanelRect{};
  }
  return table_[id];
}

int32_t PanelManager::GetVisibleId(int32_t position) const {
  if (position < 0 || position >= kMaxPanels) {
    return -1;
  }
  return visible_[position];
}

void PanelManager::SetPanelRect(int32_t id, int32_t x, int32_t y, int32_t width, int32_t height) {
  if (id < 0 || id >= kMaxPanels) {
    return;
  }
  table_[id] = PanelRect{id, x, y, width, height};
}
