// One station-day fetched from the local sample service, as the program
// fetches it: a new connection per request, over HTTP and over HTTPS.

#include <benchmark/benchmark.h>

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
BENCHMARK(BM_SynthesizeDay)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
