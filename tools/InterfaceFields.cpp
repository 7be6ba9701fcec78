#include "tools/InterfaceFields.h"

#include <strings.h>

#include <cstdio>
#include <cstring>

#include "simlink/SharedField.h"

uint32_t LoadFieldBits(const uint8_t* base, const InterfaceField& field) {
  return shared_field::LoadBits(base + field.offset, FieldWidth(field.type));
}

void StoreFieldBits(uint8_t* base, const InterfaceField& field, uint32_t bits) {
  shared_field::StoreBits(base + field.offset, FieldWidth(field.type), bits);
}

void PrintFieldValue(FieldType type, uint32_t bits) {
  switch (type) {
    case FieldType::kI16:
      std::printf("%d", static_cast<int>(static_cast<int16_t>(bits)));
      break;
    case FieldType::kI32:
      std::printf("%ld", static_cast<long>(static_cast<int32_t>(bits)));
      break;
    case FieldType::kF32: {
      float v;
      std::memcpy(&v, &bits, sizeof v);
      std::printf("%.9g", static_cast<double>(v));
      break;
    }
    default:
      std::printf("%lu", static_cast<unsigned long>(bits));
      break;
  }
}

namespace {

struct Collection {
  const FieldSelection* selection;
  InterfaceField* list;
  int capacity;
  int count = 0;
};

bool Collect(const InterfaceField& f, void* context) {
  auto* c = static_cast<Collection*>(context);
  const bool wanted = f.writer == FieldWriter::kStation ? c->selection->outputs : c->selection->inputs;
  if (!wanted) return true;
  if (f.layout[0] != '\0' && std::strcmp(f.layout, LayoutName(c->selection->layout)) != 0) return true;
  // The unit or seat the panel runs with in the station.
  const PanelFacts* facts = FindPanelFacts(f.area);
  if (f.unit >= 0 && facts != nullptr && f.unit != RunningUnit(*facts)) return true;
  // A byte can be declared twice (a lamp in two modes): keep it once.
  for (int i = 0; i < c->count; i++) {
    if (c->list[i].offset == f.offset && c->list[i].type == f.type) return true;
  }
  if (c->count >= c->capacity) return false;
  c->list[c->count++] = f;
  return true;
}

}  // namespace

int CollectStationFields(const FieldSelection& selection, InterfaceField* list, int capacity) {
  Collection collection{&selection, list, capacity};
  VisitInterface(selection.area, Collect, &collection);
  return collection.count;
}

bool KnownInterfaceArea(const char* key) {
  if (strcasecmp(key, "station") == 0) return true;
  const PanelFacts* facts = FindPanelFacts(key);
  return facts != nullptr && facts->tables != nullptr;
}

void ListInterfaceAreas() {
  std::fprintf(stderr, "areas: station");
  for (const PanelFacts& facts : PanelCatalogue()) {
    if (facts.tables != nullptr) std::fprintf(stderr, " %s", facts.key);
  }
  std::fprintf(stderr, "\n");
}
