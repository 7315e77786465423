// Which switch a command line asks for: any case, "/" or "-", quoted words, and
// everything else ignored so that other launchers' arguments keep the launcher.
#include <gtest/gtest.h>

#include "launcher/switches.h"

namespace {

TEST(StartSwitchTest, TheFirstSwitchWinsAndEverythingElseIsIgnored) {
  struct Case {
    const char* commandLine;
    StartSwitch expected;
  } cases[] = {
      {nullptr, StartSwitch::kNone},
      {"", StartSwitch::kNone},
      {"  \t ", StartSwitch::kNone},
      {"/report", StartSwitch::kReport},
      {"-REPORT", StartSwitch::kReport},
      {"\t/Graphics  ", StartSwitch::kGraphics},
      {"-controls", StartSwitch::kControls},
      {"/?", StartSwitch::kHelp},
      {"-?", StartSwitch::kHelp},
      {"\"/report\"", StartSwitch::kReport},
      {"-lang=ko \"C:\\My Games\\-graphics\" /controls /report", StartSwitch::kControls},
      {"\"/report now\"", StartSwitch::kNone},
      {"report graphics", StartSwitch::kNone},
      {"/reports /graphic //report", StartSwitch::kNone},
      {"/report\xE3", StartSwitch::kNone},
      {"/REPORT\"\"", StartSwitch::kReport},
      {"-windowed -xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx -graphics", StartSwitch::kGraphics},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.expected, ParseStartSwitch(c.commandLine))
        << (c.commandLine != nullptr ? c.commandLine : "(null)");
  }
}

}  // namespace
