#include "stations/station_directory.h"

#include "core/cancel_flag.h"
#include "stations/list_search.h"
#include "store/whole_file.h"

namespace skyrill {
namespace {

template <typename Entry>
std::vector<std::string> displayTexts(const std::vector<Entry>& entries) {
  std::vector<std::string> texts;
  texts.reserve(entries.size());
  for (const Entry& entry : entries) texts.push_back(displayText(entry));
  return texts;
}

}  // namespace

// A download between its request and its end. The runner's work holds it as
// long as the request lasts; `directory` is cleared when the download is
// cancelled or the directory goes, so that a late end is dropped.
struct StationDirectory::PendingDownload {
  StationDirectory* directory = nullptr;
  DirectoryView* view = nullptr;
  std::optional<std::string> provinceCode;  // the stations of this province; else the provinces
  CancelFlag cancel;
  std::string answer;
};

StationDirectory::StationDirectory(DirectorySource& source, std::filesystem::path cacheFolder)
    : source_(source),
      cacheFolder_(std::move(cacheFolder)),
      heldStations_(cacheFolder_ / kStationListFolderName) {}

StationDirectory::~StationDirectory() {
  if (!pending_) return;
  pending_->directory = nullptr;
  pending_->cancel.cancel();
}

void StationDirectory::downloadProvinces(DirectoryView& view, TaskRunner& runner) {
  startDownload(view, runner, std::nullopt);
}

void StationDirectory::downloadStations(DirectoryView& view, TaskRunner& runner,
                                        std::string provinceCode) {
  startDownload(view, runner, std::move(provinceCode));
}

void StationDirectory::downloadAllStations(DirectoryView& view, TaskRunner& runner) {
  if (pending_) return;
  allStations_ = AllStationsRun{&runner, {}, {}};
  view.showDownloading(true);
  if (!provincesShown_) {
    startDownload(view, runner, std::nullopt);
    return;
  }
  askNextProvince(view);
}

void StationDirectory::startDownload(DirectoryView& view, TaskRunner& runner,
                                     std::optional<std::string> provinceCode) {
  if (pending_) return;
  source_.takeRefusedCertificate();  // one a cancelled download left behind
  auto download = std::make_shared<PendingDownload>();
  download->directory = this;
  download->view = &view;
  download->provinceCode = std::move(provinceCode);
  pending_ = download;
  // A download of every province is one download to the view.
  if (!allStations_) view.showDownloading(true);
  runner.run(
      [download, &source = source_] {
        download->answer = download->provinceCode
                               ? source.stationList(*download->provinceCode, &download->cancel)
                               : source.provinceList(&download->cancel);
      },
      [download] {
        if (download->directory) download->directory->endDownload(*download);
      });
}

void StationDirectory::endDownload(PendingDownload& download) {
  pending_.reset();
  download.directory = nullptr;
  DirectoryView& view = *download.view;
  if (allStations_) {
    continueAllStations(view, download);
    return;
  }
  view.showDownloading(false);
  if (!download.provinceCode) {
    provinceBytes_ = std::move(download.answer);
    loadProvinces(view);
    offerRefusedCertificate(view);
    return;
  }
  stationBytes_ = std::move(download.answer);
  if (!loadStations(view)) {
    offerRefusedCertificate(view);
    return;
  }
  stationsProvince_ = *download.provinceCode;
  heldStations_.keep(stationsProvince_, {stationBytes_, stations_});
}

void StationDirectory::offerRefusedCertificate(DirectoryView& view) {
  const std::optional<ServerCertificate> refused = source_.takeRefusedCertificate();
  if (refused && keepCertificate_) view.offerCertificate(*refused);
}

void StationDirectory::continueAllStations(DirectoryView& view, PendingDownload& download) {
  AllStationsRun& run = *allStations_;
  if (!download.provinceCode) {
    provinceBytes_ = std::move(download.answer);
    loadProvinces(view);
  } else {
    auto stations = readStationList(download.answer);
    if (!stations || stations->empty()) {
      ++run.progress.failed;
    } else {
      heldStations_.keep(*download.provinceCode,
                         {std::move(download.answer), std::move(*stations)});
    }
    ++run.progress.done;
  }
  askNextProvince(view);
}

// The provinces are asked in the list's order, one request at a time.
void StationDirectory::askNextProvince(DirectoryView& view) {
  AllStationsRun& run = *allStations_;
  if (run.provinceCodes.empty() && run.progress.done == 0 && provincesShown_) {
    for (const ProvinceEntry& province : provinces_) run.provinceCodes.push_back(province.code);
    run.progress.total = run.provinceCodes.size();
  }
  if (run.progress.done < run.provinceCodes.size()) {
    view.showAllStationsProgress(run.progress);
    startDownload(view, *run.runner, run.provinceCodes[run.progress.done]);
    return;
  }
  AllStationsProgress progress = run.progress;
  progress.finished = true;
  allStations_.reset();
  view.showAllStationsProgress(progress);
  view.showDownloading(false);
  // Refused by a certificate, every province failed the same way.
  offerRefusedCertificate(view);
}

bool StationDirectory::cancelDownload() {
  allStations_.reset();
  if (!pending_) return false;
  pending_->directory = nullptr;
  pending_->cancel.cancel();
  DirectoryView& view = *pending_->view;
  pending_.reset();
  view.showDownloading(false);
  return true;
}

void StationDirectory::loadProvinces(DirectoryView& view) {
  view.clearProvinceList();
  provincesShown_ = false;
  stationsShown_ = false;
  auto provinces = readProvinceList(provinceBytes_);
  provinceBytesRead_ = provinces.has_value();
  if (!provinces) {
    view.showFailed();
    return;
  }
  provinces_ = std::move(*provinces);
  view.addProvinceItems(displayTexts(provinces_));
  provincesShown_ = true;
}

bool StationDirectory::loadStations(DirectoryView& view) {
  view.clearStationList();
  stationsShown_ = false;
  stationsProvince_.clear();
  auto stations = readStationList(stationBytes_);
  stationBytesRead_ = stations.has_value();
  if (!stations) {
    view.showFailed();
    return false;
  }
  stations_ = std::move(*stations);
  view.addStationItems(displayTexts(stations_));
  stationsShown_ = true;
  return true;
}

void StationDirectory::readDirectoryCaches(DirectoryView& view) {
  if (auto bytes = readCacheFile(cacheFolder_ / kProvinceCacheName)) {
    provinceBytes_ = std::move(*bytes);
    loadProvinces(view);
  }
  if (auto bytes = readCacheFile(cacheFolder_ / kStationCacheName)) {
    stationBytes_ = std::move(*bytes);
    if (!loadStations(view) || stations_.empty()) return;
    // The answer names no province code; its stations name their province.
    stationsProvince_ = provinceCodeNamed(stations_.front().province);
    heldStations_.keepIfNone(stationsProvince_, {stationBytes_, stations_});
  }
}

void StationDirectory::writeDirectoryCaches() const {
  // Failures are silent: the caches only spare a download next time.
  if (provinceBytesRead_) writeWholeFile(cacheFolder_ / kProvinceCacheName, provinceBytes_);
  if (stationBytesRead_) writeWholeFile(cacheFolder_ / kStationCacheName, stationBytes_);
}

std::optional<std::size_t> StationDirectory::findProvince(std::string_view typed) const {
  if (!provincesShown_) return std::nullopt;
  return skyrill::findProvince(provinces_, typed);
}

std::optional<StationFound> StationDirectory::findStation(std::string_view typed) {
  if (stationsShown_) {
    if (auto station = skyrill::findStation(stations_, typed)) return StationFound{{}, *station};
  }
  if (!provincesShown_) return std::nullopt;
  for (std::size_t province = 0; province < provinces_.size(); ++province) {
    const std::string& code = provinces_[province].code;
    if (stationsShown_ && code == stationsProvince_) continue;  // searched above
    const HeldStations* held = heldStations_.find(code);
    if (!held) continue;
    if (auto station = skyrill::findStation(held->stations, typed)) {
      return StationFound{province, *station};
    }
  }
  return std::nullopt;
}

void StationDirectory::showHeldStations(DirectoryView& view, std::size_t province) {
  if (province >= provinces_.size()) return;
  const std::string code = provinces_[province].code;
  const HeldStations* held = heldStations_.find(code);
  if (!held) return;
  stationBytes_ = held->bytes;
  stationBytesRead_ = true;
  stations_ = held->stations;
  stationsShown_ = true;
  stationsProvince_ = code;
  view.replaceStationItems(displayTexts(stations_));
}

std::string StationDirectory::provinceCodeNamed(std::string_view name) const {
  if (!provincesShown_) return std::string();
  for (const ProvinceEntry& province : provinces_) {
    if (province.name == name) return province.code;
  }
  return std::string();
}

}  // namespace skyrill
