// The exception classes every layer above the engines shares: `Exception` carries the message
// shown to the user; `EAbort` is the silent abort that stops a handler without any report;
// conversion and file-stream errors. The dataset's own errors are in dataset/dberrors.h.
// Portable; the engines below the dataset layer never throw. Immutable once constructed.
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

// A text that is not a value of the wanted kind ("'%s' is not a valid integer value").
class EConvertError : public Exception {
 public:
  using Exception::Exception;
};

// A file stream that could not be opened or created; the message names the file and gives the
// system's reason ("Cannot open file "%s". %s", "Cannot create file "%s". %s").
class EStreamError : public Exception {
 public:
  using Exception::Exception;
};
class EFOpenError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
 public:
  using EStreamError::EStreamError;
};
