#pragma once

#include <httplib.h>

namespace skyrill::sample {

// Serves "/rest/province" and "/rest/province/{code}" from the bundled
// station directory.
void addDirectoryRoutes(httplib::Server& server);

}  // namespace skyrill::sample
