// dzskingen: draws the default skin into a folder (one BMP per bitmap key and values.txt, the
// input of `dzskin build`) and writes its contact sheet as PNG. Run by the build.
//   dzskingen OUTDIR CONTACT.png
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "skin/bmp.h"
#include "skins/contactsheet.h"
#include "skins/dozivizskin.h"
#include "skins/png.h"

namespace {

bool WriteFile(const std::filesystem::path& path, const std::vector<uint8_t>& data) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data.data()), std::streamsize(data.size()));
  return bool(out.flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: dzskingen OUTDIR CONTACT.png\n");
    return 64;
  }
  const std::filesystem::path dir = argv[1];
  std::error_code ec;
  std::filesystem::create_directories(dir, ec);
  const auto bitmaps = skingen::DrawDefaultSkinBitmaps();
  for (const auto& [name, image] : bitmaps) {
    if (!WriteFile(dir / (name + ".bmp"), skin::EncodeBmp24(image))) {
      std::fprintf(stderr, "dzskingen: cannot write %s.bmp\n", name.c_str());
      return 1;
    }
  }
  const std::string values = skingen::DefaultSkinValues();
  if (!WriteFile(dir / "values.txt", std::vector<uint8_t>(values.begin(), values.end())) ||
      !WriteFile(argv[2], skingen::EncodePng(skingen::DrawContactSheet(bitmaps)))) {
    std::fprintf(stderr, "dzskingen: cannot write the output\n");
    return 1;
  }
  return 0;
}
