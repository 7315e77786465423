// The interface chosen for a user interface language: Korean for Korean, by
// its primary language whatever the sublanguage, English for any other.
#include <gtest/gtest.h>

#include "program/interface_language.h"

namespace {

TEST(InterfaceLanguage, KoreanOnlyForAKoreanInterfaceLanguage) {
  const struct {
    LANGID user;
    InterfaceLanguage expected;
  } cases[] = {
      {MAKELANGID(LANG_KOREAN, SUBLANG_KOREAN), InterfaceLanguage::kKorean},       // 0x0412
      {MAKELANGID(LANG_KOREAN, SUBLANG_NEUTRAL), InterfaceLanguage::kKorean},      // 0x0012
      {MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), InterfaceLanguage::kEnglish}, // 0x0409
      {MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT), InterfaceLanguage::kEnglish},   // 0x0411
      {MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN), InterfaceLanguage::kEnglish},      // 0x0407
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, InterfaceForLanguage(c.user)) << std::hex << c.user;
}

}  // namespace
