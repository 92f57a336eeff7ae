#include "directory_api.h"

#include <nlohmann/json.hpp>

namespace skyrill::sample {
namespace {

using nlohmann::ordered_json;

constexpr std::string_view kJsonType = "application/json; charset=utf-8";

const ordered_json& directory() {
  static const ordered_json parsed = ordered_json::parse(bundledDirectoryJson());
  return parsed;
}

const ordered_json* findProvince(std::string_view code) {
  for (const ordered_json& province : directory()) {
    if (province["code"] == code) return &province;
  }
  return nullptr;
}

std::string forecastPage(std::string_view path) {
  return "/publish/forecast/" + std::string(path) + ".html";
}

ServiceReply jsonReply(int status, const ordered_json& body) {
  return {status, std::string(kJsonType), body.dump()};
}

}  // namespace

ServiceReply provinceListReply() {
  ordered_json list = ordered_json::array();
  for (const ordered_json& province : directory()) {
    const std::string code = province["code"];
    list.push_back({{"code", code}, {"name", province["name"]}, {"url", forecastPage(code)}});
  }
  return jsonReply(200, list);
}

ServiceReply stationListReply(std::string_view provinceCode) {
  const ordered_json* province = findProvince(provinceCode);
  if (!province) return jsonReply(404, {{"error", "省份不存在"}});
  ordered_json list = ordered_json::array();
  for (const ordered_json& station : (*province)["stations"]) {
    const std::string code = station["code"];
    list.push_back({{"code", code},
                    {"province", (*province)["name"]},
                    {"city", station["city"]},
                    {"url", forecastPage(std::string(provinceCode) + "/" + code)}});
  }
  return jsonReply(200, list);
}

std::optional<std::string> directoryCity(std::string_view station) {
  for (const ordered_json& province : directory()) {
    for (const ordered_json& entry : province["stations"]) {
      if (entry["code"] == station) return entry["city"].get<std::string>();
    }
  }
  return std::nullopt;
}

}  // namespace skyrill::sample
