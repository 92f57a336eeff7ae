#include "ui/server_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "core/cancel_flag.h"
#include "net/data_service.h"
#include "stations/directory_service.h"
#include "ui/light_palette.h"
#include "ui/thread_runner.h"

namespace skyrill {
namespace {

const QColor kProblemRed(0xB0, 0x00, 0x00);

QPushButton* button(const QString& name, const QString& caption, QWidget* owner) {
  auto* button = new QPushButton(caption, owner);
  button->setObjectName(name);
  return button;
}

}  // namespace

// A test between its start and its end; the thread holds it while it asks.
struct ServerDialog::Test {
  std::string server;
  std::string directory;
  QueryRequest probe;
  CancelFlag cancel;
  std::string serverLine;
  std::string directoryLine;
};

ServerDialog::ServerDialog(const ServiceAddresses& set, const ServiceAddresses& builtIn,
                           QueryRequest probe, QWidget* owner, const CertificateTrust* trust)
    : QDialog(owner),
      builtIn_(builtIn),
      probe_(std::move(probe)),
      trust_(trust),
      runner_(std::make_unique<ThreadRunner>()) {
  setWindowTitle(QStringLiteral("服务器"));
  setPalette(lightPalette());
  setAutoFillBackground(true);

  auto* form = new QFormLayout;
  serverField_ =
      addField(QStringLiteral("serverField"), QStringLiteral("数据服务地址"), builtIn_.server);
  directoryField_ = addField(QStringLiteral("directoryField"), QStringLiteral("站点目录地址"),
                             builtIn_.directory);
  serverField_->setText(set.server);
  directoryField_->setText(set.directory);
  form->addRow(QStringLiteral("&S.数据服务地址："), serverField_);
  form->addRow(QStringLiteral("&D.站点目录地址："), directoryField_);
  auto* hint = new QLabel(QStringLiteral("留空则使用程序内置的地址。"), this);
  form->addRow(QString(), hint);

  problemLabel_ = new QLabel(this);
  problemLabel_->setObjectName(QStringLiteral("problemLabel"));
  QPalette red = problemLabel_->palette();
  red.setColor(QPalette::WindowText, kProblemRed);
  problemLabel_->setPalette(red);
  problemLabel_->hide();

  testButton_ = button(QStringLiteral("testButton"), QStringLiteral("&T.测试连接"), this);
  testButton_->setAutoDefault(false);
  resultLabel_ = new QLabel(this);
  resultLabel_->setObjectName(QStringLiteral("testResult"));
  resultLabel_->setAccessibleName(QStringLiteral("测试结果"));
  resultLabel_->setWordWrap(true);
  // The lines hold what a server chose to send (its error text, its
  // certificate's subject): shown as written, never read as markup.
  resultLabel_->setTextFormat(Qt::PlainText);
  resultLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
  resultLabel_->setMinimumHeight(3 * fontMetrics().lineSpacing());
  resultLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);

  auto* okButton = button(QStringLiteral("okButton"), QStringLiteral("确定"), this);
  okButton->setDefault(true);
  auto* cancelButton = button(QStringLiteral("cancelButton"), QStringLiteral("取消"), this);
  cancelButton->setAutoDefault(false);
  auto* buttons = new QHBoxLayout;
  buttons->addWidget(testButton_);
  buttons->addStretch();
  buttons->addWidget(okButton);
  buttons->addWidget(cancelButton);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(problemLabel_);
  layout->addWidget(resultLabel_);
  layout->addLayout(buttons);
  setMinimumWidth(520);

  connect(testButton_, &QPushButton::clicked, this, &ServerDialog::testConnection);
  connect(okButton, &QPushButton::clicked, this, &ServerDialog::accept);
  connect(cancelButton, &QPushButton::clicked, this, &ServerDialog::reject);
}

ServerDialog::~ServerDialog() {
  if (test_) test_->cancel.cancel();
}

QLineEdit* ServerDialog::addField(const QString& name, const QString& spoken,
                                  const QString& builtIn) {
  auto* field = new QLineEdit(this);
  field->setObjectName(name);
  field->setAccessibleName(spoken);
  field->setPlaceholderText(QStringLiteral("内置：") + builtIn);
  field->setAccessibleDescription(QStringLiteral("留空则使用内置地址 ") + builtIn);
  field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("m")) * 36);
  return field;
}

ServiceAddresses ServerDialog::addresses() const {
  return {serverField_->text().trimmed(), directoryField_->text().trimmed()};
}

QString ServerDialog::effective(const QLineEdit& field, const QString& builtIn) const {
  const QString typed = field.text().trimmed();
  return typed.isEmpty() ? builtIn : typed;
}

void ServerDialog::accept() {
  for (QLineEdit* field : {serverField_, directoryField_}) {
    const QString typed = field->text().trimmed();
    if (typed.isEmpty()) continue;
    const std::string problem = baseAddressProblem(typed.toStdString());
    if (problem.empty()) continue;
    problemLabel_->setText(
        QStringLiteral("%1：%2。").arg(field->accessibleName(), QString::fromStdString(problem)));
    problemLabel_->show();
    field->setFocus();
    return;
  }
  problemLabel_->hide();
  QDialog::accept();
}

void ServerDialog::done(int result) {
  if (test_) test_->cancel.cancel();
  QDialog::done(result);
}

void ServerDialog::testConnection() {
  if (test_) return;
  auto test = std::make_shared<Test>();
  test->server = effective(*serverField_, builtIn_.server).toStdString();
  test->directory = effective(*directoryField_, builtIn_.directory).toStdString();
  test->probe = probe_;
  test_ = test;
  testButton_->setEnabled(false);
  resultLabel_->setText(QStringLiteral("正在测试…"));
  // A dead or stalled service answers nothing for a long time: the test
  // waits no longer than the picker does.
  runner_->run(
      [test, trust = trust_] {
        if (const std::string problem = baseAddressProblem(test->server); !problem.empty()) {
          test->serverLine = "数据服务：" + problem + "。";
        } else {
          test->serverLine = probeDataService(test->server, test->probe, &test->cancel,
                                              DirectoryService::kLimits, trust);
        }
        if (test->cancel.isCancelled()) return;
        if (const std::string problem = baseAddressProblem(test->directory); !problem.empty()) {
          test->directoryLine = "站点目录：" + problem + "。";
        } else {
          test->directoryLine =
              probeDirectory(test->directory, &test->cancel, DirectoryService::kLimits, trust);
        }
      },
      [this, test] { finishTest(test); });
}

void ServerDialog::finishTest(const std::shared_ptr<Test>& test) {
  if (test != test_) return;
  test_.reset();
  testButton_->setEnabled(true);
  resultLabel_->setText(QString::fromStdString(test->serverLine + "\n" + test->directoryLine));
  emit testFinished();
}

}  // namespace skyrill
