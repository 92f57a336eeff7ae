#include "net/data_service.h"

#include "core/answer_check.h"
#include "core/encoding.h"
#include "core/failure_notes.h"
#include "core/masked_text.h"
#include "json/json_document.h"
#include "net/ascii_text.h"
#include "net/url_parts.h"
#include "net/web_failure_note.h"

namespace skyrill {

// An answer, like an opened file, is read only as far as a parse can take it.
static_assert(WebLimits{}.maxBodyBytes == JsonDocument::kMaxTextBytes);

std::string defaultServerAddress() {
  return SKYRILL_DEFAULT_SERVER;
}

std::string serverHostName(std::string_view baseAddress) {
  return analyzeUrl(baseAddress).host;
}

std::string endpointName(QueryMode mode, bool advancedSource) {
  std::string name = mode == QueryMode::History ? "history" : "today";
  if (advancedSource) name += '2';
  return name;
}

std::string buildQueryUrl(std::string_view baseAddress, const QueryRequest& request) {
  if (request.mode != QueryMode::History && request.mode != QueryMode::Today) return {};
  std::string url(baseAddress);
  url += "/api/weather/" + request.stationNumber + "/" +
         endpointName(request.mode, request.advancedSource) + "/?key=" + request.apiKey;
  if (request.mode == QueryMode::History) {
    url += "&date=" + request.year + "-" + request.month + "-" + request.day;
  }
  return url;
}

std::string baseAddressProblem(std::string_view address) {
  for (const char c : address) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f || c == ' ') {
      return "地址中不能有空格或控制字符";
    }
  }
  const std::string lower = lowerCaseAscii(address.substr(0, 8));
  if (!lower.starts_with("http://") && !lower.starts_with("https://")) {
    return "地址须以 http:// 或 https:// 开头";
  }
  if (analyzeUrl(address).host.empty()) return "地址中没有主机名";
  return {};
}

void DataService::setBaseAddress(std::string baseAddress) {
  const std::lock_guard lock(mutex_);
  baseAddress_ = std::move(baseAddress);
}

std::string DataService::baseAddress() const {
  const std::lock_guard lock(mutex_);
  return baseAddress_;
}

void DataService::setServerFailureHint(std::string hint) {
  const std::lock_guard lock(mutex_);
  serverFailureHint_ = std::move(hint);
}

FetchedAnswer DataService::fetch(const QueryRequest& request, CancelFlag* cancel) {
  WebResponse response = exchange(request, cancel);
  std::string note = noteOn(request, response);
  // Only what went wrong at the server may lie with its address.
  if (!response.atProxy && !note.empty() && note == webFailureNote(response)) {
    const std::lock_guard lock(mutex_);
    note += serverFailureHint_;
  }
  return {std::move(response.body), std::move(note), std::move(response.certificate)};
}

WebResponse DataService::exchange(const QueryRequest& request, CancelFlag* cancel,
                                  WebSession* session) const {
  WebRequest options;
  if (request.proxyEnabled && !request.proxyAddress.empty()) options.proxy = request.proxyAddress;
  return WebClient(limits_, trust_)
      .exchange(buildQueryUrl(baseAddress(), request), options, cancel, session);
}

std::string DataService::noteOn(const QueryRequest& request, const WebResponse& response) {
  // A service reached without a key most likely refused for want of one.
  const bool reached = response.failure == WebFailure::None;
  return reached && request.apiKey.empty() ? missingKeyNote() : webFailureNote(response);
}

namespace {

// A line in a dialog, not a page.
constexpr std::size_t kShownErrorBytes = 200;

// What an answer that reached us but is no day's answer was, in a few words.
std::string refusalText(const CheckedAnswer& check, const JsonDocument& answer) {
  switch (check.outcome) {
    case AnswerCheck::NotJson:
      return "答复不是 JSON 文本";
    case AnswerCheck::ServiceError:
      return "服务答复错误：" + gb18030Prefix(answer.getText("error"), kShownErrorBytes);
    case AnswerCheck::NoRecords:
      return "答复中没有记录（日期或站号可能不被记录）";
    case AnswerCheck::OutOfMemory:
      return "内存不足，无法读取答复";
    case AnswerCheck::NoAnswer:
    case AnswerCheck::Ok:
      break;
  }
  return "答复是空的";
}

std::string probeLine(std::string_view baseAddress, const QueryRequest& request, CancelFlag* cancel,
                      const WebLimits& limits, const CertificateTrust* trust) {
  WebRequest options;
  if (request.proxyEnabled && !request.proxyAddress.empty()) options.proxy = request.proxyAddress;
  const WebResponse response =
      WebClient(limits, trust).exchange(buildQueryUrl(baseAddress, request), options, cancel);
  const std::string failure = webFailureNote(response);
  if (response.failure != WebFailure::None) return "数据服务：" + failure;

  const std::string who = "数据服务 " + std::string(baseAddress) + "：";
  const std::string text = decodeAnswer(response.body);
  JsonDocument answer;
  const CheckedAnswer check =
      checkAnswer(text, answer.parse(text), answer, recordPrefix(request.mode));
  if (check.outcome == AnswerCheck::Ok) {
    return who + "连接成功，收到 " + answer.getText("res[0].name") + " " + answer.getText("wmo") +
           " " + answer.getText("date") + " 的 " +
           std::to_string(answer.count(recordPrefix(request.mode))) + " 条记录。";
  }
  // As a fetch would be told: no key first, then the service's own words,
  // then the status.
  if (request.apiKey.empty()) return who + "已连接，但" + missingKeyNote();
  if (check.outcome != AnswerCheck::ServiceError && !failure.empty()) {
    return "数据服务：" + failure;
  }
  return who + "已连接，但" + refusalText(check, answer) + "。";
}

}  // namespace

std::string probeDataService(std::string_view baseAddress, const QueryRequest& request,
                             CancelFlag* cancel, const WebLimits& limits,
                             const CertificateTrust* trust) {
  // What came back may echo the request's address, key and all.
  return maskedText(probeLine(baseAddress, request, cancel, limits, trust), request.apiKey);
}

}  // namespace skyrill
