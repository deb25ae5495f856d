// dzpacket rows and log: a table's records and change log, read through the client dataset
// exactly as the program reads them (LoadPacketFile, IndexFieldNames, Filter with Filtered and
// FilterOptions, First/Next), and its stored versions through the table it loaded.
#include <memory>
#include <string>
#include <vector>

#include "dataset/clientdataset.h"
#include "tableengine/dsbase.h"
#include "tableengine/dscursor.h"
#include "tools/dzpacket/json.h"
#include "tools/dzpacket/recordoutput.h"
#include "tools/dzpacket/textcodec.h"
#include "tools/dzpacket/tool.h"

namespace dzpacket {

namespace {

// Room after the flat record: the facade's record information and bookmark.
constexpr size_t kRecordBufferExtra = 6 + dsengine::kBookmarkSize;

std::vector<std::string> FieldNames(db::TClientDataSet& ds) {
  std::vector<std::string> names;
  for (int i = 0; i < ds.Fields().Count(); ++i)
    names.push_back(Cp1252ToUtf8(ds.Fields()[i].FieldName()));
  return names;
}

// A flat record buffer of the loaded table that the dataset's fields can read.
db::TRecordBuffer StoredRecordBuffer(const dsengine::DSBASE& table) {
  return db::TRecordBuffer(table.RecordSize() + kRecordBufferExtra, 0);
}

// Every stored version in record-number order, with its record number and row state.
void WriteVersions(db::TClientDataSet& ds, RecordWriter& writer) {
  std::vector<std::string> columns = {"RecNo", "RowState"};
  for (const std::string& name : FieldNames(ds)) columns.push_back(name);
  writer.Begin(columns);
  dsengine::DSBASE& table = *ds.DSBase();
  db::TRecordBuffer buffer = StoredRecordBuffer(table);
  for (uint32_t rec = 1; rec < table.NextRecordNumber(); ++rec) {
    ds.Check(table.ReadRecord(rec, buffer.data()));
    std::vector<Cell> cells = {NumberCell(rec), NumberCell(table.Attribute(rec))};
    for (int i = 0; i < ds.Fields().Count(); ++i) cells.push_back(CellOf(ds.Fields()[i], &buffer));
    writer.Record(cells);
  }
  writer.Finish();
}

// The records of the dataset's view, from the first.
void WriteView(db::TClientDataSet& ds, RecordWriter& writer) {
  writer.Begin(FieldNames(ds));
  for (ds.First(); !ds.Eof(); ds.Next()) {
    std::vector<Cell> cells;
    for (int i = 0; i < ds.Fields().Count(); ++i) cells.push_back(CellOf(ds.Fields()[i], nullptr));
    writer.Record(cells);
  }
  writer.Finish();
}

int RunRows(const ParsedArgs& args, ToolIo& io) {
  const std::string format = args.Has("--format") ? args.Value("--format") : "csv";
  if (format != "csv" && format != "json") return io.Usage("--format is csv or json");
  const bool versions = args.Has("--versions");
  if (versions && (args.Has("--order") || args.Has("--filter") || args.Has("--case-sensitive")))
    return io.Usage(
        "--versions lists every stored version: no --order, --filter or "
        "--case-sensitive with it");
  std::string order, filter;
  TextRefusal refusal;
  if (!ArgumentToCp1252(args.Value("--order"), &order, &refusal))
    return io.Fail("--order: " + DescribeRefusal(refusal));
  if (!ArgumentToCp1252(args.Value("--filter"), &filter, &refusal))
    return io.Fail("--filter: " + DescribeRefusal(refusal));

  db::TClientDataSet ds(kDataSetName);
  ds.LoadPacketFile(args.positional[0]);
  std::unique_ptr<RecordWriter> writer =
      format == "json" ? MakeJsonWriter(io.out) : MakeCsvWriter(io.out);
  if (versions) {
    WriteVersions(ds, *writer);
    return kExitOk;
  }
  if (args.Has("--order")) ds.SetIndexFieldNames(order);
  if (args.Has("--filter")) {
    ds.SetFilterOptions(args.Has("--case-sensitive") ? db::TFilterOptions(0)
                                                     : db::TFilterOptions(db::foCaseInsensitive));
    ds.SetFilter(filter);
    ds.SetFiltered(true);
  }
  WriteView(ds, *writer);
  return kExitOk;
}

const char* KindName(uint32_t kind) {
  switch (kind) {
    case dsengine::kChangeInsert:
      return "insert";
    case dsengine::kChangeDelete:
      return "delete";
    case dsengine::kChangeModify:
      return "modify";
    case dsengine::kChangeNestedA:
      return "nested-change";
    default:
      return nullptr;
  }
}

// " Name=value" for a field of the record in `buffer`, when the table has the field.
std::string FieldNote(db::TClientDataSet& ds, const char* name, const db::TRecordBuffer& buffer) {
  const db::TField* field = ds.FindField(name);
  if (field == nullptr) return {};
  const Cell cell = CellOf(*field, &buffer);
  return std::string(" ") + name + "=" +
         (cell.null                  ? "null"
          : cell.kind == Cell::kText ? JsonString(cell.text)
                                     : cell.text);
}

int RunLog(const ParsedArgs& args, ToolIo& io) {
  db::TClientDataSet ds(kDataSetName);
  ds.LoadPacketFile(args.positional[0]);
  dsengine::DSBASE& table = *ds.DSBase();
  db::TRecordBuffer buffer = StoredRecordBuffer(table);
  const dsengine::ChangeLog& log = table.Log();
  for (size_t i = 0; i < log.Size(); ++i) {
    const dsengine::ChangeLogEntry& e = log.At(i);
    const char* kind = KindName(e.kind);
    io.out << i + 1 << ' ' << (kind ? kind : "kind-" + std::to_string(e.kind))
           << " record=" << e.record << " related=" << e.related;
    if (e.record >= 1 && e.record < table.NextRecordNumber() &&
        table.ReadRecord(e.record, buffer.data()) == dsengine::DBERR_NONE) {
      io.out << FieldNote(ds, "Id", buffer) << FieldNote(ds, "Artist", buffer)
             << FieldNote(ds, "Title", buffer);
    } else {
      io.out << " (no such record)";
    }
    io.out << '\n';
  }
  return kExitOk;
}

const CommandSpec kRowsSpec{
    "rows",
    "usage: dzpacket rows FILE [--versions] [--format csv|json] [--order FIELDS]\n"
    "                          [--filter TEXT] [--case-sensitive]\n"
    "\n"
    "Prints the table's visible records in its default order, in UTF-8: CSV (RFC 4180, with a\n"
    "header line; the default) or JSON (an array of objects keyed by field name).\n"
    "  --order FIELDS     order by these fields, separated by \";\" (e.g. \"Artist;Title\")\n"
    "  --filter TEXT      only the records the filter passes, e.g. \"Lyric like '%love%'\";\n"
    "                     letter case is ignored unless --case-sensitive is given\n"
    "  --versions         every stored version in record-number order, with its record number\n"
    "                     (RecNo) and row state (RowState: 1 superseded, 2 deleted, 4 inserted,\n"
    "                     8 modified, 32 not visible)\n"
    "A filter the table refuses prints the program's message; exit status 1.\n",
    1,
    1,
    {{"--versions", false},
     {"--format", true},
     {"--order", true},
     {"--filter", true},
     {"--case-sensitive", false}}};

const CommandSpec kLogSpec{"log",
                           "usage: dzpacket log FILE\n"
                           "\n"
                           "Prints the change log, one entry per line in the order the changes\n"
                           "were made: its number, the kind (insert, delete, modify), the record\n"
                           "number, the related record number (the version a modification\n"
                           "replaced) and the record's Id, Artist and Title when the table has\n"
                           "those fields.\n",
                           1,
                           1,
                           {}};

}  // namespace

const Command kRowsCommand{&kRowsSpec, RunRows};
const Command kLogCommand{&kLogSpec, RunLog};

}  // namespace dzpacket
