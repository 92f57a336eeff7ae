#include "ui/file_dialogs.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QStandardPaths>
#include <QStyle>

namespace skyrill {
namespace {

// Icons and type names from a file's kind and name only. The default
// provider guesses a type from a file's first bytes, and reading a special
// file (a pipe, /proc/kmsg) on the window's thread waits for ever.
class NameOnlyIconProvider : public QFileIconProvider {
 public:
  QIcon icon(const QFileInfo& info) const override {
    const bool folder = info.isDir();
    return QApplication::style()->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
  }
  QIcon icon(IconType type) const override { return QFileIconProvider::icon(type); }
  QString type(const QFileInfo& info) const override {
    if (info.isDir()) return QStringLiteral("文件夹");
    if (!info.isFile()) return QStringLiteral("特殊文件");
    return QMimeDatabase().mimeTypeForFile(info, QMimeDatabase::MatchExtension).comment();
  }
};

NameOnlyIconProvider& nameOnlyIcons() {
  static auto* const provider = new NameOnlyIconProvider;  // used until the very end
  return *provider;
}

}  // namespace

void prepareFileDialog(QFileDialog& dialog) {
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setIconProvider(&nameOnlyIcons());
  // A typed name and Enter end the dialog while its completer still shows.
  QObject::connect(&dialog, &QDialog::finished, &dialog, [&dialog] {
    for (QCompleter* completer : dialog.findChildren<QCompleter*>()) {
      if (completer->popup()) completer->popup()->hide();
    }
  });
}

QString firstExportFolder(bool picture) {
  const QStandardPaths::StandardLocation preferred =
      picture ? QStandardPaths::PicturesLocation : QStandardPaths::DocumentsLocation;
  for (const auto location : {preferred, QStandardPaths::DocumentsLocation}) {
    const QString folder = QStandardPaths::writableLocation(location);
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
  }
  return QDir::homePath();
}

}  // namespace skyrill
