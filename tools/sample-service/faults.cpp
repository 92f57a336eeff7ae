#include "faults.h"

#include <algorithm>
#include <array>
#include <memory>
#include <thread>
#include <utility>

namespace skyrill::sample {
namespace {

constexpr std::array<std::pair<std::string_view, Fault>, 8> kFaultNames = {{
    {"close-mid-body", Fault::CloseMidBody},
    {"drip", Fault::Drip},
    {"stall", Fault::StallBeforeHeaders},
    {"500", Fault::ServerError},
    {"huge-body", Fault::HugeBody},
    {"invalid-utf8", Fault::InvalidUtf8},
    {"redirect-loop", Fault::EndlessRedirect},
    {"redirect-other-host", Fault::RedirectToOtherHost},
}};

constexpr std::size_t kHugeBodyBytes = 200u * 1024 * 1024;

void closeMidBody(httplib::Response& response, const ServiceReply& answer) {
  auto body = std::make_shared<std::string>(answer.body);
  response.set_content_provider(body->size(), answer.contentType.c_str(),
                                [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                  if (offset >= body->size() / 2)
                                    return false;  // breaks the connection
                                  sink.write(body->data() + offset, body->size() / 2 - offset);
                                  return true;
                                });
}

void drip(httplib::Response& response, const ServiceReply& answer) {
  auto body = std::make_shared<std::string>(answer.body);
  response.set_content_provider(
      body->size(), answer.contentType.c_str(),
      [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        return sink.write(body->data() + offset, std::min<std::size_t>(2, body->size() - offset));
      });
}

// Sent in chunks, with no length told before: a client learns how large the
// body is only by reading it.
void hugeBody(httplib::Response& response) {
  response.set_chunked_content_provider("application/json",
                                        [](std::size_t offset, httplib::DataSink& sink) {
                                          static const std::string block(64 * 1024, ' ');
                                          if (offset >= kHugeBodyBytes) {
                                            sink.done();
                                            return true;
                                          }
                                          if (offset == 0) return sink.write("{\"res\":[", 8);
                                          return sink.write(block.data(), block.size());
                                        });
}

// The answer with two bytes that are no UTF-8 at the start of the name.
std::string withInvalidUtf8(std::string body) {
  const std::string_view name = "\"name\":\"";
  const std::size_t at = body.find(name);
  if (at != std::string::npos) body.insert(at + name.size(), "\xFF\xFE");
  return body;
}

std::string addressOf(const httplib::Request& request) {
  std::string address = request.path;
  std::string separator = "?";
  for (const auto& [name, value] : request.params) {
    address += separator + name + "=" + value;
    separator = "&";
  }
  return address;
}

}  // namespace

std::optional<Fault> faultNamed(std::string_view name) {
  for (const auto& [text, fault] : kFaultNames) {
    if (text == name) return fault;
  }
  return std::nullopt;
}

void serveWithFault(const FaultConfig& faults, const httplib::Request& request,
                    httplib::Response& response, const ServiceReply& answer) {
  const bool reachedByLocalhost = request.get_header_value("Host").starts_with("localhost");
  switch (reachedByLocalhost ? Fault::None : faults.fault) {
    case Fault::None:
      break;
    case Fault::CloseMidBody:
      return closeMidBody(response, answer);
    case Fault::Drip:
      return drip(response, answer);
    case Fault::StallBeforeHeaders:
      std::this_thread::sleep_for(faults.stall);
      break;
    case Fault::ServerError:
      response.status = 500;
      response.set_content(errorPage(500).body, "text/html");
      return;
    case Fault::HugeBody:
      return hugeBody(response);
    case Fault::InvalidUtf8:
      response.set_content(withInvalidUtf8(answer.body), answer.contentType.c_str());
      return;
    case Fault::EndlessRedirect:
      return response.set_redirect(addressOf(request));
    case Fault::RedirectToOtherHost:
      return response.set_redirect("http://localhost:" + request.get_header_value("LOCAL_PORT") +
                                   addressOf(request));
  }
  response.status = answer.status;
  response.set_content(answer.body, answer.contentType.c_str());
}

}  // namespace skyrill::sample
