// The about box of the main window's help menu.
#include <QMessageBox>

#include "json/json_document.h"
#include "net/web_client.h"
#include "ui/main_window.h"

namespace skyrill {

namespace {

QString fromUtf8(const std::string& text) {
  return QString::fromStdString(text);
}

// The libraries the program is built on, each with its licence.
QString libraryLines() {
  const QStringList lines = {
      QStringLiteral("Qt %1（LGPL v3）").arg(QString::fromLatin1(qVersion())),
      fromUtf8(webClientLibrary()) + QStringLiteral("（curl 许可证）"),
      fromUtf8(jsonParserLibrary()) + QStringLiteral("（Apache 2.0）"),
      fromUtf8(jsonWriterLibrary()) + QStringLiteral("（MIT）"),
      QStringLiteral("GNU C 库 iconv（LGPL v2.1）"),
      QStringLiteral("Noto Sans CJK SC 字体（SIL OFL 1.1）"),
  };
  return lines.join(QLatin1Char('\n'));
}

}  // namespace

void MainWindow::setDataPlaces(const QString& settingsFile, const QString& archiveFolder) {
  settingsFile_ = settingsFile;
  archiveFolder_ = archiveFolder;
}

void MainWindow::showAbout() {
  const QString text =
      QStringLiteral("Skyrill %1\n一个气象站一天的逐小时地面观测：图表、统计与数据表。\n\n")
          .arg(QStringLiteral(SKYRILL_VERSION)) +
      QStringLiteral("使用的程序库：\n") + libraryLines() + QStringLiteral("\n\n设置文件：") +
      settingsFile_ + QStringLiteral("\n观测存档：") + archiveFolder_;
  QMessageBox box(QMessageBox::Information, QStringLiteral("关于 Skyrill"), text, QMessageBox::Ok,
                  this);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  box.exec();
}

}  // namespace skyrill
