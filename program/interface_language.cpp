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
