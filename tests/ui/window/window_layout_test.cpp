#include <QAbstractButton>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QTest>

#include "ui/canvas.h"
#include "window_fixture.h"

namespace skyrill::test {
namespace {

using WindowLayoutTest = WindowFixture;

// The caption a label or a button shows.
QString caption(const QWidget* widget) {
  if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
  if (auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
  if (auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
  return {};
}

TEST_F(WindowLayoutTest, ClientAreaIs632By560BelowTheMenuBar) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  const QWidget* client = window.centralWidget();
  EXPECT_EQ(client->size(), QSize(632, 560));
  EXPECT_EQ(client->y(), window.menuBar()->height());
  EXPECT_EQ(window.size(), QSize(632, 560 + window.menuBar()->height()));
  EXPECT_EQ(window.minimumSize(), window.maximumSize());  // not resizable
  EXPECT_FALSE(window.windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_TRUE(window.windowFlags() & Qt::WindowCloseButtonHint);
}

TEST_F(WindowLayoutTest, ElementsSitAtTheirPlacesWithTheirCaptions) {
  struct Case {
    const char* name;
    QRect geometry;
    const char* caption;
  };
  const Case cases[] = {
      {"选择框1", {0, 0, 64, 25}, "&R.实况"},
      {"标签1", {72, 0, 56, 25}, "&C.日期："},
      {"组合框1", {128, 0, 64, 25}, ""},
      {"标签2", {192, 0, 16, 25}, "年"},
      {"组合框2", {208, 0, 48, 25}, ""},
      {"标签3", {256, 0, 16, 25}, "月"},
      {"组合框3", {272, 0, 48, 25}, ""},
      {"标签4", {320, 0, 16, 25}, "日"},
      {"标签5", {344, 0, 72, 25}, "&S.气象站号："},
      {"编辑框1", {416, 0, 56, 25}, "58453"},
      {"选择站点按钮", {472, 0, 72, 25}, "&C.选择站点"},
      {"获取按钮", {552, 0, 80, 25}, "&G.获取"},
      {"画板1", {0, 25, 502, 442}, ""},
      {"画板2", {0, 466, 502, 22}, ""},
      {"标签6", {504, 25, 128, 24}, "时次："},
      {"编辑框2", {504, 49, 128, 24}, ""},
      {"标签7", {504, 73, 128, 24}, "气温："},
      {"编辑框3", {504, 97, 128, 24}, ""},
      {"标签8", {504, 121, 128, 24}, "气压："},
      {"编辑框4", {504, 145, 128, 24}, ""},
      {"标签9", {504, 169, 128, 24}, "相对湿度："},
      {"编辑框5", {504, 193, 128, 24}, ""},
      {"标签10", {504, 217, 128, 24}, "风向："},
      {"编辑框6", {504, 241, 128, 24}, ""},
      {"标签11", {504, 265, 128, 24}, "风速："},
      {"编辑框7", {504, 289, 128, 24}, ""},
      {"标签12", {504, 313, 128, 24}, "降水 [雪深]："},
      {"编辑框8", {504, 337, 128, 24}, ""},
      {"标签13", {504, 361, 128, 24}, "能见度："},
      {"编辑框9", {504, 385, 128, 24}, ""},
      {"标签14", {504, 413, 128, 75}, ""},
      {"状态条1", {0, 488, 632, 24}, ""},
      {"状态条2", {0, 512, 632, 24}, ""},
      {"状态条3", {0, 536, 632, 24}, ""},
  };
  for (const Case& c : cases) {
    const QWidget* widget = child(QString::fromUtf8(c.name));
    if (!widget) continue;
    EXPECT_EQ(widget->parentWidget(), window.centralWidget()) << c.name;
    EXPECT_EQ(widget->geometry(), c.geometry) << c.name;
    EXPECT_EQ(caption(widget), QString::fromUtf8(c.caption)) << c.name;
  }
}

TEST_F(WindowLayoutTest, FontsColoursAndAlignments) {
  EXPECT_EQ(window.font().family(), QStringLiteral("Noto Sans CJK SC"));
  EXPECT_EQ(window.font().pointSize(), 9);
  EXPECT_EQ(child(QStringLiteral("编辑框1"))->font().pointSize(), 9);
  EXPECT_EQ(window.palette().color(QPalette::Window), QColor(0xEC, 0xEC, 0xEC));

  auto* title = child<QLabel>(QStringLiteral("标签14"));
  EXPECT_EQ(title->font().family(), QStringLiteral("Noto Sans CJK SC"));
  EXPECT_EQ(title->font().pointSize(), 12);
  EXPECT_EQ(title->palette().color(QPalette::WindowText), QColor(0x00, 0x00, 0x80));
  EXPECT_EQ(title->alignment(), Qt::AlignCenter);
  EXPECT_TRUE(title->wordWrap());

  EXPECT_EQ(child<QLabel>(QStringLiteral("标签1"))->alignment(), Qt::AlignRight | Qt::AlignVCenter);
  EXPECT_EQ(child<QLabel>(QStringLiteral("标签5"))->alignment(), Qt::AlignRight | Qt::AlignVCenter);
  EXPECT_EQ(child<QLabel>(QStringLiteral("标签2"))->alignment(), Qt::AlignLeft | Qt::AlignVCenter);
  EXPECT_EQ(child<QLabel>(QStringLiteral("标签6"))->alignment(), Qt::AlignLeft | Qt::AlignVCenter);

  for (const char* name : {"画板1", "画板2"}) {
    const Canvas* canvas = child<Canvas>(QString::fromUtf8(name));
    EXPECT_EQ(canvas->frameWidth(), 1) << name;
  }
  EXPECT_EQ(window.chartCanvas().picture().size(), QSize(500, 440));
  EXPECT_EQ(window.stripCanvas().picture().size(), QSize(500, 20));
  EXPECT_EQ(window.chartCanvas().picture().pixel(250, 220), qRgb(0xEC, 0xEC, 0xEC));

  for (int index = 2; index <= 9; ++index) {
    auto* box = child<QLineEdit>(QStringLiteral("编辑框%1").arg(index));
    EXPECT_TRUE(box->isReadOnly());
    EXPECT_EQ(box->palette().color(QPalette::Base), QColor(0xEC, 0xEC, 0xEC));
  }
  EXPECT_TRUE(child<QAbstractButton>(QStringLiteral("获取按钮"))->property("default").toBool());
}

// The menu tree as "indent caption [shortcut] (flags)" lines.
void describeMenu(const QMenu* menu, int level, QStringList& lines) {
  for (const QAction* action : menu->actions()) {
    QString line = QString(level * 2, ' ');
    if (action->isSeparator()) {
      lines << line + "-";
      continue;
    }
    line += action->text();
    if (!action->shortcut().isEmpty()) line += " [" + action->shortcut().toString() + "]";
    if (action->isCheckable()) line += action->isChecked() ? " (ticked)" : " (tick)";
    if (!action->isEnabled()) line += " (disabled)";
    lines << line;
    if (action->menu()) describeMenu(action->menu(), level + 1, lines);
  }
}

TEST_F(WindowLayoutTest, MenuTreeWithCaptionsAndShortcuts) {
  QStringList lines;
  for (const QAction* top : window.menuBar()->actions()) {
    lines << top->text();
    describeMenu(top->menu(), 1, lines);
  }
  const QStringList expected = {
      "&D.数据",
      "  &O.打开 [Ctrl+O]",
      "  &S.保存 [Ctrl+S] (disabled)",
      "  &A.自动保存 (tick)",
      "  -",
      "  &T.显示表格 [F1]",
      "  -",
      "  &K.密钥",
      "    &C.当前密钥：",
      "    -",
      "    &S.使用高级数据源 (tick)",
      "  -",
      "  &P.代理",
      "    &A.启用代理 (tick) (disabled)",
      "    &S.配置代理",
      "  &V.服务器…",
      "  -",
      "  &E.导出",
      "    &H.CSV（时次）… (disabled)",
      "    &G.CSV（表格）… (disabled)",
      "    &C.图表（PNG/JPEG/SVG/PDF）… (disabled)",
      "    &W.风向杆（PNG/JPEG/SVG/PDF）… (disabled)",
      "  &I.打印… [Ctrl+P] (disabled)",
      "  &M.下载多日…",
      "  -",
      "  &B.前一天 [PgUp]",
      "  &N.后一天 [PgDown]",
      "  &L.时段概览… [F2]",
      "  &Y.历史同期… [F3]",
      "  &C.多站对比… [F4]",
      "  -",
      "  &Q.退出 [Ctrl+Q]",
      "&W.风",
      "  上小时最大瞬时风 (ticked)",
      "  上小时2分钟平均风 (tick)",
      "  整点瞬时风 (tick)",
      "&V.能见度",
      "  上小时10分钟平均能见度 (ticked)",
      "  报告上小时能见度 (tick)",
      "&H.帮助",
      "  &A.关于 Skyrill",
  };
  EXPECT_EQ(lines, expected) << lines.join("\n").toStdString();
}

TEST_F(WindowLayoutTest, StationFieldAndReadoutBoxesHaveASunkenBorder) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  for (int index = 1; index <= 9; ++index) {
    const QString name = QStringLiteral("编辑框%1").arg(index);
    auto* field = child<QLineEdit>(name);
    EXPECT_FALSE(field->hasFrame()) << name.toStdString();
    const QImage picture = field->grab().toImage();
    const int right = picture.width() - 1;
    const int bottom = picture.height() - 1;
    // Two dark rings above and to the left, two light ones below and right.
    EXPECT_EQ(picture.pixel(5, 0), qRgb(0xA0, 0xA0, 0xA0)) << name.toStdString();
    EXPECT_EQ(picture.pixel(0, 5), qRgb(0xA0, 0xA0, 0xA0)) << name.toStdString();
    EXPECT_EQ(picture.pixel(5, 1), qRgb(0x69, 0x69, 0x69)) << name.toStdString();
    EXPECT_EQ(picture.pixel(5, bottom), qRgb(0xFF, 0xFF, 0xFF)) << name.toStdString();
    EXPECT_EQ(picture.pixel(right, 5), qRgb(0xFF, 0xFF, 0xFF)) << name.toStdString();
    EXPECT_EQ(picture.pixel(right - 1, 5), qRgb(0xE3, 0xE3, 0xE3)) << name.toStdString();
  }
}

TEST_F(WindowLayoutTest, StatusBarsHavePanelsOfTheirWidthsWithCaptions) {
  struct Case {
    int bar;
    int panel;
    int x;
    int width;
    const char* caption;
  };
  const Case cases[] = {
      {1, 0, 0, 120, "最高气温："},       {1, 1, 120, 120, "最低气温："},
      {1, 2, 240, 200, "降水量："},       {1, 3, 440, 192, "最大小时雨强："},
      {2, 0, 0, 140, "平均气温："},       {2, 1, 140, 200, "最高风速："},
      {2, 2, 340, 150, "最高气压："},     {2, 3, 490, 142, "最低气压："},
      {3, 0, 0, 140, "平均气压："},       {3, 1, 140, 220, "最低能见度："},
      {3, 2, 360, 272, "数据获取时间："},
  };
  for (const Case& c : cases) {
    const QLabel* panel = window.statusPanel(c.bar, c.panel);
    EXPECT_EQ(panel->geometry(), QRect(c.x, 0, c.width, 24)) << c.bar << "/" << c.panel;
    EXPECT_EQ(panel->text(), QString::fromUtf8(c.caption)) << c.bar << "/" << c.panel;
  }
}

TEST_F(WindowLayoutTest, TabVisitsTheTopRowInOrder) {
  QStringList visited;
  QWidget* start = child(QStringLiteral("选择框1"));
  QWidget* widget = start;
  do {
    // The busy panel's "取消" joins the road only while the panel shows.
    const bool reachable = (widget->focusPolicy() & Qt::TabFocus) && widget->isVisibleTo(&window);
    if (reachable) visited << widget->objectName();
    widget = widget->nextInFocusChain();
  } while (widget != start);
  // The chart follows, for reading its hours from the keyboard.
  EXPECT_EQ(visited, (QStringList{"选择框1", "组合框1", "组合框2", "组合框3", "编辑框1",
                                  "选择站点按钮", "获取按钮", "画板1"}));
}

TEST_F(WindowLayoutTest, StationFieldRefusesASixthTypedCharacter) {
  window.show();
  auto* field = child<QLineEdit>(QStringLiteral("编辑框1"));
  field->clear();
  QTest::keyClicks(field, "1234567");
  EXPECT_EQ(field->text(), "12345");

  window.setStationNumber(QStringLiteral("1234567"));
  EXPECT_EQ(field->text(), "1234567");  // set by code: kept whole
  field->end(false);
  QTest::keyClicks(field, "8");
  EXPECT_EQ(field->text(), "1234567");
  QTest::keyClick(field, Qt::Key_Backspace);
  EXPECT_EQ(field->text(), "123456");  // deleting still works

  // A pasted number fills the field up to the limit.
  field->clear();
  QGuiApplication::clipboard()->setText(QStringLiteral("9876543"));
  QTest::keySequence(field, QKeySequence::Paste);
  EXPECT_EQ(field->text(), "98765");

  // So does text committed by an input method.
  field->setText(QStringLiteral("123"));
  field->end(false);
  QInputMethodEvent commit;
  commit.setCommitString(QStringLiteral("4567"));
  QApplication::sendEvent(field, &commit);
  EXPECT_EQ(field->text(), "12345");
}

TEST_F(WindowLayoutTest, StationFieldSelectsAllOnFocus) {
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  window.activateWindow();
  auto* field = child<QLineEdit>(QStringLiteral("编辑框1"));
  child(QStringLiteral("获取按钮"))->setFocus();
  field->setFocus(Qt::MouseFocusReason);
  QApplication::processEvents();
  EXPECT_EQ(field->selectedText(), "58453");
}

TEST_F(WindowLayoutTest, EnterClicksTheDefaultButtonAndEscKeepsTheWindow) {
  source.answer = R"({"res":[{"time":"2019-07-05T00:00:00","T":20}]})";
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
  // Wherever the focus is, Enter fetches once and leaves the focus in place.
  const char* focused[] = {"编辑框1", "选择框1", "组合框1", "组合框3", "编辑框2", "获取按钮"};
  for (const char* name : focused) {
    QWidget* widget = child(QString::fromUtf8(name));
    widget->setFocus();
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter}) {
      const std::size_t before = source.requests.size();
      QTest::keyClick(widget, key);
      EXPECT_EQ(source.requests.size(), before + 1) << name << " key " << key;
      EXPECT_EQ(QApplication::focusWidget(), widget) << name;
    }
  }
  EXPECT_EQ(source.requests.back().stationNumber, "58453");

  QTest::keyClick(child(QStringLiteral("编辑框1")), Qt::Key_Escape);
  QTest::keyClick(&window, Qt::Key_Escape);
  EXPECT_TRUE(window.isVisible());
}

}  // namespace
}  // namespace skyrill::test
