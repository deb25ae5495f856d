// The dataset layer's exceptions: framework-level dataset errors, the facade's engine statuses
// and its field-definition errors. Raised by the dataset layer and everything above it; the
// engines below it return statuses instead. Immutable once constructed.
#pragma once

#include <string>

#include "platform/exceptions.h"

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
