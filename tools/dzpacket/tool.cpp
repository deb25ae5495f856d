// dzpacket's command dispatch and general usage text.
#include "tools/dzpacket/tool.h"

#include "tools/dzpacket/textcodec.h"

#include <exception>
#include <new>

namespace dzpacket {

static int PrintUsage(std::ostream& err, const std::string& problem, const char* usage) {
  err << "dzpacket: " << problem << "\n\n" << usage;
  return kExitUsage;
}

namespace {

const char kUsage[] =
    "usage: dzpacket COMMAND ARGS... (dzpacket COMMAND --help for details)\n"
    "\n"
    "  new FILE                    write a new, empty lyrics table\n"
    "  info FILE                   header, columns, parameters and counts of a packet\n"
    "  rows FILE [--versions] [--format csv|json] [--order FIELDS] [--filter TEXT]\n"
    "            [--case-sensitive]\n"
    "                              the records, as CSV (default) or JSON, in UTF-8\n"
    "  log FILE                    the change log, one entry per line\n"
    "  verify FILE                 load the table completely; \"ok\" and its counts\n"
    "  convert IN OUT [--binary|--xml|--utf8-xml]\n"
    "                              write the table again, binary or XML (default: XML when\n"
    "                              OUT ends in .xml)\n"
    "  compact IN OUT              only the visible records, no change log, same next Id\n"
    "  import-csv CSV OUT          a lyrics table from CSV with the header\n"
    "                              Artist,Title,Album,Lyric,SongFileName\n"
    "\n"
    "Exit status: 0 success, 1 bad input, 64 bad usage.\n";

const Command* const kCommands[] = {&kNewCommand,     &kInfoCommand,     &kRowsCommand,
                                    &kLogCommand,     &kVerifyCommand,   &kConvertCommand,
                                    &kCompactCommand, &kImportCsvCommand};

}  // namespace

std::string ShownText(const std::string& text) { return IsUtf8(text) ? text : Cp1252ToUtf8(text); }

std::string ShownMessage(const std::exception& error) {
  std::string text = error.what();
  if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') text += '.';
  return ShownText(text);
}

int ToolIo::Fail(const std::string& message) {
  err << "dzpacket: " << message << '\n';
  return kExitBadInput;
}

int ToolIo::Refused(const std::string& command, const std::string& file, const std::string& message,
                    const dspacket::PacketFault& fault) {
  std::string line = command + ": " + file + ": " + message;
  if (!fault.reason.empty()) line += " (" + ShownText(fault.reason) + ")";
  return Fail(line);
}

int ToolIo::Usage(const std::string& problem) { return PrintUsage(err, problem, usage); }

int RunTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.empty()) return PrintUsage(err, "no command given", kUsage);
  if (args[0] == "--help" || args[0] == "-h") {
    out << kUsage;
    return kExitOk;
  }
  const Command* command = nullptr;
  for (const Command* c : kCommands)
    if (args[0] == c->spec->name) command = c;
  if (command == nullptr) return PrintUsage(err, "unknown command " + args[0], kUsage);

  ParsedArgs parsed;
  std::string problem;
  if (!ParseArgs(*command->spec, {args.begin() + 1, args.end()}, &parsed, &problem))
    return PrintUsage(err, problem, command->spec->usage);
  if (parsed.help) {
    out << command->spec->usage;
    return kExitOk;
  }
  ToolIo io{out, err, command->spec->usage};
  try {
    return command->run(parsed, io);
  } catch (const std::bad_alloc&) {
    return io.Fail("out of memory");
  } catch (const std::exception& e) {  // the facade's exceptions: the engine's messages
    return io.Fail(ShownMessage(e));
  }
}

}  // namespace dzpacket
