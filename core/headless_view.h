#pragma once

#include <optional>
#include <string>

#include "core/query_pipeline.h"

namespace skyrill {

// A window without a screen: holds the inputs of the runs and keeps what a
// run shows, so that the day can be printed.
class HeadlessView : public QueryView {
 public:
  explicit HeadlessView(QueryRequest inputs) : inputs_(std::move(inputs)) {}

  QueryRequest readRequest() override { return inputs_; }
  void setFetchEnabled(bool) override {}
  void showMessage(const UserMessage& message) override { lastMessage_ = message; }
  void showVariantCaptions(const std::string&, const std::string&) override {}
  void drawDay(const DaySeries&) override {}
  void showTitle(const std::string& title) override { title_ = title; }
  void showStatusLines(const std::array<StatusLine, kStatusLineCount>& lines) override {
    lines_ = lines;
  }
  void offerCertificate(const ServerCertificate& certificate) override {
    refusedCertificate_ = certificate;
  }

  const std::optional<UserMessage>& lastMessage() const { return lastMessage_; }
  const std::string& title() const { return title_; }
  // The server's certificate a fetch refused, if one did.
  const std::optional<ServerCertificate>& refusedCertificate() const { return refusedCertificate_; }
  const std::array<StatusLine, kStatusLineCount>& statusLines() const { return lines_; }

 private:
  QueryRequest inputs_;
  std::optional<UserMessage> lastMessage_;
  std::optional<ServerCertificate> refusedCertificate_;
  std::string title_;
  std::array<StatusLine, kStatusLineCount> lines_ = initialStatusLines();
};

}  // namespace skyrill
