// The command line's switches: /report, /graphics, /controls and /?, or "-" in
// place of "/", in any case. Anything else is left to whoever passed it: a game
// launcher that hands the utility arguments of its own still gets the launcher.
#ifndef VELMORA_SWITCHES_H
#define VELMORA_SWITCHES_H

enum class StartSwitch { kNone, kReport, kGraphics, kControls, kHelp };

// The first switch among the words of commandLine (blank-separated; a word in
// double quotes may hold blanks), or kNone.
StartSwitch ParseStartSwitch(const char* commandLine);

// The message box that lists the switches, in Korean with English under each.
void ShowSwitchHelp();

#endif
