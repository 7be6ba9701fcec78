#include "devices/HardwareInput.h"

#include <strings.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/TextFcns.h"
#include "panels/SubPanel.h"

namespace {

struct Point {
  int x;
  int y;
};

Point Centre(const platform::Rect& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

bool IsThreePosition(int kind) { return kind == 1 || kind == 3 || kind == 5 || kind == 6; }
bool IsHorizontal(int kind) { return kind == 3 || kind == 4 || kind == 6; }

// The middle of the switch's region for a position: thirds for three
// positions, halves for two.
Point SwitchPoint(const platform::Rect& r, int kind, int position) {
  const int twelfths = IsThreePosition(kind) ? 2 + 4 * position : (position == 0 ? 3 : 9);
  Point p = Centre(r);
  if (IsHorizontal(kind)) {
    p.x = r.left + (r.right - r.left) * twelfths / 12;
  } else {
    p.y = r.top + (r.bottom - r.top) * twelfths / 12;
  }
  return p;
}

// The middle of the knob's cell for a position (3 x 3 grid, centre unused).
Point KnobPoint(const platform::Rect& r, int position) {
  static constexpr int kRow[8] = {0, 0, 1, 2, 2, 2, 1, 0};
  static constexpr int kColumn[8] = {1, 2, 2, 2, 1, 0, 0, 0};
  return {r.left + (r.right - r.left) * (2 * kColumn[position] + 1) / 6,
          r.top + (r.bottom - r.top) * (2 * kRow[position] + 1) / 6};
}

// The knob position an axis value selects: the first range that holds it,
// or without ranges the allowed positions spread evenly over the axis; -1: none.
int KnobPosition(const InputMapping& m, uint8_t allowed, int32_t value) {
  if (m.rangeCount > 0) {
    for (int i = 0; i < m.rangeCount; i++) {
      if (value >= m.ranges[i].low && value <= m.ranges[i].high) return m.ranges[i].position;
    }
    return -1;
  }
  int positions[8];
  int count = 0;
  for (int p = 0; p < 8; p++) {
    if ((allowed & (1u << p)) != 0) positions[count++] = p;
  }
  if (count == 0) return -1;
  const int64_t part = (int64_t(value) + 32768) * count / 65536;
  return positions[part < 0 ? 0 : (part >= count ? count - 1 : part)];
}

void Timestamp(char* out, std::size_t size) {
  timespec now;
  clock_gettime(CLOCK_REALTIME, &now);
  tm local;
  localtime_r(&now.tv_sec, &local);
  FormatBounded(out, size, "%02d:%02d:%02d.%03ld", local.tm_hour, local.tm_min, local.tm_sec, now.tv_nsec / 1000000);
}

}  // namespace

HardwareInput::HardwareInput(CockpitManager& cockpit, PointerInjector inject, void* context)
    : cockpit_(cockpit), inject_(inject), context_(context) {
}

bool HardwareInput::Start(InputMappingFile* mappings, const char* learnFile, char* error, std::size_t size) {
  mappings_ = mappings;
  learnFile_ = learnFile;
  return devices_.Start(error, size);
}

bool HardwareInput::Open(const char* mappingFile, const char* virtualPipe) {
  const bool named = mappingFile != nullptr && mappingFile[0] != '\0';
  if (named) {
    if (!file_.Load(mappingFile)) {
      std::fprintf(stderr, "tarnel: no mappings read from %s (learnt lines are appended to it):\n%s\n", mappingFile,
                   file_.GetErrorText());
    } else {
      std::fputs(file_.Errors(), stderr);
      std::fprintf(stderr, "tarnel: %d mapping%s for %d device%s from %s\n", file_.MappingCount(),
                   file_.MappingCount() == 1 ? "" : "s", file_.SectionCount(), file_.SectionCount() == 1 ? "" : "s",
                   mappingFile);
    }
  }
  char error[256];
  if (!Start(&file_, named ? mappingFile : nullptr, error, sizeof error)) {
    std::fprintf(stderr, "tarnel: physical inputs are off: %s\n", error);
    return false;
  }
  if (virtualPipe != nullptr && !virtual_.Open(virtualPipe, error, sizeof error)) {
    std::fprintf(stderr, "tarnel: %s\n", error);
  }
  return true;
}

SubPanel* HardwareInput::PanelOf(const InputMapping& m) const {
  return m.facts != nullptr ? dynamic_cast<SubPanel*>(cockpit_.GetPanel(m.facts->id)) : nullptr;
}

const CButtonClass* HardwareInput::ButtonOf(const SubPanel& panel, const InputMapping& m) {
  const PanelControls& c = panel.Controls();
  const size_t i = size_t(m.row.index);
  if (m.row.kind == RowKind::kGuarded) return i < c.guarded.size() ? &c.guarded[i].Button() : nullptr;
  if (m.row.kind == RowKind::kButton) return i < c.buttons.size() ? &c.buttons[i] : nullptr;
  return nullptr;
}

void HardwareInput::Click(int32_t button, int x, int y) {
  // From no button, so that each press counts as a new one.
  inject_(context_, 0, x, y);
  inject_(context_, button, x, y);
  inject_(context_, 0, x, y);
}

void HardwareInput::Bind(int slot) {
  sections_[slot] = 0;
  if (mappings_ == nullptr) return;
  const JoystickDevices::Device& d = devices_.Slot(slot);
  for (int i = 0; i < mappings_->SectionCount(); i++) {
    const char* name = mappings_->SectionName(i);
    if (strcasecmp(name, d.name) == 0 || strcasecmp(name, d.guid) == 0) sections_[slot] |= 1u << i;
  }
}

void HardwareInput::OnDeviceAdded(int slot) {
  Bind(slot);
  const JoystickDevices::Device& d = devices_.Slot(slot);
  int count = 0;
  for (int i = 0; mappings_ != nullptr && i < mappings_->MappingCount(); i++) {
    count += Mine(slot, mappings_->Mapping(i)) ? 1 : 0;
  }
  FormatBounded(NewStatus(), sizeof status_, "device '%s' connected, %d mapping%s", d.name, count, count == 1 ? "" : "s");
  std::fprintf(stderr, "tarnel: %s (GUID %s, %d buttons, %d hats, %d axes)\n", status_, d.guid, d.buttons, d.hats,
               d.axes);
  Synchronise(slot);
}

void HardwareInput::OnDeviceRemoved(int slot) {
  const JoystickDevices::Device& d = devices_.Slot(slot);
  // A button held by the device is let go.
  for (Hold& h : holds_) {
    if (h.active && h.slot == slot) {
      h.active = false;
      const InputMapping& m = mappings_->Mapping(h.mapping);
      const SubPanel* panel = PanelOf(m);
      if (const CButtonClass* button = panel != nullptr ? ButtonOf(*panel, m) : nullptr) {
        const Point p = Centre(button->GetRect());
        inject_(context_, 0, p.x, p.y);
      }
    }
  }
  FormatBounded(NewStatus(), sizeof status_, "device '%s' disconnected", d.name);
  std::fprintf(stderr, "tarnel: %s\n", status_);
  sections_[slot] = 0;
  if (pending_.slot == slot) pending_.active = false;
}

void HardwareInput::Synchronise(int slot) {
  if (mappings_ == nullptr) return;
  for (int i = 0; i < mappings_->MappingCount(); i++) {
    const InputMapping& m = mappings_->Mapping(i);
    if (Mine(slot, m) && m.IsTruth()) {
      const InputRef input{m.input, m.first};
      Act(slot, m, i, input, devices_.Value(slot, input));
    }
  }
}

void HardwareInput::OnInput(int slot, InputRef input, int32_t value) {
  if (learnTarget_ != nullptr) {
    Learn(slot, input, value, *learnTarget_);
    return;
  }
  if (mappings_ == nullptr) return;
  for (int i = 0; i < mappings_->MappingCount(); i++) {
    const InputMapping& m = mappings_->Mapping(i);
    if (Mine(slot, m) && m.Uses(input)) Act(slot, m, i, input, value);
  }
}

void HardwareInput::Act(int slot, const InputMapping& m, int index, InputRef input, int32_t value) {
  SubPanel* panel = PanelOf(m);
  if (panel == nullptr) return;
  const PanelControls& c = panel->Controls();
  const size_t i = size_t(m.row.index);
  const platform::Rect rect = panel->RowRect(m.row);
  if (rect.right <= rect.left || rect.bottom <= rect.top) return;
  const PanelTables& tables = panel->Tables();
  char before[kValueSize];
  Describe(m, *panel, before, sizeof before);
  bool acted = false;
  switch (m.driver) {
    case Driver::kPress:
    case Driver::kToggle:
    case Driver::kFollow: {
      const CButtonClass* found = ButtonOf(*panel, m);
      if (found == nullptr) return;
      const CButtonClass& button = *found;
      const Point p = Centre(button.GetRect());
      if (m.driver == Driver::kPress) {
        Hold* free = nullptr;
        Hold* mine = nullptr;
        for (Hold& h : holds_) {
          if (h.active && h.mapping == index && h.slot == slot) mine = &h;
          if (!h.active && free == nullptr) free = &h;
        }
        if (value != 0) {
          inject_(context_, 0, p.x, p.y);
          inject_(context_, 1, p.x, p.y);
          // A momentary button is held in for as long as the input is held; a
          // latching one takes the press as a click's press.
          if (button.IsMomentary() && mine == nullptr && free != nullptr) *free = Hold{true, slot, index};
        } else {
          inject_(context_, 0, p.x, p.y);
          if (mine != nullptr) mine->active = false;
        }
        acted = true;
      } else if (m.driver == Driver::kToggle) {
        if (value == 0) return;
        Click(1, p.x, p.y);
        acted = true;
      } else {
        const bool wanted = devices_.Value(slot, input) != 0;
        if (button.IsPressed() == wanted) return;
        Click(1, p.x, p.y);
        acted = true;
      }
      break;
    }
    case Driver::kOpen:
    case Driver::kClose:
    case Driver::kToggleGuard: {
      if (value == 0) return;
      bool closed = false;
      if (m.row.kind == RowKind::kCover && i < c.covers.size()) {
        closed = c.covers[i].IsClosed();
      } else if (m.row.kind == RowKind::kPlate && i < c.plates.size()) {
        closed = c.plates[i].IsClosed();
      } else if (m.row.kind == RowKind::kGuarded && i < c.guarded.size()) {
        closed = c.guarded[i].IsClosed();
      } else {
        return;
      }
      if ((m.driver == Driver::kOpen && !closed) || (m.driver == Driver::kClose && closed)) return;
      const Point p = Centre(m.row.kind == RowKind::kCover ? c.covers[i].GetGuardRect() : rect);
      Click(2, p.x, p.y);
      acted = true;
      break;
    }
    case Driver::kPosition: {
      if (m.row.kind == RowKind::kSwitch && i < c.switches.size()) {
        const int kind = tables.switches[i].kind;
        const bool three = IsThreePosition(kind);
        int wanted = -1;
        if (m.input == InputKind::kHat) {
          const int32_t hat = devices_.Value(slot, InputRef{InputKind::kHat, m.first});
          wanted = (hat & (kHatUp | kHatLeft)) != 0 ? 0 : (hat & (kHatDown | kHatRight)) != 0 ? 2 : (three ? 1 : -1);
        } else if (m.pair) {
          wanted = devices_.Value(slot, InputRef{InputKind::kButton, m.first}) != 0    ? 0
                   : devices_.Value(slot, InputRef{InputKind::kButton, m.second}) != 0 ? 2
                                                                                      : 1;
        } else {
          const bool on = devices_.Value(slot, InputRef{InputKind::kButton, m.first}) != 0;
          wanted = on != m.reversed ? 0 : 2;
        }
        if (wanted < 0 || c.switches[i].GetPosition() == wanted) return;
        const Point p = SwitchPoint(rect, kind, wanted);
        Click(1, p.x, p.y);
        acted = true;
      } else if (m.row.kind == RowKind::kKnob && i < c.knobs.size()) {
        const int wanted = KnobPosition(m, tables.knobs[i].positions, devices_.Value(slot, InputRef{InputKind::kAxis, m.first}));
        if (wanted < 0 || c.knobs[i].GetPosition() == wanted) return;
        const Point p = KnobPoint(rect, wanted);
        Click(1, p.x, p.y);
        acted = true;
      }
      break;
    }
    case Driver::kStep: {
      if (value == 0) return;
      const bool up = input.index == m.second;
      if (m.row.kind == RowKind::kKnob && i < c.knobs.size()) {
        const uint8_t allowed = tables.knobs[i].positions;
        int p = c.knobs[i].GetPosition() + (up ? 1 : -1);
        while (p >= 0 && p < 8 && (allowed & (1u << p)) == 0) p += up ? 1 : -1;
        if (p < 0 || p >= 8) return;
        const Point at = KnobPoint(rect, p);
        Click(1, at.x, at.y);
      } else {
        const int w = rect.right - rect.left;
        Click(1, rect.left + (up ? 3 * w / 4 : w / 4), (rect.top + rect.bottom) / 2);
      }
      acted = true;
      break;
    }
    case Driver::kPush: {
      if (value == 0) return;
      // Inside a half: the line between the halves is on neither.
      Click(2, rect.left + 3 * (rect.right - rect.left) / 4, (rect.top + rect.bottom) / 2);
      acted = true;
      break;
    }
  }
  if (acted) Log(slot, m, *panel, before);
}

void HardwareInput::Describe(const InputMapping& m, SubPanel& panel, char* value, std::size_t size) {
  const PanelControls& c = panel.Controls();
  const size_t i = size_t(m.row.index);
  CopyBounded(value, "", size);
  switch (m.row.kind) {
    case RowKind::kButton: CopyBounded(value, c.buttons[i].IsPressed() ? "in" : "out", size); break;
    case RowKind::kGuarded:
      FormatBounded(value, size, "%s, guard %s", c.guarded[i].IsPressed() ? "in" : "out",
                    c.guarded[i].IsClosed() ? "closed" : "open");
      break;
    case RowKind::kCover: CopyBounded(value, c.covers[i].IsClosed() ? "closed" : "open", size); break;
    case RowKind::kPlate: CopyBounded(value, c.plates[i].IsClosed() ? "closed" : "open", size); break;
    case RowKind::kSwitch: FormatBounded(value, size, "position %d", c.switches[i].GetPosition()); break;
    case RowKind::kKnob: FormatBounded(value, size, "position %d", c.knobs[i].GetPosition()); break;
    case RowKind::kRotary: CopyBounded(value, m.driver == Driver::kPush ? "pushed" : "turned", size); break;
    default: break;
  }
}

void HardwareInput::Log(int slot, const InputMapping& m, SubPanel& panel, const char* before) {
  char value[kValueSize];
  Describe(m, panel, value, sizeof value);
  // What the rules kept from acting (a closed guard, a display-only panel) is no change.
  if (m.row.kind != RowKind::kRotary && std::strcmp(value, before) == 0) return;
  char time[24];
  Timestamp(time, sizeof time);
  char control[160];
  MappingControlName(*m.facts, m.row, control, sizeof control);
  std::fprintf(stderr, "tarnel: %s hardware '%s': %s = %s\n", time, devices_.Slot(slot).name, control, value);
}

void HardwareInput::Learn(int slot, InputRef input, int32_t value, const ControlHit& target) {
  // Only a press, a hat pushed or an axis brought towards an end teaches.
  if ((input.kind == InputKind::kButton && value == 0) || (input.kind == InputKind::kHat && value == 0) ||
      (input.kind == InputKind::kAxis && std::abs(value) < 16384)) {
    return;
  }
  if (target.facts == nullptr || target.facts->tables == nullptr) return;
  const PanelTables& tables = *target.facts->tables;
  const size_t i = size_t(target.row.index);
  const bool button = input.kind == InputKind::kButton;
  char driver[64] = "";
  const bool second = pending_.active && pending_.slot == slot && button;
  switch (target.row.kind) {
    case RowKind::kButton:
      if (button) FormatBounded(driver, sizeof driver, "button %d %s", input.index, tables.buttons[i].momentary ? "press" : "toggle");
      break;
    case RowKind::kGuarded:
    case RowKind::kCover:
    case RowKind::kPlate:
      if (button) FormatBounded(driver, sizeof driver, "button %d toggle", input.index);
      break;
    case RowKind::kSwitch:
      if (input.kind == InputKind::kHat) {
        FormatBounded(driver, sizeof driver, "hat %d", input.index);
      } else if (button && !IsThreePosition(tables.switches[i].kind)) {
        FormatBounded(driver, sizeof driver, "button %d", input.index);
      } else if (second && pending_.button != input.index) {
        FormatBounded(driver, sizeof driver, "buttons %d %d", pending_.button, input.index);
      }
      break;
    case RowKind::kKnob:
    case RowKind::kRotary:
      if (input.kind == InputKind::kAxis && target.row.kind == RowKind::kKnob) {
        FormatBounded(driver, sizeof driver, "axis %d", input.index);
      } else if (second && pending_.button != input.index) {
        FormatBounded(driver, sizeof driver, "buttons %d %d step", pending_.button, input.index);
      } else if (second && target.row.kind == RowKind::kRotary) {
        FormatBounded(driver, sizeof driver, "button %d push", input.index);
      }
      break;
    default: break;
  }
  char control[160];
  MappingControlName(*target.facts, target.row, control, sizeof control);
  if (driver[0] == '\0') {
    const bool pair = button && (target.row.kind == RowKind::kSwitch || target.row.kind == RowKind::kKnob ||
                                 target.row.kind == RowKind::kRotary);
    if (pair && !second) {
      pending_ = Pending{true, slot, input.index};
      FormatBounded(NewStatus(), sizeof status_, "learning %s: button %d; now the second button (down or up)", control,
                    input.index);
    } else {
      pending_.active = false;
      FormatBounded(NewStatus(), sizeof status_, "%s cannot be driven by that input", control);
    }
    return;
  }
  pending_.active = false;
  InputMapping m;
  char reason[InputMappingFile::kReasonSize];
  if (!InputMappingFile::ParseLine(control, driver, &m, reason, sizeof reason)) {
    FormatBounded(NewStatus(), sizeof status_, "cannot learn %s: %s", control, reason);
    return;
  }
  const JoystickDevices::Device& d = devices_.Slot(slot);
  // The section names the device; a name that would not read back as one
  // (brackets, control characters, edge spaces) gives way to the GUID.
  bool plain = d.name[0] != ' ' && d.name[0] != '\0' && d.name[std::strlen(d.name) - 1] != ' ';
  for (const char* c = d.name; *c != '\0'; c++) plain = plain && *c != '[' && *c != ']' && static_cast<unsigned char>(*c) >= 0x20;
  const char* section = plain ? d.name : d.guid;
  char line[256];
  FormatBounded(line, sizeof line, "%s = %s", control, driver);
  bool written = false;
  if (learnFile_ != nullptr) {
    if (std::FILE* f = std::fopen(learnFile_, "a")) {
      if (learntSlot_ != slot) std::fprintf(f, "\n[%s]\n", section);
      written = std::fprintf(f, "%s\n", line) > 0;
      written = std::fclose(f) == 0 && written;
      learntSlot_ = written ? slot : -1;
    }
  }
  if (!written) std::printf("[%s]\n%s\n", section, line);
  std::fflush(stdout);
  // The learnt line works at once.
  if (mappings_ != nullptr && mappings_->Add(section, m)) Bind(slot);
  FormatBounded(NewStatus(), sizeof status_, "learnt%s: %s", written ? " (appended)" : "", line);
  std::fprintf(stderr, "tarnel: %s\n", status_);
}

void HardwareInput::Iterate(int resetCount, const ControlHit* learnTarget) {
  if (statusAge_ < kFreshIterations) statusAge_++;
  learnTarget_ = learnTarget;
  virtual_.Poll();
  devices_.Poll(*this);
  learnTarget_ = nullptr;
  // Inputs that taught instead of acting: the truth is set again once learning ends.
  const bool learnt = learning_ && learnTarget == nullptr;
  learning_ = learnTarget != nullptr;
  // A held button that a pass let go (the mouse elsewhere) is pressed again.
  for (const Hold& h : holds_) {
    if (!h.active) continue;
    const InputMapping& m = mappings_->Mapping(h.mapping);
    const SubPanel* panel = PanelOf(m);
    const CButtonClass* held = panel != nullptr ? ButtonOf(*panel, m) : nullptr;
    if (held == nullptr) continue;
    const CButtonClass& button = *held;
    if (!button.IsPressed()) {
      const Point p = Centre(button.GetRect());
      inject_(context_, 0, p.x, p.y);
      inject_(context_, 1, p.x, p.y);
    }
  }
  // After a reset of every panel, or when a panel's own reset request ends.
  bool any = learnt || resetCount != resetCount_;
  resetCount_ = resetCount;
  for (int id = 0; id < PanelManager::kMaxPanels; id++) {
    auto* panel = dynamic_cast<SubPanel*>(cockpit_.GetPanel(id));
    const BlockField request = panel != nullptr ? panel->Tables().resetRequest : kNoField;
    const bool set = request != kNoField && panel->InputBlock().Lamp(request);
    any = any || (resetRequested_[id] && !set);
    resetRequested_[id] = set;
  }
  if (any) {
    for (int slot = 0; slot < JoystickDevices::kMaxDevices; slot++) {
      if (devices_.Slot(slot).open) Synchronise(slot);
    }
  }
}
