// File names on Linux for a design that writes Windows paths: a backslash is a
// directory separator, and art sets made on a case-insensitive file system are
// found whatever the case of their names.
#pragma once

#include <cstddef>

namespace platform {

// Copies the path with every backslash turned into '/'.
void ToNativePath(const char* path, char* out, std::size_t size);

// Folder of the running program (from /proc/self/exe), ending in '/'.
// Empty when it cannot be found.
const char* ProgramFolder();

// Finds an existing file or folder for the path: the path as it stands (after
// ToNativePath), otherwise matched case-insensitively component by component.
// On success out holds the path to open and the result is true; otherwise out
// holds the native path and the result is false.
bool ResolvePath(const char* path, char* out, std::size_t size);

// True when the path (resolved as above) names an existing regular file.
bool FileExists(const char* path);

// The longest path completed from a program-relative value.
constexpr std::size_t kCompletedPathMax = 259;

// Joins a program-relative value (one that began with ..\ or ../, given
// without those three characters) to a folder: the folder's trailing
// separator and levelsUp - 1 further trailing components are cut, then "/"
// and the value follow; with levelsUp 1 the folder itself is kept. Every
// backslash of the result becomes '/', so other programs can open it as
// stored. The result is cut to kCompletedPathMax characters (and to size - 1).
void JoinToFolder(const char* folder, int levelsUp, const char* value, char* out, std::size_t size);

}  // namespace platform
