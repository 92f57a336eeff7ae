#include "net/web_failure_note.h"

#include <string_view>

namespace skyrill {
namespace {

std::string_view failureText(WebFailure failure) {
  switch (failure) {
    case WebFailure::NameNotFound:
      return "找不到该主机（域名无法解析）";
    case WebFailure::ConnectionRefused:
      return "连接被拒绝";
    case WebFailure::Unreachable:
      return "网络不可达";
    case WebFailure::TimedOut:
      return "等待答复超时";
    case WebFailure::TlsFailure:
      return "无法建立安全连接（TLS 失败）";
    case WebFailure::UntrustedCertificate:
      return "证书不受信任";
    case WebFailure::CertificateChanged:
      return "证书与此前信任的不同，可能有人冒充该服务器";
    case WebFailure::ConnectionBroken:
      return "连接中断，答复不完整";
    case WebFailure::NothingReceived:
      return "连接已关闭，没有任何答复";
    case WebFailure::TooLarge:
      return "答复太大（超过 16 MiB），已停止接收";
    case WebFailure::HeadersTooLarge:
      return "答复的头部过大（超过 1 MiB），已停止接收";
    case WebFailure::TooManyRedirects:
      return "重定向次数过多";
    case WebFailure::Cancelled:
      return "已取消";
    case WebFailure::OutOfMemory:
      return "内存不足";
    case WebFailure::Other:
      return "网络错误";
    case WebFailure::ProxyRefused:
    case WebFailure::None:
      break;
  }
  return {};
}

std::string_view statusWords(long status) {
  switch (status) {
    case 400:
      return "请求有误";
    case 401:
      return "需要身份验证，密钥可能无效";
    case 403:
      return "密钥可能无效";
    case 404:
      return "未找到";
    case 407:
      return "代理需要身份验证";
    case 408:
      return "请求超时";
    case 429:
      return "请求过于频繁";
    case 500:
      return "服务器内部错误";
    case 502:
      return "网关错误";
    case 503:
      return "服务暂时不可用";
    case 504:
      return "网关超时";
    default:
      return {};
  }
}

// What a refused certificate is: why, and how to know it again.
std::string certificateText(const WebResponse& response) {
  if (!response.certificate) return {};
  const ServerCertificate& certificate = *response.certificate;
  std::string text = "（" + certificate.problem + "）";
  if (response.failure == WebFailure::CertificateChanged) {
    text += "；此前信任的 SHA-256 指纹 " + certificate.trustedSha256;
  }
  return text + "。" + certificateFacts(certificate, "；");
}

}  // namespace

std::string httpStatusText(long status) {
  std::string text = "HTTP " + std::to_string(status);
  const std::string_view words = statusWords(status);
  if (!words.empty()) text += "：" + std::string(words);
  return text;
}

std::string webFailureNote(const WebResponse& response) {
  const bool atProxy = response.atProxy && !response.proxy.empty();
  const std::string who = atProxy ? "代理 " + response.proxy : "服务器 " + response.server;
  std::string cause;
  if (response.failure == WebFailure::ProxyRefused) {
    // A proxy's own status: the words of a service's statuses do not fit it.
    cause = "拒绝连接目标服务器（HTTP " + std::to_string(response.status) + "）";
  } else if (response.failure != WebFailure::None) {
    cause = std::string(failureText(response.failure)) + certificateText(response);
  } else if (response.status >= 400) {
    cause = httpStatusText(response.status);
  } else if (response.body.empty()) {
    cause = "答复是空的（" + httpStatusText(response.status) + "）";
  } else {
    return {};
  }
  return who + "：" + cause + "。";
}

}  // namespace skyrill
