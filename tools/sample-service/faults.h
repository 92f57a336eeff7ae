#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include <httplib.h>

#include "weather_api.h"

// Faults the sample service can put into its weather answers, so that tests
// and users see how the program copes with a service that misbehaves.
namespace skyrill::sample {

enum class Fault {
  None,
  CloseMidBody,         // half the announced body, then the connection closes
  Drip,                 // the body two bytes at a time, half a second apart
  StallBeforeHeaders,   // nothing at all for a long time
  ServerError,          // a 500 page
  HugeBody,             // 200 MB of body, its length not told before
  InvalidUtf8,          // bytes that are no UTF-8 in the station's name
  EndlessRedirect,      // a redirect to the same address, for ever
  RedirectToOtherHost,  // a redirect to "localhost", which answers normally
};

// The fault an option value names: "close-mid-body", "drip", "stall",
// "500", "huge-body", "invalid-utf8", "redirect-loop", "redirect-other-host".
std::optional<Fault> faultNamed(std::string_view name);

struct FaultConfig {
  Fault fault = Fault::None;
  std::chrono::milliseconds stall{std::chrono::minutes(2)};  // how long a stall lasts
};

// Sends the answer to a weather request spoiled by the fault.
void serveWithFault(const FaultConfig& faults, const httplib::Request& request,
                    httplib::Response& response, const ServiceReply& answer);

}  // namespace skyrill::sample
