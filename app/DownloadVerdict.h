#pragma once
// Whether a download that ended without an error brought the whole list
// page, and the words that tell the user what the list site did when it did
// not. A connection that simply closes looks the same whether the page was
// all sent or the site went away halfway, so what the reply announced and
// what the page holds decide.

#include <cstdint>
#include <string>

#include "app/PageScraper.h"

namespace velloran {

// What the HTTP client knows about a reply it read to the server's close.
struct ReplyFacts {
  // Some of the status line and header lines arrived.
  bool headerStarted = false;
  // The header ended with its empty line, not with the close.
  bool headerComplete = false;
  bool contentLengthGiven = false;
  std::int64_t contentLength = 0;
  std::int64_t bodyBytes = 0;
};

// Empty when the reply came whole as far as its header and its length tell;
// otherwise what the site did, worded to follow "The list site ", such as
// "closed the connection after 7,686 of 15,372 bytes". A reply of no bytes at
// all is no cut: it holds no list, which the caller tells on its own.
std::string HowTheReplyWasCut(const ReplyFacts& facts);

// Empty when a page in whose reply the checks above found nothing missing
// can be taken as the whole list; otherwise what the site did. A page with a
// length that arrived whole is taken as it is; one without a length is whole
// only when its server table ended.
std::string HowThePageWasCut(const ReplyFacts& facts, ServerTableState table);

// What a site did that broke the connection off with Error (the socket
// layer's text) after Bytes of the page.
std::string BrokenOffText(const std::string& error, std::int64_t bodyBytes);

// 15372 as "15,372": byte counts as the user reads them.
std::string GroupedNumber(std::int64_t number);

}  // namespace velloran
