// Whether anyone still reads a tool's output. A tool that prints only on
// change (watch, record -) would otherwise notice a reader that went away
// (`tarnel-shm watch | head -3`) only at its next write.
#pragma once

#include <cstdio>

// True when the stream's descriptor is a pipe whose reading end is closed,
// or a terminal that hung up. Never waits.
bool OutputReaderGone(std::FILE* stream);
