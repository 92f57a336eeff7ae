#include "tools/pictures/pictures.h"

#include "tools/pictures/tool_modules.h"

namespace skyrill {

bool drawPictures(std::span<PictureJob> jobs, const char* programName, std::string& error) {
  const auto draw =
      toolModuleFunction<DrawPicturesEntry>(kPicturesModule, kDrawPicturesEntry, error);
  if (draw == nullptr) return false;
  draw(jobs.data(), jobs.size(), programName);
  return true;
}

}  // namespace skyrill
