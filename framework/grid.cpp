// TCustomGrid: geometry, painting frame, scrolling, keys, mouse and column sizing.
//
// Geometry (client coordinates). Columns follow each other from x = 0, each ColWidth wide and
// followed by one line pixel when vertical lines are on. The title row (when shown) is
// TitleHeight high and followed by one line pixel when goFixedHorzLine is on; the data rows
// start below it at TopRow, each RowHeight high plus one line pixel with goHorzLine. A row is
// drawn even when only partly visible at the bottom; VisibleRowCount counts the whole ones.
#include "framework/grid.h"

#include <windowsx.h>

#include <algorithm>

#include "framework/gdiobjects.h"

namespace framework {

namespace {
constexpr int kMinColWidth = 4;  // a dragged column never gets narrower (it must stay grabbable)
constexpr int kSizingZone = 2;   // pixels on each side of a title border that start a drag
constexpr int kWheelDelta = 120;

bool Intersects(const RECT& a, const RECT& b) {
  RECT r;
  return IntersectRect(&r, &a, &b) != 0;
}
}  // namespace

TCustomGrid::TCustomGrid(TComponent* owner)
    : TCustomControl(owner),
      options_(goFixedHorzLine | goFixedVertLine | goHorzLine | goVertLine | goTitles),
      title_font_(std::make_unique<TFont>()) {
  SetBounds(0, 0, 320, 120);
  InitColor(clWindow, false);
  SetTabStop(true);
  title_font_->OnChange = [this](TGraphicsObject&) {
    MeasureFonts();
    UpdateScrollBar();
    Invalidate();
  };
}

TCustomGrid::~TCustomGrid() = default;

void TCustomGrid::CreateParams(TCreateParams& p) {
  TCustomControl::CreateParams(p);
  p.Style |= WS_VSCROLL;
  if (border_style_ == bsSingle) p.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomGrid::CreateWindowDone() {
  MeasureFonts();
  UpdateScrollBar();
}

void TCustomGrid::SetGridOptions(TGridOptions options) {
  if (options == options_) return;
  options_ = options;
  UpdateScrollBar();
  Invalidate();
}

void TCustomGrid::SetBorderStyle(TBorderStyle style) {
  if (style == border_style_) return;
  border_style_ = style;
  RecreateWnd();
}

void TCustomGrid::SetFixedColor(TColor color) {
  if (color == fixed_color_) return;
  fixed_color_ = color;
  Invalidate();
}

void TCustomGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= ColCount()) return;
  width = std::max(width, 0);
  if (col_widths_[col] == width) return;
  col_widths_[col] = width;
  Invalidate();
}

void TCustomGrid::SetColWidths(const std::vector<int>& widths) {
  col_widths_ = widths;
  Invalidate();
}

// ---- Geometry ----

int TCustomGrid::LineWidth(bool lines) const { return lines ? 1 : 0; }

int TCustomGrid::DataTop() const {
  if (!HasTitles()) return 0;
  return title_height_ + LineWidth((options_ & goFixedHorzLine) != 0);
}

int TCustomGrid::VisibleRowCount() {
  int h = ClientRect().bottom - DataTop();
  return std::max(1, h / RowPitch());
}

int TCustomGrid::MaxTopRow() { return std::max(0, row_count_ - VisibleRowCount()); }

RECT TCustomGrid::CellRect(int col, int row) {
  RECT none{0, 0, 0, 0};
  if (col < 0 || col >= ColCount()) return none;
  const int vline = LineWidth((options_ & (goVertLine | goFixedVertLine)) != 0);
  int x = 0;
  for (int c = 0; c < col; ++c) x += col_widths_[c] + vline;
  RECT r = RowRect(row);
  if (row == -1) {
    if (!HasTitles()) return none;
    r = {0, 0, 0, title_height_};
  }
  if (r.bottom <= r.top) return none;
  r.left = x;
  r.right = x + col_widths_[col];
  return r;
}

RECT TCustomGrid::RowRect(int row) {
  RECT none{0, 0, 0, 0};
  if (row < top_row_ || row >= row_count_) return none;
  const int y = DataTop() + (row - top_row_) * RowPitch();
  if (y >= ClientRect().bottom) return none;
  const int vline = LineWidth((options_ & (goVertLine | goFixedVertLine)) != 0);
  int right = 0;
  for (int w : col_widths_) right += w + vline;
  if (!col_widths_.empty()) right -= vline;
  return {0, y, right, y + row_height_};
}

int TCustomGrid::RowAtY(int y) {
  if (y < 0 || y >= ClientRect().bottom) return -2;
  if (y < DataTop()) return -1;
  int row = top_row_ + (y - DataTop()) / RowPitch();
  return row < row_count_ ? row : -2;
}

int TCustomGrid::SizingBorderAt(int x, int y) {
  if (!(options_ & goColSizing) || !HasTitles() || y < 0 || y >= title_height_) return -1;
  const int vline = LineWidth((options_ & (goVertLine | goFixedVertLine)) != 0);
  int border = 0;
  for (int c = 0; c < ColCount(); ++c) {
    border += col_widths_[c];
    if (x >= border - kSizingZone && x <= border + kSizingZone) return c;
    border += vline;
  }
  return -1;
}

void TCustomGrid::MeasureFonts() {
  WindowDC dc(nullptr);
  TEXTMETRICA tm{};
  {
    ScopedSelect font(dc.Get(), Font().Handle());
    GetTextMetricsA(dc.Get(), &tm);
    row_height_ = tm.tmHeight + 3;
  }
  ScopedSelect font(dc.Get(), title_font_->Handle());
  GetTextMetricsA(dc.Get(), &tm);
  title_height_ = tm.tmHeight + 4;
}

// ---- Rows and scrolling ----

void TCustomGrid::UpdateScrollBar() {
  if (!handle_) return;
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
  si.nMin = 0;
  si.nMax = std::max(0, row_count_ - 1);
  si.nPage = static_cast<UINT>(VisibleRowCount());
  si.nPos = top_row_;
  SetScrollInfo(handle_, SB_VERT, &si, TRUE);
}

void TCustomGrid::SetTopRow(int row) {
  row = std::clamp(row, 0, MaxTopRow());
  if (row == top_row_) return;
  const int delta = row - top_row_;
  if (!handle_) {
    top_row_ = row;
    return;
  }
  UpdateWindow(handle_);  // what is pending is painted with the old view before it moves
  top_row_ = row;
  RECT area = ClientRect();
  area.top = DataTop();
  const int shift = delta * RowPitch();
  if (std::abs(shift) < area.bottom - area.top)
    ScrollWindowEx(handle_, 0, -shift, &area, &area, nullptr, nullptr, SW_INVALIDATE);
  else
    InvalidateRect(handle_, &area, FALSE);
  UpdateScrollBar();
}

void TCustomGrid::ScrollRowIntoView(int row) {
  if (row < 0) return;
  if (row < top_row_)
    SetTopRow(row);
  else if (row >= top_row_ + VisibleRowCount())
    SetTopRow(row - VisibleRowCount() + 1);
}

void TCustomGrid::RowsChanged(int row_count, int current) {
  row_count_ = std::max(0, row_count);
  row_ = current < row_count_ ? current : -1;
  top_row_ = std::clamp(top_row_, 0, MaxTopRow());
  if (row_ >= 0 && row_ < top_row_) top_row_ = row_;
  if (row_ >= top_row_ + VisibleRowCount()) top_row_ = row_ - VisibleRowCount() + 1;
  Invalidate();
  UpdateScrollBar();
}

void TCustomGrid::CurrentRowMoved(int current) {
  const int old = row_;
  row_ = current < row_count_ ? current : -1;
  if (row_ == old) return;
  ScrollRowIntoView(row_);
  InvalidateRow(old);
  InvalidateRow(row_);
}

void TCustomGrid::InvalidateRow(int row) {
  if (!handle_) return;
  RECT r = RowRect(row);
  if (r.bottom <= r.top) return;
  r.bottom += LineWidth((options_ & goHorzLine) != 0);
  InvalidateRect(handle_, &r, FALSE);
}

void TCustomGrid::HandleScroll(WORD code) {
  const int page = VisibleRowCount();
  switch (code) {
    case SB_LINEUP:
      SetTopRow(top_row_ - 1);
      break;
    case SB_LINEDOWN:
      SetTopRow(top_row_ + 1);
      break;
    case SB_PAGEUP:
      SetTopRow(top_row_ - page);
      break;
    case SB_PAGEDOWN:
      SetTopRow(top_row_ + page);
      break;
    case SB_TOP:
      SetTopRow(0);
      break;
    case SB_BOTTOM:
      SetTopRow(MaxTopRow());
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      // The 32-bit track position (the message carries only 16 bits).
      SCROLLINFO si{};
      si.cbSize = sizeof si;
      si.fMask = SIF_TRACKPOS;
      GetScrollInfo(handle_, SB_VERT, &si);
      SetTopRow(si.nTrackPos);
      break;
    }
  }
}

void TCustomGrid::HandleWheel(short delta) {
  UINT lines = 3;
  SystemParametersInfoA(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  if (lines == WHEEL_PAGESCROLL) lines = static_cast<UINT>(VisibleRowCount());
  wheel_rest_ += delta;
  const int notches = wheel_rest_ / kWheelDelta;
  wheel_rest_ -= notches * kWheelDelta;
  if (notches) SetTopRow(top_row_ - notches * static_cast<int>(lines));
}

// ---- Painting ----

TColor TCustomGrid::LineColor() const {
  return ColorToRGB(Color()) == ColorToRGB(clSilver) ? clGray : clSilver;
}

bool TCustomGrid::SelectionShown() { return Focused() || (options_ & goAlwaysShowSelection); }

void TCustomGrid::DrawTitleCell(int col, const RECT& rect) {
  Canvas().Font().Assign(*title_font_);
  Canvas().Brush().SetColor(fixed_color_);
  Canvas().TextRect(rect, rect.left + 2, rect.top + 2, TitleCaption(col));
  RECT edge = rect;
  DrawEdge(Canvas().Handle(), &edge, BDR_RAISEDINNER, BF_RECT);
}

void TCustomGrid::Paint() {
  const RECT clip = Canvas().ClipRect();
  if (HasTitles())
    for (int c = 0; c < ColCount(); ++c) {
      RECT r = CellRect(c, -1);
      if (r.right > r.left && Intersects(r, clip)) DrawTitleCell(c, r);
    }
  const bool shown = SelectionShown();
  for (int row = top_row_; row < row_count_; ++row) {
    RECT r = RowRect(row);
    if (r.bottom <= r.top) break;
    if (!Intersects(r, clip)) continue;
    DrawRow(row, r, row == row_ && shown && (options_ & goRowSelect));
  }
  PaintLines(clip);
  FillRest(clip);
  if (row_ >= 0 && Focused() && (options_ & goRowSelect)) {
    RECT r = RowRect(row_);
    if (r.bottom > r.top) Canvas().DrawFocusRect(r);
  }
}

void TCustomGrid::PaintLines(const RECT& clip) {
  const int vline = LineWidth((options_ & (goVertLine | goFixedVertLine)) != 0);
  const int title_line = HasTitles() ? LineWidth((options_ & goFixedHorzLine) != 0) : 0;
  const int rows_shown = std::max(
      0,
      std::min(row_count_ - top_row_, static_cast<int>(clip.bottom - DataTop()) / RowPitch() + 1));
  const int data_bottom = DataTop() + rows_shown * RowPitch();
  int right = 0;
  for (int w : col_widths_) right += w + vline;
  auto fill = [&](RECT r, TColor color) {
    if (r.right <= r.left || r.bottom <= r.top || !Intersects(r, clip)) return;
    Canvas().Brush().SetColor(color);
    Canvas().FillRect(r);
  };
  // Title row: the line below it and the lines between its cells.
  if (HasTitles()) {
    fill({0, title_height_, right, title_height_ + title_line}, clBlack);
    if (options_ & goFixedVertLine) {
      int x = 0;
      for (int w : col_widths_) {
        x += w;
        fill({x, 0, x + 1, title_height_ + title_line}, clBlack);
        x += vline;
      }
    }
  }
  const TColor line = LineColor();
  if (options_ & goVertLine) {
    int x = 0;
    for (int w : col_widths_) {
      x += w;
      fill({x, DataTop(), x + 1, data_bottom}, line);
      x += vline;
    }
  } else if (vline) {
    fill({0, DataTop(), right, data_bottom}, Color());  // gaps between columns in the cell colour
  }
  if (options_ & goHorzLine)
    for (int i = 0; i < rows_shown; ++i) {
      const int y = DataTop() + i * RowPitch() + row_height_;
      fill({0, y, right, y + 1}, line);
    }
}

void TCustomGrid::FillRest(const RECT& clip) {
  const int vline = LineWidth((options_ & (goVertLine | goFixedVertLine)) != 0);
  int right = 0;
  for (int w : col_widths_) right += w + vline;
  const RECT client = ClientRect();
  const int rows_shown = std::max(0, row_count_ - top_row_);
  const int data_bottom = DataTop() + rows_shown * RowPitch();
  Canvas().Brush().SetColor(Color());
  RECT beside{right, 0, client.right, client.bottom};
  if (beside.right > beside.left && Intersects(beside, clip)) Canvas().FillRect(beside);
  RECT below{0, data_bottom, right, client.bottom};
  if (below.bottom > below.top && Intersects(below, clip)) Canvas().FillRect(below);
}

// ---- Messages ----

void TCustomGrid::WndProc(TMessage& m) {
  switch (m.Msg) {
    case WM_GETDLGCODE:
      // Arrows always; Tab only without whole-row selection, so Tab leaves a row-select grid.
      m.Result = DLGC_WANTARROWS;
      if (!(options_ & goRowSelect) && (options_ & goTabs)) m.Result |= DLGC_WANTTAB;
      return;
    case WM_KEYDOWN:
      if (DoKeyDown(m)) return;
      if (NavigationKey(static_cast<WORD>(m.WParam), KeyboardShiftState())) {
        m.Result = 0;
        return;
      }
      DefaultHandler(m);
      return;
    case WM_VSCROLL:
      HandleScroll(LOWORD(m.WParam));
      m.Result = 0;
      return;
    case WM_MOUSEWHEEL:
      HandleWheel(static_cast<short>(HIWORD(m.WParam)));
      m.Result = 0;
      return;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const int x = GET_X_LPARAM(m.LParam), y = GET_Y_LPARAM(m.LParam);
      if (CanFocus() && !Focused()) SetFocus();
      const int border = SizingBorderAt(x, y);
      if (border >= 0 && m.Msg == WM_LBUTTONDOWN) {
        sizing_col_ = border;
        sizing_start_x_ = x;
        sizing_start_width_ = col_widths_[border];
        SetCapture(handle_);
      } else {
        const int row = RowAtY(y);
        const RECT r = RowRect(std::max(row, 0));
        if (row >= 0 && x >= 0 && x < r.right) RowClicked(row);
      }
      break;
    }
    case WM_MOUSEMOVE:
      if (sizing_col_ >= 0) {
        const int width = sizing_start_width_ + GET_X_LPARAM(m.LParam) - sizing_start_x_;
        SetColWidth(sizing_col_, std::max(kMinColWidth, width));
      }
      break;
    case WM_LBUTTONUP:
      if (sizing_col_ >= 0) {
        sizing_col_ = -1;
        if (GetCapture() == handle_) ReleaseCapture();
        ColWidthsChanged();
      }
      break;
    case WM_CAPTURECHANGED:
      if (sizing_col_ >= 0 && reinterpret_cast<HWND>(m.LParam) != handle_) {
        sizing_col_ = -1;
        ColWidthsChanged();
      }
      break;
    case WM_SETCURSOR:
      if (LOWORD(m.LParam) == HTCLIENT) {
        POINT p;
        GetCursorPos(&p);
        ::ScreenToClient(handle_, &p);
        if (sizing_col_ >= 0 || SizingBorderAt(p.x, p.y) >= 0) {
          ::SetCursor(LoadCursorA(nullptr, MAKEINTRESOURCEA(32644)));  // IDC_SIZEWE
          m.Result = 1;
          return;
        }
      }
      break;
    case WM_SIZE:
      TCustomControl::WndProc(m);
      top_row_ = std::clamp(top_row_, 0, MaxTopRow());
      UpdateScrollBar();
      Invalidate();
      return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      TCustomControl::WndProc(m);
      InvalidateRow(row_);
      return;
    case CM_FONTCHANGED:
      TCustomControl::WndProc(m);
      MeasureFonts();
      UpdateScrollBar();
      Invalidate();
      return;
  }
  TCustomControl::WndProc(m);
}

}  // namespace framework
