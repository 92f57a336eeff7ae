// Opening the station picker over cached lists: 34 provinces and a province
// of 200 stations read from the cache files and shown in the two lists.
#include <QApplication>
#include <QWidget>

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "directory_api.h"
#include "stations/station_directory.h"
#include "ui/station_picker.h"

namespace {

// Never asked: the picker reads the caches only.
struct NoService : skyrill::DirectorySource {
  std::string provinceList(skyrill::CancelFlag*) override { return {}; }
  std::string stationList(std::string_view, skyrill::CancelFlag*) override { return {}; }
  std::string hostName() const override { return "127.0.0.1"; }
};

std::string twoHundredStations() {
  std::string answer = "[";
  for (int i = 0; i < 200; ++i) {
    answer += R"({"code":")" + std::to_string(58400 + i) + R"(","province":"浙江省","city":"测站)" +
              std::to_string(i) + R"(","url":"/x"},)";
  }
  answer.back() = ']';
  return answer;
}

void writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// A folder with both caches, removed at the end.
class CacheFolder {
 public:
  CacheFolder() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "skyrill-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    writeFile(path_ / skyrill::kProvinceCacheName, skyrill::sample::provinceListReply().body);
    writeFile(path_ / skyrill::kStationCacheName, twoHundredStations());
  }
  ~CacheFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::filesystem::path& path() const { return path_; }

 private:
  std::filesystem::path path_;
};

void BM_OpenPickerFromCaches(benchmark::State& state) {
  CacheFolder caches;
  NoService service;
  skyrill::StationDirectory directory(service, caches.path());
  QWidget owner;
  owner.resize(632, 560);
  for (auto _ : state) {
    skyrill::StationPicker picker(directory, &owner);
    benchmark::DoNotOptimize(picker.confirmedStation());
  }
  if (directory.provinces().size() != 34 || directory.stations().size() != 200) {
    state.SkipWithError("the caches did not load");
  }
}
BENCHMARK(BM_OpenPickerFromCaches)->Unit(benchmark::kMicrosecond);

void BM_ReloadCachesIntoOpenPicker(benchmark::State& state) {
  CacheFolder caches;
  NoService service;
  skyrill::StationDirectory directory(service, caches.path());
  QWidget owner;
  skyrill::StationPicker picker(directory, &owner);
  picker.show();
  QApplication::processEvents();
  for (auto _ : state) {
    directory.readDirectoryCaches(picker);
    QApplication::processEvents();
  }
}
BENCHMARK(BM_ReloadCachesIntoOpenPicker)->Unit(benchmark::kMicrosecond);

}  // namespace
