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

// A dataset error of the framework; the dataset helpers put the component name and ": " in
// front of the message when the error concerns a named component ("cdsMain: ...").
class EDatabaseError : public Exception {
 public:
  using Exception::Exception;
};

// A non-zero status of the table engine, raised by the client dataset facade. The message is the
// status's text; ErrorCode is the status itself.
class EDBClient : public EDatabaseError {
 public:
  EDBClient(std::string message, int errorCode)
      : EDatabaseError(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};

// An error of the facade's field-definition and packet writing ("Fieldname %s exceeds %d chars").
class EDSWriter : public Exception {
 public:
  explicit EDSWriter(std::string message, int errorCode = 0)
      : Exception(std::move(message)), ErrorCode(errorCode) {}
  int ErrorCode;
};

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
