// When two functions' rows share one input: the rule of the dialog's red
// labels and of the report's shared-input lines.
#include <gtest/gtest.h>

#include "controls/controller_notes.h"
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

// What the input test shows of a function, as the game will read it.
TEST(FunctionValueTest, PercentagesAndOnOffByTheRule) {
  // {calibMin, calibMax, value, percent}: both directions, clamping, equal ends.
  const int percents[][4] = {{0, 1000, 600, 60},   {0, -1000, -600, 60}, {0, -1000, 300, 0},
                             {-1000, 1000, 0, 50}, {0, 1000, 1000, 100}, {12, -980, -2000, 100},
                             {500, 500, 900, 0},   {1000, 0, 250, 75}};
  for (const auto& c : percents)
    EXPECT_EQ(c[3], CalibratedPercent(c[2], {c[0], c[1]})) << c[0] << ".." << c[1] << " @" << c[2];

  uint8_t keys[kKeyCodeCount] = {};
  keys[87] = 0x80;  // F11, row 84
  EXPECT_EQ(1, KeyFunctionValue(84, keys).value);
  EXPECT_EQ(0, KeyFunctionValue(87, keys).value);  // row 87 is no code 87
  EXPECT_EQ(0, KeyFunctionValue(0, keys).value);
  EXPECT_EQ(0, KeyFunctionValue(-1, keys).value);

  // Axes X -800, Y 0, Z 501, Rx -501; button 1 down.
  ControllerReading r = {{-800, 0, 501, -501}, {0x80}};
  constexpr int L = 0, R = 1, A = 2, B = 3, V = 8;
  const CalibrationPair toNeg = {0, -1000}, toPos = {0, 1000}, equal = {0, 0};
  struct Case {
    int function;
    int32_t row, mode;
    CalibrationPair pair;
    bool percent;
    int32_t value;
  } cases[] = {
      {V, 25, 0, toPos, false, 1},  {V, 26, 0, toPos, false, 0},  // buttons
      {V, 1, 0, toPos, false, 1},   {V, 2, 0, toPos, false, 0},   // X's halves
      {V, 8, 0, toPos, false, 1},   {V, 10, 0, toPos, false, 1},  // Z's, Rx's: beyond 500
      {V, 6, 0, toPos, false, 0},   {V, 3, 0, toPos, false, 1},   // whole axes
      {V, 0, 0, toPos, false, 0},   {L, 3, 0, toNeg, false, 1},   // row 0; steering's side
      {R, 3, 0, toPos, false, 0},   {L, 3, 0, equal, false, 1},   {R, 3, 0, equal, false, 0},
      {A, 9, 1, {-1000, 1000}, true, 75}, {A, 7, 1, toPos, true, 50},  // the whole axis behind
      {B, 25, 1, toPos, false, 1},  {B, 0, 1, toPos, true, 0},    // button row, row 0
      {B, -1, 1, toPos, true, 0},   {A, 9, 1, {500, 500}, true, 0},
      {L, 3, 1, toNeg, true, 80},   {V, 3, 1, toNeg, false, 1},   // only LEFT..BRAKE analog
  };
  for (const Case& c : cases) {
    FunctionValue v = ControllerFunctionValue(c.function, c.row, c.mode, c.pair, r);
    EXPECT_EQ(c.percent, v.percent) << c.function << ":" << c.row;
    EXPECT_EQ(c.value, v.value) << c.function << ":" << c.row;
  }
  // Triggers: two halves of one axis the controller has (Z is axis 2), not
  // the same half, a whole axis, two axes, or an axis it lacks.
  const uint32_t z = 1u << 2;
  struct Pair { int32_t accele, brake; uint32_t axes; bool share; };
  const Pair pairs[] = {{7, 8, z, true}, {8, 7, z, true}, {7, 7, z, false}, {9, 8, z, false},
                        {4, 8, z, false}, {25, 26, z, false}, {7, 8, 0x3u, false}};
  for (const Pair& p : pairs)
    EXPECT_EQ(p.share, TriggersShareAxis(p.accele, p.brake, p.axes)) << p.accele << "," << p.brake;
}

// The pedals a reading rests on: the brake's order, the controller's own axes,
// the ends' limit.
TEST(ControllerNotesTest, PedalsFromWhereTheyRest) {
  const uint32_t all = 0xFF, noRz = 0xDF;
  struct Rest { ControllerReading reading; uint32_t axes; int32_t accele, brake; CalibrationPair a, b; } rests[] = {
      {{{0, 1000, 0, 0, 0, 1000}}, all, 6, 18, {1000, -1000}, {1000, -1000}},  // Y, then Rz first
      {{{0, -950, 990, 0, 0, 0, -900}}, all, 6, 9, {-950, 1000}, {990, -1000}},  // Z before Slider 1
      {{{0, 900, 0, 0, 0, 1000, 0, 0}}, noRz, 6, 0, {900, -1000}, {0, 1000}},  // Rz not its own
      {{{0, 900, 0, 0, -999}}, all, 6, 15, {900, -1000}, {-999, 1000}},  // Ry, the last looked at
      {{{1000, 899, 1000}}, all, 4, 5, {0, -1000}, {0, 1000}},            // Y not at an end: today's
      {{{0, 1000}}, 0x1, 4, 5, {0, -1000}, {0, 1000}},                     // Y not its own
  };
  for (const Rest& r : rests) {
    RestingPedals p = PedalsFromRest(r.reading, r.axes, {0, 1000});
    EXPECT_EQ(r.accele != 4, p.found) << r.reading.axes[1];
    if (!p.found) continue;
    EXPECT_EQ(r.accele, p.acceleRow);
    EXPECT_EQ(r.brake, p.brakeRow) << r.reading.axes[1];
    EXPECT_EQ(r.a.calibMin, p.accele.calibMin);
    EXPECT_EQ(r.a.calibMax, p.accele.calibMax);
    EXPECT_EQ(r.b.calibMin, p.brake.calibMin) << r.brake;
    EXPECT_EQ(r.b.calibMax, p.brake.calibMax) << r.brake;
  }
  EXPECT_TRUE(ReadingAllZero({{0, 0, 0, 5}}, 0x7));  // Rx is not the controller's
  EXPECT_FALSE(ReadingAllZero({{0, 0, 1}}, 0x7));
}

}  // namespace
