// Start-up and the launcher dialog, from which the graphics and controls runs
// are started.
#ifndef VELMORA_LAUNCHER_H
#define VELMORA_LAUNCHER_H

#include <windows.h>

// Reads the executable's path from the platform and settles ProgramDirectory.
void SettleProgramDirectory();

// Makes ProgramDirectory the current directory and makes sure "config" exists
// in it. False, with nothing changed or made, when there is no program
// directory or it cannot be entered.
bool EnterProgramDirectory();

// Hands the dialogs' face check the texts of the lists the dialogs fill from
// the program's own tables (start-up does it before the first dialog).
void ShareDialogListTexts();

// The whole life of the process after WinMain: settle and enter the program
// directory, make sure "config" exists beside the executable, then do what the
// command line's switch asks (the report, one settings run alone, the help) or,
// without one, show the launcher until it is closed. Returns the process exit
// code: 1 when the report, or the save of /graphics' or /controls' run, could
// not be written; 2 when /graphics or /controls could configure nothing (no 3D
// device, the input devices not set up, or the dialog not shown); 0 otherwise
// (a run cancelled included).
int RunStartUp(HINSTANCE instance, int argc, const char* const* argv);

// Shows the launcher (template 106) as a modal dialog with no owner and returns
// when it is closed: 0 after "종료", Escape or the close box, -1 if it could not
// be shown.
INT_PTR ShowLauncher(HINSTANCE instance);

// Procedure of the launcher dialog (template 106).
INT_PTR CALLBACK LauncherDialogProc(HWND dialog, UINT message, WPARAM wParam,
                                    LPARAM lParam);

#endif
