// What the report's test programs share: a scratch folder taken as the program
// directory, with its config folder, and one section of the report written
// there and read back.
#ifndef VELMORA_REPORT_TEST_SUPPORT_H
#define VELMORA_REPORT_TEST_SUPPORT_H

#include <gtest/gtest.h>

#include <string>

#include "program/program_directory.h"
#include "report/report_sections.h"
#include "tests/settings/settings_test_files.h"

class ReportSectionTest : public ::testing::Test {
 protected:
  void SetUp() override {
    MakeFolder(folder_.File("config"));
    SetProgramDirectory(NativePath(folder_.path() + "\\").c_str(), false, L"");
  }
  // The bytes `section` writes into a report of its own.
  std::string Report(void (*section)(ReportText&)) {
    std::string path = folder_.File("report.txt"), text;
    ReportText report;
    EXPECT_TRUE(BeginReportText(report, NativePath(path).c_str()));
    section(report);
    EXPECT_TRUE(FinishReportText(report));
    EXPECT_TRUE(ReadFileBytes(path, text));
    return text;
  }
  ScratchFolder folder_;
};

#endif
