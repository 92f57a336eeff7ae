// The main window's part in trusting a server's certificate.
#include "ui/certificate_question.h"
#include "ui/main_window.h"

namespace skyrill {

void MainWindow::setCertificateTrust(const CertificateTrust* trust, KeepCertificate keep) {
  certificateTrust_ = trust;
  keepCertificate_ = std::move(keep);
}

void MainWindow::offerCertificate(const ServerCertificate& certificate) {
  if (!keepCertificate_ || !askToTrustCertificate(this, certificate)) return;
  if (!keepCertificate_(certificate)) {
    showMessage({"已信任此证书，但无法写入设置文件：下次启动后需要再次确认。",
                 "证书",
                 MessageIcon::Warning,
                 {}});
  }
  // From the event loop: the run that refused the certificate is still ending.
  QMetaObject::invokeMethod(this, &MainWindow::fetch, Qt::QueuedConnection);
}

}  // namespace skyrill
