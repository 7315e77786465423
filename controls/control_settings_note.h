// The control settings' note (control 1038) and the steering preset's look at
// where the pedals rest. The dialog calls these from its handlers; what they
// decide about the pedals goes into the lists and ControlSettings as the
// player's own changes would.
#ifndef VELMORA_CONTROL_SETTINGS_NOTE_H
#define VELMORA_CONTROL_SETTINGS_NOTE_H

#include <windows.h>

#include <cstdint>

// Forgets everything: the dialog opens, or closes.
void ResetControlNote();
// A preset was just shown for device row `row` (preset number `preset`): the
// steering preset looks at the controller on its first successful read.
void NotePresetApplied(int32_t row, int preset);
// After each successful read of the selected controller. True when the
// preset's pedals were set from where they rest by this read.
bool NoteControllerRead(HWND dialog);
// Works the note out again from the device, the modes and `rows`, the ten
// functions' rows shown now (FunctionComboIds order).
void ShowControlNote(HWND dialog, const int32_t* rows);

#endif
