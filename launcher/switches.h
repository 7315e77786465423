// The command line's switches: /report, /graphics, /controls and /?, or "-" in
// place of "/", in any case. Anything else is left to whoever passed it: a game
// launcher that hands the utility arguments of its own still gets the launcher.
#ifndef VELMORA_SWITCHES_H
#define VELMORA_SWITCHES_H

enum class StartSwitch { kNone, kReport, kGraphics, kControls, kHelp };

// The first switch among the arguments argv[1] to argv[argc - 1], or kNone.
// argv[0] is the program itself. The arguments are the C runtime's (__argc,
// __argv), split by the rules every other Windows program's are, so a quoted
// path ending in a backslash is one argument here as there.
StartSwitch ParseStartSwitch(int argc, const char* const* argv);

// The message box that lists the switches, in Korean with English under each.
void ShowSwitchHelp();

#endif
