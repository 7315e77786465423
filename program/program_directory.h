// The executable's directory and the one shared buffer that settings paths are
// built in. Both are process-wide and hold at most 260 bytes with the NUL.
#ifndef VELMORA_PROGRAM_DIRECTORY_H
#define VELMORA_PROGRAM_DIRECTORY_H

#include <cstddef>

constexpr std::size_t kPathCapacity = 260;

// The executable's directory, ending in a backslash; empty when it could not be
// settled (then every ProgramPath result is empty and every open of one fails).
extern char ProgramDirectory[kPathCapacity];

// Settles ProgramDirectory from the executable's full path. `currentDirectory`
// is used when the path holds no backslash; `modulePathTruncated` says the
// platform cut the path to fit its buffer, so its directory part may name another
// folder and is not used.
void SetProgramDirectory(const char* modulePath, bool modulePathTruncated,
                         const char* currentDirectory);

// ProgramDirectory followed directly by `relativeName`, in the one shared path
// buffer: each call overwrites the previous result. A result that would not fit
// is the empty string, so opening it fails instead of opening a cut path that
// names some other file.
const char* ProgramPath(const char* relativeName);

#endif
