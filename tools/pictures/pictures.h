#pragma once

#include <span>
#include <string>

#include "tools/pictures/picture_jobs.h"

namespace skyrill {

// Draws the pictures through the pictures module, loaded by the first call;
// each job tells whether its file was written. False with `error` when the
// module cannot be loaded (no job is then written).
bool drawPictures(std::span<PictureJob> jobs, const char* programName, std::string& error);

}  // namespace skyrill
