// Which installed face draws the utility's texts: the decision alone, apart from
// GDI, so that it can be tried against any list of faces.
#ifndef VELMORA_FACE_CHOICE_H
#define VELMORA_FACE_CHOICE_H

// How many characters of the texts candidate `index` lacks, or a negative
// number when that candidate cannot be had at all.
typedef int (*MissingGlyphCount)(int index, void* context);

// Candidate 0 is the face the caller asked for; the others are the faces that
// may stand in for it, best guess first. Asks them in order and stops at the
// first that lacks nothing. Otherwise returns the one that lacks the fewest,
// the earlier one on a tie, so a stand-in is taken only when it draws more
// than the asked-for face. `count` candidates (0 is treated as 1).
int ChooseCoveringFace(int count, MissingGlyphCount missing, void* context);

#endif
