#pragma once
// Line-by-line encoding of a stream in Base64 (RFC 2045 alphabet, "=" filler)
// or uuencode: up to 45 input bytes make one output line, ended by CR LF.
// uuencode lines start with the character of their byte count, carry no
// filler, and a last line of one back quote ends the output. Nothing here
// decodes; OnBeginDecode and OnEndDecode never fire.
//
// Threading: none of its own; one thread at a time.

#include <string>
#include <string_view>

#include "framework/Component.h"
#include "framework/Streams.h"
#include "net/NetEvents.h"

namespace velloran {

enum UUMethods { uuMime, uuCode };

class TNMUUProcessor : public TComponent {
 public:
  explicit TNMUUProcessor(TComponent* owner) : TComponent(owner) {}

  // The caller owns both streams; EncodeStream without them raises.
  TStream* InputStream = nullptr;
  TStream* OutputStream = nullptr;

  UUMethods Method() const { return method_; }
  void SetMethod(UUMethods method) { method_ = method; }
  // The 64 characters of the last EncodeStream's method (empty before).
  const std::string& Alphabet() const { return alphabet_; }

  // All of InputStream, from its start, written at OutputStream's position;
  // afterwards (also when an error passes) OutputStream's position is 0.
  void EncodeStream();

  TNotifyEvent OnBeginEncode;
  TNotifyEvent OnEndEncode;
  TNotifyEvent OnBeginDecode;
  TNotifyEvent OnEndDecode;

 private:
  UUMethods method_ = uuMime;
  std::string alphabet_;
};

// The alphabet of Method: RFC 2045's for uuMime; the back quote and "!" to "_" for uuCode.
std::string_view AlphabetOf(UUMethods method);

// Bytes encoded as EncodeStream encodes them.
std::string EncodeLines(std::string_view bytes, UUMethods method);

}  // namespace velloran
