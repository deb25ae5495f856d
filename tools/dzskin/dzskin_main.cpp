// dzskin: builds, lists, extracts and inspects skin archives.
//   dzskin build DIR OUT [--password P]
//   dzskin list ARCHIVE
//   dzskin extract ARCHIVE ENTRY OUT [--password P]
//   dzskin keys ARCHIVE [--password P]
// Exit status: 0 success, 1 bad input, 64 bad usage; extract exits with the extraction's
// result code (0, 1 or 2).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "platform/asciitext.h"
#include "platform/exceptions.h"
#include "skin/archive.h"
#include "skin/resfilewriter.h"
#include "skin/skinfilereader.h"
#include "skin/skinreader.h"
#include "tools/dzskin/skinarchivelist.h"
#include "tools/dzskin/skinarchivewriter.h"
#include "tools/dzskin/skinfolder.h"

namespace {

constexpr int kExitOk = 0;
constexpr int kExitBadInput = 1;
constexpr int kExitUsage = 64;

const char kUsage[] =
    "usage: dzskin COMMAND ...\n"
    "\n"
    "  build DIR OUT [--password P]   pack a skin folder into a skin archive: one BMP per\n"
    "                                 bitmap key (SKIN2_BUTTON.bmp, ...) and values.txt with\n"
    "                                 KEY=value lines (colours $RRGGBB or decimal, metrics,\n"
    "                                 flags, strings)\n"
    "  list ARCHIVE                   the archive's entries: name, sizes, encryption\n"
    "  extract ARCHIVE ENTRY OUT [--password P]\n"
    "                                 extract one entry; exit status = result code (0, 1, 2)\n"
    "  keys ARCHIVE [--password P]    every skin key with its value, bitmap size or \"missing\"\n"
    "  --help                         this text\n";

int Usage(const std::string& problem) {
  std::fprintf(stderr, "dzskin: %s\n\n%s", problem.c_str(), kUsage);
  return kExitUsage;
}

int Fail(const std::string& problem) {
  std::fprintf(stderr, "dzskin: %s\n", problem.c_str());
  return kExitBadInput;
}

// Positional arguments and the optional --password.
struct Args {
  std::vector<std::string> positional;
  std::string password;
  std::string problem;
};

Args SplitArgs(int argc, char** argv) {
  Args a;
  for (int i = 2; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--password") {
      if (i + 1 >= argc) {
        a.problem = "--password needs a value";
        return a;
      }
      a.password = argv[++i];
    } else if (arg.size() > 1 && arg[0] == '-') {
      a.problem = "unknown option " + arg;
      return a;
    } else {
      a.positional.push_back(arg);
    }
  }
  return a;
}

bool ReadFile(const std::string& path, std::vector<uint8_t>& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

bool WriteFile(const std::string& path, const std::vector<uint8_t>& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  return bool(out.flush());
}

int Build(const Args& a) {
  if (a.positional.size() != 2) return Usage("build needs DIR and OUT");
  std::vector<skin::ResourceEntry> entries;
  std::vector<std::string> warnings;
  std::string error;
  if (!dzskin::ReadSkinFolder(a.positional[0], entries, warnings, error)) return Fail(error);
  for (const std::string& w : warnings) std::fprintf(stderr, "dzskin: warning: %s\n", w.c_str());
  std::vector<uint8_t> resource, archive;
  if (!skin::WriteResourceFile(entries, resource, error)) return Fail(error);
  if (!dzskin::WriteSkinArchive({{skin::kSkinResourceEntry, std::move(resource)}}, a.password,
                                archive, error))
    return Fail(error);
  if (!WriteFile(a.positional[1], archive)) return Fail(a.positional[1] + ": cannot write");
  return kExitOk;
}

int List(const Args& a) {
  if (a.positional.size() != 1 || !a.password.empty()) return Usage("list needs ARCHIVE only");
  std::vector<uint8_t> bytes;
  if (!ReadFile(a.positional[0], bytes)) return Fail(a.positional[0] + ": cannot read");
  std::vector<dzskin::ArchiveEntryInfo> entries;
  std::string error;
  if (!dzskin::ListSkinArchive(bytes, entries, error)) return Fail(a.positional[0] + ": " + error);
  std::printf("%-24s %12s %12s %6s  %s\n", "name", "size", "compressed", "method", "encrypted");
  for (const dzskin::ArchiveEntryInfo& e : entries) {
    std::printf("%-24s %12u %12u %6u  %s\n", e.name.c_str(), e.size, e.compressedSize,
                unsigned(e.method), e.encrypted ? "yes" : "no");
  }
  return kExitOk;
}

int Extract(const Args& a) {
  if (a.positional.size() != 3) return Usage("extract needs ARCHIVE, ENTRY and OUT");
  const uint8_t result =
      skin::ExtractArchiveEntry(a.positional[0], a.positional[1], a.positional[2], a.password);
  if (result == skin::kExtractWrongPassword) {
    std::fprintf(stderr, "dzskin: result 2: Wrong password!\n");
  } else if (result != skin::kExtractOk) {
    std::fprintf(stderr, "dzskin: result %u: Failed to read skin file!\n", unsigned(result));
  }
  return result;
}

bool HasLine(const std::vector<std::string>& lines, const std::string& name) {
  for (const std::string& line : lines) {
    if (platform::EqualsAsciiNoCase(line.substr(0, line.find('=')), name)) return true;
  }
  return false;
}

std::string ColorText(int32_t c) {
  char text[16];
  const skin::ColorRef ref = skin::ColorRef(c);
  std::snprintf(text, sizeof text, "$%02X%02X%02X", skin::RedOf(ref), skin::GreenOf(ref),
                skin::BlueOf(ref));
  return text;
}

int Keys(const Args& a) {
  if (a.positional.size() != 1) return Usage("keys needs ARCHIVE");
  std::unique_ptr<skin::ZizoSkinReader> reader;
  try {
    reader = std::make_unique<skin::ZizoSkinReader>(skin::CreateSkinFileReader, a.positional[0],
                                                    a.password);
  } catch (const Exception& e) {
    return Fail(a.positional[0] + ": " + e.Message);
  }
  if (!reader->Ready()) return Fail(a.positional[0] + ": no such file");
  const skin::Tsk2SkinFileReader& file = *reader->FileReader();
  int missing = 0;
  for (int key = 0; key < skin::kSkinKeyCount; ++key) {
    const std::string name = skin::kSkinKeyNames[key];
    const skin::SkinGroup group = skin::GroupOfKey(key);
    const int index = key - skin::FirstKeyOf(group);
    std::string value = "missing";
    switch (group) {
      case skin::SkinGroup::Color:
        if (HasLine(file.Integers(), name)) value = ColorText(reader->SkinColor(index));
        break;
      case skin::SkinGroup::Metric:
        if (HasLine(file.Integers(), name)) value = std::to_string(reader->SkinMetric(index));
        break;
      case skin::SkinGroup::Flag:
        if (HasLine(file.Bytes(), name)) value = std::to_string(reader->SkinFlag(index));
        break;
      case skin::SkinGroup::Bitmap:
        if (const skin::SkinImage* img = reader->SkinBitmap(index))
          value = "bitmap " + std::to_string(img->width) + "x" + std::to_string(img->height);
        break;
    }
    if (value == "missing") ++missing;
    std::printf("%-34s %s\n", name.c_str(), value.c_str());
  }
  std::printf("%d of %d keys present\n", skin::kSkinKeyCount - missing, skin::kSkinKeyCount);
  return kExitOk;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) return Usage("no command given");
  const std::string command = argv[1];
  if (command == "--help" || command == "-h" || command == "help") {
    std::fputs(kUsage, stdout);
    return kExitOk;
  }
  const Args args = SplitArgs(argc, argv);
  if (!args.problem.empty()) return Usage(args.problem);
  if (command == "build") return Build(args);
  if (command == "list") return List(args);
  if (command == "extract") return Extract(args);
  if (command == "keys") return Keys(args);
  return Usage("unknown command " + command);
}
