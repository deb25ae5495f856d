// dzpacket import-csv: a new lyrics table from a UTF-8 CSV file, one insert per record through
// the client dataset (so Ids run from 1 and every record is logged as inserted), saved as the
// program saves its table.
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/lyrics/lyricstable.h"
#include "dataset/clientdataset.h"
#include "tools/dzpacket/csv.h"
#include "tools/dzpacket/textcodec.h"
#include "tools/dzpacket/tool.h"

namespace dzpacket {

namespace {

// The CSV's columns, in the order its header must name them, with their size in the table
// (0: a memo without a limit).
struct CsvColumn {
  const char* name;
  int size;
};
constexpr CsvColumn kCsvColumns[] = {{"Artist", lyrics::kArtistSize},
                                     {"Title", lyrics::kTitleSize},
                                     {"Album", lyrics::kAlbumSize},
                                     {"Lyric", 0},
                                     {"SongFileName", lyrics::kSongFileNameSize}};
constexpr size_t kCsvColumnCount = std::size(kCsvColumns);

constexpr char kUtf8Bom[] = "\xEF\xBB\xBF";

std::string LineError(size_t line, const std::string& what) {
  return "line " + std::to_string(line) + ": " + what;
}

// Checks the header and the shape and sizes of every record. Empty when all is well.
std::string CheckRecords(const std::vector<CsvRow>& rows) {
  if (rows.empty())
    return "the file is empty: the header Artist,Title,Album,Lyric,SongFileName "
           "is missing";
  const CsvRow& header = rows[0];
  bool headerOk = header.fields.size() == kCsvColumnCount;
  for (size_t i = 0; headerOk && i < kCsvColumnCount; ++i)
    headerOk = header.fields[i] == kCsvColumns[i].name;
  if (!headerOk)
    return LineError(header.line, "the header must be Artist,Title,Album,Lyric,SongFileName");
  for (size_t r = 1; r < rows.size(); ++r) {
    const CsvRow& row = rows[r];
    if (row.fields.size() != kCsvColumnCount)
      return LineError(row.line, std::to_string(row.fields.size()) + " fields where " +
                                     std::to_string(kCsvColumnCount) + " belong");
    for (size_t i = 0; i < kCsvColumnCount; ++i) {
      const int size = kCsvColumns[i].size;
      if (size > 0 && row.fields[i].size() > size_t(size))
        return LineError(row.line, std::string(kCsvColumns[i].name) + " is longer than " +
                                       std::to_string(size) + " characters");
    }
  }
  return {};
}

int RunImportCsv(const ParsedArgs& args, ToolIo& io) {
  const std::string& csvPath = args.positional[0];
  std::ifstream in(csvPath, std::ios::binary);
  if (!in) return io.Fail("Cannot open file \"" + csvPath + "\".");
  std::string utf8(std::istreambuf_iterator<char>(in), {});
  if (in.bad()) return io.Fail("Cannot read file \"" + csvPath + "\".");
  if (utf8.compare(0, 3, kUtf8Bom) == 0) utf8.erase(0, 3);

  // The whole text is converted first, so a refused character is reported on its own line.
  std::string text;
  TextRefusal refusal;
  if (!Utf8ToCp1252(utf8, &text, &refusal))
    return io.Fail(csvPath + ": " +
                   LineError(LineOfOffset(utf8, refusal.offset), DescribeRefusal(refusal)));
  std::vector<CsvRow> rows;
  std::string error;
  if (!ParseCsv(text, &rows, &error)) return io.Fail(csvPath + ": " + error);
  error = CheckRecords(rows);
  if (!error.empty()) return io.Fail(csvPath + ": " + error);

  db::TClientDataSet ds(kDataSetName);
  lyrics::DefineLyricsFields(ds.FieldDefs());
  ds.CreateDataSet();
  for (size_t r = 1; r < rows.size(); ++r) {
    ds.Append();
    for (size_t i = 0; i < kCsvColumnCount; ++i)  // an empty value leaves the field null
      if (!rows[r].fields[i].empty())
        ds.FieldByName(kCsvColumns[i].name).SetAsString(rows[r].fields[i]);
    ds.Post();
  }
  ds.SavePacketFile(args.positional[1], db::dfBinary);
  return kExitOk;
}

const CommandSpec kImportCsvSpec{
    "import-csv",
    "usage: dzpacket import-csv CSV OUT\n"
    "\n"
    "Writes a new lyrics table to OUT with one record per line of CSV, inserted in file\n"
    "order so that Ids run from 1. CSV is UTF-8 (RFC 4180: quoted fields may hold commas,\n"
    "quotes and line breaks) with the header line Artist,Title,Album,Lyric,SongFileName.\n"
    "Text is stored in code page 1252: a character it lacks, a malformed line or a value\n"
    "longer than its field (180 characters; SongFileName 500) is refused with its line\n"
    "number, and nothing is written. An empty value leaves its field null.\n",
    2,
    2,
    {}};

}  // namespace

const Command kImportCsvCommand{&kImportCsvSpec, RunImportCsv};

}  // namespace dzpacket
