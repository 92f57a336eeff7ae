#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// The directory's cache files beside the program.
namespace skyrill {

// The last confirmed province answer and station answer.
inline constexpr std::string_view kProvinceCacheName = "ProvinceData";
inline constexpr std::string_view kStationCacheName = "SiteData";
// The folder of every province's station answer downloaded so far.
inline constexpr std::string_view kStationListFolderName = "StationLists";

// The content of a cache file; nullopt when there is none, "" when there is
// one that cannot be read as an answer (a folder, unreadable, too large).
std::optional<std::string> readCacheFile(const std::filesystem::path& path);

// The name of a province's file in the station list folder. The code comes
// from the network, so every byte but an ASCII letter, digit, '-' or '_' is
// written as "%XX": no code can name a path outside the folder. nullopt for
// the empty code.
std::optional<std::string> stationListFileName(std::string_view provinceCode);

}  // namespace skyrill
