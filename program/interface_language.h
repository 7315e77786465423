// The language of the utility's interface: its windows, lists and messages.
// A player whose Windows (or Wine) speaks Korean sees the Korean interface the
// game has always had; every other player sees English. The choice is made
// once, at start-up, from the user's interface language, and every window, list
// and message takes its texts from it. The settings files never depend on it.
#ifndef VELMORA_INTERFACE_LANGUAGE_H
#define VELMORA_INTERFACE_LANGUAGE_H

#include <windows.h>

enum class InterfaceLanguage { kKorean, kEnglish };

// The interface for a user interface language: Korean when its primary
// language is Korean, English for every other.
InterfaceLanguage InterfaceForLanguage(LANGID userLanguage);

// What was chosen and from what.
struct InterfaceChoice {
  InterfaceLanguage language;
  LANGID userLanguage;  // GetUserDefaultUILanguage's answer it was chosen from
};

// Chooses from GetUserDefaultUILanguage. Start-up calls it before any window
// shows; whatever asks before that gets the same choice made then.
void SettleInterfaceLanguage();
// Makes `language` the interface, as chosen from `userLanguage` (test
// programs show either interface whatever their locale).
void UseInterfaceLanguage(InterfaceLanguage language, LANGID userLanguage);
const InterfaceChoice& ProgramInterface();
inline bool KoreanInterface() { return ProgramInterface().language == InterfaceLanguage::kKorean; }

// The language of the dialog templates of the chosen interface, for
// FindResourceExW: every template is found in it, never left to the loader.
LANGID InterfaceTemplateLanguage();

// String `id` of `instance`'s string tables in the chosen interface's
// language, found with FindResourceExW as the templates are (never
// LoadString's own pick, which follows the thread's locale), copied into
// `text` (NUL-terminated, cut at `capacity` - 1 characters). Returns its
// length; 0, with `text` empty, when there is no such string.
int LoadInterfaceString(HINSTANCE instance, UINT id, wchar_t* text, int capacity);

// One text of the interface in both languages. The Korean interface's texts
// that are not in a template are the game's Japanese ones, kept as code page
// 932 bytes, shown through code page 932; the English ones are ASCII, shown as
// they are (a system may lack code page 932).
struct InterfaceText {
  const char* korean;   // code page 932
  const char* english;  // ASCII
};
inline const char* ChosenText(const InterfaceText& text) {
  return KoreanInterface() ? text.korean : text.english;
}

#endif
