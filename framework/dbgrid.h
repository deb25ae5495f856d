// TDBGrid: the data-aware grid. Shows the rows of a data source's dataset view, one column per
// listed field, reading only the rows on screen through the dataset's row window (GetRow), so
// a view of any size scrolls at once. The current record is the grid's current row; clicks and
// navigation keys move the dataset, and every data-source notification repaints what changed.
// Read-only in this program: it never edits, inserts or deletes. UI thread only; the data
// source must outlive the grid or be unlinked (SetDataSource(nullptr)) first.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "dataset/datasource.h"
#include "framework/grid.h"

namespace framework {

// TDBGridOptions bits.
enum : unsigned {
  dgEditing = 1,
  dgAlwaysShowEditor = 2,
  dgTitles = 4,
  dgIndicator = 8,
  dgColumnResize = 16,
  dgColLines = 32,
  dgRowLines = 64,
  dgTabs = 128,
  dgRowSelect = 256,
  dgAlwaysShowSelection = 512,
  dgConfirmDelete = 1024,
  dgCancelOnExit = 2048,
  dgMultiSelect = 4096,
};
using TDBGridOptions = unsigned;

struct TColumnTitle {
  std::string Caption;  // empty: the field name
};

struct TColumn {
  std::string FieldName;
  int Width = 64;
  TColumnTitle Title;
};

class TDBGrid : public TCustomGrid {
 public:
  DZ_CLASS(TDBGrid, TCustomGrid)
  explicit TDBGrid(TComponent* owner);
  ~TDBGrid() override;

  db::TDataSource* DataSource() const;
  void SetDataSource(db::TDataSource* source);
  TDBGridOptions Options() const { return options_; }
  void SetOptions(TDBGridOptions options);
  bool ReadOnly = false;  // the grid never edits anyway; kept for definitions

  // The listed columns. Without any, every field of the dataset gets a column. Call
  // LayoutChanged after changing the list.
  std::vector<TColumn>& Columns() { return columns_; }
  TColumn& AddColumn(const std::string& field_name, int width, const std::string& title);
  void LayoutChanged();

  // What data cell (col, row) shows: the field's text of data row `row` (0-based), "" for a
  // field without value or a row outside the view; memo and blob fields show "(MEMO)"/"(BLOB)".
  std::string CellText(int col, int row);
  // The field shown in column `col`, or null.
  db::TField* ColumnField(int col);

 protected:
  void DrawRow(int row, const RECT& rect, bool selected) override;
  std::string TitleCaption(int col) override;
  void RowClicked(int row) override;
  bool NavigationKey(WORD key, TShiftState shift) override;
  void ColWidthsChanged() override;
  void Loaded() override;

 private:
  class Link;
  friend class Link;
  bool LinkActive();
  void ViewChanged();
  void Scrolled();
  void StateChanged();
  std::string FieldText(db::TField* field, const db::TRecordBuffer& row);

  std::unique_ptr<Link> link_;
  TDBGridOptions options_;
  std::vector<TColumn> columns_;
  std::vector<TColumn> shown_;       // columns_ or the default columns of every field
  std::vector<db::TField*> fields_;  // the field of each shown column (null: none)
  db::TRecordBuffer row_buffer_;     // reused for every row read while painting
};

}  // namespace framework
