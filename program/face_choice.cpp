#include "program/face_choice.h"

int ChooseCoveringFace(int count, MissingGlyphCount missing, void* context) {
  int best = 0;
  int bestMissing = -1;
  for (int index = 0; index < count || index == 0; ++index) {
    int lacking = missing(index, context);
    if (lacking < 0) continue;
    if (lacking == 0) return index;
    if (bestMissing < 0 || lacking < bestMissing) {
      best = index;
      bestMissing = lacking;
    }
  }
  return best;
}
