// TDBGrid: columns over the dataset's row window, navigation and notifications.
//
// Rows: grid row r (0-based) is the dataset's row r + 1 (RowCount, CurrentRow, GetRow of
// db.h), which includes the new record while the dataset is inserting.
#include "framework/dbgrid.h"

#include <algorithm>

#include "framework/gdiobjects.h"

namespace framework {

namespace {
constexpr int kDefaultColumnChars = 10;  // width of a default column for a field without size
constexpr int kMaxDefaultColumnChars = 40;

TGridOptions GridOptionsOf(TDBGridOptions o) {
  TGridOptions g = 0;
  if (o & dgTitles) g |= goTitles;
  if (o & dgColLines) g |= goVertLine | goFixedVertLine;
  if (o & dgRowLines) g |= goHorzLine | goFixedHorzLine;
  if (o & dgColumnResize) g |= goColSizing;
  if (o & dgRowSelect) g |= goRowSelect;
  if (o & dgTabs) g |= goTabs;
  if (o & dgAlwaysShowSelection) g |= goAlwaysShowSelection;
  return g;
}
}  // namespace

// The grid's observer of its data source.
class TDBGrid::Link : public db::TDataLink {
 public:
  explicit Link(TDBGrid& grid) : grid_(grid) {}

 protected:
  void ActiveChanged() override { grid_.ViewChanged(); }
  void DataSetChanged() override { grid_.ViewChanged(); }
  void DataSetScrolled(int) override { grid_.Scrolled(); }
  void RecordChanged(db::TField*) override { grid_.InvalidateRow(grid_.Row()); }
  void StateChanged() override { grid_.StateChanged(); }

 private:
  TDBGrid& grid_;
};

TDBGrid::TDBGrid(TComponent* owner)
    : TCustomGrid(owner),
      link_(std::make_unique<Link>(*this)),
      options_(dgEditing | dgTitles | dgIndicator | dgColumnResize | dgColLines | dgRowLines |
               dgTabs | dgConfirmDelete | dgCancelOnExit) {
  SetGridOptions(GridOptionsOf(options_));
}

TDBGrid::~TDBGrid() { link_->SetDataSource(nullptr); }

db::TDataSource* TDBGrid::DataSource() const { return link_->DataSource(); }

void TDBGrid::SetDataSource(db::TDataSource* source) { link_->SetDataSource(source); }

void TDBGrid::SetOptions(TDBGridOptions options) {
  options_ = options;
  SetGridOptions(GridOptionsOf(options));
}

TColumn& TDBGrid::AddColumn(const std::string& field_name, int width, const std::string& title) {
  columns_.push_back({field_name, width, {title}});
  LayoutChanged();
  return columns_.back();
}

void TDBGrid::Loaded() {
  TCustomGrid::Loaded();
  LayoutChanged();
}

bool TDBGrid::LinkActive() { return link_->Active(); }

// Columns and their fields: the listed columns, or one per field of an open dataset.
void TDBGrid::LayoutChanged() {
  shown_ = columns_;
  fields_.clear();
  db::TDataSet* ds = LinkActive() ? link_->DataSet() : nullptr;
  if (shown_.empty() && ds) {
    WindowDC dc(nullptr);
    ScopedSelect font(dc.Get(), Font().Handle());
    SIZE digit{7, 13};
    GetTextExtentPoint32A(dc.Get(), "0", 1, &digit);
    for (int i = 0; i < ds->Fields().Count(); ++i) {
      db::TField& f = ds->Fields()[i];
      int chars = f.Size() > 0 ? std::min(f.Size(), kMaxDefaultColumnChars) : kDefaultColumnChars;
      chars = std::max<int>(chars, static_cast<int>(f.FieldName().size()));
      shown_.push_back({f.FieldName(), chars * digit.cx + 4, {}});
    }
  }
  std::vector<int> widths;
  for (const TColumn& c : shown_) {
    fields_.push_back(ds ? ds->FindField(c.FieldName) : nullptr);
    widths.push_back(c.Width);
  }
  SetColWidths(widths);
}

void TDBGrid::ColWidthsChanged() {
  for (int c = 0; c < ColCount() && c < static_cast<int>(shown_.size()); ++c) {
    shown_[c].Width = ColWidth(c);
    if (c < static_cast<int>(columns_.size())) columns_[c].Width = ColWidth(c);
  }
}

db::TField* TDBGrid::ColumnField(int col) {
  return col >= 0 && col < static_cast<int>(fields_.size()) ? fields_[col] : nullptr;
}

// ---- Notifications ----

void TDBGrid::ViewChanged() {
  LayoutChanged();
  if (!LinkActive()) {
    RowsChanged(0, -1);
    return;
  }
  db::TDataSet* ds = link_->DataSet();
  RowsChanged(ds->RowCount(), ds->CurrentRow() - 1);
}

void TDBGrid::Scrolled() {
  if (!LinkActive()) return;
  CurrentRowMoved(link_->DataSet()->CurrentRow() - 1);
}

// Entering or leaving insert changes the rows (the new record's row); an edit only the row.
void TDBGrid::StateChanged() {
  if (!LinkActive()) return ViewChanged();
  db::TDataSet* ds = link_->DataSet();
  if (ds->RowCount() != RowCount() || ds->CurrentRow() - 1 != Row())
    RowsChanged(ds->RowCount(), ds->CurrentRow() - 1);
  else
    InvalidateRow(Row());
}

// ---- Cells ----

std::string TDBGrid::FieldText(db::TField* field, const db::TRecordBuffer& row) {
  if (!field) return {};
  if (field->IsBlob()) return field->DataType() == db::ftMemo ? "(MEMO)" : "(BLOB)";
  return field->AsStringIn(row);
}

std::string TDBGrid::CellText(int col, int row) {
  db::TField* f = ColumnField(col);
  if (!f || !LinkActive() || !link_->DataSet()->GetRow(row + 1, row_buffer_)) return {};
  return FieldText(f, row_buffer_);
}

std::string TDBGrid::TitleCaption(int col) {
  if (col < 0 || col >= static_cast<int>(shown_.size())) return {};
  const TColumn& c = shown_[col];
  return c.Title.Caption.empty() ? c.FieldName : c.Title.Caption;
}

void TDBGrid::DrawRow(int row, const RECT&, bool selected) {
  const bool have = LinkActive() && link_->DataSet()->GetRow(row + 1, row_buffer_);
  Canvas().Font().Assign(Font());
  if (selected) Canvas().Font().SetColor(clHighlightText);
  Canvas().Brush().SetColor(selected ? clHighlight : Color());
  for (int c = 0; c < ColCount(); ++c) {
    RECT r = CellRect(c, row);
    if (r.right <= r.left) continue;
    const std::string text = have ? FieldText(ColumnField(c), row_buffer_) : std::string();
    Canvas().TextRect(r, r.left + 2, r.top + 2, text);
  }
}

// ---- Mouse and keys ----

void TDBGrid::RowClicked(int row) {
  if (!LinkActive()) return;
  db::TDataSet* ds = link_->DataSet();
  if (row + 1 != ds->CurrentRow()) ds->MoveToRow(row + 1);
}

bool TDBGrid::NavigationKey(WORD key, TShiftState) {
  if (!LinkActive()) return false;
  db::TDataSet* ds = link_->DataSet();
  const bool row_select = (options_ & dgRowSelect) != 0;
  const int page = VisibleRowCount();
  switch (key) {
    case VK_UP:
      ds->Prior();
      return true;
    case VK_DOWN:
      ds->Next();  // at the last row nothing happens: the grid never appends
      return true;
    case VK_LEFT:
    case VK_RIGHT:
      if (!row_select) return false;
      key == VK_LEFT ? ds->Prior() : ds->Next();
      return true;
    case VK_PRIOR:
    case VK_NEXT: {
      // The view moves by a page and the current record with it, so it keeps its place.
      const int step = key == VK_NEXT ? page : -page;
      SetTopRow(TopRow() + step);
      ds->MoveBy(step);
      return true;
    }
    case VK_HOME:
      if (ds->RowCount() > 0) ds->MoveToRow(1);
      return true;
    case VK_END:
      if (ds->RowCount() > 0) ds->MoveToRow(ds->RowCount());
      return true;
    case VK_INSERT:
    case VK_DELETE:
      return true;  // read-only: no insert, no delete
  }
  return false;
}

}  // namespace framework
