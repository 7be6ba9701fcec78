#include "tools/DemoSimulation.h"

#include <cmath>
#include <cstring>

#include "common/TextFcns.h"
#include "panels/BasePanel.h"
#include "panels/PanelInterface.h"
#include "simlink/SharedField.h"

namespace {

// What the model does beyond lighting every button's lower lamp: the
// special cases, one line each.
enum class Act : uint8_t {
  kLampTest,  // every panel's field named `field` is set while `source` of `panel` is non-zero
  kFollow,    // `field` is set while `source` (same panel) is non-zero
  kValue,     // `field` (f32) holds `value`, wobbling by up to `extra`
  kFailure,   // `field` is lit from second `value` for `extra` seconds of every failure cycle
  kRadio,     // the panel's transfer handshake (fields in kRadioFields)
};
struct Special {
  Act act;
  const char* panel;
  const char* field;
  const char* source = nullptr;
  float value = 0.0f;
  float extra = 0.0f;
};

constexpr float kFailureCycle = 40.0f;  // seconds

constexpr Special kSpecials[] = {
    // ANN LT in its TEST position lights every lamp of every panel.
    {Act::kLampTest, "light-switches", "lamp test", "ANN LT switch up"},
    // The electrical display's selector positions: BAT 1, BAT 2 and APU BAT volts.
    {Act::kValue, "electrical", "value 0", nullptr, 28.2f, 0.1f},
    {Act::kValue, "electrical", "value 1", nullptr, 27.9f, 0.1f},
    {Act::kValue, "electrical", "value 2", nullptr, 25.4f, 0.2f},
    // The radio panel: powered while switched on; its radios' start frequencies
    // (before kRadio, which takes them over); the transfer handshake.
    {Act::kFollow, "rmp", "power", "ON/OFF switch up"},
    {Act::kValue, "rmp", "VHF1 active frequency", nullptr, 118.700f},
    {Act::kValue, "rmp", "VHF2 active frequency", nullptr, 121.500f},
    {Act::kValue, "rmp", "VHF3 active frequency", nullptr, 131.725f},
    {Act::kValue, "rmp", "HF1 active frequency", nullptr, 8.879f},
    {Act::kValue, "rmp", "HF2 active frequency", nullptr, 11.336f},
    {Act::kValue, "rmp", "AM active frequency", nullptr, 0.0f},
    {Act::kRadio, "rmp", nullptr},
    // Scripted failures: FAULT lamps that come and go.
    {Act::kFailure, "hydraulic", "button 1 upper lamp", nullptr, 4.0f, 10.0f},
    {Act::kFailure, "fuel", "button 3 upper lamp", nullptr, 10.0f, 12.0f},
    {Act::kFailure, "electrical", "button 7 upper lamp", nullptr, 18.0f, 8.0f},
    {Act::kFailure, "hydraulic", "button 6 upper lamp", nullptr, 24.0f, 10.0f},
};

// The radio panel's fields, by their declared names; the active frequencies
// in selection order (0 VHF1 ... 5 AM).
constexpr const char* kRequest = "communication transfer request";
constexpr const char* kSelection = "selection";
constexpr const char* kNewActive = "new active frequency";
constexpr const char* kAcknowledge = "transfer acknowledge";
constexpr const char* kActiveNames[DemoSimulation::kRadioCount] = {
    "VHF1 active frequency", "VHF2 active frequency", "VHF3 active frequency",
    "HF1 active frequency",  "HF2 active frequency",  "AM active frequency"};

// The layout and unit a panel runs with in the station.
PanelLayout StationLayout(const PanelFacts& facts) {
  return AircraftLayoutFor(facts.typeArgument != 0 ? facts.typeArgument : BasePanel::kDefaultAircraftType);
}
int32_t StationUnit(const PanelFacts& facts) { return facts.unit >= 0 ? facts.unit : 0; }

bool Missing(char* error, size_t size, const char* panel, const char* field) {
  FormatBounded(error, size, "the declarations have no field '%s' on panel '%s'", field != nullptr ? field : "",
                panel);
  return false;
}

// A field of a panel as it runs in the station, checked for its writer and type.
bool Find(const char* panel, const char* name, FieldWriter writer, FieldType type, uint32_t* offset, char* error,
          size_t size) {
  const PanelFacts* facts = FindPanelFacts(panel);
  InterfaceField f;
  if (facts == nullptr || facts->tables == nullptr ||
      !FindPanelField(*facts, StationLayout(*facts), StationUnit(*facts), name, &f) || f.writer != writer ||
      f.type != type) {
    return Missing(error, size, panel, name);
  }
  *offset = f.offset;
  return true;
}

bool Full(char* error, size_t size, const char* what) {
  FormatBounded(error, size, "the model's table of %s is full", what);
  return false;
}

bool EndsWith(const char* text, const char* tail) {
  const size_t n = std::strlen(text);
  const size_t t = std::strlen(tail);
  return n >= t && std::strcmp(text + n - t, tail) == 0;
}

// One panel's fields, collected for pairing.
constexpr int kMaxPanelFields = 512;
struct PanelFields {
  InterfaceField list[kMaxPanelFields];
  int count = 0;
};
PanelFields gPanel;

bool CollectField(const InterfaceField& f, void* context) {
  auto* p = static_cast<PanelFields*>(context);
  if (p->count < kMaxPanelFields) p->list[p->count++] = f;
  return true;
}

}  // namespace

bool DemoSimulation::AddLink(uint32_t from, uint32_t to) {
  if (linkCount_ >= kMaxLinks) return false;
  links_[linkCount_++] = Link{from, to};
  return true;
}

bool DemoSimulation::AddButtonLinks(char* error, size_t size) {
  for (const PanelFacts& facts : PanelCatalogue()) {
    if (facts.tables == nullptr) continue;
    gPanel.count = 0;
    VisitPanelFields(facts, StationLayout(facts), StationUnit(facts), CollectField, &gPanel);
    // A button's position and its lower lamp belong to the same row.
    for (int p = 0; p < gPanel.count; p++) {
      const InterfaceField& position = gPanel.list[p];
      const RowRef row{position.rows.at[0].kind, position.rows.at[0].first};
      if (position.writer != FieldWriter::kStation || !EndsWith(position.name, " position") ||
          (row.kind != RowKind::kButton && row.kind != RowKind::kGuarded)) {
        continue;
      }
      for (int l = 0; l < gPanel.count; l++) {
        const InterfaceField& lamp = gPanel.list[l];
        if (lamp.writer == FieldWriter::kSimulation && lamp.rows.Has(row) && EndsWith(lamp.name, " lower lamp")) {
          if (!AddLink(position.offset, lamp.offset)) return Full(error, size, "lamps");
          buttonLinks_++;
        }
      }
    }
  }
  return true;
}

bool DemoSimulation::AddSpecials(char* error, size_t size) {
  for (const Special& s : kSpecials) {
    uint32_t to = 0;
    uint32_t from = 0;
    switch (s.act) {
      case Act::kLampTest:
        if (!Find(s.panel, s.source, FieldWriter::kStation, FieldType::kU8, &from, error, size)) return false;
        for (const PanelFacts& facts : PanelCatalogue()) {
          InterfaceField f;
          if (facts.tables != nullptr &&
              FindPanelField(facts, StationLayout(facts), StationUnit(facts), s.field, &f) &&
              f.writer == FieldWriter::kSimulation && !AddLink(from, f.offset)) {
            return Full(error, size, "lamps");
          }
        }
        break;
      case Act::kFollow:
        if (!Find(s.panel, s.source, FieldWriter::kStation, FieldType::kU8, &from, error, size) ||
            !Find(s.panel, s.field, FieldWriter::kSimulation, FieldType::kU8, &to, error, size)) {
          return false;
        }
        if (!AddLink(from, to)) return Full(error, size, "lamps");
        break;
      case Act::kValue:
        if (!Find(s.panel, s.field, FieldWriter::kSimulation, FieldType::kF32, &to, error, size)) return false;
        if (valueCount_ >= kMaxValues) return Full(error, size, "values");
        values_[valueCount_++] = Value{to, s.value, s.extra};
        break;
      case Act::kFailure:
        if (!Find(s.panel, s.field, FieldWriter::kSimulation, FieldType::kU8, &to, error, size)) return false;
        if (failureCount_ >= kMaxFailures) return Full(error, size, "failures");
        failures_[failureCount_++] = Failure{to, s.value, s.extra};
        break;
      case Act::kRadio: {
        Radio& r = radio_;
        if (!Find(s.panel, kRequest, FieldWriter::kStation, FieldType::kU8, &r.request, error, size) ||
            !Find(s.panel, kSelection, FieldWriter::kStation, FieldType::kI32, &r.selection, error, size) ||
            !Find(s.panel, kNewActive, FieldWriter::kStation, FieldType::kF32, &r.newActive, error, size) ||
            !Find(s.panel, kAcknowledge, FieldWriter::kSimulation, FieldType::kU8, &r.acknowledge, error, size)) {
          return false;
        }
        for (int i = 0; i < kRadioCount; i++) {
          if (!Find(s.panel, kActiveNames[i], FieldWriter::kSimulation, FieldType::kF32, &to, error, size)) {
            return false;
          }
          r.active[i] = -1;
          for (int v = 0; v < valueCount_; v++) {
            if (values_[v].to == to) r.active[i] = v;
          }
          if (r.active[i] < 0) return Missing(error, size, s.panel, kActiveNames[i]);
        }
        r.present = true;
        break;
      }
    }
  }
  return true;
}

bool DemoSimulation::Build(char* error, size_t size) {
  *this = DemoSimulation();
  built_ = AddButtonLinks(error, size) && AddSpecials(error, size);
  if (!built_) *this = DemoSimulation();
  return built_;
}

int DemoSimulation::WrittenFieldCount() const {
  return linkCount_ + valueCount_ + failureCount_ + (radio_.present ? 1 : 0);
}

void DemoSimulation::Step(uint8_t* area, uint32_t step) {
  if (!built_ || area == nullptr) return;
  using shared_field::Load;
  using shared_field::Store;
  const double seconds = double(step) / kStepsPerSecond;
  for (int i = 0; i < linkCount_; i++) {
    Store<uint8_t>(area + links_[i].to, Load<uint8_t>(area + links_[i].from) != 0 ? 1 : 0);
  }
  StepRadio(area);
  for (int i = 0; i < valueCount_; i++) {
    const Value& v = values_[i];
    // A slow wobble, out of step between the values.
    const double wobble = v.wobble * std::sin(2.0 * M_PI * (seconds / 7.0 + i * 0.3));
    Store<float>(area + v.to, float(v.value + wobble));
  }
  const double inCycle = std::fmod(seconds, double(kFailureCycle));
  for (int i = 0; i < failureCount_; i++) {
    const Failure& f = failures_[i];
    Store<uint8_t>(area + f.lamp, inCycle >= f.start && inCycle < f.start + f.length ? 1 : 0);
  }
}

void DemoSimulation::StepRadio(uint8_t* area) {
  using shared_field::Load;
  using shared_field::Store;
  Radio& r = radio_;
  if (!r.present) return;
  const bool requested = Load<uint8_t>(area + r.request) != 0;
  if (requested && !r.acknowledged) {
    // The standby the panel sent becomes the selected radio's active
    // frequency; a selection or value no radio can take is acknowledged
    // and otherwise ignored.
    const int32_t selection = Load<int32_t>(area + r.selection);
    const float sent = Load<float>(area + r.newActive);
    if (selection >= 0 && selection < kRadioCount && std::isfinite(sent)) {
      values_[r.active[selection]].value = sent;
    }
    r.acknowledged = true;
  } else if (!requested) {
    // The acknowledge stays until the panel has dropped its request.
    r.acknowledged = false;
  }
  Store<uint8_t>(area + r.acknowledge, r.acknowledged ? 1 : 0);
}
