// The sections of the report, each written in order into one ReportText.
#ifndef VELMORA_REPORT_SECTIONS_H
#define VELMORA_REPORT_SECTIONS_H

#include <cstddef>

#include "report/report_text.h"

// 1. The utility: version, paths, the config folder, code page, locale,
// Windows and Wine.
void ReportUtility(ReportText& report);
// 2. Display: every driver and 3D device with the catalogue's verdicts; and
// 3. config\graphic.cfg: as stored, and what the graphic settings would show.
// Each listed device is made once as the game makes it. When none can be,
// problem (problemSize bytes) gets the sentence that must open the report;
// else it is left empty.
void ReportDisplay(ReportText& report, char* problem, std::size_t problemSize);
// 4. Input: DirectInput, the keyboard and every attached controller; and
// 5. config\input.cfg: as stored, and the device row the control settings
// would open on.
void ReportInput(ReportText& report);

#endif
