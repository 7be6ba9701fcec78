// The station's interface as a list of fields, generated from the panels'
// tables and the area layout: what tarnel-shm describes and watches.
#pragma once

#include <cstddef>
#include <cstdint>

#include "panels/PanelBlock.h"
#include "panels/PanelCatalogue.h"

struct InterfaceField {
  const char* area = "";            // a panel's key, or "station" for the area's own fields
  const char* layout = "";          // "A330", "A320", or "" where the layout does not matter
  const char* unitName = "";        // "seat", "unit", or "" where blocks do not depend on one
  int32_t unit = -1;
  BlockKind block = BlockKind::kInput;  // for panel fields
  uint32_t offset = 0;                  // from the start of the generic area
  FieldType type = FieldType::kU8;
  FieldWriter writer = FieldWriter::kSimulation;
  char name[64] = {};
  char meaning[112] = {};
};

// Called once per field; returning false stops the walk.
using FieldVisitor = bool (*)(const InterfaceField& field, void* context);

// Every field of one panel's tables in one layout and unit (unit ignored
// where blocks do not depend on it). Returns the number visited.
int VisitPanelFields(const PanelFacts& facts, PanelLayout layout, int32_t unit, FieldVisitor visit, void* context);
// The area's own fields the station reads or writes.
int VisitStationFields(FieldVisitor visit, void* context);
// Everything: the station's fields, then each built panel in id order in
// every layout it has (and every unit where its blocks depend on one).
// key: one panel's key (case-insensitive), "station", or null for all.
int VisitInterface(const char* key, FieldVisitor visit, void* context);
// The layouts a panel has.
bool PanelHasLayout(const PanelFacts& facts, PanelLayout layout);
