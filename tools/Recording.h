// tarnel-shm's record and replay commands: the station's interface fields
// written to a file as timed changes, and written back at their pace.
//
// The file holds JSON lines (one object per line, UTF-8):
//   {"recording":"tarnel-shm","version":1,"layout":"A330","area":"all","fields":N}
//   {"t":0.000,"area":"oxygen","field":"CREW SUPPLY position","offset":74900,
//    "type":"u8","writer":"station","value":1}
//   ...
//   {"t":12.345,"end":true,"changes":M}
// The header comes first. Then, at t = 0, one line per field with its value
// when the recording started, then one line per change, t in seconds since
// the start. "value" is the field's number as its type reads it; a float
// also has "bits", its exact 32-bit pattern (NaN and infinity have "value":
// null). "writer" is "simulation" for the fields the simulation writes (the
// inputs) and "station" for those the station writes. The end line gives the
// recording's length. Readers ignore keys they do not know.
#pragma once

#include <cstdint>

// record FILE [AREA] [--seconds N] [--rate HZ] [--a320] [--with-count]
// Exit status 0, or 2 for bad arguments.
int ParseRecordArguments(int argc, char** argv);
// Records until N seconds have passed, one of the blocked signals arrives or
// the reader of standard output (FILE "-") goes away. FILE is a new or a
// regular file, never one under /dev/shm. Exit status 0, or 1 when the file
// cannot be written.
int RecordCommand(int argc, char** argv, const uint8_t* base, const void* signals);

// replay FILE|- [--outputs]: checks the arguments and the whole recording
// before anything is attached, and keeps it open for ReplayCommand. FILE is
// a regular file; "-" reads standard input whole into memory (bounded).
// Exit status 0, 1 for a recording that cannot be used (the reason, with its
// line number, on stderr) or 2 for bad arguments.
int CheckReplay(int argc, char** argv);
// True when the arguments ask for the station's fields to be written too.
bool ReplayWritesOutputs(int argc, char** argv);
// Writes the recorded values back at their recorded times (the station's
// fields only with --outputs), until the end or a blocked signal. Reads the
// recording CheckReplay opened.
int ReplayCommand(int argc, char** argv, uint8_t* base, const void* signals);
