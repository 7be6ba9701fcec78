#include "web/ControlMap.h"

#include <cstdio>

#include "panels/PanelInterface.h"
#include "panels/SubPanel.h"

namespace web {

namespace {

constexpr RowKind kOperable[] = {RowKind::kButton, RowKind::kCover,  RowKind::kPlate, RowKind::kGuarded,
                                 RowKind::kSwitch, RowKind::kKnob,   RowKind::kRotary};

// Appends text when all of it fits (with room for the closing bracket).
bool Append(char* out, std::size_t size, std::size_t* used, const char* text, std::size_t length) {
  if (*used + length + 2 > size) return false;
  for (std::size_t i = 0; i < length; i++) out[*used + i] = text[i];
  *used += length;
  out[*used] = '\0';
  return true;
}

}  // namespace

std::size_t DescribeControls(const CockpitManager& cockpit, char* out, std::size_t size) {
  if (out == nullptr || size < 3) return 0;
  std::size_t used = 0;
  out[0] = '\0';
  Append(out, size, &used, "[", 1);
  bool first = true;
  for (int32_t id = 1; id < cockpit.GetPanelCount(); id++) {
    const auto* panel = dynamic_cast<const SubPanel*>(cockpit.GetPanel(id));
    if (panel == nullptr || panel->Facts().tables == nullptr) continue;
    const PanelTables& tables = *panel->Facts().tables;
    for (RowKind kind : kOperable) {
      for (std::size_t i = 0; i < tables.RowCount(kind); i++) {
        const RowRef row{kind, int16_t(i)};
        const platform::Rect r = panel->RowRect(row);
        if (r.IsEmpty()) continue;
        char name[64];
        RowName(tables, row, name, sizeof name);
        // Names come from the panel tables; quotes and backslashes are left out.
        for (char* c = name; *c != '\0'; c++) {
          if (*c == '"' || *c == '\\' || static_cast<unsigned char>(*c) < 0x20) *c = ' ';
        }
        char entry[192];
        const int n = std::snprintf(entry, sizeof entry, "%s{\"k\":\"%s\",\"r\":\"%s\",\"x\":%d,\"y\":%d,\"w\":%d,\"h\":%d,\"c\":%d}",
                                    first ? "" : ",", panel->Facts().key, name, r.left, r.top, r.Width(), r.Height(),
                                    kind == RowKind::kCover || kind == RowKind::kPlate ? 1 : 0);
        if (n <= 0 || std::size_t(n) >= sizeof entry || !Append(out, size, &used, entry, std::size_t(n))) {
          Append(out, size, &used, "]", 1);
          return used;
        }
        first = false;
      }
    }
  }
  Append(out, size, &used, "]", 1);
  return used;
}

}  // namespace web
