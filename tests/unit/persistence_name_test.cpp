#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "base/text_encoding.h"
#include "persistence/save_name.h"

namespace {

using persistence::FileNaming;
using persistence::save_name_of_stem;
using persistence::shown_name_of_stem;
using persistence::stem_on_disk;
using persistence::stem_of_save_file;

constexpr FileNaming kPosix{false};
constexpr FileNaming kWindows{true};
const std::vector<FileNaming> kEveryNaming = {kPosix, kWindows};

const std::string kLanternGbk = "\xc7\xe0\xb5\xc6";      // 青灯
const std::string kLanternUtf8 = "\xe9\x9d\x92\xe7\x81\xaf";

bool holds_refused_byte(const std::string& stem, const FileNaming& naming) {
  for (const unsigned char c : stem) {
    if (c == '/' || c == '\0') return true;
    if (naming.windows_rules && (c < 0x20 || std::string("\\:*?<>|\"").find(static_cast<char>(c)) != std::string::npos)) {
      return true;
    }
  }
  return false;
}

TEST(SaveName, OrdinaryNamesAreTheirOwnFileNames) {
  for (const FileNaming& naming : kEveryNaming) {
    for (const std::string name : {"abc", "100%", "%41", "50%off", ".", "..", "", "a b", "Console"}) {
      EXPECT_EQ(stem_on_disk(name, naming), name) << name;
      EXPECT_EQ(save_name_of_stem(name, naming), name) << name;
    }
  }
  EXPECT_EQ(stem_on_disk("a\\b:c", kPosix), "a\\b:c");  // only Windows refuses these
}

TEST(SaveName, SeparatorsAndRefusedCharactersAreEscaped) {
  EXPECT_EQ(stem_on_disk("../up", kPosix), "..%2Fup");
  EXPECT_EQ(stem_on_disk(std::string("a\0b", 3), kPosix), "a%00b");
  EXPECT_EQ(stem_on_disk("a%2Fb", kPosix), "a%252Fb");  // would read as "a/b"
  EXPECT_EQ(stem_on_disk("..\\up", kWindows), "..%5Cup");
  EXPECT_EQ(stem_on_disk("a:b*c?\"<>|\t", kWindows), "a%3Ab%2Ac%3F%22%3C%3E%7C%09");
}

TEST(SaveName, WindowsDeviceNamesAreKeptOffTheDevices) {
  // Names are GBK: "COM¹" is the superscript's GB18030 bytes.
  const std::string com_superscript_one = base::utf8_to_gbk("COM\xC2\xB9");
  for (const std::string device : {"CON", "con", "Nul", "AUX.x", "PRN ", "COM1", "lpt9", "CONIN$"}) {
    const std::string stem = stem_on_disk(device, kWindows);
    EXPECT_EQ(stem.substr(0, 1), "%") << device;
    EXPECT_EQ(save_name_of_stem(stem, kWindows), device);
    EXPECT_EQ(stem_on_disk(device, kPosix), device);
  }
  if (base::gbk_to_utf8(com_superscript_one) == "COM\xC2\xB9") {  // wine has no GB18030
    EXPECT_EQ(stem_on_disk(com_superscript_one, kWindows), "%43OM\xC2\xB9");
  }
  for (const std::string ordinary : {"CONSOLE", "COM10", "NULL", "LPT", "xCON"}) {
    EXPECT_EQ(stem_on_disk(ordinary, kWindows), ordinary);
  }
  EXPECT_EQ(stem_on_disk("%43ON", kWindows), "%2543ON");  // "%43ON" would read as "CON"
}

TEST(SaveName, ChineseNamesAreUtf8OnDiskAndOtherFileNamesAreShownAsTheyRead) {
  EXPECT_EQ(stem_on_disk(kLanternGbk, kPosix), kLanternUtf8);
  EXPECT_EQ(stem_on_disk(kLanternGbk, kWindows), kLanternUtf8);
  EXPECT_EQ(save_name_of_stem(kLanternUtf8, kPosix), kLanternGbk);

  // GBK that is no clean text still gets a file of its own, in ASCII.
  const std::string broken = "a\xc7\xff";
  EXPECT_EQ(stem_on_disk(broken, kPosix), "a%C7%FF");
  EXPECT_EQ(save_name_of_stem("a%C7%FF", kPosix), broken);

  // A GBK file name (made by a game that named files in the locale's bytes)
  // maps from no save name, and shows as the GBK text it is.
  EXPECT_EQ(save_name_of_stem(kLanternGbk, kPosix), std::nullopt);
  EXPECT_EQ(shown_name_of_stem(kLanternGbk, kPosix), kLanternGbk);
  EXPECT_EQ(shown_name_of_stem(kLanternUtf8, kPosix), kLanternGbk);
  EXPECT_EQ(save_name_of_stem("a%2F", kWindows).value_or(""), "a/");
}

// Names built from the characters that matter to the escape: every name has a
// file of its own with no refused byte in it, and the listing's way back
// gives that same name.
TEST(SaveName, NoTwoNamesShareAFileAndEveryFileNamesItsSave) {
  const std::string alphabet = std::string("%/\\:.C O N2F5A4x\0", 17) + "\x81\xc7\xe0\xff";
  std::mt19937 random(7);
  for (const FileNaming& naming : kEveryNaming) {
    std::map<std::string, std::string> name_of_stem;
    for (int i = 0; i < 20000; ++i) {
      std::string name(random() % 7, ' ');
      for (char& c : name) c = alphabet[random() % alphabet.size()];
      const std::string stem = stem_on_disk(name, naming);
      ASSERT_FALSE(holds_refused_byte(stem, naming)) << name;
      const auto [entry, added] = name_of_stem.emplace(stem, name);
      ASSERT_TRUE(added || entry->second == name) << "'" << name << "' and '" << entry->second << "' share " << stem;
      ASSERT_EQ(save_name_of_stem(stem, naming), name) << stem;
    }
  }
}

TEST(SaveName, OnlyFilesEndingInDatAreSaves) {
  EXPECT_EQ(stem_of_save_file("a.dat"), "a");
  EXPECT_EQ(stem_of_save_file("a.b.dat"), "a.b");
  EXPECT_EQ(stem_of_save_file("..dat"), ".");
  EXPECT_EQ(stem_of_save_file(".x.dat"), ".x");
  for (const std::string other : {".dat", "a.DAT", "a.dat.tmp", ".save-12.tmp", "dat", "a.dat ", "a.txt"}) {
    EXPECT_EQ(stem_of_save_file(other), std::nullopt) << other;
  }
}

}  // namespace
