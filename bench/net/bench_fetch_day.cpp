// One station-day fetched from the local sample service, as the program
// fetches it: a new connection per request, over HTTP and over HTTPS; and as
// a range run fetches it, over a session's kept connection, beside a lean
// libcurl client that reuses one handle.
//
// SKYRILL_BENCH_SERVICE=http://127.0.0.1:PORT points the session runs at a
// service in another process, so that `strace -f -c` counts the client's
// system calls alone.

#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <cstdlib>

#include "net/data_service.h"
#include "server_thread.h"
#include "weather_routes.h"

namespace {

using skyrill::sample::ServerThread;

// A service that lives for the whole program; gives its base address.
std::string startService(ServerThread& service, const char* scheme) {
  skyrill::sample::addWeatherRoutes(service.server(), {}, false);
  return std::string(scheme) + "://127.0.0.1:" + std::to_string(service.start("127.0.0.1", 0));
}

skyrill::QueryRequest historyDay() {
  skyrill::QueryRequest request;
  request.stationNumber = "58453";
  request.year = "2019";
  request.month = "7";
  request.day = "5";
  request.apiKey = "demo";
  return request;
}

void fetchDay(benchmark::State& state, const std::string& base) {
  skyrill::DataService service(base);
  const skyrill::QueryRequest request = historyDay();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string answer = service.fetch(request).bytes;
    bytes = answer.size();
    benchmark::DoNotOptimize(answer.data());
  }
  if (bytes == 0) state.SkipWithError("no answer");
  state.counters["bytes"] = static_cast<double>(bytes);
}

void BM_FetchDayHttp(benchmark::State& state) {
  static ServerThread service(std::make_unique<httplib::Server>());
  static const std::string base = startService(service, "http");
  fetchDay(state, base);
}

void BM_FetchDayHttps(benchmark::State& state) {
  static ServerThread service(skyrill::sample::makeHttpsServer());
  static const std::string base = startService(service, "https");
  fetchDay(state, base);
}

// The session's base address: the outside service when one is named.
const std::string& sessionBase() {
  static ServerThread service(std::make_unique<httplib::Server>());
  static const std::string base = [] {
    const char* outside = std::getenv("SKYRILL_BENCH_SERVICE");
    return outside && *outside ? std::string(outside) : startService(service, "http");
  }();
  return base;
}

void BM_FetchDayHttpSession(benchmark::State& state) {
  const skyrill::DataService service(sessionBase());
  skyrill::WebSession session;
  const skyrill::QueryRequest request = historyDay();
  std::size_t bytes = 0;
  for (auto _ : state) {
    const std::string answer = service.exchange(request, nullptr, &session).body;
    bytes = answer.size();
    benchmark::DoNotOptimize(answer.data());
  }
  if (bytes == 0) state.SkipWithError("no answer");
  state.counters["bytes"] = static_cast<double>(bytes);
}

std::size_t keepBody(char* data, std::size_t size, std::size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

// The floor of a session's request: one easy handle set up once and
// performed again and again, with the header lines the program sends.
void BM_FetchDayHttpSessionFloor(benchmark::State& state) {
  const skyrill::QueryRequest request = historyDay();
  const std::string url = skyrill::buildQueryUrl(sessionBase(), request);
  CURL* curl = curl_easy_init();
  curl_slist* lines = nullptr;
  for (const std::string& line :
       {std::string("Accept: */*"), "Referer: " + url, std::string("Accept-Language: zh-cn")})
    lines = curl_slist_append(lines, line.c_str());
  std::string body;
  curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
  curl_easy_setopt(curl, CURLOPT_HTTPHEADER, lines);
  curl_easy_setopt(curl, CURLOPT_USERAGENT, std::string(skyrill::kDefaultUserAgent).c_str());
  curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, keepBody);
  curl_easy_setopt(curl, CURLOPT_WRITEDATA, &body);
  curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
  // Honest only when it brings what the program brings.
  const skyrill::DataService service(sessionBase());
  skyrill::WebSession session;
  if (curl_easy_perform(curl) != CURLE_OK ||
      body != service.exchange(request, nullptr, &session).body) {
    state.SkipWithError("the floor brings another answer than the program");
  }
  for (auto _ : state) {
    body.clear();
    curl_easy_perform(curl);
    benchmark::DoNotOptimize(body.data());
  }
  curl_slist_free_all(lines);
  curl_easy_cleanup(curl);
}

// The server's share: building the answer without any transport.
void BM_SynthesizeDay(benchmark::State& state) {
  const skyrill::sample::WeatherQuery query{"58453", "history", "demo", "2019-7-5"};
  const auto now = std::chrono::system_clock::now();
  for (auto _ : state) {
    benchmark::DoNotOptimize(skyrill::sample::answerWeatherQuery({}, query, now).body.data());
  }
}

BENCHMARK(BM_FetchDayHttp)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_FetchDayHttps)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();
BENCHMARK(BM_FetchDayHttpSession)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_FetchDayHttpSessionFloor)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();
BENCHMARK(BM_SynthesizeDay)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
