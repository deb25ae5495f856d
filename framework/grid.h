// TCustomGrid: a custom-painted grid of columns over a virtual list of rows, with an optional
// title row, column and row lines, a current row, the native vertical scroll bar (WS_VSCROLL)
// and column resizing by dragging title borders. It holds no cell data: a subclass (TDBGrid)
// says how many rows there are, which is current, and paints each visible row on request, so
// only the rows on screen are ever read. The skin engine wraps every TCustomGrid and recolours
// its title row through FixedColor. UI thread only.
#pragma once

#include <memory>
#include <vector>

#include "framework/customcontrol.h"
#include "framework/form.h"

namespace framework {

// TGridOptions bits.
enum : unsigned {
  goFixedHorzLine = 1,  // lines between title cells
  goFixedVertLine = 2,
  goHorzLine = 4,  // lines between rows
  goVertLine = 8,  // lines between columns
  goColSizing = 16,
  goRowSelect = 32,  // the whole current row is selected (the grid wants no Tab then)
  goTabs = 64,       // Tab moves inside the grid (not with goRowSelect)
  goAlwaysShowSelection = 128,
  goTitles = 256,  // a title row above the data rows
};
using TGridOptions = unsigned;

class TCustomGrid : public TCustomControl {
 public:
  DZ_CLASS(TCustomGrid, TCustomControl)
  explicit TCustomGrid(TComponent* owner);
  ~TCustomGrid() override;

  TGridOptions GridOptions() const { return options_; }
  void SetGridOptions(TGridOptions options);
  TBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TBorderStyle style);  // bsSingle: sunken client edge
  // Background of the title row.
  TColor FixedColor() const { return fixed_color_; }
  void SetFixedColor(TColor color);
  TFont& TitleFont() { return *title_font_; }

  int ColCount() const { return static_cast<int>(col_widths_.size()); }
  int ColWidth(int col) const { return col_widths_.at(col); }
  void SetColWidth(int col, int width);

  // Data rows (0-based); the title row is row -1.
  int RowCount() const { return row_count_; }
  int Row() const { return row_; }  // the current row; -1 when there is none
  int TopRow() const { return top_row_; }
  void SetTopRow(int row);  // scrolls the view (clamped), keeping the current row
  // Data rows that fit wholly below the title row (at least 1).
  int VisibleRowCount();
  int RowHeight() const { return row_height_; }
  int TitleHeight() const { return HasTitles() ? title_height_ : 0; }

  // The rectangle of a cell in client coordinates, lines excluded; empty when the cell is not
  // on screen. row -1 is the title row.
  RECT CellRect(int col, int row);
  // The rectangle of a whole data row across every column; empty when it is not on screen.
  RECT RowRect(int row);
  // The data row at client y: -1 on the title row, -2 below the last row or off the grid.
  int RowAtY(int y);

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowDone() override;
  void WndProc(TMessage& message) override;
  void Paint() override;

  // Paints data row `row` (0 .. RowCount-1) in `rect` (whole row, lines excluded); the cells'
  // rectangles come from CellRect. `selected`: drawn as the highlighted current row.
  virtual void DrawRow(int row, const RECT& rect, bool selected) = 0;
  // The title cell: FixedColor, TitleCaption in the title font, a raised inner edge.
  virtual void DrawTitleCell(int col, const RECT& rect);
  virtual std::string TitleCaption(int /*col*/) { return {}; }
  // The user clicked data row `row` / pressed a navigation key (true: consumed).
  virtual void RowClicked(int /*row*/) {}
  virtual bool NavigationKey(WORD /*key*/, TShiftState /*shift*/) { return false; }
  virtual void ColWidthsChanged() {}

  // Sets the columns' widths (repaints all).
  void SetColWidths(const std::vector<int>& widths);
  // A new set of rows: count and current row (-1: none); the current row is scrolled into
  // view and everything is repainted.
  void RowsChanged(int row_count, int current);
  // Only the current row moved: the old and new rows are repainted, and the view scrolls when
  // the new row is not wholly visible.
  void CurrentRowMoved(int current);
  void InvalidateRow(int row);
  // Colour of the lines between data cells and between title cells.
  TColor LineColor() const;
  bool SelectionShown();

 private:
  bool HasTitles() const { return (options_ & goTitles) != 0; }
  int LineWidth(bool horizontal_lines) const;
  int RowPitch() const { return row_height_ + LineWidth((options_ & goHorzLine) != 0); }
  int DataTop() const;  // client y of the first data row
  int MaxTopRow();
  void MeasureFonts();
  void UpdateScrollBar();
  void ScrollRowIntoView(int row);
  void HandleScroll(WORD code);
  void HandleWheel(short delta);
  int SizingBorderAt(int x, int y);  // column whose right border is under (x, y), or -1
  void PaintLines(const RECT& clip);
  void FillRest(const RECT& clip);

  TGridOptions options_;
  TBorderStyle border_style_ = bsSingle;
  TColor fixed_color_ = clBtnFace;
  std::unique_ptr<TFont> title_font_;
  std::vector<int> col_widths_;
  int row_count_ = 0;
  int row_ = -1;
  int top_row_ = 0;
  int row_height_ = 16;
  int title_height_ = 17;
  int sizing_col_ = -1;  // column being resized by a drag, -1 when none
  int sizing_start_x_ = 0, sizing_start_width_ = 0;
  int wheel_rest_ = 0;  // wheel delta not yet turned into rows
};

}  // namespace framework
