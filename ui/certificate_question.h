#pragma once

#include <functional>

#include "core/server_certificate.h"

class QWidget;

namespace skyrill {

// The object names of the question's two buttons.
inline constexpr char kTrustCertificateButton[] = "trustCertificateButton";
inline constexpr char kKeepRefusingButton[] = "keepRefusingButton";

// Asks, modal over the owner, whether to trust a server's certificate that
// a request refused; true when the user chose "信任此证书". Enter and Esc
// keep refusing it, and the fingerprint can be selected and copied.
bool askToTrustCertificate(QWidget* owner, const ServerCertificate& certificate);

// Asks the same and, when the user trusts the certificate, keeps it with
// `keep`, telling the user when it could not be written down (`keep` gives
// false). True when it was trusted.
bool askAndKeepCertificate(QWidget* owner, const ServerCertificate& certificate,
                           const std::function<bool(const ServerCertificate&)>& keep);

}  // namespace skyrill
