// The font the dialogs and message boxes draw with. The templates ask for
// "ＭＳ Ｐゴシック", which a system without it replaces by a face picked for its
// own locale: on Wine that face has no Hangul unless the locale is Korean, and
// Wine fills no missing glyph from another font as Windows does. So the realized
// face is asked whether it has a glyph for every character of the texts, and
// where it lacks some, an installed face that draws more of them stands in.
#ifndef VELMORA_DIALOG_FONT_H
#define VELMORA_DIALOG_FONT_H

#include <windows.h>

// One list the dialogs fill from a table of the program's own (not from a
// template): `count` rows, row i being `text(i)`, in code page 932 (ASCII is
// the same bytes), as the chosen interface shows it.
struct DialogListTexts {
  int count;
  const char* (*text)(int row);
};
// Hands the face check the lists of the layers above, so that a face without
// the glyphs of a list's rows is not taken for one that lacks nothing. Start-up
// does it before the first dialog shows; `lists` must outlive the process.
void SetDialogListTexts(const DialogListTexts* lists, int count);

// The template of dialog `id` of `instance` in the chosen interface's language,
// ready for DialogBoxIndirectParamW or CreateDialogIndirectParamW; null when
// there is none. Where the face the templates ask for draws every character of
// the dialogs' texts, that is the resource itself and `*copy` is set to null;
// otherwise it is a copy naming the stand-in face, so the dialog is laid out
// in that font's dialog units, and `*copy` is to be released with
// ReleaseDialogTemplate once the dialog exists. The check runs once per
// process, over the texts of every dialog template and string table of the
// chosen interface and of the lists above.
const DLGTEMPLATE* ProgramDialogTemplate(HINSTANCE instance, WORD id, void** copy);
void ReleaseDialogTemplate(void* copy);

// DialogBoxIndirectParamW for the utility's dialogs, with the template and
// the font above; -1 when the template cannot be had.
INT_PTR ShowProgramDialog(HINSTANCE instance, WORD id, HWND owner, DLGPROC procedure,
                          LPARAM parameter);

// MessageBoxW, with the message text drawn in a face that has its glyphs when
// the system's message font lacks some; caption, icon, buttons, keys and sound
// stay MessageBoxW's own.
int ShowMessageBox(HWND owner, const wchar_t* text, const wchar_t* caption, UINT type);

// What the check above found, for the report.
struct DialogFontFacts {
  wchar_t asked[LF_FACESIZE];     // the templates' face
  wchar_t realized[LF_FACESIZE];  // the face the system gives for it
  wchar_t used[LF_FACESIZE];      // the face the dialogs use
  int characters;                 // characters in the templates' and lists' texts
  int missingRealized;            // of those, how many `realized` lacks
  int missingUsed;                // and how many `used` lacks
};
void DescribeDialogFont(HINSTANCE instance, DialogFontFacts& facts);

#endif
