#pragma once
// The one base of every error this program raises. Each error carries only a
// message; handlers catch nothing, and the application shows the message.

#include <exception>
#include <string>

namespace velloran {

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : message_(std::move(message)) {}
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }

 private:
  std::string message_;
};

// Reading or writing a file failed; the message is the system's reason.
class EInOutError : public Exception {
 public:
  using Exception::Exception;
};

// The socket layer failed, or was told to stop waiting.
class ESockError : public Exception {
 public:
  using Exception::Exception;
};
// A transfer was cancelled or timed out.
class EAbortError : public ESockError {
 public:
  using ESockError::ESockError;
};

// The server grid: a bad index, or a column layout that can't be stored.
class EKGridError : public Exception {
 public:
  using Exception::Exception;
};
class EKGridColumnsError : public Exception {
 public:
  using Exception::Exception;
};

// A text that is not the number it should be.
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// An index or count outside what a list holds.
class ERangeError : public Exception {
 public:
  using Exception::Exception;
};

}  // namespace velloran
