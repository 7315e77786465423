#include "program/program_instance.h"

#include <commctrl.h>

// Set by start-up before any dialog exists; test programs set it to their own
// module, which carries the same templates.
HINSTANCE ProgramInstance;

void RegisterDialogControlClasses() {
  INITCOMMONCONTROLSEX classes;
  classes.dwSize = sizeof(classes);
  classes.dwICC = ICC_BAR_CLASSES;
  InitCommonControlsEx(&classes);
}
