#include "ui/certificate_question.h"

#include <QMessageBox>
#include <QPushButton>

namespace skyrill {

bool askToTrustCertificate(QWidget* owner, const ServerCertificate& certificate) {
  const QString text = QString::fromStdString(trustQuestion(certificate))
                           .replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const bool changed = !certificate.trustedSha256.empty();
  QMessageBox box(changed ? QMessageBox::Critical : QMessageBox::Warning, QStringLiteral("证书"),
                  text, QMessageBox::NoButton, owner);
  box.setTextInteractionFlags(Qt::TextSelectableByMouse);
  QPushButton* trust = box.addButton(QStringLiteral("信任此证书"), QMessageBox::AcceptRole);
  trust->setObjectName(kTrustCertificateButton);
  QPushButton* refuse = box.addButton(QStringLiteral("不信任"), QMessageBox::RejectRole);
  refuse->setObjectName(kKeepRefusingButton);
  box.setDefaultButton(refuse);
  box.setEscapeButton(refuse);
  box.exec();
  return box.clickedButton() == trust;
}

bool askAndKeepCertificate(QWidget* owner, const ServerCertificate& certificate,
                           const std::function<bool(const ServerCertificate&)>& keep) {
  if (!askToTrustCertificate(owner, certificate)) return false;
  if (!keep(certificate)) {
    QMessageBox box(QMessageBox::Warning, QStringLiteral("证书"),
                    QStringLiteral("已信任此证书，但无法写入设置文件：下次启动后需要再次确认。"),
                    QMessageBox::Ok, owner);
    box.exec();
  }
  return true;
}

}  // namespace skyrill
