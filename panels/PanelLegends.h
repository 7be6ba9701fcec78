// What is printed at each control row of the panels: the legend it goes by
// and, for a push button or light, its lamp texts. Taken from the art
// description the panel picture and the control images are drawn from
// (art/art_sets.txt), matched to a row by panel and place in the A330 layout,
// so the interface description and the picture cannot disagree.
#pragma once

#include <cstddef>
#include <cstdint>

#include "panels/PanelRows.h"

struct PanelFacts;

struct RowLegend {
  char legend[48] = {};  // "L TK PUMP 1"; "" when nothing is printed at the control
  char upper[16] = {};   // upper (or only) lamp text: "FAULT", "..." (dots), "-" (bar); "" none
  char lower[16] = {};   // lower lamp text
  bool drawn = false;    // the art draws a control of the row's kind at the row's place
};

// The texts of a row; an empty legend for a row the art does not show.
// Built once, on the first call; nothing is allocated afterwards.
const RowLegend& FindRowLegend(const PanelFacts& facts, RowRef row);

// A row's stable id: "fuel.button3" (panel key, kind, control number).
void RowId(const PanelFacts& facts, RowRef row, char* out, size_t size);
// The kind as one word for ids: "button", "guarded", "rotary", ...
const char* RowKindWord(RowKind kind);
// A lamp text as a role names it: "FAULT", "(dots)", "(bar)".
const char* LampWords(const char* text);
