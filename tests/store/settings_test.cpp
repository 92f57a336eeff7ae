#include "store/settings.h"

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace skyrill {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

void expectDefaults(const Settings& s) {
  EXPECT_EQ(s.stationNumber, "58453");
  EXPECT_FALSE(s.realtime);
  EXPECT_EQ(s.windVariant, WindVariant::MaxInstant);
  EXPECT_EQ(s.visibilityVariant, VisibilityVariant::TenMinuteMean);
  EXPECT_EQ(s.proxyAddress, "");
  EXPECT_FALSE(s.proxyEnabled);
  EXPECT_EQ(s.apiKey, "");
  EXPECT_FALSE(s.autoSave);
  EXPECT_EQ(s.serverAddress, "");
  EXPECT_EQ(s.directoryAddress, "");
}

TEST(Settings, loadMissingOrUnreadableFile_usesDefaults) {
  TempFolder folder;
  expectDefaults(loadSettings(folder / "Stormbook.ini"));
  expectDefaults(loadSettings(folder / "no-such-folder" / "Stormbook.ini"));
  expectDefaults(loadSettings(folder.path()));  // a folder where the file should be
}

TEST(Settings, loadGarbage_usesDefaultsForWhatItCannotFind) {
  TempFolder folder;
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage += static_cast<char>((i * 37 + 11) % 256);
  writeBytes(folder / "Stormbook.ini", garbage + "\n[Stormbook]\nWind=3\n" + garbage);
  const Settings s = loadSettings(folder / "Stormbook.ini");
  EXPECT_EQ(s.windVariant, WindVariant::HourlyInstant);
  EXPECT_EQ(s.stationNumber, "58453");
}

TEST(Settings, firstSave_createsAllEightKeysInThreeSections) {
  TempFolder folder;
  EXPECT_TRUE(saveSettings(folder / "Stormbook.ini", Settings{}));
  EXPECT_EQ(readBytes(folder / "Stormbook.ini"),
            "[Stormbook]\nSite=58453\nRealtime=0\nWind=1\nVisibility=1\nAutoSave=0\n"
            "\n[Proxy]\nAddress=\"\"\nActivate=0\n"
            "\n[Api]\nApiKey=\"\"\n");
}

TEST(Settings, saveThenLoad_roundTrip) {
  TempFolder folder;
  Settings saved;
  saved.stationNumber = "站123";
  saved.realtime = true;
  saved.windVariant = WindVariant::TwoMinuteMean;
  saved.visibilityVariant = VisibilityVariant::Reported;
  saved.proxyAddress = " 127.0.0.1:7890 ";
  saved.proxyEnabled = true;
  saved.apiKey = "\tkey with blanks ";
  saved.autoSave = true;
  ASSERT_TRUE(saveSettings(folder / "Stormbook.ini", saved));

  const Settings loaded = loadSettings(folder / "Stormbook.ini");
  EXPECT_EQ(loaded.stationNumber, saved.stationNumber);
  EXPECT_TRUE(loaded.realtime);
  EXPECT_EQ(loaded.windVariant, WindVariant::TwoMinuteMean);
  EXPECT_EQ(loaded.visibilityVariant, VisibilityVariant::Reported);
  EXPECT_EQ(loaded.proxyAddress, saved.proxyAddress);
  EXPECT_TRUE(loaded.proxyEnabled);
  EXPECT_EQ(loaded.apiKey, saved.apiKey);
  EXPECT_TRUE(loaded.autoSave);
  // The file holds GB18030, not UTF-8.
  EXPECT_NE(readBytes(folder / "Stormbook.ini")
                .find("Site=\xD5\xBE"
                      "123\n"),
            std::string::npos);
}

TEST(Settings, emptyStationIsSavedAndLoadedEmpty) {
  TempFolder folder;
  Settings saved;
  saved.stationNumber = "";
  ASSERT_TRUE(saveSettings(folder / "Stormbook.ini", saved));
  EXPECT_EQ(loadSettings(folder / "Stormbook.ini").stationNumber, "");
}

struct StoredCase {
  const char* stored;
  WindVariant wind;
  VisibilityVariant visibility;
  bool flag;  // as Realtime and as AutoSave
};

TEST(Settings, storedNumbersMapToVariantsAndFlags) {
  using W = WindVariant;
  using V = VisibilityVariant;
  const StoredCase cases[] = {
      {"1", W::MaxInstant, V::TenMinuteMean, true},
      {"2", W::TwoMinuteMean, V::Reported, true},
      {"3", W::HourlyInstant, V::TenMinuteMean, true},
      {"0", W::MaxInstant, V::TenMinuteMean, false},
      {"4", W::MaxInstant, V::TenMinuteMean, true},
      {"-1", W::MaxInstant, V::TenMinuteMean, false},
      {"-3", W::MaxInstant, V::TenMinuteMean, false},
      {"+2", W::TwoMinuteMean, V::Reported, true},
      {"2abc", W::TwoMinuteMean, V::Reported, true},
      {"\" 3 \"", W::HourlyInstant, V::TenMinuteMean, true},
      {"abc", W::MaxInstant, V::TenMinuteMean, false},
      {"", W::MaxInstant, V::TenMinuteMean, false},
      {"99999999999999999999", W::MaxInstant, V::TenMinuteMean, true},
      {"-99999999999999999999", W::MaxInstant, V::TenMinuteMean, false},
  };
  TempFolder folder;
  const auto path = folder / "Stormbook.ini";
  for (const StoredCase& c : cases) {
    const std::string v = c.stored;
    writeBytes(path, "[Stormbook]\nWind=" + v + "\nVisibility=" + v + "\nRealtime=" + v +
                         "\nAutoSave=" + v + "\n");
    const Settings s = loadSettings(path);
    EXPECT_EQ(s.windVariant, c.wind) << c.stored;
    EXPECT_EQ(s.visibilityVariant, c.visibility) << c.stored;
    EXPECT_EQ(s.realtime, c.flag) << c.stored;
    EXPECT_EQ(s.autoSave, c.flag) << c.stored;
  }
}

TEST(Settings, activateIsReadOnlyWithAnAddress) {
  TempFolder folder;
  const auto path = folder / "Stormbook.ini";
  writeBytes(path, "[Proxy]\nAddress=\"\"\nActivate=1\n");
  EXPECT_FALSE(loadSettings(path).proxyEnabled);
  writeBytes(path, "[Proxy]\nAddress=h:1\nActivate=1\n");
  EXPECT_TRUE(loadSettings(path).proxyEnabled);
  writeBytes(path, "[Proxy]\nAddress=h:1\n");
  EXPECT_FALSE(loadSettings(path).proxyEnabled);
}

// The addresses are written only once changed in the program: a file never
// set by hand does not gain the keys, and a hand-set one keeps its own.
TEST(Settings, serverAndDirectoryAreWrittenOnlyWhenChanged) {
  TempFolder folder;
  const auto path = folder / "Stormbook.ini";
  writeBytes(path,
             "[api]\r\nserver = \"https://example.test:8443\" \r\n"
             "Directory=http://127.0.0.1:8765\r\n");
  Settings s = loadSettings(path);
  EXPECT_EQ(s.serverAddress, "https://example.test:8443");
  EXPECT_EQ(s.directoryAddress, "http://127.0.0.1:8765");
  s.serverAddress = "unchanged by the program";
  s.directoryAddress = "unchanged by the program";
  ASSERT_TRUE(saveSettings(path, s));
  EXPECT_EQ(loadSettings(path).serverAddress, "https://example.test:8443");
  EXPECT_EQ(loadSettings(path).directoryAddress, "http://127.0.0.1:8765");

  s.serverAddress = " http://192.0.2.7:8080";
  s.serverAddressChanged = true;
  ASSERT_TRUE(saveSettings(path, s));
  // Quoted like the key, in the line the key had.
  EXPECT_NE(readBytes(path).find("server = \" http://192.0.2.7:8080\"\r\n"), std::string::npos)
      << readBytes(path);
  EXPECT_EQ(loadSettings(path).serverAddress, " http://192.0.2.7:8080");
  EXPECT_EQ(loadSettings(path).directoryAddress, "http://127.0.0.1:8765");

  // Emptied, the key stays with an empty value: the built-in address again.
  s.directoryAddress.clear();
  s.directoryAddressChanged = true;
  ASSERT_TRUE(saveSettings(path, s));
  EXPECT_EQ(loadSettings(path).directoryAddress, "");

  const auto fresh = folder / "fresh.ini";
  ASSERT_TRUE(saveSettings(fresh, Settings{}));
  EXPECT_EQ(readBytes(fresh).find("Server"), std::string::npos);
  EXPECT_EQ(readBytes(fresh).find("Directory"), std::string::npos);
}

// Trusted certificates are added one at a time and survive the saves of the
// eight settings; the unsafe switch is read only.
TEST(Settings, trustedCertificatesAndTheUnsafeSwitch) {
  TempFolder folder;
  const auto path = folder / "Stormbook.ini";
  writeBytes(path,
             "[Stormbook]\r\nSite=50953\r\n"
             "[TrustedCertificates]\r\n; a note = not a server\r\nsvc.example:443 = AA:BB\r\n"
             "SVC.example:443=CC\r\n"
             "[unsafe]\r\nAcceptAnyCertificate=1\r\n");
  Settings s = loadSettings(path);
  EXPECT_EQ(s.trustedCertificates,
            (std::map<std::string, std::string>{{"svc.example:443", "AA:BB"}}));
  EXPECT_TRUE(s.acceptAnyCertificate);

  ASSERT_TRUE(saveTrustedCertificate(path, "127.0.0.1:8766", "01:02"));
  ASSERT_TRUE(saveTrustedCertificate(path, "svc.example:443", "DD:EE"));
  s.stationNumber = "58453";
  s.trustedCertificates.clear();
  s.acceptAnyCertificate = false;
  ASSERT_TRUE(saveSettings(path, s));
  const Settings loaded = loadSettings(path);
  EXPECT_EQ(loaded.stationNumber, "58453");
  EXPECT_EQ(loaded.trustedCertificates,
            (std::map<std::string, std::string>{{"127.0.0.1:8766", "01:02"},
                                                {"svc.example:443", "DD:EE"}}));
  EXPECT_TRUE(loaded.acceptAnyCertificate);
  EXPECT_NE(readBytes(path).find("; a note = not a server\r\n"), std::string::npos);

  // Into a file that does not exist yet, and never over one that cannot be read.
  EXPECT_TRUE(saveTrustedCertificate(folder / "new.ini", "h:1", "01"));
  EXPECT_EQ(loadSettings(folder / "new.ini").trustedCertificates.at("h:1"), "01");
  EXPECT_FALSE(loadSettings(folder / "new.ini").acceptAnyCertificate);
  EXPECT_FALSE(saveTrustedCertificate(folder.path(), "h:1", "01"));
}

TEST(Settings, saveKeepsForeignLinesAndTheFileLineEnds) {
  TempFolder folder;
  const auto path = folder / "Stormbook.ini";
  writeBytes(path,
             "; my notes\r\n[STORMBOOK]\r\nsite=1\r\nColour=blue\r\n\r\n[Other]\r\nx=\xC4\xE3\r\n");
  Settings s;
  s.stationNumber = "2";
  ASSERT_TRUE(saveSettings(path, s));
  EXPECT_EQ(readBytes(path),
            "; my notes\r\n[STORMBOOK]\r\nsite=2\r\nColour=blue\r\nRealtime=0\r\nWind=1\r\n"
            "Visibility=1\r\nAutoSave=0\r\n\r\n[Other]\r\nx=\xC4\xE3\r\n"
            "\r\n[Proxy]\r\nAddress=\"\"\r\nActivate=0\r\n"
            "\r\n[Api]\r\nApiKey=\"\"\r\n");
}

TEST(Settings, failedSave_leavesTheOldFile) {
  TempFolder folder;
  // A folder in place of the file: it can be neither read nor replaced.
  std::filesystem::create_directory(folder / "Stormbook.ini");
  writeBytes(folder / "Stormbook.ini" / "inside", "x");
  EXPECT_FALSE(saveSettings(folder / "Stormbook.ini", Settings{}));
  EXPECT_EQ(readBytes(folder / "Stormbook.ini" / "inside"), "x");

  EXPECT_FALSE(saveSettings(folder / "missing" / "Stormbook.ini", Settings{}));
  EXPECT_FALSE(std::filesystem::exists(folder / "missing"));
  EXPECT_EQ(testing::entryCount(folder.path()), 1);  // no temporary file left behind
}

TEST(Settings, saveIntoReadOnlyFolder_leavesTheOldFile) {
  if (testing::runningAsRoot()) GTEST_SKIP() << "root may write into a read-only folder";
  TempFolder folder;
  const auto path = folder / "Stormbook.ini";
  writeBytes(path, "[Stormbook]\nSite=1\n");
  std::filesystem::permissions(
      folder.path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
  Settings s;
  s.stationNumber = "2";
  EXPECT_FALSE(saveSettings(path, s));
  EXPECT_EQ(readBytes(path), "[Stormbook]\nSite=1\n");
}

// The file as users and other programs leave it: linked, locked, or
// written by an editor that starts it with a byte-order mark.
TEST(Settings, symlinkedFileIsWrittenThroughToItsTarget) {
  TempFolder folder;
  std::filesystem::create_directory(folder / "real");
  writeBytes(folder / "real" / "mine.ini", "; mine\n[Stormbook]\nSite=1\n");
  std::filesystem::create_symlink("real/mine.ini", folder / "Stormbook.ini");
  Settings s;
  s.stationNumber = "2";
  EXPECT_TRUE(saveSettings(folder / "Stormbook.ini", s));
  EXPECT_TRUE(std::filesystem::is_symlink(folder / "Stormbook.ini"));
  EXPECT_EQ(loadSettings(folder / "real" / "mine.ini").stationNumber, "2");
  EXPECT_TRUE(readBytes(folder / "real" / "mine.ini").starts_with("; mine\n"));
  EXPECT_EQ(testing::entryCount(folder / "real"), 1);  // the temporary file went with the rename
}

TEST(Settings, readOnlyFileIsLeftAlone) {
  TempFolder folder;
  const auto path = folder / "Stormbook.ini";
  writeBytes(path, "[Stormbook]\nSite=1\n");
  std::filesystem::permissions(path, std::filesystem::perms::owner_read);
  Settings s;
  s.stationNumber = "2";
  EXPECT_FALSE(saveSettings(path, s));  // whoever runs it, root included
  EXPECT_EQ(readBytes(path), "[Stormbook]\nSite=1\n");
  EXPECT_EQ(loadSettings(path).stationNumber, "1");
}

TEST(Settings, byteOrderMarkIsSkippedOnReadingAndKeptOnWriting) {
  TempFolder folder;
  const auto path = folder / "Stormbook.ini";
  writeBytes(path, "\xEF\xBB\xBF[Stormbook]\nSite=57083\n");
  EXPECT_EQ(loadSettings(path).stationNumber, "57083");
  Settings s;
  s.stationNumber = "2";
  EXPECT_TRUE(saveSettings(path, s));
  const std::string bytes = readBytes(path);
  EXPECT_TRUE(bytes.starts_with("\xEF\xBB\xBF[Stormbook]\nSite=2\n")) << bytes;
  EXPECT_EQ(bytes.find("[Stormbook]", 4), std::string::npos) << "a second section";
}

// A second running instance may be saving at start-up: its file stays.
TEST(Settings, leftoversOfAKilledSaveAreRemoved) {
  TempFolder folder;
  const auto path = folder / "Stormbook.ini";
  const auto tempOf = [](pid_t writer) {
    return "Stormbook.ini.tmp-" + std::to_string(writer) + "-0badf00d";
  };
  const pid_t ended = testing::endedProcessId();
  writeBytes(path, "[Stormbook]\n");
  writeBytes(folder / tempOf(ended), "half");
  writeBytes(folder / tempOf(getpid()), "being written");
  writeBytes(folder / "Stormbook.ini.tmp-notours", "kept");
  writeBytes(folder / "other.ini.tmp-0badf00d", "kept");
  removeSettingsLeftovers(path);
  EXPECT_FALSE(std::filesystem::exists(folder / tempOf(ended)));
  EXPECT_TRUE(std::filesystem::exists(folder / tempOf(getpid())));
  EXPECT_EQ(testing::entryCount(folder.path()), 4);
}

}  // namespace
}  // namespace skyrill
