// skyrill-day fetching from the sample service on 127.0.0.1, as the window
// would, and showing the saved answer again from its file.

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "sample_service_fixture.h"
#include "server_thread.h"
#include "weather_routes.h"

#include "store/whole_file.h"

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& path) {
  return skyrill::readWholeFile(path).value_or("");
}

class SkyrillDayFetch : public skyrill::testing::SampleServiceTest {
 protected:
  SkyrillDayFetch() : SampleServiceTest("skyrill-day-fetch") {}

  // Runs the program; its exit status, standard output and standard error.
  int run(const std::string& args, std::string& out, std::string& err) {
    const std::string command = std::string(SKYRILL_DAY_PROGRAM) + " " + args + " > " +
                                (dir_ / "out").string() + " 2> " + (dir_ / "err").string();
    const int raw = std::system(command.c_str());
    out = readAll(dir_ / "out");
    err = readAll(dir_ / "err");
    return WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
};

TEST_F(SkyrillDayFetch, fetchedDayAndItsSavedFileShowTheSameDay) {
  const fs::path saved = dir_ / "0_58453_0_20190705.json";
  std::string fetched, fromFile, err;
  ASSERT_EQ(run("--slots --station 58453 --date 2019-7-5 --key demo --server " + base_ +
                    " --save " + saved.string(),
                fetched, err),
            0)
      << err;
  ASSERT_EQ(run("--slots " + saved.string(), fromFile, err), 0) << err;

  // The same report but for the source of the data in the last panel.
  const std::string fetchPanel = "数据获取时间：";
  const auto lastPanel = [&](const std::string& report) {
    const std::size_t start = report.find(fetchPanel);
    return report.substr(start, report.find('\n', start) - start);
  };
  EXPECT_EQ(lastPanel(fromFile), "数据获取时间：本地文件");
  EXPECT_EQ(lastPanel(fetched).size(),
            fetchPanel.size() + std::string("2019/07/05 08:00:00").size());
  std::string fetchedAsFile = fetched;
  fetchedAsFile.replace(fetched.find(fetchPanel), lastPanel(fetched).size(), lastPanel(fromFile));
  EXPECT_EQ(fetchedAsFile, fromFile);
  EXPECT_EQ(fetched.rfind("历史天气\n2019-07-05\n", 0), 0u) << fetched;
  EXPECT_NE(fetched.find("2019/07/05 23:00:00"), std::string::npos);
}

TEST_F(SkyrillDayFetch, refusalsOfTheServiceGiveTheirMessages) {
  struct Case {
    std::string args;
    std::string messageStart;
  } cases[] = {
      {"--station 58453 --today --key wrong",
       "获取失败！可能的原因：\n1. 获取数据时数据源需要提供密钥"},
      {"--station 05845 --today --key demo", "获取失败！错误报告：\n"},
      {"--station 58453 --date 1990-12-31 --key demo", "获取失败！可能由以下几种原因造成："},
      {"--station 58453 --date 1990-12-31 --advanced --key demo",
       "获取失败！可能由以下几种原因造成："},
      {"--station 58453 --date 1991-1-1 --key demo", ""},
      {"--station 58453 --date 1991-1-1 --advanced --key demo", ""},
  };
  for (const Case& c : cases) {
    std::string out, err;
    const int status = run(c.args + " --server " + base_, out, err);
    if (c.messageStart.empty()) {
      EXPECT_EQ(status, 0) << c.args << err;  // both sources reach back to 1991
      continue;
    }
    EXPECT_EQ(status, 1) << c.args;
    EXPECT_EQ(err.rfind(c.messageStart, 0), 0u) << err;
  }
  std::string out, err;
  EXPECT_EQ(run("--station 58453 --today --key demo --server http://127.0.0.1:1", out, err), 1);
  EXPECT_EQ(err,
            "获取失败！可能的原因：\n获取数据时本地网络或目标服务器出现问题。\n\n"
            "服务器 http://127.0.0.1:1：连接被拒绝。\n");
}

}  // namespace
