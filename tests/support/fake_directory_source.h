#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "stations/directory_service.h"

namespace skyrill::test {

// Answers the directory's requests with canned bytes and keeps the province
// codes asked for ("" for the province list).
struct FakeDirectorySource : DirectorySource {
  std::string provinceAnswer;
  std::map<std::string, std::string, std::less<>> stationAnswers;  // by province code
  std::vector<std::string> requests;

  std::string provinceList() override {
    requests.emplace_back();
    return provinceAnswer;
  }
  std::string stationList(std::string_view provinceCode) override {
    requests.emplace_back(provinceCode);
    const auto found = stationAnswers.find(provinceCode);
    return found == stationAnswers.end() ? std::string() : found->second;
  }
  std::string hostName() const override { return "directory.test"; }
};

// Small answers in the service's form.
inline constexpr std::string_view kTwoProvinces =
    R"([{"code":"ABJ","name":"北京市"},{"code":"AHN","name":"湖南省"}])";
inline constexpr std::string_view kHunanStations =
    R"([{"code":"57780","province":"湖南省","city":"株洲"},)"
    R"({"code":"57687","province":"湖南省","city":"长沙"},)"
    R"({"code":"57679","province":"湖南省","city":"长沙黄花"},)"
    R"({"code":"57773","province":"湖南省","city":"湘潭"}])";
inline constexpr std::string_view kBeijingStations =
    R"([{"code":"54511","province":"北京市","city":"北京"},)"
    R"({"code":"54399","province":"北京市","city":"Haidian"}])";

}  // namespace skyrill::test
