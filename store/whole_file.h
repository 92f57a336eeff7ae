#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

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
// The same, telling in `error` why a write failed (e.g. no space left).
bool writeWholeFile(const std::filesystem::path& path, std::string_view bytes,
                    std::error_code& error);

// The path a chain of symbolic links leads to (the path itself when it is no
// link); the target need not exist. Writing there replaces the target and
// keeps the links.
std::filesystem::path followLinks(const std::filesystem::path& path);

// True for an existing file that nobody may write to (no write bit set),
// whoever runs the program: such a file is to be left alone.
bool isReadOnlyFile(const std::filesystem::path& path);

// Removes the temporary files that writes of this path left behind when the
// program was killed in the middle of one.
void removeLeftoverTempFiles(const std::filesystem::path& path);

}  // namespace skyrill
