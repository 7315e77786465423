// When two functions' rows share one input: the rule the dialog's red labels
// and the report's shared-input lines both follow.
#include <gtest/gtest.h>

#include "controls/input_rules.h"

namespace {

// Positions in FunctionComboIds order.
constexpr int kLeft = 0, kRight = 1, kAccele = 2, kBrake = 3, kViewDown = 9;

TEST(InputsSharedTest, SameRowWholeAxisAndHalvesByTheRule) {
  struct Case {
    const char* name;
    int first;
    int32_t firstRow;
    int second;
    int32_t secondRow;
    bool keyRows;
    bool shared;
  } cases[] = {
      {"one key for two functions", kAccele, 44, kBrake, 44, true, true},
      {"two keys", kAccele, 45, kBrake, 44, true, false},
      {"LEFT and RIGHT on one key", kLeft, 111, kRight, 111, true, true},
      {"NONE is no input", kAccele, 0, kBrake, 0, true, false},
      {"no selection", kAccele, -1, kBrake, -1, true, false},
      {"beyond the key table", kAccele, 121, kBrake, 121, true, false},
      {"key rows are never axes: 3 and 1", kLeft, 3, kViewDown, 1, true, false},
      {"one button", kAccele, 25, kBrake, 25, false, true},
      {"なし is no input", kAccele, 0, kBrake, 0, false, false},
      {"beyond the controller table", kAccele, 57, kBrake, 57, false, false},
      {"one half of Z twice", kAccele, 7, kBrake, 7, false, true},
      {"the two halves of Z: triggers", kAccele, 7, kBrake, 8, false, false},
      {"whole Z and its positive half", kAccele, 9, kBrake, 8, false, true},
      {"negative half and whole Z", kAccele, 7, kBrake, 9, false, true},
      {"whole Z twice", kAccele, 9, kBrake, 9, false, true},
      {"whole X and half of Y", kAccele, 3, kBrake, 5, false, false},
      {"whole S2 and a button", kAccele, 24, kBrake, 25, false, false},
      {"LEFT and RIGHT on whole X: analog steering", kLeft, 3, kRight, 3, false, false},
      {"RIGHT and LEFT on whole X, either order", kRight, 3, kLeft, 3, false, false},
      {"LEFT and RIGHT on the halves of X", kLeft, 1, kRight, 2, false, false},
      {"LEFT on whole X, RIGHT on its half", kLeft, 3, kRight, 2, false, true},
      {"LEFT and RIGHT on one half", kLeft, 1, kRight, 1, false, true},
      {"LEFT and ACCELE on whole X", kLeft, 3, kAccele, 3, false, true},
      {"one function with itself", kAccele, 44, kAccele, 44, true, false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.shared, InputsShared(c.first, c.firstRow, c.second, c.secondRow, c.keyRows))
        << c.name;
  }
}

}  // namespace
