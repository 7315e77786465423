// The utility's report of what it sees: its own state, the display devices,
// the input devices and how both settings files read on this machine, in one
// text file a player can attach to a request for help.
#ifndef VELMORA_REPORT_H
#define VELMORA_REPORT_H

// Writes the report to path, through a temporary file beside it: false when it
// could not be written, and an older report is then left whole. Shows no
// window or message, whatever fails; reads both settings files and changes
// neither.
bool WriteReport(const wchar_t* path);

// The /report run: config\report.txt beside the exe, its full path printed to
// the console the utility was started from (or to its redirected output).
// Returns the exit code: 0 written, 1 not.
int RunReport();

#endif
