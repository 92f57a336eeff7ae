#include "directory_routes.h"

#include "directory_api.h"

namespace skyrill::sample {
namespace {

void reply(httplib::Response& response, const ServiceReply& answer) {
  response.status = answer.status;
  response.set_content(answer.body, answer.contentType.c_str());
}

}  // namespace

void addDirectoryRoutes(httplib::Server& server) {
  server.Get("/rest/province", [](const httplib::Request&, httplib::Response& response) {
    reply(response, provinceListReply());
  });
  server.Get(R"(/rest/province/([^/]*))",
             [](const httplib::Request& request, httplib::Response& response) {
               reply(response, stationListReply(request.matches[1].str()));
             });
}

}  // namespace skyrill::sample
