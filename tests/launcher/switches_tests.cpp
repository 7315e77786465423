// Which switch the C runtime's arguments ask for: any case, "/" or "-", the
// first one winning, and everything else ignored so that other launchers'
// arguments keep the launcher.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "launcher/switches.h"

namespace {

TEST(StartSwitchTest, TheFirstSwitchWinsAndEverythingElseIsIgnored) {
  struct Case {
    std::initializer_list<const char*> arguments;  // after the program's own
    StartSwitch expected;
  } cases[] = {
      {{}, StartSwitch::kNone},
      {{""}, StartSwitch::kNone},
      {{"/report"}, StartSwitch::kReport},
      {{"-REPORT"}, StartSwitch::kReport},
      {{"/Graphics"}, StartSwitch::kGraphics},
      {{"-controls"}, StartSwitch::kControls},
      {{"/?"}, StartSwitch::kHelp},
      {{"-?"}, StartSwitch::kHelp},
      {{"-lang=ko", "C:\\My Games\\-graphics", "/controls", "/report"}, StartSwitch::kControls},
      // "C:\Games\" /report on the command line: one argument, as for any program.
      {{"C:\\Games\" /report"}, StartSwitch::kNone},
      {{"/report now"}, StartSwitch::kNone},
      {{"report", "graphics"}, StartSwitch::kNone},
      {{"/reports", "/graphic", "//report"}, StartSwitch::kNone},
      {{"/report\xE3"}, StartSwitch::kNone},
      {{"-windowed", "-xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx", "-graphics"},
       StartSwitch::kGraphics},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"velmora-config.exe"};
    argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
    std::string shown;
    for (const char* argument : c.arguments) shown += std::string("[") + argument + "]";
    argv.push_back(nullptr);
    EXPECT_EQ(c.expected, ParseStartSwitch(static_cast<int>(argv.size()) - 1, argv.data()))
        << shown;
  }
  EXPECT_EQ(StartSwitch::kNone, ParseStartSwitch(0, nullptr));
  const char* const onlyTheProgram[] = {"/report", nullptr};
  EXPECT_EQ(StartSwitch::kNone, ParseStartSwitch(1, onlyTheProgram)) << "argv[0] is no switch";
}

}  // namespace
