// dzpacket, the data packet tool: the command dispatch and what every command shares (exit
// statuses, the output streams, error lines). The executable's main only hands its arguments
// here; tests call RunTool in-process too. One call at a time per output.
//
//   dzpacket new FILE | info FILE | rows FILE [...] | log FILE | verify FILE
//   dzpacket convert IN OUT [--binary|--xml|--utf8-xml] | compact IN OUT | import-csv CSV OUT
#pragma once

#include <exception>
#include <ostream>
#include <string>
#include <vector>

#include "datapacket/packetfault.h"
#include "tools/dzpacket/args.h"

namespace dzpacket {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 64;

// The component name the tool's dataset carries: the program's, so that messages read as the
// program shows them ("cdsMain: Field 'X' not found.").
constexpr const char* kDataSetName = "cdsMain";

// Where a command writes: results to `out`, one error line to `err`.
struct ToolIo {
  std::ostream& out;
  std::ostream& err;
  const char* usage;  // the running command's usage text
  // Writes "dzpacket: <message>" and returns kExitBadInput.
  int Fail(const std::string& message);
  // Writes "dzpacket: <problem>" and the usage text; returns kExitUsage.
  int Usage(const std::string& problem);
  // A packet the engine refused, as one line: "dzpacket: <command>: <file>: <message>
  // (<reason>)", without the parenthesis when `fault` holds no reason. Returns kExitBadInput.
  int Refused(const std::string& command, const std::string& file, const std::string& message,
              const dspacket::PacketFault& fault);
};

// An engine text (code page 1252) as UTF-8; a text that is already well-formed UTF-8 stays.
std::string ShownText(const std::string& text);

// An error's text as the program's error box shows it ("." appended when the last character
// sorts after "."), in UTF-8: the program's messages are in its 8-bit code page, but a message
// that is already well-formed UTF-8 (one naming a file given on this command line) stays.
std::string ShownMessage(const std::exception& error);

// Runs one command line (without the program name). Arguments are the narrow command line as
// the system gives it (file names are passed on as they are). Returns the exit status.
int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// ---- Commands (one file per group) ----
using CommandFn = int (*)(const ParsedArgs& args, ToolIo& io);
struct Command {
  const CommandSpec* spec;
  CommandFn run;
};

// files.cpp: new, verify, convert, compact.
extern const Command kNewCommand, kVerifyCommand, kConvertCommand, kCompactCommand;
// info.cpp
extern const Command kInfoCommand;
// rows.cpp: rows, log.
extern const Command kRowsCommand, kLogCommand;
// importcsv.cpp
extern const Command kImportCsvCommand;

}  // namespace dzpacket
