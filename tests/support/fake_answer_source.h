#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/query_pipeline.h"

namespace skyrill::test {

// Answers every request with a canned text (and a refused certificate, when
// one is set) and keeps the requests.
struct FakeSource : AnswerSource {
  std::string answer;
  std::optional<ServerCertificate> refusedCertificate;
  std::vector<QueryRequest> requests;
  FetchedAnswer fetch(const QueryRequest& request, CancelFlag*) override {
    requests.push_back(request);
    return {answer, {}, refusedCertificate};
  }
};

}  // namespace skyrill::test
