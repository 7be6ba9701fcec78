// The station's interface as a list of fields, generated from the panels'
// tables and the area layout: what tarnel-shm describes and watches.
#pragma once

#include <cstddef>
#include <cstdint>

#include "panels/PanelBlock.h"
#include "panels/PanelCatalogue.h"
#include "panels/PanelRows.h"

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
  // Stable id: "fuel.button3.position" (panel key, row kind and control
  // number, role); "fuel.lamp_test" for a panel-wide field,
  // "station.iteration_count" for the area's own.
  char id[48] = {};
  char legend[48] = {};  // the control's legend as printed on the panel ("L TK PUMP 1"); "" none
  char role[40] = {};    // the field's role at its control: "upper lamp FAULT", "position"
  int32_t areaId = 0;    // the panel's id; 0 for the area's own fields
  // The rows the field belongs to: the control row that reads or writes it,
  // or the rows a panel-wide field is shown by.
  RowList rows = {};
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
// The layout and unit the station runs a panel with (its aircraft type and
// its unit or seat from the catalogue).
PanelLayout RunningLayout(const PanelFacts& facts);
int32_t RunningUnit(const PanelFacts& facts);
// The running station uses the field: the area's own, or a panel's in the
// layout and unit the station runs that panel with.
bool StationUses(const InterfaceField& field);
// The layouts a panel has.
bool PanelHasLayout(const PanelFacts& facts, PanelLayout layout);

// The field of a panel layout and unit with this name (as describe prints
// it, case-insensitive); false when there is none.
bool FindPanelField(const PanelFacts& facts, PanelLayout layout, int32_t unit, const char* name, InterfaceField* out);
// The fields a control row reads or writes, and the panel-wide fields it
// shows or feeds; a cover or plate answers with the fields of the button it
// covers. Returns the number visited.
int VisitRowFields(const PanelFacts& facts, PanelLayout layout, int32_t unit, RowRef row, FieldVisitor visit,
                   void* context);
// A row's name: its label, or its kind and index ("switch 3").
void RowName(const PanelTables& tables, RowRef row, char* out, size_t size);
// A row as the inspect mode titles it: its id and its legend
// ("fuel.button0 L TK PUMP 1").
void RowTitle(const PanelFacts& facts, RowRef row, char* out, size_t size);
// The field's current value in the area as text ("1", "-3", "118.7"), read
// in one access; any bit pattern gives a text.
void FormatFieldValue(const InterfaceField& field, const uint8_t* area, char* out, size_t size);
