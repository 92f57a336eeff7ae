#include "stations/directory_lists.h"

#include "core/answer_check.h"
#include "json/json_document.h"

namespace skyrill {
namespace {

std::string elementPath(std::size_t index, std::string_view member) {
  std::string path = "[" + std::to_string(index) + "].";
  path += member;
  return path;
}

// Calls add(document, index, code) for each element up to the first one
// without a code, at most kMaxListEntries times; false when the answer does
// not parse.
template <typename AddEntry>
bool forEachCodedElement(std::string_view answer, AddEntry add) {
  JsonDocument document;
  if (!document.parse(decodeAnswer(answer))) return false;
  for (std::size_t index = 0; index < kMaxListEntries; ++index) {
    std::string code = document.getText(elementPath(index, "code"));
    if (code.empty()) break;
    add(document, index, std::move(code));
  }
  return true;
}

}  // namespace

std::string displayText(const ProvinceEntry& province) {
  return province.name;
}

std::string displayText(const StationEntry& station) {
  return station.city + " " + station.code + "（" + station.province + "）";
}

std::optional<std::vector<ProvinceEntry>> readProvinceList(std::string_view answer) {
  std::vector<ProvinceEntry> provinces;
  const bool parsed = forEachCodedElement(
      answer, [&](const JsonDocument& document, std::size_t index, std::string code) {
        provinces.push_back({std::move(code), document.getText(elementPath(index, "name"))});
      });
  if (!parsed) return std::nullopt;
  return provinces;
}

std::optional<std::vector<StationEntry>> readStationList(std::string_view answer) {
  std::vector<StationEntry> stations;
  const bool parsed = forEachCodedElement(
      answer, [&](const JsonDocument& document, std::size_t index, std::string code) {
        stations.push_back({std::move(code), document.getText(elementPath(index, "province")),
                            document.getText(elementPath(index, "city"))});
      });
  if (!parsed) return std::nullopt;
  return stations;
}

}  // namespace skyrill
