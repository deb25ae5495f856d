// Records of a table as the rows command prints them: each field's value becomes a cell (UTF-8
// text, or a JSON number or boolean for numeric and logical fields), and a record writer puts
// cells out as CSV or JSON. Used by the rows command. One writer per output.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "dataset/dbfields.h"

namespace dzpacket {

struct Cell {
  enum Kind { kText, kNumber, kBoolean };
  bool null = true;
  Kind kind = kText;
  std::string text;  // UTF-8; for numbers and booleans the JSON literal
};

// The value of `field` in `row`, or in the dataset's active record when `row` is null.
Cell CellOf(const db::TField& field, const db::TRecordBuffer* row);
// A cell that is a whole number (record numbers, row states).
Cell NumberCell(long long value);

class RecordWriter {
 public:
  virtual ~RecordWriter() = default;
  // Column names (UTF-8), once, before the first record.
  virtual void Begin(const std::vector<std::string>& columns) = 0;
  virtual void Record(const std::vector<Cell>& cells) = 0;
  virtual void Finish() = 0;
};

// CSV: a header line with the column names, then one record per row, CR LF after each; null
// cells are empty fields. JSON: an array of objects keyed by column name, null for null cells.
std::unique_ptr<RecordWriter> MakeCsvWriter(std::ostream& out);
std::unique_ptr<RecordWriter> MakeJsonWriter(std::ostream& out);

}  // namespace dzpacket
