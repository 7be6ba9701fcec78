// The interface fields the tools read and write: each loaded and stored in
// one access, and the station's own selection of them (its layout, and the
// unit or seat each panel runs with).
#pragma once

#include <cstdint>

#include "panels/PanelInterface.h"

// The field's raw bits, zero-extended (one access).
uint32_t LoadFieldBits(const uint8_t* base, const InterfaceField& field);
// Stores the low bits of `bits` that fit the field (one access).
void StoreFieldBits(uint8_t* base, const InterfaceField& field, uint32_t bits);

// Prints the bits as the field's type reads them (floats with full precision).
void PrintFieldValue(FieldType type, uint32_t bits);

// Which fields a tool takes.
struct FieldSelection {
  const char* area = nullptr;  // a panel key, "station", or null for all
  PanelLayout layout = kLayoutA330;
  bool inputs = true;   // fields the simulation writes
  bool outputs = true;  // fields the station writes
};

// The selected fields in the station's units, each offset once, in the
// interface's order. Returns how many were stored (at most `capacity`).
int CollectStationFields(const FieldSelection& selection, InterfaceField* list, int capacity);

// True for "station" and the key of every built panel.
bool KnownInterfaceArea(const char* key);
// Lists the area names on stderr.
void ListInterfaceAreas();
