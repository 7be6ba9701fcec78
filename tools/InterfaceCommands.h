// tarnel-shm's describe and watch commands: the station's interface fields,
// generated from the panels' own declarations.
#pragma once

#include <cstdint>

// describe [PANEL] [--json|--csv] [--layout A330|A320] [--station]: prints
// every field with its id, the control's legend and the field's role; the
// unit or seat the station runs is starred, --station keeps only the fields
// the running station uses.
// Exit status 0, or 2 for bad arguments.
int DescribeCommand(int argc, char** argv);

// Checks watch's arguments (argv[0] is "watch"); 0 when good, else 2 with the
// reason on stderr.
int ParseWatchArguments(int argc, char** argv);
// noise [AREA] [--rate HZ] [--seconds N] [--seed S]: writes random bytes
// into every field the simulation writes, HZ times a second, for N seconds
// or until one of the blocked signals arrives. For soak tests.
int ParseNoiseArguments(int argc, char** argv);
int NoiseCommand(int argc, char** argv, uint8_t* base, const void* signals);

// watch [PANEL] [--inputs] [--a320]: prints each change of the fields until
// one of the blocked signals in `signals` arrives. base: the attached area.
int WatchCommand(int argc, char** argv, const uint8_t* base, const void* signals);
