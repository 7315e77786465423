// The executable's directory and the one shared buffer that settings paths are
// built in. Both are process-wide, in UTF-16 as the system's wide file calls
// take them (a folder of any name), and hold at most MAX_PATH (260) units with
// the NUL.
#ifndef VELMORA_PROGRAM_DIRECTORY_H
#define VELMORA_PROGRAM_DIRECTORY_H

#include <cstddef>

constexpr std::size_t kPathCapacity = 260;

// The executable's directory, ending in a backslash; empty when it could not be
// settled (then every ProgramPath result is empty and every open of one fails).
extern wchar_t ProgramDirectory[kPathCapacity];

// Settles ProgramDirectory from the executable's full path. `currentDirectory`
// is used when the path holds no backslash; `modulePathTruncated` says the
// platform cut the path to fit its buffer, so its directory part may name another
// folder and is not used.
void SetProgramDirectory(const wchar_t* modulePath, bool modulePathTruncated,
                         const wchar_t* currentDirectory);

// ProgramDirectory followed directly by `relativeName`, in the one shared path
// buffer: each call overwrites the previous result. A result that would not fit
// is the empty string, so opening it fails instead of opening a cut path that
// names some other file.
const wchar_t* ProgramPath(const wchar_t* relativeName);

#endif
