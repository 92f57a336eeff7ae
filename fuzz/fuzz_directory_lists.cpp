// The station directory: a service answer read as the province list and as
// a station list, shown, written to the caches and read back from them, and
// the station-list request built from a code the answer gave.

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>

#include "core/encoding.h"
#include "fuzz/fuzz_check.h"
#include "net/url_parts.h"
#include "stations/pinyin_match.h"
#include "stations/station_directory.h"

namespace skyrill {
namespace {

bool isValidUtf8(std::string_view text) {
  return sanitizeUtf8(text) == text;
}

// The same answer for both lists.
class FixedSource : public DirectorySource {
 public:
  explicit FixedSource(std::string_view answer) : answer_(answer) {}
  std::string provinceList(CancelFlag*) override { return answer_; }
  std::string stationList(std::string_view, CancelFlag*) override { return answer_; }
  std::string hostName() const override { return "directory.example"; }

 private:
  std::string answer_;
};

// The picker's two list boxes, reduced to checks of what they are given.
class CheckingView : public DirectoryView {
 public:
  bool failed = false;

  void clearProvinceList() override {}
  void clearStationList() override {}
  void addProvinceItems(const std::vector<std::string>& texts) override { checkItems(texts); }
  void addStationItems(const std::vector<std::string>& texts) override { checkItems(texts); }
  void replaceStationItems(const std::vector<std::string>& texts) override { checkItems(texts); }
  void showFailed() override { failed = true; }
  void showDownloading(bool) override {}
  void showAllStationsProgress(const AllStationsProgress&) override {}

 private:
  static void checkItems(const std::vector<std::string>& texts) {
    require(texts.size() <= kMaxListEntries, "a list is bounded");
    for (const std::string& text : texts) require(isValidUtf8(text), "a list item is UTF-8");
  }
};

// A folder in memory of this process's own for the caches, removed at the end.
class CacheFolder {
 public:
  CacheFolder() {
    std::error_code error;
    const std::filesystem::path parent = std::filesystem::is_directory("/dev/shm", error)
                                             ? std::filesystem::path("/dev/shm")
                                             : std::filesystem::temp_directory_path();
    std::string pattern = (parent / "skyrill-fuzz-directory-XXXXXX").string();
    require(mkdtemp(pattern.data()) != nullptr, "a cache folder can be made");
    path_ = pattern;
  }
  ~CacheFolder() {
    std::error_code error;
    std::filesystem::remove_all(path_, error);
  }
  const std::filesystem::path& path() const { return path_; }
  // Removes the caches of the last input.
  void clear() const {
    std::error_code error;
    std::filesystem::remove(path_ / kProvinceCacheName, error);
    std::filesystem::remove(path_ / kStationCacheName, error);
  }

 private:
  std::filesystem::path path_;
};

// A pinyin search of a city by any typed text (the codes, the next city)
// answers, and a text that begins the city's reading still begins it cut
// shorter, as long as a letter is left.
void checkPinyinSearch(const std::vector<StationEntry>& stations) {
  const std::size_t checked = std::min<std::size_t>(stations.size(), 16);
  for (std::size_t index = 0; index < checked; ++index) {
    const std::string& city = stations[index].city;
    const std::string& next = stations[(index + 1) % stations.size()].city;
    for (const std::string& typed : {stations[index].code, next}) {
      if (!pinyinBeginsWith(city, typed)) continue;
      for (std::size_t length = typed.size(); length-- > 0;) {
        const std::string_view cut = std::string_view(typed).substr(0, length);
        if (std::none_of(cut.begin(), cut.end(),
                         [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); })) {
          break;
        }
        require(pinyinBeginsWith(city, cut), "a shorter typed text still begins the reading");
      }
    }
  }
}

void checkEntries(std::string_view answer) {
  const auto provinces = readProvinceList(answer);
  const auto stations = readStationList(answer);
  require(provinces.has_value() == stations.has_value(), "both lists read the same JSON");
  if (!provinces) return;
  require(provinces->size() == stations->size(), "both lists stop at the same element");
  for (const ProvinceEntry& province : *provinces) {
    require(!province.code.empty(), "a province has a code");
    require(isValidUtf8(displayText(province)), "a province shows as UTF-8");
  }
  for (const StationEntry& station : *stations) {
    require(isValidUtf8(displayText(station)), "a station shows as UTF-8");
  }
  checkPinyinSearch(*stations);
}

// A station list is asked for from the directory's host, whatever code the
// province list gave.
void checkStationListUrl(std::string_view code) {
  constexpr std::string_view kBase = "http://directory.example:8080";
  const UrlParts parts = analyzeUrl(stationListUrl(kBase, code));
  require(parts.host == "directory.example" && parts.port == 8080,
          "a station list comes from the directory's host");
}

template <typename Entry>
bool sameTexts(const std::vector<Entry>& a, const std::vector<Entry>& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const Entry& x, const Entry& y) {
    return x.code == y.code && displayText(x) == displayText(y);
  });
}

// Both lists downloaded, written to the caches and shown from them at the
// next start.
void checkCaches(std::string_view answer) {
  static const CacheFolder folder;
  folder.clear();
  FixedSource source(answer);
  CheckingView view;
  StationDirectory downloaded(source, folder.path());
  InlineRunner runner;
  downloaded.downloadProvinces(view, runner);
  if (view.failed) return;
  for (const ProvinceEntry& province : downloaded.provinces()) checkStationListUrl(province.code);
  downloaded.downloadStations(view, runner, "");
  require(!view.failed, "an answer read as one list reads as the other");
  downloaded.writeDirectoryCaches();

  FixedSource offline("");
  CheckingView cachedView;
  StationDirectory cached(offline, folder.path());
  cached.readDirectoryCaches(cachedView);
  require(!cachedView.failed, "a written cache reads");
  require(sameTexts(cached.provinces(), downloaded.provinces()) &&
              sameTexts(cached.stations(), downloaded.stations()),
          "the caches show the lists that were downloaded");
}

}  // namespace
}  // namespace skyrill

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size) {
  const std::string_view answer = skyrill::inputText(data, size);
  skyrill::checkEntries(answer);
  skyrill::checkCaches(answer);
  return 0;
}
