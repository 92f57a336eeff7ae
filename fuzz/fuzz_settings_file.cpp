// The settings file: any bytes where "Stormbook.ini" should be, read, then
// the eight settings saved into it and read again.
//
// Input: the station, proxy address and API key to save (each ended by a
// backslash and one more byte), the file's bytes; the last bytes choose the
// flags and variants to save.

#include <fuzzer/FuzzedDataProvider.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/encoding.h"
#include "fuzz/fuzz_check.h"
#include "store/ini_file.h"
#include "store/settings.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

// A folder of this process's own, removed when the fuzzer ends.
class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (parentFolder() / "skyrill-fuzz-settings-XXXXXX").string();
    require(mkdtemp(pattern.data()) != nullptr, "a scratch folder can be made");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  // Memory where there is a folder in it: every save syncs its file, which
  // on a disk would make the fuzzer a hundred times slower.
  static std::filesystem::path parentFolder() {
    std::error_code error;
    if (std::filesystem::is_directory("/dev/shm", error)) return "/dev/shm";
    return std::filesystem::temp_directory_path();
  }

  std::filesystem::path path_;
};

const ScratchFolder& scratch() {
  static const ScratchFolder folder;
  return folder;
}

int entriesIn(const std::filesystem::path& folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(folder)) ++count;
  return count;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// A text that a value line holds as it is: one line of valid UTF-8 within
// the longest value a read returns.
bool fitsOnALine(std::string_view text) {
  return text.find_first_of("\r\n") == std::string_view::npos && sanitizeUtf8(text) == text &&
         gb18030Length(text) <= IniFile::kMaxValueBytes;
}

// The station number is written without quotes: blanks around it and one
// pair of quotes around it are taken off by the next read.
bool survivesUnquoted(std::string_view text) {
  if (!fitsOnALine(text)) return false;
  if (!text.empty() && (isBlank(text.front()) || isBlank(text.back()))) return false;
  return !(text.size() >= 2 && text.front() == '"' && text.back() == '"');
}

Settings fuzzedSettings(FuzzedDataProvider& input) {
  Settings settings;
  settings.stationNumber = input.ConsumeRandomLengthString(64);
  settings.proxyAddress = input.ConsumeRandomLengthString(64);
  settings.apiKey = input.ConsumeRandomLengthString(64);
  settings.realtime = input.ConsumeBool();
  settings.windVariant = static_cast<WindVariant>(input.ConsumeIntegralInRange(1, 3));
  settings.visibilityVariant = static_cast<VisibilityVariant>(input.ConsumeIntegralInRange(1, 2));
  settings.proxyEnabled = input.ConsumeBool();
  settings.autoSave = input.ConsumeBool();
  return settings;
}

void checkRoundTrip(const Settings& saved, const Settings& loaded) {
  require(loaded.realtime == saved.realtime, "Realtime reads back");
  require(loaded.windVariant == saved.windVariant, "Wind reads back");
  require(loaded.visibilityVariant == saved.visibilityVariant, "Visibility reads back");
  require(loaded.autoSave == saved.autoSave, "AutoSave reads back");
  if (survivesUnquoted(saved.stationNumber)) {
    require(loaded.stationNumber == saved.stationNumber, "Site reads back");
  }
  if (fitsOnALine(saved.proxyAddress)) {
    require(loaded.proxyAddress == saved.proxyAddress, "the proxy address reads back");
  }
  if (fitsOnALine(saved.apiKey)) require(loaded.apiKey == saved.apiKey, "ApiKey reads back");
  // A proxy without an address cannot be switched on.
  require(loaded.proxyEnabled == (saved.proxyEnabled && !loaded.proxyAddress.empty()),
          "Activate reads back");
}

void checkFile(std::string_view fileBytes, const Settings& wanted) {
  require(IniFile(fileBytes).bytes() == fileBytes, "an unchanged file keeps its bytes");

  const std::filesystem::path path = scratch().path() / "Stormbook.ini";
  require(writeWholeFile(path, fileBytes), "the scratch file can be written");
  const Settings before = loadSettings(path);

  require(saveSettings(path, wanted), "a writable file is saved");
  require(entriesIn(scratch().path()) == 1, "a save leaves no other file");
  const Settings after = loadSettings(path);
  checkRoundTrip(wanted, after);
  require(after.serverAddress == before.serverAddress &&
              after.directoryAddress == before.directoryAddress,
          "a save leaves the service addresses alone");

  // Once the keys are in the file, saving the same settings changes nothing
  // (a value that does not read back as saved is written as read next time).
  if (!(survivesUnquoted(wanted.stationNumber) && fitsOnALine(wanted.proxyAddress) &&
        fitsOnALine(wanted.apiKey))) {
    return;
  }
  const std::optional<std::string> once = readWholeFile(path);
  require(saveSettings(path, wanted), "a saved file is saved again");
  require(readWholeFile(path) == once, "saving twice writes the same bytes");
}

}  // namespace
}  // namespace skyrill

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const skyrill::Settings wanted = skyrill::fuzzedSettings(input);
  const std::string fileBytes = input.ConsumeRemainingBytesAsString();
  skyrill::checkFile(fileBytes, wanted);
  return 0;
}
