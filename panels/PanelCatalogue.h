// Every fact about each panel of the overhead picture that is not one of its
// controls: its id and rectangle, class name, progress and failure texts, its
// place in the start-up order, the lists it belongs to, how it takes its
// aircraft fit and start-up arguments, and its tables. The cockpit manager,
// the panels, the interface description and the tests all read it here.
#pragma once

#include <cstdint>
#include <span>

struct PanelTables;

// How a panel decides its aircraft fit.
enum class PanelFit : uint8_t {
  kNone,    // one layout; blocks fixed; no fit step
  kCommon,  // the common step: CheckAircraftFit chooses layout and blocks
  kOwn,     // the panel decides inside its own Initialise (its class has no CheckAircraftFit)
};

struct PanelFacts {
  int32_t id;
  const char* key;            // short name for tools: "oxygen", "fuel-jettison"
  const char* className;      // the panel's class
  const char* progress;       // report text while initialising
  const char* nullAreaClass;  // in "::Initialise --> SharedMemory ptr not set"
  const char* fitClass;       // in "::Initialise --> Incorrect aircraft fit"; null: none
  PanelFit fit;
  int32_t x, y, width, height;  // picture rectangle
  int32_t initialiseOrder;      // 1 first; 0: no panel behind the id
  bool resetList;               // reset on the simulation's request, and display-only by the station
  int32_t unit;                 // unit or seat number given before Initialise; -1: none
  int32_t typeArgument;         // aircraft type given as Initialise's fourth argument; 0: none
  const PanelTables* tables;    // null until the panel is built
};

// Every id with a rectangle, in id order (ids without a panel have order 0).
std::span<const PanelFacts> PanelCatalogue();
// The facts of an id; null for an id without a rectangle.
const PanelFacts* FindPanelFacts(int32_t id);
// By key (case-insensitive); null when unknown.
const PanelFacts* FindPanelFacts(const char* key);

// Registers this module's identification lines once per process.
void RegisterPanelCatalogueRevision();
