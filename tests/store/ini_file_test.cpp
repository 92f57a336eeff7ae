#include "store/ini_file.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace skyrill {
namespace {

constexpr std::string_view kNiGb = "\xC4\xE3";  // 你 in GB18030

std::string repeat(std::string_view piece, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) out += piece;
  return out;
}

struct ReadCase {
  const char* what;
  std::string file;
  std::optional<std::string> expected;  // value of [Stormbook] Site
};

TEST(IniFileRead, FollowsPrivateProfileRules) {
  const ReadCase cases[] = {
      {"plain", "[Stormbook]\nSite=58453\n", "58453"},
      {"names ignore case", "[stormBOOK]\nsITE=1\n", "1"},
      {"blanks around name and value", "  [ Stormbook ]  \n  Site \t=  12 3 \t\n", "12 3"},
      {"one pair of quotes removed", "[Stormbook]\nSite=\" 1 \"\n", " 1 "},
      {"quotes inside blanks", "[Stormbook]\nSite=  \"\"  \n", ""},
      {"inner quotes kept", "[Stormbook]\nSite=\"a\"b\"\n", "a\"b"},
      {"lone quote kept", "[Stormbook]\nSite=\"\n", "\""},
      {"quote at one end kept", "[Stormbook]\nSite=\"a\n", "\"a"},
      {"empty value is a value", "[Stormbook]\nSite=\n", ""},
      {"missing key", "[Stormbook]\nSites=1\n", std::nullopt},
      {"line without =", "[Stormbook]\nSite\n", std::nullopt},
      {"comment is no key", "[Stormbook]\n;Site=1\n", std::nullopt},
      {"key before any section", "Site=1\n[Stormbook]\n", std::nullopt},
      {"key in another section", "[Proxy]\nSite=1\n", std::nullopt},
      {"no sections at all", "Site=1\nWind=2\n", std::nullopt},
      {"first duplicate key counts", "[Stormbook]\nSite=1\nSITE=2\n", "1"},
      {"first duplicate section counts", "[Stormbook]\nWind=1\n[STORMBOOK]\nSite=2\n",
       std::nullopt},
      {"CRLF line ends", "[Stormbook]\r\nSite=7\r\n", "7"},
      {"no line end at the end", "[Stormbook]\nSite=7", "7"},
      {"GB18030 value", "[Stormbook]\nSite=\xC4\xE3\xBA\xC3\n", "你好"},
      {"value with = in it", "[Stormbook]\nSite=a=b\n", "a=b"},
      {"binary garbage around",
       std::string("\x00\xFF\xFE[\x01\x80\n\x00=\x00\n", 11) + "[Stormbook]\nSite=5\n\xFF\x00",
       "5"},
  };
  for (const ReadCase& c : cases) {
    EXPECT_EQ(IniFile(c.file).read("Stormbook", "Site"), c.expected) << c.what;
  }
}

TEST(IniFileRead, MissingKeyGivesFallback) {
  EXPECT_EQ(IniFile("[A]\nk=\n").read("A", "k", "x"), "");
  EXPECT_EQ(IniFile("[A]\n").read("A", "k", "x"), "x");
}

TEST(IniFileRead, LongValueIsCutWithoutSplittingACharacter) {
  const std::string limit = std::to_string(IniFile::kMaxValueBytes);
  struct Case {
    const char* what;
    std::string value;
    std::string expected;
  } cases[] = {
      {"ASCII", repeat("x", 20000), repeat("x", 10239)},
      {"exactly the limit", repeat("x", 10239), repeat("x", 10239)},
      {"two-byte characters", repeat(kNiGb, 6000), repeat("你", 5119)},
      {"odd start", "a" + repeat(kNiGb, 6000), "a" + repeat("你", 5119)},
      {"quotes removed first", "\"" + repeat("x", 10239) + "\"", repeat("x", 10239)},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(IniFile("[A]\nk=" + c.value + "\n").read("A", "k"), c.expected) << c.what;
  }
}

TEST(IniFileRead, MegabyteLinesDoNotHideOtherKeys) {
  const std::string file = repeat("\x01\x7F", 500000) + "\n[A]\nbig=" + repeat("y", 1 << 20) +
                           "\n" + repeat("z", 1 << 20) + "\nk=1\n";
  const IniFile ini(file);
  EXPECT_EQ(ini.read("A", "k"), "1");
  EXPECT_EQ(ini.read("A", "big")->size(), IniFile::kMaxValueBytes);
}

struct WriteCase {
  const char* what;
  std::string before;
  std::string after;  // after writing [Stormbook] Site=9
};

TEST(IniFileWrite, ReplacesOrAddsAndLeavesOtherLinesAlone) {
  const WriteCase cases[] = {
      {"missing file", "", "[Stormbook]\nSite=9\n"},
      {"replace in place, spacing kept", "[Stormbook]\n  Site =  1  \nx=y\n",
       "[Stormbook]\n  Site =  9\nx=y\n"},
      {"replace keeps CRLF", "[Stormbook]\r\nSite=1\r\n", "[Stormbook]\r\nSite=9\r\n"},
      {"replace first duplicate", "[Stormbook]\nSite=1\nsite=2\n", "[Stormbook]\nSite=9\nsite=2\n"},
      {"first duplicate section", "[Stormbook]\na=1\n[Stormbook]\nSite=2\n",
       "[Stormbook]\na=1\nSite=9\n[Stormbook]\nSite=2\n"},
      {"new key after the section's last line",
       "; top\n[Stormbook]\nWind=1\n; note\n\n[Proxy]\nAddress=\n",
       "; top\n[Stormbook]\nWind=1\n; note\nSite=9\n\n[Proxy]\nAddress=\n"},
      {"new key gets the CRLF style", "[Stormbook]\r\nWind=1\r\n\r\n[Api]\r\n",
       "[Stormbook]\r\nWind=1\r\nSite=9\r\n\r\n[Api]\r\n"},
      {"new key in a section without line end", "[Stormbook]", "[Stormbook]\nSite=9\n"},
      {"new section at the end", "; c\r\n[Api]\r\nApiKey=k\r\n",
       "; c\r\n[Api]\r\nApiKey=k\r\n\r\n[Stormbook]\r\nSite=9\r\n"},
      {"new section after a last line without line end", "[Api]\r\nApiKey=k",
       "[Api]\r\nApiKey=k\r\n\r\n[Stormbook]\r\nSite=9\r\n"},
      {"mixed line ends kept, first one is the style", "[Api]\nk=1\r\nj=2\r\n",
       "[Api]\nk=1\r\nj=2\r\n\n[Stormbook]\nSite=9\n"},
      {"no sections", "Site=1\n", "Site=1\n\n[Stormbook]\nSite=9\n"},
  };
  for (const WriteCase& c : cases) {
    IniFile ini(c.before);
    ini.write("Stormbook", "Site", "9");
    EXPECT_EQ(ini.bytes(), c.after) << c.what;
  }
}

TEST(IniFileWrite, ValueWithLeadingBlanksReadsTheSameAfterEverySave) {
  IniFile ini("[Stormbook]\nSite =  1\n");
  for (int save = 0; save < 3; ++save) {
    ini = IniFile(ini.bytes());
    ini.write("Stormbook", "Site", "  58453");
  }
  EXPECT_EQ(ini.bytes(), "[Stormbook]\nSite =  58453\n");
  EXPECT_EQ(ini.read("Stormbook", "Site"), "58453");
}

TEST(IniFileWrite, KeepsGarbageBytesUnchanged) {
  const std::string garbage("\x00\xFF\x81\x30\r\x1A\n\x00\x00\n", 10);
  IniFile ini(garbage + "[Stormbook]\nSite=1\n" + garbage);
  ini.write("Stormbook", "Site", "2");
  EXPECT_EQ(ini.bytes(), garbage + "[Stormbook]\nSite=2\n" + garbage);
}

TEST(IniFileWrite, ValueIsStoredAsGb18030OnOneLine) {
  IniFile ini;
  ini.write("A", "k", "你\r\n[B]\nx=1");
  EXPECT_EQ(ini.bytes(), "[A]\nk=\xC4\xE3[B]x=1\n");
  EXPECT_EQ(ini.read("A", "k"), "你[B]x=1");
  EXPECT_EQ(ini.read("B", "x"), std::nullopt);
}

}  // namespace
}  // namespace skyrill
