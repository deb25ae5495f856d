// The exception classes of the facade, the framework and the application: `Exception` carries
// the message shown to the user; `EAbort` is the silent abort that stops a handler without any
// report. Portable; the engines below the facade never throw. Immutable once constructed.
#pragma once

#include <exception>
#include <string>

class Exception : public std::exception {
 public:
  explicit Exception(std::string message) : Message(std::move(message)) {}
  const char* what() const noexcept override { return Message.c_str(); }

  std::string Message;
};

// Raised to leave an event handler quietly: the framework's error report skips it.
class EAbort : public Exception {
 public:
  EAbort() : Exception("Operation aborted") {}
  explicit EAbort(std::string message) : Exception(std::move(message)) {}
};

// Raises the silent abort.
[[noreturn]] inline void Abort() { throw EAbort(); }
