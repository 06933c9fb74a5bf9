#include "app/DownloadVerdict.h"

namespace velloran {

std::string GroupedNumber(std::int64_t number) {
  const bool negative = number < 0;
  // Through the unsigned value, so that the smallest number has a positive twin.
  std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(number) + 1 : static_cast<std::uint64_t>(number);
  std::string digits = std::to_string(magnitude);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return negative ? "-" + grouped : grouped;
}

std::string HowTheReplyWasCut(const ReplyFacts& facts) {
  if (facts.headerStarted && !facts.headerComplete)
    return "closed the connection in the middle of the reply's header";
  if (facts.contentLengthGiven && facts.bodyBytes < facts.contentLength)
    return "closed the connection after " + GroupedNumber(facts.bodyBytes) + " of " +
           GroupedNumber(facts.contentLength) + " bytes";
  return {};
}

std::string HowThePageWasCut(const ReplyFacts& facts, ServerTableState table) {
  if (std::string cut = HowTheReplyWasCut(facts); !cut.empty()) return cut;
  if (facts.contentLengthGiven || table != ServerTableState::Unfinished) return {};
  return "closed the connection in the middle of the server table, after " +
         GroupedNumber(facts.bodyBytes) + " bytes";
}

std::string BrokenOffText(const std::string& error, std::int64_t bodyBytes) {
  std::string text = "broke off the connection (" + error + ")";
  if (bodyBytes == 0) return text + " before any of the page arrived";
  return text + " after " + GroupedNumber(bodyBytes) + " bytes";
}

}  // namespace velloran
