#pragma once

#include <filesystem>
#include <map>
#include <string>
#include <string_view>

#include "core/query_types.h"

namespace skyrill {

// The user settings kept in "Stormbook.ini" beside the program.
struct Settings {
  std::string stationNumber = "58453";
  bool realtime = false;  // today mode instead of a past day
  WindVariant windVariant = WindVariant::MaxInstant;
  VisibilityVariant visibilityVariant = VisibilityVariant::TenMinuteMean;
  std::string proxyAddress;  // host:port
  bool proxyEnabled = false;
  std::string apiKey;
  bool autoSave = false;
  // Base address of the data service ("Api" / "Server"); empty for the
  // built-in one. Saving writes it only when it was changed in the program,
  // so that a file never set by hand does not gain the key.
  std::string serverAddress;
  bool serverAddressChanged = false;
  // Base address of the station directory service ("Api" / "Directory");
  // empty for the built-in one. Written like the server's.
  std::string directoryAddress;
  bool directoryAddressChanged = false;
  // Server certificates the user trusts beyond the system's trust store:
  // "host:port" → SHA-256 fingerprint ("TrustedCertificates"). Written one
  // at a time by saveTrustedCertificate, never by saveSettings.
  std::map<std::string, std::string> trustedCertificates;
  // Every server certificate accepted, unchecked ("Unsafe" /
  // "AcceptAnyCertificate"), as an installation may ask. Read only.
  bool acceptAnyCertificate = false;
};

// The settings in the file; each missing or unreadable key gives its default.
Settings loadSettings(const std::filesystem::path& path);

// Writes the eight settings into the file, and the service addresses that
// were changed, keeping every other line. A
// symbolic link is written through to its target; a read-only file is left
// alone. False when the file was not written; the old file is then left as
// it was.
bool saveSettings(const std::filesystem::path& path, const Settings& settings);

// Adds (or replaces) the certificate trusted for a server ("host:port") in
// the file at once, keeping every other line; false when the file was not
// written.
bool saveTrustedCertificate(const std::filesystem::path& path, std::string_view server,
                            std::string_view fingerprint);

// Removes the temporary files that saves killed half-way left beside the
// file; those of a save another running instance is making are kept.
void removeSettingsLeftovers(const std::filesystem::path& path);

}  // namespace skyrill
