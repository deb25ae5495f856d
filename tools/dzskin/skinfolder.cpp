// Skin source folder reader.
#include "tools/dzskin/skinfolder.h"

#include <algorithm>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

#include "platform/asciitext.h"
#include "skin/bmp.h"
#include "skin/resfile.h"
#include "skin/skinkeys.h"

namespace dzskin {
namespace {

std::string Trim(const std::string& s) {
  const size_t b = s.find_first_not_of(" \t\r");
  if (b == std::string::npos) return "";
  const size_t e = s.find_last_not_of(" \t\r");
  return s.substr(b, e - b + 1);
}

bool ParseDecimal(const std::string& text, int64_t& v) {
  const char* end = text.data() + text.size();
  auto [p, ec] = std::from_chars(text.data(), end, v);
  return !text.empty() && ec == std::errc() && p == end;
}

// "$RRGGBB" (red first, as people write colours) or a decimal colour reference.
bool ParseColor(const std::string& text, int32_t& out) {
  if (!text.empty() && text[0] == '$') {
    uint32_t rgb = 0;
    const char* end = text.data() + text.size();
    auto [p, ec] = std::from_chars(text.data() + 1, end, rgb, 16);
    if (text.size() != 7 || ec != std::errc() || p != end) return false;
    out = int32_t(skin::MakeColor(uint8_t(rgb >> 16), uint8_t(rgb >> 8), uint8_t(rgb)));
    return true;
  }
  int64_t v = 0;
  if (!ParseDecimal(text, v) || v < -1 || v > 0xFFFFFFFFLL) return false;
  out = int32_t(uint32_t(v));
  return true;
}

bool ReadFile(const std::filesystem::path& path, std::vector<uint8_t>& data) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  data.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  return !in.bad();
}

int FindKeyIgnoringCase(const std::string& name) {
  for (int k = 0; k < skin::kSkinKeyCount; ++k) {
    if (platform::EqualsAsciiNoCase(name, skin::kSkinKeyNames[k])) return k;
  }
  return -1;
}

int KeyOrder(const skin::ResourceEntry& e) {
  const int key = skin::FindKey(e.name);
  return key < 0 ? skin::kSkinKeyCount : key;
}

}  // namespace

bool ParseValues(const std::string& text, std::vector<skin::ResourceEntry>& entries,
                 std::string& error) {
  std::istringstream in(text);
  std::string line;
  std::set<std::string> seen;
  for (int number = 1; std::getline(in, line); ++number) {
    line = Trim(line);
    if (line.empty() || line[0] == '#' || line[0] == ';') continue;
    const std::string where = "values.txt line " + std::to_string(number) + ": ";
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
      error = where + "expected KEY=value";
      return false;
    }
    const std::string key = Trim(line.substr(0, eq)), value = Trim(line.substr(eq + 1));
    if (key.empty() || key.size() > skin::kResourceNameSize) {
      error = where + "key is empty or longer than 64 characters";
      return false;
    }
    if (!seen.insert(key).second) {
      error = where + key + " is given twice";
      return false;
    }
    const int k = skin::FindKey(key);
    const skin::SkinGroup group = k < 0 ? skin::SkinGroup::Bitmap : skin::GroupOfKey(k);
    if (k < 0) {
      entries.push_back(skin::StringEntry(key, value));
      continue;
    }
    int64_t number64 = 0;
    int32_t color = 0;
    switch (group) {
      case skin::SkinGroup::Color:
        if (!ParseColor(value, color)) {
          error = where + key + " needs $RRGGBB or a decimal colour, not \"" + value + "\"";
          return false;
        }
        entries.push_back(skin::IntegerEntry(key, color));
        break;
      case skin::SkinGroup::Metric:
        if (!ParseDecimal(value, number64) || number64 < INT32_MIN || number64 > INT32_MAX) {
          error = where + key + " needs a decimal integer, not \"" + value + "\"";
          return false;
        }
        entries.push_back(skin::IntegerEntry(key, int32_t(number64)));
        break;
      case skin::SkinGroup::Flag:
        if (!ParseDecimal(value, number64) || number64 < 0 || number64 > 255) {
          error = where + key + " needs a number from 0 to 255, not \"" + value + "\"";
          return false;
        }
        entries.push_back(skin::ByteEntry(key, uint8_t(number64)));
        break;
      case skin::SkinGroup::Bitmap:
        error = where + key + " is a bitmap key: give it as " + key + ".bmp";
        return false;
    }
  }
  return true;
}

bool ReadSkinFolder(const std::string& dir, std::vector<skin::ResourceEntry>& entries,
                    std::vector<std::string>& warnings, std::string& error) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) {
    error = dir + ": not a folder";
    return false;
  }
  std::vector<skin::ResourceEntry> bitmaps, values;
  bool haveValues = false;
  std::vector<fs::path> paths;
  for (const fs::directory_entry& f : fs::directory_iterator(dir, ec)) paths.push_back(f.path());
  if (ec) {
    error = dir + ": " + ec.message();
    return false;
  }
  std::sort(paths.begin(), paths.end());
  for (const fs::path& path : paths) {
    const std::string file = path.filename().string();
    if (file == "values.txt") {
      std::vector<uint8_t> text;
      if (!ReadFile(path, text)) {
        error = path.string() + ": cannot read";
        return false;
      }
      if (!ParseValues(std::string(text.begin(), text.end()), values, error)) return false;
      haveValues = true;
      continue;
    }
    const int key = platform::EqualsAsciiNoCase(path.extension().string(), ".bmp")
                        ? FindKeyIgnoringCase(path.stem().string())
                        : -1;
    if (key < 0 || skin::GroupOfKey(key) != skin::SkinGroup::Bitmap) {
      warnings.push_back(file + ": not a bitmap key's BMP or values.txt; left out");
      continue;
    }
    std::vector<uint8_t> bmp;
    if (!ReadFile(path, bmp)) {
      error = path.string() + ": cannot read";
      return false;
    }
    skin::SkinImage image;
    if (skin::BmpStatus s = skin::DecodeBmp(bmp.data(), bmp.size(), image);
        s != skin::BmpStatus::kOk) {
      error = path.string() + ": " + skin::BmpStatusText(s);
      return false;
    }
    bitmaps.push_back(skin::BitmapEntry(skin::kSkinKeyNames[key], std::move(bmp)));
  }
  if (!haveValues) warnings.push_back("no values.txt: the skin has no colours, metrics or flags");
  auto byKey = [](const skin::ResourceEntry& a, const skin::ResourceEntry& b) {
    return KeyOrder(a) < KeyOrder(b);
  };
  std::stable_sort(bitmaps.begin(), bitmaps.end(), byKey);
  std::stable_sort(values.begin(), values.end(), byKey);
  entries = std::move(bitmaps);
  entries.insert(entries.end(), values.begin(), values.end());
  return true;
}

}  // namespace dzskin
