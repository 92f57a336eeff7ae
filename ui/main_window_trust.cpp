// The main window's part in trusting a server's certificate.
#include "ui/certificate_question.h"
#include "ui/main_window.h"

namespace skyrill {

void MainWindow::setCertificateTrust(const CertificateTrust* trust, KeepCertificate keep) {
  certificateTrust_ = trust;
  keepCertificate_ = std::move(keep);
}

void MainWindow::offerCertificate(const ServerCertificate& certificate) {
  if (!keepCertificate_ || !askAndKeepCertificate(this, certificate, keepCertificate_)) return;
  // From the event loop: the run that refused the certificate is still ending.
  QMetaObject::invokeMethod(this, &MainWindow::fetch, Qt::QueuedConnection);
}

}  // namespace skyrill
