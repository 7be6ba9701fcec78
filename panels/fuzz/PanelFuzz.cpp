// libFuzzer target: every built panel of the cockpit, fed from the fuzz input
// as the simulation and the operator would feed it: any bytes in the input
// blocks and in the output bytes read back in display-only mode, the typed
// fields of the declarations (NaN, infinities, huge and negative values),
// mouse messages anywhere, display-only and reset requests, update and draw
// passes.
//
// Input: records of 8 bytes: op, panel, argument (16-bit), value (32-bit).
// With TARNEL_FUZZ_WRITE_SEEDS=folder set, the target first writes a seed
// per declared field and value of interest into that folder.
#include <sys/stat.h>

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "controls/ViewGeometry.h"
#include "panels/CockpitManager.h"
#include "panels/PanelInterface.h"
#include "platform/Graphics.h"
#include "simlink/SharedField.h"

namespace {

enum Op : uint8_t { kInputByte, kOutputByte, kField, kMouse, kPass, kDisplayOnly, kReset, kDraw, kOpCount };

struct Record {
  uint8_t op;
  uint8_t panel;
  uint16_t argument;
  uint32_t value;
};

struct Fields {
  std::vector<InterfaceField> list;
};

bool Collect(const InterfaceField& field, void* context) {
  static_cast<Fields*>(context)->list.push_back(field);
  return true;
}

struct Station {
  std::vector<uint8_t> area = std::vector<uint8_t>(generic_area::kSize, 0);
  CockpitManager manager;
  platform::DrawSurface surface;
  MouseState mouse{0, 0, 0};
  std::vector<const PanelFacts*> panels;  // built panels
  Fields fields;                          // their fields, station layout and unit
  bool ready = false;
};

Station& TheStation() {
  static Station* station = [] {
    auto* s = new Station();
    BasePanel::SetSharedMemory(s->area.data());
    s->surface.Create(1880, 1300);
    s->ready = s->manager.InitialisePanels(TARNEL_FUZZ_ART_DIR);
    if (!s->ready) std::fprintf(stderr, "PanelFuzz: %s\n", s->manager.GetErrorText());
    for (const PanelFacts& facts : PanelCatalogue()) {
      if (facts.tables == nullptr) continue;
      s->panels.push_back(&facts);
      VisitPanelFields(facts, kLayoutA330, facts.unit >= 0 ? facts.unit : 0, Collect, &s->fields);
    }
    s->manager.UpdateVisible(0, 0, 1880, 1300, &s->mouse);
    return s;
  }();
  return *station;
}

// Seeds: each declared field written with each value of interest, then an
// update and a draw of its panel.
void WriteSeeds(const char* folder) {
  Station& s = TheStation();
  ::mkdir(folder, 0700);
  const float floats[] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(),
                          -std::numeric_limits<float>::infinity(), 1e30f, -1e30f, 123.4f, -3.0f};
  const uint32_t integers[] = {0x80000000u, 0x7FFFFFFFu, 0xFFFFFFFFu, 9, 4, 125, 0xFFFF};
  for (size_t f = 0; f < s.fields.list.size() && f < 0xFFFF; f++) {
    const bool real = s.fields.list[f].type == FieldType::kF32;
    for (int v = 0; v < 7; v++) {
      uint32_t bits = integers[v];
      if (real) std::memcpy(&bits, &floats[v], 4);
      const Record records[] = {{kField, 0, uint16_t(f), bits}, {kPass, 0, 0, 0}, {kDraw, 0, 0, 0},
                                {kDisplayOnly, 0, 0, 1},        {kPass, 0, 0, 0}, {kDraw, 0, 0, 0}};
      char path[512];
      std::snprintf(path, sizeof path, "%s/field%zu_%d", folder, f, v);
      if (std::FILE* out = std::fopen(path, "wb")) {
        std::fwrite(records, sizeof records, 1, out);
        std::fclose(out);
      }
    }
  }
}

void Run(Station& s, const Record& r) {
  if (s.panels.empty()) return;
  const PanelFacts& facts = *s.panels[r.panel % s.panels.size()];
  auto* panel = static_cast<SubPanel*>(s.manager.GetPanel(facts.id));
  if (panel == nullptr) return;
  switch (r.op % kOpCount) {
    case kInputByte:
    case kOutputByte: {
      const PanelBlock& block = r.op % kOpCount == kInputByte ? panel->InputBlock() : panel->OutputBlock();
      if (block.Size() > 0) s.area[block.Offset() + r.argument % block.Size()] = uint8_t(r.value);
      break;
    }
    case kField: {
      if (s.fields.list.empty()) break;
      const InterfaceField& f = s.fields.list[r.argument % s.fields.list.size()];
      uint8_t* at = s.area.data() + f.offset;
      switch (FieldWidth(f.type)) {
        case 1:
          shared_field::Store<uint8_t>(at, uint8_t(r.value));
          break;
        case 2:
          shared_field::Store<uint16_t>(at, uint16_t(r.value));
          break;
        default:
          shared_field::Store<uint32_t>(at, r.value);
          break;
      }
      break;
    }
    case kMouse: {
      // Anywhere in the panel's rectangle and a little around it.
      const int x = facts.x - 8 + int(r.argument & 0xFF) * (facts.width + 16) / 255;
      const int y = facts.y - 8 + int(r.argument >> 8) * (facts.height + 16) / 255;
      s.mouse = MouseState{int32_t(r.value % 5), x, y};
      ViewGeometry::SetScrollAndPointer(0, 0, x, y);
      s.manager.HandleMouse(x, y);
      break;
    }
    case kPass:
      s.manager.UpdateVisible(0, 0, 1880, 1300, &s.mouse);
      s.manager.UpdatePanel(facts.id);
      break;
    case kDisplayOnly:
      panel->SetDisplayOnly((r.value & 1) != 0);
      break;
    case kReset:
      s.manager.ResetAll();
      break;
    case kDraw:
      s.manager.DrawPanel(facts.id, s.surface);
      break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* /*argc*/, char*** /*argv*/) {
  if (const char* folder = std::getenv("TARNEL_FUZZ_WRITE_SEEDS")) WriteSeeds(folder);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Station& s = TheStation();
  if (!s.ready) std::abort();  // the art is missing: nothing would be exercised
  for (size_t at = 0; at + sizeof(Record) <= size; at += sizeof(Record)) {
    Record r;
    std::memcpy(&r, data + at, sizeof r);
    Run(s, r);
  }
  // Every panel ends in normal mode, so the next input starts alike.
  for (const PanelFacts* facts : s.panels) {
    if (BasePanel* panel = s.manager.GetPanel(facts->id)) panel->SetDisplayOnly(false);
  }
  return 0;
}
