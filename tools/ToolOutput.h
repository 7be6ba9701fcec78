// Standard output for the tools that stay attached while they print (watch,
// record -). They run with the terminating signals blocked, so that they
// always uncount themselves; a write to a pipe whose reader has stopped
// reading would then hold the tool, and its count, until the reader reads.
#pragma once

#include <cstdio>

// A stream on standard output whose writes wait for room with the blocked
// `signals` (a sigset_t) watched: when one of them arrives the write fails
// with EINTR, the signal taken, and the tool ends as if interrupted. One at
// a time; stdout itself when the stream cannot be made.
std::FILE* InterruptibleStandardOutput(const void* signals);
// Flushes and closes that stream; what a failed stream still holds is dropped.
void EndInterruptibleOutput();
// The errno of that stream's first failed write (EINTR: a signal ended a
// wait), or 0.
int InterruptibleOutputError();

// True when standard output is a pipe whose reading end is closed, or a
// terminal that hung up. Never waits. A tool that prints only on change
// would otherwise notice at its next write only (`tarnel-shm watch | head`).
bool StandardOutputReaderGone();
