// When two functions' rows share one input: the rule of the dialog's red
// labels and of the report's shared-input lines.
#include <gtest/gtest.h>

#include "controls/input_rules.h"

namespace {

TEST(InputsSharedTest, SameRowWholeAxisAndHalvesByTheRule) {
  constexpr int L = 0, R = 1, A = 2, B = 3;  // LEFT, RIGHT, ACCELE, BRAKE
  // {first function, its row, second function, its row, shared?}
  const int keys[][5] = {{A, 44, B, 44, 1}, {A, 45, B, 44, 0}, {L, 111, R, 111, 1},
                         {A, 0, B, 0, 0},   {A, -1, B, -1, 0}, {A, 121, B, 121, 0},
                         {A, 3, B, 1, 0},   {A, 44, A, 44, 0}};
  const int controller[][5] = {{A, 25, B, 25, 1}, {A, 0, B, 0, 0}, {A, 57, B, 57, 0},
                               {A, 7, B, 7, 1},   {A, 7, B, 8, 0}, {A, 9, B, 8, 1},
                               {A, 7, B, 9, 1},   {A, 9, B, 9, 1}, {A, 3, B, 5, 0},
                               {A, 24, B, 25, 0}, {L, 3, R, 3, 0}, {R, 3, L, 3, 0},
                               {L, 1, R, 2, 0},   {L, 3, R, 2, 1}, {L, 1, R, 1, 1},
                               {L, 3, A, 3, 1}};
  for (const auto& c : keys)
    EXPECT_EQ(c[4] != 0, InputsShared(c[0], c[1], c[2], c[3], true)) << c[0] << ":" << c[1] << " "
                                                                      << c[2] << ":" << c[3];
  for (const auto& c : controller)
    EXPECT_EQ(c[4] != 0, InputsShared(c[0], c[1], c[2], c[3], false)) << c[0] << ":" << c[1] << " "
                                                                       << c[2] << ":" << c[3];
}

}  // namespace
