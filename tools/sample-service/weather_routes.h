#pragma once

#include <httplib.h>

#include "weather_api.h"

namespace skyrill::sample {

// Serves "/api/weather/{station}/{endpoint}/" from the configuration; with
// logRequests, one line per request goes to standard error.
void addWeatherRoutes(httplib::Server& server, ServiceConfig config, bool logRequests);

}  // namespace skyrill::sample
