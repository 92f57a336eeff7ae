#pragma once

#include <httplib.h>

#include "faults.h"
#include "weather_api.h"

namespace skyrill::sample {

// Serves "/api/weather/{station}/{endpoint}/" from the configuration, spoilt
// by the fault when one is given; with logRequests, one line per request
// goes to standard error.
void addWeatherRoutes(httplib::Server& server, ServiceConfig config, bool logRequests,
                      FaultConfig faults = {});

}  // namespace skyrill::sample
