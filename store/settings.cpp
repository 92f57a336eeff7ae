#include "store/settings.h"

#include <climits>
#include <system_error>

#include "store/ini_file.h"
#include "store/program_paths.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

constexpr std::string_view kMainSection = "Stormbook";
constexpr std::string_view kProxySection = "Proxy";
constexpr std::string_view kApiSection = "Api";
constexpr std::string_view kTrustedSection = "TrustedCertificates";
constexpr std::string_view kUnsafeSection = "Unsafe";

// The integer a stored text stands for, as atoi reads it: blanks, an optional
// sign and the digits that follow; 0 when the text does not start that way.
long long storedInteger(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  long long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    if (value < INT_MAX) value = value * 10 + (c - '0');  // large enough never to wrap
  }
  return negative ? -value : value;
}

bool readFlag(const IniFile& file, std::string_view section, std::string_view key) {
  return storedInteger(file.read(section, key, "0")) > 0;
}

WindVariant windVariantOf(long long stored) {
  if (stored == 2) return WindVariant::TwoMinuteMean;
  if (stored == 3) return WindVariant::HourlyInstant;
  return WindVariant::MaxInstant;
}

VisibilityVariant visibilityVariantOf(long long stored) {
  return stored == 2 ? VisibilityVariant::Reported : VisibilityVariant::TenMinuteMean;
}

std::string flagText(bool value) {
  return value ? "1" : "0";
}

std::string inQuotes(std::string_view text) {
  std::string quoted;
  quoted.reserve(text.size() + 2);
  quoted.append(1, '"').append(text).append(1, '"');
  return quoted;
}

}  // namespace

Settings loadSettings(const std::filesystem::path& path) {
  const IniFile file = IniFile::load(path);
  Settings settings;
  settings.stationNumber = file.read(kMainSection, "Site", "58453");
  settings.realtime = readFlag(file, kMainSection, "Realtime");
  settings.windVariant = windVariantOf(storedInteger(file.read(kMainSection, "Wind", "1")));
  settings.visibilityVariant =
      visibilityVariantOf(storedInteger(file.read(kMainSection, "Visibility", "1")));
  settings.proxyAddress = file.read(kProxySection, "Address", "");
  // A proxy without an address cannot be switched on.
  settings.proxyEnabled =
      !settings.proxyAddress.empty() && readFlag(file, kProxySection, "Activate");
  settings.apiKey = file.read(kApiSection, "ApiKey", "");
  settings.autoSave = readFlag(file, kMainSection, "AutoSave");
  settings.serverAddress = file.read(kApiSection, "Server", "");
  settings.directoryAddress = file.read(kApiSection, "Directory", "");
  for (const std::string& server : file.keys(kTrustedSection)) {
    settings.trustedCertificates[server] = file.read(kTrustedSection, server, "");
  }
  settings.acceptAnyCertificate = readFlag(file, kUnsafeSection, "AcceptAnyCertificate");
  return settings;
}

void removeSettingsLeftovers(const std::filesystem::path& path) {
  // A linked settings file is written in its target's folder.
  removeLeftoverTempFiles(followLinks(path).parent_path());
}

namespace {

// The file as it stands, to change some of its lines; nothing when it is
// there but cannot be read: replaced, its other lines would be lost.
std::optional<IniFile> fileToChange(const std::filesystem::path& path) {
  std::optional<std::string> old = readWholeFile(path);
  std::error_code error;
  if (!old && std::filesystem::exists(path, error)) return std::nullopt;
  return IniFile(old.value_or(""));
}

}  // namespace

bool saveTrustedCertificate(const std::filesystem::path& path, std::string_view server,
                            std::string_view fingerprint) {
  std::optional<IniFile> file = fileToChange(path);
  if (!file) return false;
  file->write(kTrustedSection, server, fingerprint);
  return writeWholeFile(path, file->bytes());
}

bool saveSettings(const std::filesystem::path& path, const Settings& settings) {
  std::optional<IniFile> changed = fileToChange(path);
  if (!changed) return false;
  IniFile& file = *changed;
  file.write(kMainSection, "Site", settings.stationNumber);
  file.write(kMainSection, "Realtime", flagText(settings.realtime));
  file.write(kMainSection, "Wind", std::to_string(static_cast<int>(settings.windVariant)));
  file.write(kMainSection, "Visibility",
             std::to_string(static_cast<int>(settings.visibilityVariant)));
  // Quoted so that leading and trailing blanks survive the next read.
  file.write(kProxySection, "Address", inQuotes(settings.proxyAddress));
  file.write(kProxySection, "Activate", flagText(settings.proxyEnabled));
  file.write(kApiSection, "ApiKey", inQuotes(settings.apiKey));
  file.write(kMainSection, "AutoSave", flagText(settings.autoSave));
  // Quoted like the key: an address is a text the user typed.
  if (settings.serverAddressChanged) {
    file.write(kApiSection, "Server", inQuotes(settings.serverAddress));
  }
  if (settings.directoryAddressChanged) {
    file.write(kApiSection, "Directory", inQuotes(settings.directoryAddress));
  }
  return writeWholeFile(path, file.bytes());
}

}  // namespace skyrill
