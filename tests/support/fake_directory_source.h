#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/cancel_flag.h"
#include "stations/directory_service.h"

namespace skyrill::test {

// Answers the directory's requests with canned bytes and keeps the province
// codes asked for ("" for the province list). With `refusing` set, every
// request refuses that certificate.
struct FakeDirectorySource : DirectorySource {
  std::string provinceAnswer;
  std::map<std::string, std::string, std::less<>> stationAnswers;  // by province code
  std::vector<std::string> requests;
  std::optional<ServerCertificate> refusing;

  std::string provinceList(CancelFlag*) override {
    requests.emplace_back();
    refused_ = refusing;
    return refusing ? std::string() : provinceAnswer;
  }
  std::string stationList(std::string_view provinceCode, CancelFlag*) override {
    requests.emplace_back(provinceCode);
    refused_ = refusing;
    const auto found = stationAnswers.find(provinceCode);
    return refusing || found == stationAnswers.end() ? std::string() : found->second;
  }
  std::string hostName() const override { return "directory.test"; }
  std::optional<ServerCertificate> takeRefusedCertificate() override {
    return std::exchange(refused_, std::nullopt);
  }

 private:
  std::optional<ServerCertificate> refused_;
};

// A slow service: holds each request until release() or its cancel flag is
// raised, then answers as the fake does, or nothing when cancelled. A request
// nobody ends gives up after a minute, so that a test whose cancel goes
// astray fails rather than hangs.
class HeldDirectorySource : public FakeDirectorySource {
 public:
  std::string provinceList(CancelFlag* cancel) override {
    return hold(cancel) ? FakeDirectorySource::provinceList(cancel) : std::string();
  }
  std::string stationList(std::string_view provinceCode, CancelFlag* cancel) override {
    return hold(cancel) ? FakeDirectorySource::stationList(provinceCode, cancel) : std::string();
  }

  // Lets the held request go on, and every later one.
  void release() {
    const std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }
  // A request is being held now.
  bool holding() const {
    const std::lock_guard lock(mutex_);
    return holding_;
  }
  // Requests that ended because their flag was raised.
  int cancelled() const {
    const std::lock_guard lock(mutex_);
    return cancelled_;
  }

 private:
  // False when the request was cancelled.
  bool hold(CancelFlag* cancel) {
    if (cancel) {
      cancel->setWaker([this] {
        const std::lock_guard lock(mutex_);
        changed_.notify_all();
      });
    }
    bool cancelled = false;
    {
      std::unique_lock lock(mutex_);
      holding_ = true;
      changed_.wait_for(lock, std::chrono::minutes(1),
                        [&] { return released_ || (cancel && cancel->isCancelled()); });
      holding_ = false;
      cancelled = cancel && cancel->isCancelled();
      if (cancelled) ++cancelled_;
    }
    if (cancel) cancel->clearWaker();
    return !cancelled;
  }

  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool released_ = false;
  bool holding_ = false;
  int cancelled_ = 0;
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
