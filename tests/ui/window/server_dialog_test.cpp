// "服务器…": the two service addresses, checked on confirmation, and a test
// that asks each service once off the GUI thread and says what came back.
#include "ui/server_dialog.h"

#include <gtest/gtest.h>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "directory_routes.h"
#include "server_thread.h"
#include "tests/net/raw_server.h"
#include "tests/support/wait_for.h"
#include "weather_routes.h"

namespace skyrill::test {
namespace {

QueryRequest probeDay() {
  QueryRequest request;
  request.mode = QueryMode::History;
  request.stationNumber = "54511";
  request.year = "2024";
  request.month = "1";
  request.day = "20";
  request.apiKey = "demo";
  return request;
}

class ServerDialogTest : public ::testing::Test {
 protected:
  ServerDialogTest() {
    sample::addWeatherRoutes(service.server(), {}, false);
    sample::addDirectoryRoutes(service.server());
    address = QStringLiteral("http://127.0.0.1:%1").arg(service.start("127.0.0.1", 0));
  }

  std::unique_ptr<ServerDialog> open(const ServiceAddresses& set) {
    auto dialog = std::make_unique<ServerDialog>(set, ServiceAddresses{address, address},
                                                 probeDay(), nullptr);
    dialog->show();
    return dialog;
  }
  template <typename Widget = QWidget>
  static Widget* part(ServerDialog& dialog, const char* name) {
    auto* widget = dialog.findChild<Widget*>(QString::fromLatin1(name));
    EXPECT_NE(widget, nullptr) << name;
    return widget;
  }
  // Clicks "测试连接" and gives the lines it ends with.
  static QStringList test(ServerDialog& dialog) {
    QSignalSpy finished(&dialog, &ServerDialog::testFinished);
    QTest::mouseClick(part(dialog, "testButton"), Qt::LeftButton);
    EXPECT_FALSE(part(dialog, "testButton")->isEnabled());
    EXPECT_TRUE(waitFor([&] { return finished.count() == 1; }));
    EXPECT_TRUE(part(dialog, "testButton")->isEnabled());
    return part<QLabel>(dialog, "testResult")->text().split(QLatin1Char('\n'));
  }

  sample::ServerThread service{std::make_unique<httplib::Server>()};
  QString address;
};

TEST_F(ServerDialogTest, theTestAsksEachServiceOnceAndSaysWhatCameBack) {
  const QString dead = QStringLiteral("http://127.0.0.1:%1").arg(testing::unusedPort());
  struct Case {
    ServiceAddresses typed;
    QString serverLine;
    QString directoryLine;
  } cases[] = {
      {{address, address},
       QStringLiteral("数据服务 %1：连接成功，收到 北京 54511 2024-01-20 的 24 条记录。")
           .arg(address),
       QStringLiteral("站点目录 %1：连接成功，共 34 个省份。").arg(address)},
      {{},  // empty fields stand for the built-in addresses
       QStringLiteral("数据服务 %1：连接成功，收到 北京 54511 2024-01-20 的 24 条记录。")
           .arg(address),
       QStringLiteral("站点目录 %1：连接成功，共 34 个省份。").arg(address)},
      {{dead, QStringLiteral("www.nmc.cn")},
       QStringLiteral("数据服务：服务器 %1：连接被拒绝。").arg(dead),
       QStringLiteral("站点目录：地址须以 http:// 或 https:// 开头。")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.server.toStdString());
    auto dialog = open({});
    part<QLineEdit>(*dialog, "serverField")->setText(c.typed.server);
    part<QLineEdit>(*dialog, "directoryField")->setText(c.typed.directory);
    EXPECT_EQ(test(*dialog), (QStringList{c.serverLine, c.directoryLine}));
    if (c.typed.server.isEmpty()) dialog->grab().save(QStringLiteral("/tmp/server-dialog.png"));
  }
}

// A server's own words may look like markup; the result shows them as
// written, so that a server cannot hide or restyle part of what is said.
TEST_F(ServerDialogTest, theResultShowsAServersWordsAsWritten) {
  testing::RawServer markup([](int socket, const std::string&) {
    const std::string body = R"({"error":"&lt;<font color=\"white\">hidden</font>"})";
    testing::sendAll(socket,
                     "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\n"
                     "Content-Length: " +
                         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body);
  });
  const QString server = QStringLiteral("http://127.0.0.1:%1").arg(markup.port());
  auto dialog = open({server, address});
  const QStringList lines = test(*dialog);
  ASSERT_EQ(lines.size(), 2);
  EXPECT_EQ(lines[0], QStringLiteral("数据服务 %1：已连接，但服务答复错误："
                                     "&lt;<font color=\"white\">hidden</font>。")
                          .arg(server));
  EXPECT_EQ(part<QLabel>(*dialog, "testResult")->textFormat(), Qt::PlainText);
}

// Confirming takes the addresses without blanks around them, and refuses
// one that is no web address, saying which and why.
TEST_F(ServerDialogTest, confirmingChecksTheAddresses) {
  auto dialog = open({address, QString()});
  EXPECT_EQ(part<QLineEdit>(*dialog, "serverField")->text(), address);
  EXPECT_EQ(part<QLineEdit>(*dialog, "directoryField")->placeholderText(),
            QStringLiteral("内置：") + address);
  part<QLineEdit>(*dialog, "directoryField")->setText(QStringLiteral("127.0.0.1:8765"));
  QTest::mouseClick(part(*dialog, "okButton"), Qt::LeftButton);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(part<QLabel>(*dialog, "problemLabel")->text(),
            QStringLiteral("站点目录地址：地址须以 http:// 或 https:// 开头。"));
  EXPECT_EQ(dialog->focusWidget(), part(*dialog, "directoryField"));

  part<QLineEdit>(*dialog, "directoryField")->setText(QStringLiteral(" https://dir.example "));
  QTest::mouseClick(part(*dialog, "okButton"), Qt::LeftButton);
  EXPECT_FALSE(dialog->isVisible());
  EXPECT_EQ(dialog->result(), QDialog::Accepted);
  EXPECT_EQ(dialog->addresses(),
            (ServiceAddresses{address, QStringLiteral("https://dir.example")}));
}

// A test under way ends with the dialog: a service that never answers does
// not hold it.
TEST_F(ServerDialogTest, closingEndsATestUnderWay) {
  testing::RawServer silent([](int socket, const std::string&) { testing::waitForClose(socket); });
  const QString stalled = QStringLiteral("http://127.0.0.1:%1").arg(silent.port());
  auto dialog = open({stalled, stalled});
  QTest::mouseClick(part(*dialog, "testButton"), Qt::LeftButton);
  ASSERT_TRUE(waitFor([&] { return !silent.requestHeads().empty(); }));
  EXPECT_TRUE(dialog->testing());
  dialog->reject();
  dialog.reset();  // waits for the test's thread, which the close has ended
}

TEST_F(ServerDialogTest, screenReadersHearEachFieldsName) {
  auto dialog = open({});
  EXPECT_EQ(part(*dialog, "serverField")->accessibleName(), QStringLiteral("数据服务地址"));
  EXPECT_EQ(part(*dialog, "directoryField")->accessibleName(), QStringLiteral("站点目录地址"));
  EXPECT_EQ(part(*dialog, "testResult")->accessibleName(), QStringLiteral("测试结果"));
}

}  // namespace
}  // namespace skyrill::test
