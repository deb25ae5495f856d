// Cells from fields, and the CSV and JSON record writers.
#include "tools/dzpacket/recordoutput.h"

#include <cmath>
#include <cstdio>
#include <optional>

#include "tools/dzpacket/csv.h"
#include "tools/dzpacket/json.h"
#include "tools/dzpacket/textcodec.h"

namespace dzpacket {

namespace {

bool IsWholeNumberType(db::TFieldType t) {
  return t == db::ftSmallint || t == db::ftInteger || t == db::ftWord || t == db::ftAutoInc ||
         t == db::ftLargeint;
}

class CsvRecordWriter final : public RecordWriter {
 public:
  explicit CsvRecordWriter(std::ostream& out) : out_(out) {}
  void Begin(const std::vector<std::string>& columns) override {
    out_ << CsvRecord({columns.begin(), columns.end()});
  }
  void Record(const std::vector<Cell>& cells) override {
    std::vector<std::optional<std::string>> fields;
    for (const Cell& c : cells) fields.push_back(c.null ? std::nullopt : std::optional(c.text));
    out_ << CsvRecord(fields);
  }
  void Finish() override {}

 private:
  std::ostream& out_;
};

class JsonRecordWriter final : public RecordWriter {
 public:
  explicit JsonRecordWriter(std::ostream& out) : json_(out) {}
  void Begin(const std::vector<std::string>& columns) override { columns_ = columns; }
  void Record(const std::vector<Cell>& cells) override {
    json_.BeginObject();
    for (size_t i = 0; i < cells.size() && i < columns_.size(); ++i) {
      const Cell& c = cells[i];
      json_.Member(columns_[i], c.null                  ? "null"
                                : c.kind == Cell::kText ? JsonString(c.text)
                                                        : c.text);
    }
    json_.EndObject();
  }
  void Finish() override { json_.Finish(); }

 private:
  JsonArrayWriter json_;
  std::vector<std::string> columns_;
};

}  // namespace

Cell CellOf(const db::TField& field, const db::TRecordBuffer* row) {
  Cell cell;
  const db::TVariant value = row ? field.ValueIn(*row) : field.Value();
  if (db::VarIsNull(value)) return cell;
  cell.null = false;
  if (IsWholeNumberType(field.DataType()) && value.index() == 2) {
    cell.kind = Cell::kNumber;
    cell.text = std::to_string(std::get<int64_t>(value));
  } else if ((field.DataType() == db::ftFloat || field.DataType() == db::ftCurrency) &&
             value.index() == 3 && std::isfinite(std::get<double>(value))) {
    char text[40];
    std::snprintf(text, sizeof text, "%.17g", std::get<double>(value));
    cell.kind = Cell::kNumber;
    cell.text = text;
  } else if (field.DataType() == db::ftBoolean && value.index() == 1) {
    cell.kind = Cell::kBoolean;
    cell.text = std::get<bool>(value) ? "true" : "false";
  } else {
    cell.text = Cp1252ToUtf8(row ? field.AsStringIn(*row) : field.AsString());
  }
  return cell;
}

Cell NumberCell(long long value) {
  Cell cell;
  cell.null = false;
  cell.kind = Cell::kNumber;
  cell.text = std::to_string(value);
  return cell;
}

std::unique_ptr<RecordWriter> MakeCsvWriter(std::ostream& out) {
  return std::make_unique<CsvRecordWriter>(out);
}

std::unique_ptr<RecordWriter> MakeJsonWriter(std::ostream& out) {
  return std::make_unique<JsonRecordWriter>(out);
}

}  // namespace dzpacket
