// What a program does when another process makes a segment it uses smaller:
// an access past the new end raises SIGBUS. The handler says so on stderr,
// uncounts the program from every segment whose count it can still reach
// (removing the name of any it was the last user of), names the others, and
// ends the program with kExitStatus instead of dying of the signal.
#pragma once

#include <cstddef>
#include <cstdint>

namespace segment_fault {

constexpr int kExitStatus = 3;

// Installs the handler; program names the program in its message.
void Install(const char* program);
// Segments in use, registered by VersionedSegment while it counts itself.
void Track(int fd, uint8_t* base, uint32_t countOffset, const char* objectName);
void Untrack(const uint8_t* base);

}  // namespace segment_fault
