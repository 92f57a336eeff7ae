#include "weather_routes.h"

#include <chrono>
#include <cstdio>

namespace skyrill::sample {
namespace {

WeatherQuery queryOf(const httplib::Request& request) {
  WeatherQuery query;
  query.station = request.matches[1];
  query.endpoint = request.matches[2];
  query.apiKey = request.get_param_value("key");
  if (request.has_param("date")) query.date = request.get_param_value("date");
  return query;
}

// The request without its key, which is a secret of the caller.
void logRequest(const httplib::Request& request, const httplib::Response& response) {
  const std::string date = request.get_param_value("date");
  std::fprintf(stderr, "%s %s%s%s -> %d, %zu bytes\n", request.method.c_str(), request.path.c_str(),
               date.empty() ? "" : " date=", date.c_str(), response.status, response.body.size());
}

}  // namespace

void addWeatherRoutes(httplib::Server& server, ServiceConfig config, bool logRequests,
                      FaultConfig faults) {
  server.Get(R"(/api/weather/([^/]*)/([^/]*)/?)",
             [config, faults](const httplib::Request& request, httplib::Response& response) {
               const ServiceReply reply =
                   answerWeatherQuery(config, queryOf(request), std::chrono::system_clock::now());
               serveWithFault(faults, request, response, reply);
             });
  // Paths the service does not know get a web server's page; an answer with
  // content of its own, given whole or through a provider, keeps it.
  server.set_error_handler([](const httplib::Request&, httplib::Response& response) {
    if (response.has_header("Content-Type")) return;
    const ServiceReply page = errorPage(response.status);
    response.set_content(page.body, page.contentType.c_str());
  });
  if (logRequests) server.set_logger(logRequest);
}

}  // namespace skyrill::sample
