// Replacing a file in one step, the last step of saving a settings file.
#pragma once

// Moves source onto target, replacing target if it exists, as one operation: either
// target then holds source's bytes and source is gone, or nothing changed. Refuses
// (returns false) when target is read-only or is a folder, and when source and
// target are not on the same volume.
bool ReplaceFileInOneStep(const char* source, const char* target);
