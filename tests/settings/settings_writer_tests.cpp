// The writer against real files: the exact bytes saved, and that a save which
// cannot finish leaves the previous file exactly as it was.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "settings/settings_text.h"
#include "settings/settings_writer.h"
#include "settings_test_files.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/resource.h>
#endif

namespace {

const std::string kOldBytes = "VERSION=1\r\nWIDTH=640\r\nLEFT=0,0,0,-1000\r\n# the player's own\r\n";

// Saves the same four lines the tests read back.
bool SaveSample(const std::string& path, const char* device) {
  SettingsWriter writer;
  BeginSettingsFile(writer, NativePath(path).c_str());
  WriteIntLine(writer, "VERSION", 3);
  WriteQuotedLine(writer, "DEVICE", device);
  WriteIntLine(writer, "WIDTH", INT32_MIN);
  WriteIntQuadLine(writer, "LEFT", 0, 2147483647, -1, -1000);
  return FinishSettingsFile(writer);
}

const char kSampleBytes[] =
    "VERSION=3\r\nDEVICE=\"\x83\x4c\x81\x5b\x83\x7b\x81\x5b\x83\x68\"\r\n"
    "WIDTH=-2147483648\r\nLEFT=0,2147483647,-1,-1000\r\n";
const char kKeyboardName[] = "\x83\x4c\x81\x5b\x83\x7b\x81\x5b\x83\x68";  // キーボード

TEST(SettingsWriter, EveryLineFormEndsInCrLf) {
  const struct {
    void (*write)(SettingsWriter&);
    const char* bytes;
  } cases[] = {
      {[](SettingsWriter& w) { WriteIntLine(w, "WIDTH", 640); }, "WIDTH=640\r\n"},
      {[](SettingsWriter& w) { WriteIntLine(w, "W", 0); }, "W=0\r\n"},
      {[](SettingsWriter& w) { WriteIntLine(w, "W", -5); }, "W=-5\r\n"},
      {[](SettingsWriter& w) { WriteQuotedLine(w, "DEVICE", ""); }, "DEVICE=\"\"\r\n"},
      {[](SettingsWriter& w) { WriteQuotedLine(w, "DEVICE", " a b "); }, "DEVICE=\" a b \"\r\n"},
      {[](SettingsWriter& w) { WriteQuotedLine(w, "D", "x\"y"); }, "D=\"x\"y\"\r\n"},
      // As a text-mode file would have it: a line feed inside a value gains its CR too.
      {[](SettingsWriter& w) { WriteQuotedLine(w, "D", "a\nb"); }, "D=\"a\r\nb\"\r\n"},
      {[](SettingsWriter& w) { WriteIntQuadLine(w, "LEFT", 0, 0, 0, -1000); },
       "LEFT=0,0,0,-1000\r\n"},
      {[](SettingsWriter& w) { WriteIntQuadLine(w, "Q", INT32_MIN, 1, 22, 333); },
       "Q=-2147483648,1,22,333\r\n"},
  };
  ScratchFolder folder;
  const std::string path = folder.File("a.cfg");
  for (const auto& c : cases) {
    SettingsWriter writer;
    ASSERT_TRUE(BeginSettingsFile(writer, NativePath(path).c_str()));
    c.write(writer);
    ASSERT_TRUE(FinishSettingsFile(writer));
    std::string saved;
    ASSERT_TRUE(ReadFileBytes(path, saved));
    EXPECT_EQ(c.bytes, saved);
    EXPECT_EQ(1, folder.EntryCount()) << "temporary file left behind";
  }
}

const char* const kSampleKeys[] = {"VERSION", "DEVICE", "WIDTH", "LEFT", nullptr};

struct Sample {
  int32_t version = 0, width = 0, left[4] = {0, 0, 0, 0};
  char device[260] = "";
};

void ApplySample(int index, const char* value, void* context) {
  Sample& s = *static_cast<Sample*>(context);
  switch (index) {
    case 0: ParseIntValue(value, s.version); return;
    case 1: ParseQuotedValue(value, s.device); return;
    case 2: ParseIntValue(value, s.width); return;
    case 3: ParseIntQuad(value, s.left[0], s.left[1], s.left[2], s.left[3]); return;
  }
}

TEST(SettingsWriter, ReplacesTheOldFileAndReadsBack) {
  ScratchFolder folder;
  const std::string path = folder.File("input.cfg");
  WriteFileBytes(path, kOldBytes + kOldBytes);  // longer than what replaces it
  WriteFileBytes(path + ".tmp", "left over from an earlier save");
  ASSERT_TRUE(SaveSample(path, kKeyboardName));
  std::string saved;
  ASSERT_TRUE(ReadFileBytes(path, saved));
  EXPECT_EQ(kSampleBytes, saved);
  EXPECT_EQ(1, folder.EntryCount());

  Sample s;
  ASSERT_EQ(static_cast<int>(saved.size()),
            ReadSettingsFileLines(NativePath(path).c_str(), kSampleKeys, ApplySample, &s));
  EXPECT_EQ(3, s.version);
  EXPECT_STREQ(kKeyboardName, s.device);
  EXPECT_EQ(INT32_MIN, s.width);
  EXPECT_EQ(2147483647, s.left[1]);
  EXPECT_EQ(-1000, s.left[3]);
}

// Each case spoils the save in its own way; the old file must survive byte for byte.
TEST(SettingsWriter, FailedSaveLeavesTheOldFile) {
  const struct {
    const char* name;
    void (*spoil)(const ScratchFolder&, std::string& path);
  } cases[] = {
      {"read-only file", [](const ScratchFolder&, std::string& path) { SetReadOnly(path, true); }},
      {"folder in its place",
       [](const ScratchFolder& f, std::string& path) { path = f.File("sub"); MakeFolder(path); }},
      {"missing folder",
       [](const ScratchFolder& f, std::string& path) { path = f.File("none") + "/a.cfg"; }},
      {"path too long for a temporary file",
       [](const ScratchFolder& f, std::string& path) {
         path = f.File(std::string(256 - NativePath(f.File("")).size(), 'p'));
       }},
      {"empty path", [](const ScratchFolder&, std::string& path) { path.clear(); }},
  };
  for (const auto& c : cases) {
    ScratchFolder folder;
    const std::string old = folder.File("graphic.cfg");
    WriteFileBytes(old, kOldBytes);
    std::string path = old;
    c.spoil(folder, path);
    const int entries = folder.EntryCount();
    EXPECT_FALSE(SaveSample(path, "d")) << c.name;
    std::string kept;
    ASSERT_TRUE(ReadFileBytes(old, kept)) << c.name;
    EXPECT_EQ(kOldBytes, kept) << c.name;
    EXPECT_EQ(entries, folder.EntryCount()) << c.name << ": temporary file left behind";
  }
}

TEST(SettingsWriter, LongestPathThatFits) {
  ScratchFolder folder;
  // Counted in the units of the platform's paths: the folder's Thai is one
  // UTF-16 unit a letter on Windows, three bytes on the host.
  const std::string path = folder.File(std::string(255 - NativePath(folder.File("")).size(), 'p'));
  ASSERT_EQ(255u, NativePath(path).size());
  EXPECT_TRUE(SaveSample(path, "d"));
  std::string saved;
  EXPECT_TRUE(ReadFileBytes(path, saved));
}

TEST(SettingsWriter, AbandonLeavesTheOldFile) {
  ScratchFolder folder;
  const std::string path = folder.File("graphic.cfg");
  WriteFileBytes(path, kOldBytes);
  SettingsWriter writer;
  ASSERT_TRUE(BeginSettingsFile(writer, NativePath(path).c_str()));
  WriteIntLine(writer, "WIDTH", 800);
  AbandonSettingsFile(writer);
  EXPECT_FALSE(FinishSettingsFile(writer));
  std::string kept;
  ASSERT_TRUE(ReadFileBytes(path, kept));
  EXPECT_EQ(kOldBytes, kept);
  EXPECT_EQ(1, folder.EntryCount());
}

#ifndef _WIN32
// A disk that fills up mid-save: the writes fail, and so must the save.
TEST(SettingsWriter, FullDiskIsReportedAndLeavesTheOldFile) {
  ScratchFolder folder;
  const std::string path = folder.File("graphic.cfg");
  WriteFileBytes(path, kOldBytes);
  for (rlim_t limit : {rlim_t(0), rlim_t(10), rlim_t(sizeof kSampleBytes - 2)}) {
    struct rlimit saved;
    getrlimit(RLIMIT_FSIZE, &saved);
    void (*oldHandler)(int) = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = saved;
    small.rlim_cur = limit;
    setrlimit(RLIMIT_FSIZE, &small);
    const bool ok = SaveSample(path, kKeyboardName);
    setrlimit(RLIMIT_FSIZE, &saved);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(ok) << "limit " << limit;
    std::string kept;
    ASSERT_TRUE(ReadFileBytes(path, kept));
    EXPECT_EQ(kOldBytes, kept) << "limit " << limit;
    EXPECT_EQ(1, folder.EntryCount()) << "limit " << limit;
  }
}
#endif

}  // namespace
