#include "devices/InputMappingFile.h"

#include <strings.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>

#include "common/TextFcns.h"
#include "config/Ini_File_Reader.h"
#include "panels/PanelInterface.h"

namespace {

constexpr int kMaxTokens = 16;
constexpr int kMaxButton = 127;  // up to 128 buttons
constexpr int kMaxHat = 7;
constexpr int kMaxAxis = 15;

// Splits text (changed in place) at spaces; false when it holds too many words.
bool Split(char* text, char* tokens[], int* count) {
  *count = 0;
  for (char* p = text; *p != '\0';) {
    while (*p == ' ') *p++ = '\0';
    if (*p == '\0') break;
    if (*count == kMaxTokens) return false;
    tokens[(*count)++] = p;
    while (*p != '\0' && *p != ' ') p++;
  }
  return true;
}


char Lower(char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; }

// Compares, ignoring case and spaces.
bool SameName(const char* a, const char* b) {
  for (;;) {
    while (*a == ' ') a++;
    while (*b == ' ') b++;
    if (*a == '\0' || *b == '\0') return *a == *b;
    if (Lower(*a++) != Lower(*b++)) return false;
  }
}

// The row of the panel whose name is control; false when none.
bool FindRow(const PanelTables& tables, const char* control, RowRef* out) {
  static constexpr RowKind kMapped[] = {RowKind::kButton, RowKind::kCover, RowKind::kPlate, RowKind::kGuarded,
                                        RowKind::kSwitch, RowKind::kKnob, RowKind::kRotary};
  for (RowKind kind : kMapped) {
    for (size_t i = 0; i < tables.RowCount(kind); i++) {
      const RowRef row{kind, int16_t(i)};
      char name[96];
      RowName(tables, row, name, sizeof name);
      if (SameName(name, control)) {
        *out = row;
        return true;
      }
    }
  }
  return false;
}

bool Fail(char* reason, std::size_t size, const char* text) {
  CopyBounded(reason, text, size);
  return false;
}

bool IsThreePosition(int kind) { return kind == 1 || kind == 3 || kind == 5 || kind == 6; }

// "P:LOW..HIGH" with P an allowed position of the knob.
bool ParseRange(const char* text, uint8_t allowed, InputMapping::Range* out) {
  char work[64];
  CopyBounded(work, text, sizeof work);
  char* colon = std::strchr(work, ':');
  char* dots = colon != nullptr ? std::strstr(colon + 1, "..") : nullptr;
  if (colon == nullptr || dots == nullptr) return false;
  *colon = '\0';
  *dots = '\0';
  long position = 0, low = 0, high = 0;
  if (!ParseWholeNumber(work, 0, 7, &position) || !ParseWholeNumber(colon + 1, -32768, 32767, &low) ||
      !ParseWholeNumber(dots + 2, -32768, 32767, &high) || low > high || (allowed & (1u << position)) == 0) {
    return false;
  }
  out->position = int8_t(position);
  out->low = int32_t(low);
  out->high = int32_t(high);
  return true;
}

}  // namespace

void MappingControlName(const PanelFacts& facts, RowRef row, char* out, std::size_t size) {
  char name[96];
  if (facts.tables == nullptr) {
    CopyBounded(out, "", size);
    return;
  }
  RowName(*facts.tables, row, name, sizeof name);
  FormatBounded(out, size, "%s: %s", facts.key, name);
}

bool InputMappingFile::ParseLine(const char* control, const char* driver, InputMapping* out, char* reason,
                                 std::size_t reasonSize) {
  InputMapping m;
  // The control: "panel: name".
  char panel[96];
  CopyBounded(panel, control, sizeof panel);
  char* colon = std::strchr(panel, ':');
  if (colon == nullptr) return Fail(reason, reasonSize, "the control wants the form 'panel: control'");
  *colon = '\0';
  RemoveSpaces(panel);
  m.facts = FindPanelFacts(panel);
  if (m.facts == nullptr || m.facts->tables == nullptr) {
    char text[160];
    FormatBounded(text, sizeof text, "unknown panel '%s' (tarnel-shm describe lists them)", panel);
    return Fail(reason, reasonSize, text);
  }
  if (!FindRow(*m.facts->tables, colon + 1, &m.row)) {
    char* name = SkipSpaces(colon + 1);
    for (size_t n = std::strlen(name); n > 0 && name[n - 1] == ' '; n--) name[n - 1] = '\0';
    char text[200];
    FormatBounded(text, sizeof text, "panel %s has no control '%s'", m.facts->key, name);
    return Fail(reason, reasonSize, text);
  }
  const PanelTables& tables = *m.facts->tables;

  char work[256];
  CopyBounded(work, driver, sizeof work);
  TabsToSpaces(work);
  char* tokens[kMaxTokens];
  int count = 0;
  if (!Split(work, tokens, &count)) return Fail(reason, reasonSize, "too many words");
  if (count < 2) return Fail(reason, reasonSize, "the driver wants an input: button N, buttons N M, hat N or axis N");

  // The inputs.
  long a = 0, b = 0;
  int next = 2;
  if (strcasecmp(tokens[0], "button") == 0) {
    if (!ParseWholeNumber(tokens[1], 0, kMaxButton, &a)) return Fail(reason, reasonSize, "button number out of 0..127");
  } else if (strcasecmp(tokens[0], "buttons") == 0) {
    if (count < 3 || !ParseWholeNumber(tokens[1], 0, kMaxButton, &a) || !ParseWholeNumber(tokens[2], 0, kMaxButton, &b)) {
      return Fail(reason, reasonSize, "'buttons' wants two button numbers in 0..127");
    }
    if (a == b) return Fail(reason, reasonSize, "the two buttons must differ");
    m.pair = true;
    next = 3;
  } else if (strcasecmp(tokens[0], "hat") == 0) {
    if (!ParseWholeNumber(tokens[1], 0, kMaxHat, &a)) return Fail(reason, reasonSize, "hat number out of 0..7");
    m.input = InputKind::kHat;
  } else if (strcasecmp(tokens[0], "axis") == 0) {
    if (!ParseWholeNumber(tokens[1], 0, kMaxAxis, &a)) return Fail(reason, reasonSize, "axis number out of 0..15");
    m.input = InputKind::kAxis;
  } else {
    return Fail(reason, reasonSize, "unknown input (button, buttons, hat or axis)");
  }
  m.first = uint8_t(a);
  m.second = uint8_t(b);
  const char* word = next < count ? tokens[next] : "";
  const bool lastWord = next + 1 >= count;
  const bool oneButton = m.input == InputKind::kButton && !m.pair;

  switch (m.row.kind) {
    case RowKind::kButton:
    case RowKind::kGuarded: {
      const bool guarded = m.row.kind == RowKind::kGuarded;
      if (!oneButton || !lastWord) return Fail(reason, reasonSize, "a push button wants 'button N' and one action");
      if (strcasecmp(word, "press") == 0) {
        m.driver = Driver::kPress;
      } else if (strcasecmp(word, "toggle") == 0) {
        m.driver = Driver::kToggle;
      } else if (strcasecmp(word, "follow") == 0) {
        if (!guarded && tables.buttons[size_t(m.row.index)].momentary) {
          return Fail(reason, reasonSize, "a momentary button cannot follow a switch; use press");
        }
        m.driver = Driver::kFollow;
      } else if (guarded && strcasecmp(word, "open") == 0) {
        m.driver = Driver::kOpen;
      } else if (guarded && strcasecmp(word, "close") == 0) {
        m.driver = Driver::kClose;
      } else if (guarded && strcasecmp(word, "toggle-guard") == 0) {
        m.driver = Driver::kToggleGuard;
      } else {
        return Fail(reason, reasonSize,
                    guarded ? "a guarded button's action is press, toggle, follow, open, close or toggle-guard"
                            : "a push button's action is press, toggle or follow");
      }
      break;
    }
    case RowKind::kCover:
    case RowKind::kPlate:
      if (!oneButton || !lastWord) return Fail(reason, reasonSize, "a guard wants 'button N' and one action");
      if (strcasecmp(word, "open") == 0) {
        m.driver = Driver::kOpen;
      } else if (strcasecmp(word, "close") == 0) {
        m.driver = Driver::kClose;
      } else if (strcasecmp(word, "toggle") == 0 || strcasecmp(word, "toggle-guard") == 0) {
        m.driver = Driver::kToggleGuard;
      } else {
        return Fail(reason, reasonSize, "a guard's action is open, close or toggle");
      }
      break;
    case RowKind::kSwitch: {
      const bool three = IsThreePosition(tables.switches[size_t(m.row.index)].kind);
      m.driver = Driver::kPosition;
      if (m.input == InputKind::kAxis) return Fail(reason, reasonSize, "a switch takes buttons or a hat, not an axis");
      if (m.input == InputKind::kHat) {
        if (*word != '\0') return Fail(reason, reasonSize, "unexpected words after the hat");
      } else if (m.pair) {
        if (!three) return Fail(reason, reasonSize, "a two-position switch wants one button ('button N')");
        if (*word != '\0') return Fail(reason, reasonSize, "unexpected words after the buttons");
      } else {
        if (three) return Fail(reason, reasonSize, "a three-position switch wants two buttons ('buttons N M') or a hat");
        if (strcasecmp(word, "reversed") == 0 && lastWord) {
          m.reversed = true;
        } else if (*word != '\0') {
          return Fail(reason, reasonSize, "after 'button N' a switch takes only 'reversed'");
        }
      }
      break;
    }
    case RowKind::kKnob:
    case RowKind::kRotary: {
      const bool rotary = m.row.kind == RowKind::kRotary;
      if (m.pair) {
        if (strcasecmp(word, "step") != 0 || !lastWord) return Fail(reason, reasonSize, "'buttons N M' on a knob wants 'step'");
        m.driver = Driver::kStep;
      } else if (oneButton) {
        if (!rotary) return Fail(reason, reasonSize, "this knob has no push; use an axis or 'buttons N M step'");
        if (strcasecmp(word, "push") != 0 || !lastWord) return Fail(reason, reasonSize, "'button N' on a rotary knob wants 'push'");
        m.driver = Driver::kPush;
      } else if (m.input == InputKind::kAxis) {
        if (rotary) return Fail(reason, reasonSize, "a rotary knob turns by steps: 'buttons N M step'");
        m.driver = Driver::kPosition;
        const uint8_t allowed = tables.knobs[size_t(m.row.index)].positions;
        for (int t = next; t < count; t++) {
          if (m.rangeCount == InputMapping::kMaxRanges) return Fail(reason, reasonSize, "more than 8 ranges");
          if (!ParseRange(tokens[t], allowed, &m.ranges[m.rangeCount])) {
            return Fail(reason, reasonSize, "a range is P:LOW..HIGH with P a position of the knob, LOW <= HIGH");
          }
          m.rangeCount++;
        }
      } else {
        return Fail(reason, reasonSize, "a knob takes an axis, 'buttons N M step' or (rotary) 'button N push'");
      }
      break;
    }
    default:
      return Fail(reason, reasonSize, "this control cannot be mapped");
  }
  *out = m;
  return true;
}

void InputMappingFile::AddError(int line, const char* reason) {
  errorCount_++;
  const std::size_t used = std::strlen(errors_);
  FormatBounded(errors_ + used, sizeof errors_ - used, "%s:%d: %s\n", path_, line, reason);
}

int InputMappingFile::SectionOf(const char* text, int line) {
  // "[ Box ]" names the device "Box".
  while (*text == ' ') text++;
  char name[kSectionNameSize];
  CopyBounded(name, text, sizeof name);
  for (size_t n = std::strlen(name); n > 0 && name[n - 1] == ' '; n--) name[n - 1] = '\0';
  for (int i = 0; i < sectionCount_; i++) {
    if (strcasecmp(sections_[i], name) == 0) return i;
  }
  if (sectionCount_ == kMaxSections) {
    AddError(line, "more than 16 device sections");
    return -1;
  }
  CopyBounded(sections_[sectionCount_], name, kSectionNameSize);
  return sectionCount_++;
}

bool InputMappingFile::Load(const char* path) {
  CopyBounded(path_, path != nullptr ? path : "", sizeof path_);
  mappingCount_ = 0;
  sectionCount_ = 0;
  errors_[0] = '\0';
  errorCount_ = 0;
  Ini_File_Reader reader;
  if (!reader.OpenFile(path) || !reader.Rewind()) {
    ReportText(reader.GetErrorText());
    return false;
  }
  Ini_File_Reader::Entry entry;
  while (reader.NextEntry(&entry)) {
    if (entry.key[0] == '\0') {
      AddError(entry.line, "a mapping outside a device section ([device name or GUID] first)");
      continue;
    }
    if (entry.item[0] == '\0') {
      AddError(entry.line, "a mapping wants 'panel: control = input action'");
      continue;
    }
    // The control as written (the reader's Item has its spaces removed).
    char control[256];
    const char* equals = std::strchr(entry.text, '=');
    FormatBounded(control, sizeof control, "%.*s", static_cast<int>(equals - entry.text), entry.text);
    InputMapping m;
    char reason[kReasonSize];
    if (!ParseLine(control, entry.value, &m, reason, sizeof reason)) {
      AddError(entry.line, reason);
      continue;
    }
    if (mappingCount_ == kMaxMappings) {
      AddError(entry.line, "more than 256 mappings");
      continue;
    }
    const int section = SectionOf(entry.key, entry.line);
    if (section < 0) continue;
    // Two truths for one control would fight on every resynchronisation.
    int twin = -1;
    for (int i = 0; i < mappingCount_ && m.IsTruth(); i++) {
      const InputMapping& o = mappings_[i];
      if (o.section == section && o.IsTruth() && o.facts == m.facts && o.row == m.row) twin = o.line;
    }
    if (twin >= 0) {
      FormatBounded(reason, sizeof reason, "the control already follows the hardware on line %d", twin);
      AddError(entry.line, reason);
      continue;
    }
    m.line = entry.line;
    m.section = section;
    mappings_[mappingCount_++] = m;
  }
  return true;
}

bool InputMappingFile::Add(const char* section, const InputMapping& mapping) {
  if (mappingCount_ == kMaxMappings) return false;
  const int index = SectionOf(section, mapping.line);
  if (index < 0) return false;
  mappings_[mappingCount_] = mapping;
  mappings_[mappingCount_++].section = index;
  return true;
}
