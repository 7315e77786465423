// Which switch the C runtime's arguments ask for: any case, "/" or "-", the
// first one winning, and everything else ignored so that other launchers'
// arguments keep the launcher.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "launcher/switches.h"

namespace {

TEST(StartSwitchTest, TheFirstSwitchWinsAndEverythingElseIsIgnored) {
  struct Case {
    std::initializer_list<const char*> argv;  // argv[0] is the program
    StartSwitch expected;
  } cases[] = {
      {{"x.exe"}, StartSwitch::kNone},
      {{"/report"}, StartSwitch::kNone},  // the program itself is no switch
      {{"x.exe", "-REPORT"}, StartSwitch::kReport},
      {{"x.exe", "/Graphics"}, StartSwitch::kGraphics},
      {{"x.exe", "-controls"}, StartSwitch::kControls},
      {{"x.exe", "/?"}, StartSwitch::kHelp},
      {{"x.exe", "-lang=ko", "C:\\My Games\\-graphics", "/controls", "/report"},
       StartSwitch::kControls},
      // "C:\Games\" /report on the command line: one argument, as for any program.
      {{"x.exe", "C:\\Games\" /report"}, StartSwitch::kNone},
      {{"x.exe", "report", "/reports", "/graphic", "//report", "/report\xE3"}, StartSwitch::kNone},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv(c.argv);
    argv.push_back(nullptr);
    EXPECT_EQ(c.expected, ParseStartSwitch(static_cast<int>(c.argv.size()), argv.data()))
        << c.argv.size() << " arguments, the last " << *(c.argv.end() - 1);
  }
}

}  // namespace
