// dzpacket: inspects, converts, compacts and creates the lyrics program's data packet files.
// See tool.h for the commands; `dzpacket --help` for their use.
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "tools/dzpacket/tool.h"

int main(int argc, char** argv) {
#ifdef _WIN32
  // Output is UTF-8 bytes with CR LF only where the tool writes them.
  _setmode(_fileno(stdout), _O_BINARY);
#endif
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = dzpacket::RunTool(args, std::cout, std::cerr);
  std::cout.flush();
  return std::cout ? status : dzpacket::kExitBadInput;
}
