// The menu bar of the main window.
#include <QMenuBar>

#include "ui/main_window.h"

namespace skyrill {

namespace {

QAction* addItem(QMenu* menu, const QString& caption, const QKeySequence& shortcut = {}) {
  QAction* action = menu->addAction(caption);
  action->setShortcut(shortcut);
  return action;
}

QAction* addTick(QMenu* menu, const QString& caption) {
  QAction* action = menu->addAction(caption);
  action->setCheckable(true);
  return action;
}

// One tick item per variant, numbered from 1 in menu order.
template <typename Variant, std::size_t Count>
void addVariantItems(QMenu* menu, const std::array<QString, Count>& captions,
                     std::array<QAction*, Count>& items, MainWindow* window,
                     void (MainWindow::*choose)(Variant)) {
  for (std::size_t index = 0; index < Count; ++index) {
    items[index] = addTick(menu, captions[index]);
    const auto variant = static_cast<Variant>(index + 1);
    QObject::connect(items[index], &QAction::triggered, window,
                     [window, choose, variant] { (window->*choose)(variant); });
  }
}

}  // namespace

void MainWindow::buildMenus() {
  QMenu* data = menuBar()->addMenu(QStringLiteral("&D.数据"));
  openAction_ = addItem(data, QStringLiteral("&O.打开"), QKeySequence(Qt::CTRL | Qt::Key_O));
  saveAction_ = addItem(data, QStringLiteral("&S.保存"), QKeySequence(Qt::CTRL | Qt::Key_S));
  autoSaveAction_ = addTick(data, QStringLiteral("&A.自动保存"));
  data->addSeparator();
  showTableAction_ = addItem(data, QStringLiteral("&T.显示表格"), QKeySequence(Qt::Key_F1));
  connect(showTableAction_, &QAction::triggered, this, &MainWindow::showTable);
  data->addSeparator();
  QMenu* key = data->addMenu(QStringLiteral("&K.密钥"));
  apiKeyAction_ = addItem(key, QStringLiteral("&C.当前密钥："));
  key->addSeparator();
  advancedSourceAction_ = addTick(key, QStringLiteral("&S.使用高级数据源"));
  data->addSeparator();
  QMenu* proxy = data->addMenu(QStringLiteral("&P.代理"));
  proxyEnableAction_ = addTick(proxy, QStringLiteral("&A.启用代理"));
  proxyEnableAction_->setEnabled(false);
  proxyConfigureAction_ = addItem(proxy, QStringLiteral("&S.配置代理"));
  serverAction_ = addItem(data, QStringLiteral("&V.服务器…"));
  data->addSeparator();
  buildExportMenu(data);
  printAction_ = addItem(data, QStringLiteral("&I.打印…"), QKeySequence(Qt::CTRL | Qt::Key_P));
  downloadDaysAction_ = addItem(data, QStringLiteral("&M.下载多日…"));
  data->addSeparator();
  previousDayAction_ = addItem(data, QStringLiteral("&B.前一天"), QKeySequence(Qt::Key_PageUp));
  nextDayAction_ = addItem(data, QStringLiteral("&N.后一天"), QKeySequence(Qt::Key_PageDown));
  overviewAction_ = addItem(data, QStringLiteral("&L.时段概览…"), QKeySequence(Qt::Key_F2));
  climateAction_ = addItem(data, QStringLiteral("&Y.历史同期…"), QKeySequence(Qt::Key_F3));
  comparisonAction_ = addItem(data, QStringLiteral("&C.多站对比…"), QKeySequence(Qt::Key_F4));
  data->addSeparator();
  quitAction_ = addItem(data, QStringLiteral("&Q.退出"), QKeySequence(Qt::CTRL | Qt::Key_Q));

  windMenu_ = menuBar()->addMenu(QStringLiteral("&W.风"));
  addVariantItems<WindVariant>(windMenu_,
                               {QStringLiteral("上小时最大瞬时风"),
                                QStringLiteral("上小时2分钟平均风"), QStringLiteral("整点瞬时风")},
                               windActions_, this, &MainWindow::chooseWindVariant);
  visibilityMenu_ = menuBar()->addMenu(QStringLiteral("&V.能见度"));
  addVariantItems<VisibilityVariant>(
      visibilityMenu_,
      {QStringLiteral("上小时10分钟平均能见度"), QStringLiteral("报告上小时能见度")},
      visibilityActions_, this, &MainWindow::chooseVisibilityVariant);
  setVariants(WindVariant::MaxInstant, VisibilityVariant::TenMinuteMean);

  QMenu* help = menuBar()->addMenu(QStringLiteral("&H.帮助"));
  aboutAction_ = addItem(help, QStringLiteral("&A.关于 Skyrill"));

  // Esc gives up a fetch, and does nothing else in this window.
  cancelAction_ = new QAction(this);
  cancelAction_->setShortcut(QKeySequence(Qt::Key_Escape));
  cancelAction_->setShortcutContext(Qt::WindowShortcut);
  cancelAction_->setEnabled(false);
  addAction(cancelAction_);

  connect(autoSaveAction_, &QAction::triggered, this, &MainWindow::refreshTitle);
  connect(proxyEnableAction_, &QAction::triggered, this, &MainWindow::refreshTitle);
  connect(advancedSourceAction_, &QAction::triggered, this, &MainWindow::toggleAdvancedSource);
  connect(quitAction_, &QAction::triggered, this, &QWidget::close);
  connect(downloadDaysAction_, &QAction::triggered, this, &MainWindow::downloadDays);
  connect(printAction_, &QAction::triggered, this, [this] { printDay(); });
  connect(previousDayAction_, &QAction::triggered, this, &MainWindow::showPreviousDay);
  connect(nextDayAction_, &QAction::triggered, this, &MainWindow::showNextDay);
  connect(overviewAction_, &QAction::triggered, this, &MainWindow::showOverview);
  connect(climateAction_, &QAction::triggered, this, &MainWindow::showClimate);
  connect(comparisonAction_, &QAction::triggered, this, &MainWindow::showComparison);
  connect(aboutAction_, &QAction::triggered, this, &MainWindow::showAbout);
  connect(cancelAction_, &QAction::triggered, this, &MainWindow::cancelFetch);
  connectCommands();
}

}  // namespace skyrill
