// Where the settings files meet the file system. Their text is bytes on every
// system; the paths they live at are in each platform's own form: UTF-16 on
// Windows, whose narrow file calls pass through the ANSI code page and turn
// every character it cannot hold (a Korean folder on an English Windows) into
// "?"; bytes on POSIX.
#pragma once

#include <cstddef>
#include <cstdio>

#ifdef _WIN32
typedef wchar_t PathChar;
#else
typedef char PathChar;
#endif

// The length of a path, in PathChar units.
inline std::size_t PathLength(const PathChar* path) {
  std::size_t length = 0;
  while (path[length] != 0) ++length;
  return length;
}

// Opens path in binary mode, for reading or, truncated or created, for writing;
// null when it cannot.
std::FILE* OpenPath(const PathChar* path, bool forWriting);

// Deletes the file at path; false when it could not.
bool RemovePath(const PathChar* path);

// Moves source onto target, replacing target if it exists, as one operation: either
// target then holds source's bytes and source is gone, or nothing changed. Refuses
// (returns false) when target is read-only or is a folder, and when source and
// target are not on the same volume.
bool ReplaceFileInOneStep(const PathChar* source, const PathChar* target);
