// The reader against whole files given as bytes: what each field ends up holding.
#include <gtest/gtest.h>

#include <array>
#include <cctype>
#include <cstring>
#include <ostream>
#include <string>
#include <vector>

#include "settings/settings_text.h"
#include "settings_test_files.h"

namespace {

// Shaped like the real files: an integer, a quoted name, an integer, a four-integer key.
const char* const kTestKeys[] = {"VERSION", "DEVICE", "WIDTH", "LEFT", nullptr};

constexpr int32_t kUnset = -7;  // a field no line touched still holds this

struct Fields {
  int32_t version = kUnset;
  std::string device = "unset";
  int32_t width = kUnset;
  std::array<int32_t, 4> left{{kUnset, kUnset, kUnset, kUnset}};
  bool operator==(const Fields& o) const {
    return version == o.version && device == o.device && width == o.width && left == o.left;
  }
};

std::ostream& operator<<(std::ostream& out, const Fields& f) {
  return out << "VERSION " << f.version << ", DEVICE \"" << f.device << "\", WIDTH " << f.width
             << ", LEFT " << f.left[0] << "," << f.left[1] << "," << f.left[2] << ","
             << f.left[3];
}

void ApplyTestKey(int index, const char* value, void* context) {
  Fields& f = *static_cast<Fields*>(context);
  char device[260];
  switch (index) {
    case 0: ParseIntValue(value, f.version); return;
    case 1: ParseQuotedValue(value, device); f.device = device; return;
    case 2: ParseIntValue(value, f.width); return;
    case 3: ParseIntQuad(value, f.left[0], f.left[1], f.left[2], f.left[3]); return;
  }
  ADD_FAILURE() << "key index " << index;
}

Fields ReadFromBytes(const std::string& bytes) {
  Fields f;
  SettingsText text;
  EXPECT_EQ(static_cast<int>(bytes.size()), ReadSettingsMemory(text, bytes.data(), bytes.size()));
  ReadSettingsLines(text, kTestKeys, ApplyTestKey, &f);
  EXPECT_EQ(nullptr, text.text);  // the loop gives the block back
  return f;
}

Fields Version(int32_t v) { Fields f; f.version = v; return f; }
Fields Device(const std::string& d) { Fields f; f.device = d; return f; }
Fields Width(int32_t w) { Fields f; f.width = w; return f; }
Fields Left(int32_t a, int32_t b, int32_t c, int32_t d) { Fields f; f.left = {{a, b, c, d}}; return f; }
Fields All(int32_t v, const std::string& d, int32_t w, int32_t a, int32_t b, int32_t c, int32_t e) {
  Fields f = Left(a, b, c, e); f.version = v; f.device = d; f.width = w; return f;
}
Fields WidthVersion(int32_t w, int32_t v) { Fields f = Width(w); f.version = v; return f; }

std::string Repeat(char c, size_t n) { return std::string(n, c); }

struct FileCase {
  const char* name;
  std::string bytes;
  Fields expected;
};

const FileCase kFileCases[] = {
    {"empty file", "", Fields()},
    {"only blank lines", "\r\n \t\n\r", Fields()},
    {"last line without line end", "WIDTH=800", Width(800)},
    {"mixed line ends and empty lines", "VERSION=3\r\nWIDTH=640\rDEVICE=\"d\"\n\n\r\n\r\rLEFT=1,2,3,4\r\n",
     All(3, "d", 640, 1, 2, 3, 4)},
    {"empty lines before the first", "\n\r\n  WIDTH=5", Width(5)},
    {"blanks before a key", " \t WIDTH=5", Width(5)},
    {"space separator", "WIDTH 800", Width(800)},
    {"tab separator", "WIDTH\t800", Width(800)},
    {"blanks around equals", "WIDTH = 800", Width(800)},
    {"double equals", "WIDTH==800", Width(800)},
    {"comma after key is part of the value", "WIDTH,800", Width(0)},
    {"integer without value", "WIDTH=", Width(0)},
    {"key alone", "WIDTH", Width(0)},
    {"trailing text after integer", "WIDTH=12abc  ; note", Width(12)},
    {"form feed before integer", "WIDTH=\f7", Width(7)},
    {"sign without digits", "WIDTH=-", Width(0)},
    {"two signs", "WIDTH=+-5", Width(0)},
    {"quoted without value", "DEVICE=", Device("")},
    {"unquoted text", "DEVICE=abc", Device("")},
    {"no closing quote keeps trailing blanks", "DEVICE=\"abc  ", Device("abc  ")},
    {"text around the quotes ignored", "DEVICE=x\"a b\"y", Device("a b")},
    {"empty quotes", "DEVICE=\"\"", Device("")},
    {"Shift-JIS passes unchanged", "DEVICE=\"\x83\x4c\x81\x5b\x83\x7b\x81\x5b\x83\x68\"\r\n",
     Device("\x83\x4c\x81\x5b\x83\x7b\x81\x5b\x83\x68")},
    {"quad alone", "LEFT", Left(0, 0, 0, 0)},
    {"quad of two", "LEFT=5,1", Left(5, 1, 0, 0)},
    {"quad blank before comma stops", "LEFT=5 ,1,2,3", Left(5, 0, 0, 0)},
    {"quad blanks after commas", "LEFT=5, 1,\t2,  3", Left(5, 1, 2, 3)},
    {"quad signs", "LEFT=-5,+1,0,0", Left(-5, 1, 0, 0)},
    {"quad of five", "LEFT=1,2,3,4,5", Left(1, 2, 3, 4)},
    {"quad empty number stops", "LEFT=1,,3,4", Left(1, 0, 0, 0)},
    {"quad lone sign stops", "LEFT=1,-,3,4", Left(1, 0, 0, 0)},
    {"quad not a number", "LEFT=x", Left(0, 0, 0, 0)},
    {"lower-case key", "width=800", Fields()},
    {"longer key", "WIDTHS=800", Fields()},
    {"shorter key", "WIDT=800", Fields()},
    {"empty key", "=800\n,800", Fields()},
    {"remark-looking lines", "#WIDTH=1\n;WIDTH=2\n//WIDTH=3", Fields()},
    {"later line wins", "WIDTH=1\nWIDTH=2", Width(2)},
    {"later quad sets all four", "LEFT=1,2,3,4\nLEFT=9", Left(9, 0, 0, 0)},
    {"NUL ends the reading", std::string("WIDTH=1\n\0VERSION=2", 18), Width(1)},
    {"NUL inside a line", std::string("WIDTH=12\0" "3\nVERSION=2", 20), Width(12)},
    {"byte-order mark hides the first key", "\xEF\xBB\xBFWIDTH=5\r\nVERSION=2\r\n", Version(2)},
    {"line of 255 bytes", "DEVICE=\"" + Repeat('a', 246) + "\"", Device(Repeat('a', 246))},
    {"line of 256 bytes loses its last byte", "DEVICE=\"" + Repeat('a', 247) + "\"",
     Device(Repeat('a', 247))},
    {"long line then a good line", "DEVICE=\"" + Repeat('a', 600) + "\"\r\nWIDTH=7",
     [] { Fields f = Width(7); f.device = Repeat('a', 247); return f; }()},
    // Were the dropped part read as a line of its own, it would set WIDTH.
    {"dropped part is never a line", "VERSION=1" + Repeat(' ', 246) + "WIDTH=99\nLEFT=1,2,3,4",
     [] { Fields f = Left(1, 2, 3, 4); f.version = 1; return f; }()},
    {"dropped part after a blank", "VERSION=1" + Repeat('x', 246) + " \tWIDTH=99", Version(1)},
    {"line end right after byte 255", "VERSION=1" + Repeat('x', 246) + "\nWIDTH=99",
     WidthVersion(99, 1)},
};

void PrintTo(const FileCase& c, std::ostream* out) { *out << c.name; }

class SettingsReaderFile : public testing::TestWithParam<FileCase> {};

TEST_P(SettingsReaderFile, StoresTheExpectedFields) {
  EXPECT_EQ(GetParam().expected, ReadFromBytes(GetParam().bytes)) << GetParam().name;
}

std::string CaseName(const testing::TestParamInfo<FileCase>& info) {
  std::string name = info.param.name;
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsReaderFile, testing::ValuesIn(kFileCases), CaseName);

std::vector<std::string> AllLines(const std::string& bytes) {
  SettingsText text;
  ReadSettingsMemory(text, bytes.data(), bytes.size());
  std::vector<std::string> lines;
  char line[kSettingsLineSize + 16];
  std::memset(line, '#', sizeof line);
  for (bool more = true; more && lines.size() < 100;) {
    more = NextSettingsLine(line, text);
    EXPECT_EQ('#', line[kSettingsLineSize]) << "line buffer overrun";
    lines.push_back(line);
  }
  ReleaseSettingsText(text);
  return lines;
}

TEST(SettingsReaderLines, SplitsAtEveryKindOfLineEnd) {
  using Lines = std::vector<std::string>;
  const struct {
    std::string bytes;
    Lines expected;
  } cases[] = {
      {"", {""}},
      {"A", {"A"}},
      {"A\r\n", {"A"}},
      {"A\r\nB\rC\nD", {"A", "B", "C", "D"}},
      {"\r\n\r\nA", {"", "A"}},
      {"A  \n  \t B\t", {"A  ", "B\t"}},
      {"A\n \t\n\r\n", {"A"}},
      {std::string("A\0B", 3), {"A"}},
      {Repeat('x', 255), {Repeat('x', 255)}},
      {Repeat('x', 256) + "\n", {Repeat('x', 255)}},
      {Repeat('x', 5000) + "\rB", {Repeat('x', 255), "B"}},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, AllLines(c.bytes)) << c.bytes.substr(0, 20);
}

TEST(SettingsReaderSplit, FindsKeyAndValue) {
  const struct {
    std::string line;
    int index;
    const char* value;  // what the value buffer holds afterwards
  } cases[] = {
      {"", -1, "untouched"},
      {" \t ", -1, "untouched"},
      {"VERSION=1", 0, "1"},
      {"LEFT=1, 2", 3, "1, 2"},
      {"WIDTH\t= =\t8 ", 2, "8 "},
      {"WIDTH,800", 2, ",800"},
      {"WIDTH", 2, ""},
      {"width=800", -1, "800"},
      {"=5", -1, "5"},
      {",5", -1, ",5"},
      {"DEVICE=\"a b\"  ", 1, "\"a b\"  "},
      // Callers may hand in lines longer than the reader ever makes.
      {"WIDTH=" + Repeat('9', 400), 2, nullptr},
  };
  for (const auto& c : cases) {
    char value[kSettingsValueSize + 16];
    std::memset(value, '#', sizeof value);
    std::strcpy(value, "untouched");
    EXPECT_EQ(c.index, SplitSettingsLine(c.line.c_str(), value, kTestKeys)) << c.line;
    EXPECT_EQ(c.value ? std::string(c.value) : Repeat('9', 255), std::string(value)) << c.line;
    EXPECT_EQ('#', value[kSettingsValueSize]) << "value buffer overrun";
  }
}

TEST(SettingsReaderParse, IntegersBeyondRangeStopAtTheLimit) {
  const struct {
    const char* value;
    int32_t expected;
  } cases[] = {
      {"2147483647", 2147483647},
      {"2147483648", 2147483647},
      {"4294967296", 2147483647},  // would wrap to 0 if cut to 32 bits
      {"99999999999999999999999999999", 2147483647},
      {"-2147483648", INT32_MIN},
      {"-2147483649", INT32_MIN},
      {"-99999999999999999999999999999", INT32_MIN},
      {"-000000000000000000000000000012", -12},
      {" \t\n\v\f\r+42", 42},
  };
  for (const auto& c : cases) {
    int32_t field = kUnset;
    ParseIntValue(c.value, field);
    EXPECT_EQ(c.expected, field) << c.value;
    int32_t quad[4] = {kUnset, kUnset, kUnset, kUnset};
    const std::string value = std::string(c.value) + ",1," + c.value + ",-1";
    ParseIntQuad(value.c_str(), quad[0], quad[1], quad[2], quad[3]);
    EXPECT_EQ(c.expected, quad[0]) << value;
    EXPECT_EQ(1, quad[1]) << value;
    EXPECT_EQ(c.expected, quad[2]) << value;
    EXPECT_EQ(-1, quad[3]) << value;
  }
}

TEST(SettingsReaderParse, QuotedValueStaysInItsBuffer) {
  char dest[kSettingsValueSize + 16];
  std::memset(dest, '#', sizeof dest);
  const std::string value = "\"" + Repeat('a', 1000);
  ParseQuotedValue(value.c_str(), dest);
  EXPECT_EQ(Repeat('a', 255), std::string(dest));
  EXPECT_EQ('#', dest[kSettingsValueSize]);
}

TEST(SettingsReaderDisk, ReadsTheFileBytesAsStored) {
  ScratchFolder folder;
  SettingsText text;
  EXPECT_EQ(-1, ReadSettingsFile(text, NativePath(folder.File("missing.cfg")).c_str()));
  EXPECT_EQ(nullptr, text.text);
  EXPECT_EQ(-1, ReadSettingsFile(text, NativePath(folder.path()).c_str()));
  EXPECT_EQ(nullptr, text.text);

  WriteFileBytes(folder.File("empty.cfg"), "");
  ASSERT_EQ(0, ReadSettingsFile(text, NativePath(folder.File("empty.cfg")).c_str()));
  EXPECT_EQ('\0', text.text[0]);
  ReleaseSettingsText(text);

  const std::string bytes("W=1\r\n\x1a\0X\r", 9);
  WriteFileBytes(folder.File("a.cfg"), bytes);
  ASSERT_EQ(9, ReadSettingsFile(text, NativePath(folder.File("a.cfg")).c_str()));
  EXPECT_EQ(bytes, std::string(text.text, 9));
  EXPECT_EQ('\0', text.text[9]);
  EXPECT_EQ(text.text, text.cursor);
  ReleaseSettingsText(text);
}

TEST(SettingsReaderDisk, WholeLoopFromAFile) {
  ScratchFolder folder;
  Fields f;
  EXPECT_EQ(-1, ReadSettingsFileLines(NativePath(folder.File("missing.cfg")).c_str(), kTestKeys,
                                      ApplyTestKey, &f));
  EXPECT_EQ(Fields(), f);
  WriteFileBytes(folder.File("a.cfg"), "VERSION=2\r\nWIDTH=1024\r\n");
  EXPECT_EQ(23, ReadSettingsFileLines(NativePath(folder.File("a.cfg")).c_str(), kTestKeys,
                                      ApplyTestKey, &f));
  EXPECT_EQ(WidthVersion(1024, 2), f);
}

}  // namespace
