// The packet tool's command-line parser: each command declares its positional arguments and
// options; the parser checks them and reports the first problem as one line (a usage error,
// exit status 64). Used by dzpacket's command dispatch. Stateless.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace dzpacket {

struct OptionSpec {
  const char* name;  // with its dashes: "--format"
  bool takesValue;
};

struct CommandSpec {
  const char* name;   // "rows"
  const char* usage;  // the --help text of the command
  size_t minPositional, maxPositional;
  std::vector<OptionSpec> options;
};

struct ParsedArgs {
  std::vector<std::string> positional;
  std::map<std::string, std::string> options;  // option name -> value ("" for a switch)
  bool help = false;                           // --help was given

  bool Has(const std::string& option) const { return options.count(option) != 0; }
  std::string Value(const std::string& option) const {
    auto it = options.find(option);
    return it == options.end() ? std::string() : it->second;
  }
};

// Parses the arguments after the command name. Options may come anywhere, as "--name value"
// or "--name=value"; "--" ends the options. "--help" anywhere asks for the usage text (and is
// then the only thing checked). False, with `problem` set, for an unknown or repeated option,
// a missing or unwanted value, or too few or too many positional arguments.
bool ParseArgs(const CommandSpec& spec, const std::vector<std::string>& args, ParsedArgs* parsed,
               std::string* problem);

}  // namespace dzpacket
