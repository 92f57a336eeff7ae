// The pictures module: draws the tools' pictures with Qt Gui (and Svg), which
// only the runs that ask for a picture load.

#include <QGuiApplication>

#include <cstdlib>
#include <span>
#include <type_traits>

#include "tools/pictures/picture_jobs.h"
#include "tools/pictures/tool_modules.h"
#include "ui/comparison_chart.h"
#include "ui/picture_files.h"
#include "ui/summary_chart.h"

namespace skyrill {
namespace {

bool draw(PictureJob& job) {
  const QString file = QString::fromStdString(job.file);
  const QString caption = QString::fromStdString(job.caption);
  switch (job.kind) {
    case PictureKind::DayChart:
      return saveDayChart(*job.day, file, caption, &job.error);
    case PictureKind::WindStrip:
      return saveWindStrip(*job.day, file, caption, &job.error);
    case PictureKind::SummaryChart:
      return saveSummaryChart(*job.summary, file, &job.error);
    case PictureKind::ComparisonChart:
      return saveComparisonChart(*job.comparison, file, &job.error);
  }
  return false;
}

}  // namespace
}  // namespace skyrill

// Fonts and images need an application; without a display it draws offscreen.
SKYRILL_MODULE_ENTRY void skyrill_draw_pictures(skyrill::PictureJob* jobs, std::size_t count,
                                                const char* programName) {
  if (std::getenv("QT_QPA_PLATFORM") == nullptr) setenv("QT_QPA_PLATFORM", "offscreen", 1);
  int argc = 1;
  std::string name = programName;
  char* argv[] = {name.data(), nullptr};
  QGuiApplication app(argc, argv);
  for (skyrill::PictureJob& job : std::span(jobs, count)) job.written = skyrill::draw(job);
}

// The tools call the entry by this type.
static_assert(std::is_same_v<decltype(skyrill_draw_pictures), skyrill::DrawPicturesEntry>);
