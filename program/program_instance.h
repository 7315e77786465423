// The module instance every dialog of the utility is created from, and the
// common-control classes their templates use.
#ifndef VELMORA_PROGRAM_INSTANCE_H
#define VELMORA_PROGRAM_INSTANCE_H

#include <windows.h>

// The module instance handed to WinMain; every dialog of the utility is created
// from its resources.
extern HINSTANCE ProgramInstance;

// Registers the common-control window classes that the dialog templates use
// (the trackbars of the graphic settings and calibration dialogs).
void RegisterDialogControlClasses();

#endif
