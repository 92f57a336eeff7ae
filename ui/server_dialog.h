#pragma once

#include <QDialog>
#include <QString>

#include <memory>

#include "core/query_types.h"

class QLabel;
class QLineEdit;
class QPushButton;

namespace skyrill {

class CertificateTrust;
class ThreadRunner;

// The base addresses of the two services the program asks: the data service
// and the station directory. An empty one stands for the built-in address.
struct ServiceAddresses {
  QString server;
  QString directory;
  bool operator==(const ServiceAddresses&) const = default;
};

// "服务器…": the two base addresses, each empty for the built-in one, and
// "测试连接", which asks each service once, on a thread of its own, with the
// addresses as typed, and says what came back. Confirming refuses an address
// that is no web address.
class ServerDialog : public QDialog {
  Q_OBJECT

 public:
  // `set`: the addresses set now; `builtIn`: those an empty field stands
  // for. `probe` is the day the test asks the data service for, with the
  // key and proxy of the window. Secure requests accept what `trust`
  // accepts (the system's trust store alone without one); it must outlive
  // the dialog.
  ServerDialog(const ServiceAddresses& set, const ServiceAddresses& builtIn, QueryRequest probe,
               QWidget* owner, const CertificateTrust* trust = nullptr);
  // A test under way is cancelled and waited for.
  ~ServerDialog() override;

  // The addresses as typed, without blanks around them.
  ServiceAddresses addresses() const;
  bool testing() const { return test_ != nullptr; }

 public slots:
  void testConnection();
  // Closes the dialog when both addresses are empty or web addresses.
  void accept() override;
  void done(int result) override;

 signals:
  // The test has ended and its lines are shown.
  void testFinished();

 private:
  struct Test;

  QLineEdit* addField(const QString& name, const QString& spoken, const QString& builtIn);
  // The field's address, or the built-in one when it is empty.
  QString effective(const QLineEdit& field, const QString& builtIn) const;
  void finishTest(const std::shared_ptr<Test>& test);

  ServiceAddresses builtIn_;
  QueryRequest probe_;
  const CertificateTrust* trust_ = nullptr;
  QLineEdit* serverField_ = nullptr;
  QLineEdit* directoryField_ = nullptr;
  QLabel* problemLabel_ = nullptr;
  QLabel* resultLabel_ = nullptr;
  QPushButton* testButton_ = nullptr;
  std::shared_ptr<Test> test_;  // the test under way, if any
  // Last: going away, it waits for the test, which the destructor cancels first.
  std::unique_ptr<ThreadRunner> runner_;
};

}  // namespace skyrill
