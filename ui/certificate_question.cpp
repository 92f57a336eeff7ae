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

}  // namespace skyrill
