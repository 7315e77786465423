#include "program/interface_language.h"

namespace {

InterfaceChoice choice;
bool settled = false;

}  // namespace

InterfaceLanguage InterfaceForLanguage(LANGID userLanguage) {
  return PRIMARYLANGID(userLanguage) == LANG_KOREAN ? InterfaceLanguage::kKorean
                                                    : InterfaceLanguage::kEnglish;
}

void SettleInterfaceLanguage() {
  LANGID user = GetUserDefaultUILanguage();
  UseInterfaceLanguage(InterfaceForLanguage(user), user);
}

void UseInterfaceLanguage(InterfaceLanguage language, LANGID userLanguage) {
  choice.language = language;
  choice.userLanguage = userLanguage;
  settled = true;
}

const InterfaceChoice& ProgramInterface() {
  if (!settled) SettleInterfaceLanguage();
  return choice;
}

LANGID InterfaceTemplateLanguage() {
  return KoreanInterface() ? MAKELANGID(LANG_KOREAN, SUBLANG_DEFAULT)
                           : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
}

int LoadInterfaceString(HINSTANCE instance, UINT id, wchar_t* text, int capacity) {
  if (text == nullptr || capacity <= 0) return 0;
  text[0] = L'\0';
  // Strings come in blocks of 16, block n + 1 holding ids 16n to 16n + 15,
  // each a length and that many UTF-16 characters.
  HRSRC found = FindResourceExW(instance, reinterpret_cast<LPCWSTR>(RT_STRING),
                                MAKEINTRESOURCEW(id / 16 + 1), InterfaceTemplateLanguage());
  if (found == nullptr) return 0;
  HGLOBAL loaded = LoadResource(instance, found);
  const WCHAR* block = loaded != nullptr ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
  DWORD words = SizeofResource(instance, found) / sizeof(WCHAR);
  if (block == nullptr) return 0;
  DWORD at = 0;
  for (UINT entry = 0; entry < id % 16; ++entry) {
    if (at >= words) return 0;
    at += 1 + block[at];
  }
  if (at >= words || at + 1 + block[at] > words) return 0;
  int length = block[at] < capacity - 1 ? block[at] : capacity - 1;
  for (int i = 0; i < length; ++i) text[i] = block[at + 1 + i];
  text[length] = L'\0';
  return length;
}
