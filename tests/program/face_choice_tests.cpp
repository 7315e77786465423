// The choice of a face against scripted lists of installed faces: how many
// characters each lacks, -1 for one that cannot be had.
#include <gtest/gtest.h>

#include <vector>

#include "program/face_choice.h"

namespace {

struct ScriptedFaces {
  std::vector<int> missing;
  int asked = 0;
};

int Lacking(int index, void* context) {
  ScriptedFaces& faces = *static_cast<ScriptedFaces*>(context);
  ++faces.asked;
  return index < static_cast<int>(faces.missing.size()) ? faces.missing[index] : -1;
}

TEST(FaceChoice, TakesAStandInOnlyWhereItDrawsMore) {
  struct Case {
    const char* title;
    std::vector<int> missing;  // candidate 0 is the asked-for face
    int chosen;
    int asked;  // candidates measured before the answer
  } cases[] = {
      {"asked-for face has every glyph: nothing else is measured", {0, 0, 0}, 0, 1},
      {"first stand-in with every glyph ends the search", {266, 5, 0, 0}, 2, 3},
      {"none has them all: the one lacking fewest", {266, 1, 254, -1, 13}, 1, 5},
      {"no installed face draws more: the asked-for one stays", {266, 266, -1, 300}, 0, 4},
      {"no other face at all", {12}, 0, 1},
      {"a tie keeps the earlier", {9, 4, 4}, 1, 3},
  };
  for (const Case& c : cases) {
    ScriptedFaces faces{c.missing};
    EXPECT_EQ(c.chosen, ChooseCoveringFace(static_cast<int>(c.missing.size()), Lacking, &faces)) << c.title;
    EXPECT_EQ(c.asked, faces.asked) << c.title;
  }
}

}  // namespace
