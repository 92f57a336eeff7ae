#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <string>

#include "server_thread.h"
#include "weather_routes.h"

namespace skyrill::testing {

// The sample service on a free port of 127.0.0.1 and a folder of the test's
// own, named after `folderName` and the process.
class SampleServiceTest : public ::testing::Test {
 protected:
  explicit SampleServiceTest(std::string folderName) : folderName_(std::move(folderName)) {}

  void SetUp() override {
    auto server = std::make_unique<httplib::Server>();
    sample::addWeatherRoutes(*server, {}, false);
    service_ = std::make_unique<sample::ServerThread>(std::move(server));
    const int port = service_->start("127.0.0.1", 0);
    ASSERT_GT(port, 0);
    base_ = "http://127.0.0.1:" + std::to_string(port);
    dir_ = std::filesystem::temp_directory_path() / (folderName_ + "-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::unique_ptr<sample::ServerThread> service_;
  std::string base_;
  std::filesystem::path dir_;

 private:
  std::string folderName_;
};

}  // namespace skyrill::testing
