#include <gtest/gtest.h>

#include "net/data_service.h"
#include "net/url_parts.h"

namespace skyrill {
namespace {

struct UrlCase {
  const char* url;
  bool secure;
  const char* host;
  int port;
  const char* path;
};

TEST(AnalyzeUrl, readsSchemeHostPortAndPath) {
  const UrlCase cases[] = {
      {"https://svc.example/api/weather/58453/history/?key=K&date=2019-7-5", true, "svc.example",
       443, "/api/weather/58453/history/?key=K&date=2019-7-5"},
      {"http://svc.example/a", false, "svc.example", 80, "/a"},
      {"HTTPS://Svc.EXAMPLE:8443/Path/To?Key=AbC", true, "svc.example", 8443, "/Path/To?Key=AbC"},
      {"http://127.0.0.1:8765/x", false, "127.0.0.1", 8765, "/x"},
      {"https://svc.example", true, "svc.example", 443, "/"},
      {"http://svc.example:8080", false, "svc.example", 8080, "/"},
      {"svc.example/a/B", false, "svc.example", 80, "/a/B"},
      {"svc.example:81", false, "svc.example", 81, "/"},
      {"http://svc.example:1:2/", false, "svc.example", 2, "/"},  // the last ":" gives the port
      {"https://svc.example:abc/", true, "svc.example", 0, "/"},
      {"https:/svc.example/", false, "https", 0, "/svc.example/"},
      // A host whose name is also part of the scheme.
      {"http://h/api?key=K", false, "h", 80, "/api?key=K"},
      {"https://s:8443/p", true, "s", 8443, "/p"},
      {"http://http:0/x", false, "http", 0, "/x"},
  };
  for (const UrlCase& c : cases) {
    SCOPED_TRACE(c.url);
    const UrlParts parts = analyzeUrl(c.url);
    EXPECT_EQ(parts.secure, c.secure);
    EXPECT_EQ(parts.host, c.host);
    EXPECT_EQ(parts.port, c.port);
    EXPECT_EQ(parts.path, c.path);
  }
}

QueryRequest request(QueryMode mode, bool advanced, std::string key) {
  QueryRequest result;
  result.mode = mode;
  result.stationNumber = "58453";
  result.year = "2019";
  result.month = "7";
  result.day = "5";
  result.advancedSource = advanced;
  result.apiKey = std::move(key);
  return result;
}

TEST(BuildQueryUrl, joinsThePiecesAsHeld) {
  const std::string base = "https://svc.example";
  struct Case {
    QueryRequest request;
    const char* url;
  } cases[] = {
      {request(QueryMode::History, false, "K"),
       "https://svc.example/api/weather/58453/history/?key=K&date=2019-7-5"},
      {request(QueryMode::History, true, "K"),
       "https://svc.example/api/weather/58453/history2/?key=K&date=2019-7-5"},
      {request(QueryMode::Today, false, "K"), "https://svc.example/api/weather/58453/today/?key=K"},
      {request(QueryMode::Today, true, "K"), "https://svc.example/api/weather/58453/today2/?key=K"},
      {request(QueryMode::History, false, ""),
       "https://svc.example/api/weather/58453/history/?key=&date=2019-7-5"},
      {request(QueryMode::Today, false, ""), "https://svc.example/api/weather/58453/today/?key="},
      {request(QueryMode::Today, false, "a b&c=d"),
       "https://svc.example/api/weather/58453/today/?key=a b&c=d"},
      {request(static_cast<QueryMode>(2), false, "K"), ""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(buildQueryUrl(base, c.request), c.url);
  }
  QueryRequest noStation = request(QueryMode::Today, false, "K");
  noStation.stationNumber.clear();
  EXPECT_EQ(buildQueryUrl(base, noStation), "https://svc.example/api/weather//today/?key=K");
}

TEST(ServerHostName, isTheLowerCaseHostWithoutPort) {
  EXPECT_EQ(serverHostName("http://127.0.0.1:8765"), "127.0.0.1");
  EXPECT_EQ(serverHostName("https://Weather.Example.COM"), "weather.example.com");
  EXPECT_FALSE(serverHostName(defaultServerAddress()).empty());
}

}  // namespace
}  // namespace skyrill
