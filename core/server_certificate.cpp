#include "core/server_certificate.h"

namespace skyrill {

namespace {

std::string subjectAndValidity(const ServerCertificate& certificate, const std::string& between) {
  return "证书主题 " + certificate.subject + between + "有效期 " + certificate.validFrom + " 至 " +
         certificate.validUntil;
}

// The fingerprint in two lines of 16 pairs, so that a box does not break it
// at any of its colons.
std::string fingerprintLines(const std::string& fingerprint) {
  constexpr std::size_t kHalf = 16 * 3;
  if (fingerprint.size() <= kHalf) return fingerprint;
  return fingerprint.substr(0, kHalf - 1) + "\r\n" + fingerprint.substr(kHalf);
}

}  // namespace

std::string certificateFacts(const ServerCertificate& certificate, std::string_view separator) {
  const std::string between(separator);
  return subjectAndValidity(certificate, between) + between + "SHA-256 指纹 " + certificate.sha256;
}

std::string trustQuestion(const ServerCertificate& certificate) {
  const bool changed = !certificate.trustedSha256.empty();
  std::string text =
      changed
          ? "服务器 " + certificate.server +
                " 出示的证书与此前信任的不同。这可能是服务器换了证书，也可能是有人在冒充该服务器。"
                "\r\n\r\n此前信任的 SHA-256 指纹\r\n" +
                fingerprintLines(certificate.trustedSha256)
          : "服务器 " + certificate.server + " 的证书不受系统信任（" + certificate.problem + "）。";
  text += "\r\n\r\n" + subjectAndValidity(certificate, "\r\n") + "\r\nSHA-256 指纹\r\n" +
          fingerprintLines(certificate.sha256) + "\r\n\r\n";
  text += changed
              ? "只有在确认服务器确实换了证书（例如向管理员核对过新指纹）时，才信任新证书。"
              : "只有在确认这是您自己的或单位内部的服务器、并向管理员核对过指纹时，才信任此证书。";
  return text + "信任后，该服务器只要出示的是这一个证书就会被接受，指纹记在设置文件中。";
}

}  // namespace skyrill
