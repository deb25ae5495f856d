// dzpacket info: what a packet says about itself, read through the packet reader (binary or XML,
// found by content) without building a table: the header, every column with its type word,
// attribute word and field parameters, the table parameters, the row count, the length of the
// change log and the next auto-increment value.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "datapacket/fieldtypes.h"
#include "datapacket/packetformats.h"
#include "datapacket/packetreader.h"
#include "datapacket/xmlreader.h"
#include "platform/asciitext.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/status.h"
#include "tools/dzpacket/json.h"
#include "tools/dzpacket/textcodec.h"
#include "tools/dzpacket/tool.h"

namespace dzpacket {

namespace {

using dsengine::DBResult;
using namespace dspacket;

// Array parameters show at most this many elements (a change log has three per entry).
constexpr uint32_t kMaxShownElements = 24;

std::string Hex(uint32_t value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%0*" PRIX32, digits, value);
  return text;
}

uint64_t LittleEndian(std::span<const uint8_t> bytes) {
  uint64_t v = 0;
  for (size_t i = bytes.size(); i-- > 0;) v = v << 8 | bytes[i];
  return v;
}

std::string HexBytes(std::span<const uint8_t> bytes) {
  std::string text;
  for (uint8_t b : bytes) {
    char h[4];
    std::snprintf(h, sizeof h, "%02X", b);
    text += h;
  }
  return text.empty() ? "(no bytes)" : "bytes " + text;
}

// One fixed value of packet type `code` and `width` bytes.
std::string ScalarText(uint32_t code, std::span<const uint8_t> bytes) {
  const size_t width = bytes.size();
  const uint64_t raw = LittleEndian(bytes);
  if ((code == kPacketInt) && (width == 1 || width == 2 || width == 4 || width == 8)) {
    const int shift = int(64 - 8 * width);
    return std::to_string(int64_t(raw << shift) >> shift);
  }
  if ((code == kPacketUInt || code == kPacketBool) &&
      (width == 1 || width == 2 || width == 4 || width == 8))
    return std::to_string(raw);
  if (code == kPacketFloat && width == 8) {
    double d;
    std::memcpy(&d, bytes.data(), 8);
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", d);
    return text;
  }
  return HexBytes(bytes);
}

std::string WideText(std::span<const uint8_t> bytes) {
  std::u16string wide;
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) wide += char16_t(bytes[i] | bytes[i + 1] << 8);
  return JsonString(platform::WideToUtf8(wide));
}

// A parameter value as NextParameter hands it out, readable.
std::string ParameterText(uint32_t fieldType, std::span<const uint8_t> value) {
  const uint32_t code = FieldPacketType(fieldType), width = FieldWidth(fieldType);
  if (fieldType & kFieldArray) {
    if (value.size() < 4 || width == 0) return HexBytes(value);
    const uint64_t count = LittleEndian(value.first(4));
    const uint64_t present = (value.size() - 4) / width;
    std::string text = "[" + std::to_string(count) + " values:";
    for (uint64_t i = 0; i < count && i < present && i < kMaxShownElements; ++i)
      text += " " + ScalarText(code, value.subspan(size_t(4 + i * width), width));
    if (count > kMaxShownElements) text += " ...";
    return text + "]";
  }
  if (fieldType & kFieldVarying) {
    if (value.size() < width) return HexBytes(value);
    std::span<const uint8_t> data = value.subspan(width);
    if (code == kPacketString) {
      std::string text(data.begin(), data.end());
      while (!text.empty() && text.back() == '\0') text.pop_back();
      return JsonString(Cp1252ToUtf8(text));
    }
    if (code == kPacketWideString) return WideText(data);
    return HexBytes(data);
  }
  return ScalarText(code, value);
}

// Walks the metadata of an opened packet and prints it; keeps the counts it finds.
class MetadataPrinter {
 public:
  MetadataPrinter(TDATAPACKET_READ& reader, std::ostream& out) : reader_(reader), out_(out) {}

  DBResult Run() { return Level(0); }
  int64_t changeLogValues = -1;      // CHANGE_LOG's count, -1 when the packet has none
  int64_t autoIncValue = INT64_MIN;  // AUTOINCVALUE, INT64_MIN when the packet has none

 private:
  std::string Indent(uint32_t depth) const { return std::string(2 + 2 * depth, ' '); }

  DBResult Level(uint32_t depth) {
    out_ << Indent(depth) << (depth == 0 ? "columns:" : "nested columns:") << '\n';
    for (uint32_t number = 1;; ++number) {
      DSColumnDesc column{};
      DBResult status = reader_.NextColumn(&column);
      if (status == dsengine::DBERR_EOF) break;
      if (status != dsengine::DBERR_NONE) return status;
      out_ << Indent(depth) << number << ". " << Cp1252ToUtf8(column.name) << "  type "
           << Hex(column.fieldType, 8) << "  attributes " << Hex(column.attributes, 4) << '\n';
      status = Parameters(depth + 1, false);
      if (status != dsengine::DBERR_NONE) return status;
      if (FieldPacketType(column.fieldType) == kPacketNested) {
        status = Level(depth + 1);
        if (status != dsengine::DBERR_NONE) return status;
      }
    }
    out_ << Indent(depth) << (depth == 0 ? "table parameters:" : "nested table parameters:")
         << '\n';
    return Parameters(depth, depth == 0);
  }

  DBResult Parameters(uint32_t depth, bool topTable) {
    for (;;) {
      uint32_t fieldType = 0, length = 0;
      DBResult status = reader_.NextParameter(nullptr, &fieldType, &length, nullptr);
      if (status == dsengine::DBERR_EOF) return dsengine::DBERR_NONE;
      if (status != dsengine::DBERR_NONE) return status;
      value_.assign(length > 0 ? length : 1, 0);  // the reader checked it against the packet
      char name[kParamNameBufferSize] = {};
      status = reader_.NextParameter(name, &fieldType, &length, value_.data());
      if (status != dsengine::DBERR_NONE) return status;
      const std::span<const uint8_t> value(value_.data(), length);
      out_ << Indent(depth) << "  " << Cp1252ToUtf8(name) << " (" << Hex(fieldType, 8)
           << ") = " << ParameterText(fieldType, value) << '\n';
      if (topTable) Note(name, fieldType, value);
    }
  }

  void Note(const char* name, uint32_t fieldType, std::span<const uint8_t> value) {
    if (platform::EqualsAsciiNoCase(name, "CHANGE_LOG") && (fieldType & kFieldArray) &&
        value.size() >= 4)
      changeLogValues = int64_t(LittleEndian(value.first(4)));
    const uint32_t width = FieldWidth(fieldType);
    if (platform::EqualsAsciiNoCase(name, "AUTOINCVALUE") &&
        !(fieldType & (kFieldArray | kFieldVarying)) && (width == 2 || width == 4) &&
        value.size() == width) {
      const int shift = int(64 - 8 * width);
      autoIncValue = int64_t(LittleEndian(value) << shift) >> shift;
    }
  }

  TDATAPACKET_READ& reader_;
  std::ostream& out_;
  std::vector<uint8_t> value_;
};

void PrintBinaryHeader(const PacketHeader& h, std::ostream& out) {
  out << "format: binary\n"
      << "magic: " << Hex(h.magic, 8) << '\n'
      << "version: " << h.versionMajor << '.' << h.versionMinor << '\n'
      << "header size: " << h.headerSize << '\n'
      << "column count: " << h.columnCount << '\n'
      << "row count: " << h.rowCount << '\n'
      << "packet flags: " << Hex(h.flags, 8) << '\n'
      << "row data offset: " << h.rowDataOffset << '\n';
}

int RunInfo(const ParsedArgs& args, ToolIo& io) {
  const std::string& path = args.positional[0];
  std::vector<uint8_t> bytes;
  if (!platform::ReadWholeFile(path, bytes)) return io.Fail("Cannot open file \"" + path + "\".");
  std::unique_ptr<TDATAPACKET_READ> reader;
  uint32_t streamMode = 0;
  PacketFault fault;
  DBResult status = OpenPacketByContent(bytes, &reader, &streamMode, &fault);
  uint32_t rows = 0;
  if (status == dsengine::DBERR_NONE) {
    if (auto* binary = dynamic_cast<DSEXTRACT*>(reader.get())) {
      PrintBinaryHeader(binary->Header(), io.out);
      rows = binary->Header().rowCount;
    } else if (auto* xml = dynamic_cast<DSXMLEXTRACT*>(reader.get())) {
      io.out << "format: XML" << (xml->Utf8() ? " (UTF-8)" : "") << '\n'
             << "stream mode: " << streamMode << '\n'
             << "column count: " << xml->ColumnCount() << '\n';
      rows = xml->RowCount();
    }
    MetadataPrinter printer(*reader, io.out);
    status = printer.Run();
    if (status == dsengine::DBERR_NONE) {
      io.out << "rows: " << rows << '\n';
      io.out << "change-log entries: "
             << (printer.changeLogValues < 0 ? 0 : printer.changeLogValues / 3) << '\n';
      io.out << "next auto-increment value: "
             << (printer.autoIncValue == INT64_MIN ? std::string("none")
                                                   : std::to_string(printer.autoIncValue))
             << '\n';
      return kExitOk;
    }
    fault = reader->Fault();
  }
  std::string text;
  platform::LoadStatusText(uint16_t(status), text);
  return io.Refused("info", path,
                    text.empty() ? "status " + std::to_string(status) : ShownText(text), fault);
}

const CommandSpec kInfoSpec{"info",
                            "usage: dzpacket info FILE\n"
                            "\n"
                            "Shows a data packet (binary or XML) as it stands in the file: the\n"
                            "header (binary: magic, version, column and row counts, packet flags,\n"
                            "row data offset; XML: the stream mode), every column with its type\n"
                            "word, attribute word and field parameters, the table parameters, the\n"
                            "number of rows and change-log entries and the next auto-increment\n"
                            "value. Exit status 1 when the packet cannot be read, with the reason\n"
                            "(what failed, and where) in parentheses.\n",
                            1,
                            1,
                            {}};

}  // namespace

const Command kInfoCommand{&kInfoSpec, RunInfo};

}  // namespace dzpacket
