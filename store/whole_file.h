#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

// Files are read and written whole, in one operation each.
namespace skyrill {

// The bytes of a file, at most maxBytes of them; nullopt when it is missing
// or cannot be read.
std::optional<std::string> readWholeFile(const std::filesystem::path& path,
                                         std::size_t maxBytes = SIZE_MAX);

// Replaces the file with the bytes. The bytes go to a temporary file in the
// same folder that is then renamed over the target, so a failed write leaves
// the old file as it was. An existing file keeps its permissions.
bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes);

}  // namespace skyrill
