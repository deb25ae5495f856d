// Command-line parsing against a command's declaration.
#include "tools/dzpacket/args.h"

namespace dzpacket {

namespace {

const OptionSpec* FindOption(const CommandSpec& spec, const std::string& name) {
  for (const OptionSpec& o : spec.options)
    if (name == o.name) return &o;
  return nullptr;
}

}  // namespace

bool ParseArgs(const CommandSpec& spec, const std::vector<std::string>& args, ParsedArgs* parsed,
               std::string* problem) {
  *parsed = ParsedArgs();
  for (const std::string& a : args) {
    if (a == "--") break;
    if (a == "--help") {
      parsed->help = true;
      return true;
    }
  }
  bool optionsEnded = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (optionsEnded || a.size() < 2 || a[0] != '-') {
      parsed->positional.push_back(a);
      continue;
    }
    if (a == "--") {
      optionsEnded = true;
      continue;
    }
    const size_t eq = a.find('=');
    const std::string name = a.substr(0, eq);
    const OptionSpec* option = FindOption(spec, name);
    if (option == nullptr) {
      *problem = "unknown option " + name + " for " + spec.name;
      return false;
    }
    if (parsed->Has(name)) {
      *problem = name + " given twice";
      return false;
    }
    std::string value;
    if (eq != std::string::npos) {
      if (!option->takesValue) {
        *problem = name + " takes no value";
        return false;
      }
      value = a.substr(eq + 1);
    } else if (option->takesValue) {
      if (i + 1 >= args.size()) {
        *problem = name + " needs a value";
        return false;
      }
      value = args[++i];
    }
    parsed->options[name] = value;
  }
  const size_t n = parsed->positional.size();
  if (n < spec.minPositional) {
    *problem = std::string(spec.name) + ": missing argument";
    return false;
  }
  if (n > spec.maxPositional) {
    *problem =
        std::string(spec.name) + ": unexpected argument " + parsed->positional[spec.maxPositional];
    return false;
  }
  return true;
}

}  // namespace dzpacket
