// The data-aware grid over a 10,000-record lyrics table, driven by keys, clicks, the wheel and
// the scroll bar: rows in "Artist;Title" order, the current record and the view in step, the
// scroll bar's position, column resizing, insert state, empty views, the focus-only highlight,
// partial repaints and row reads limited to the rows on screen.
#include <gtest/gtest.h>

#include "framework/dbtestdata_testing.h"
#include "framework/gdiobjects.h"
#include "framework/windowclass.h"

namespace framework::dbtest {
namespace {

using guitest::Pump;

constexpr int kRecords = 10000;

class DBGridTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { shared_ = MakeLyrics(kRecords).release(); }
  static void TearDownTestSuite() {
    delete shared_;
    shared_ = nullptr;
  }
  void SetUp() override {
    ds = shared_;
    ds->SetFilter("");
    ds->SetFiltered(false);
    ds->First();
    source.SetDataSet(ds);
    form = std::make_unique<TfrmData>(&source);
    form->Show();
    grid = form->grid;
    grid->SetFocus();
    Pump(60);
  }
  void TearDown() override {
    form.reset();
    source.SetDataSet(nullptr);
  }
  int RecNo() { return ds->RecNo(); }
  // Client point in the middle of data row `row` (0-based), in the first column.
  POINT RowPoint(int row) {
    RECT r = grid->CellRect(0, row);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }

  static inline TCountingDataSet* shared_ = nullptr;
  TCountingDataSet* ds = nullptr;
  db::TDataSource source;
  std::unique_ptr<TfrmData> form;
  TDBGrid* grid = nullptr;
};

TEST_F(DBGridTest, ShowsTheViewInArtistTitleOrderWithTitlesAndNoIndicator) {
  EXPECT_STREQ(grid->ClassName(), "TDBGrid");
  EXPECT_TRUE(grid->InheritsFrom("TCustomGrid"));
  EXPECT_TRUE(grid->InheritsFrom("TCustomControl"));
  EXPECT_EQ(guitest::WindowClass(grid->Handle()), "TDBGrid");
  EXPECT_EQ(grid->RowCount(), kRecords);
  EXPECT_EQ(grid->Row(), 0);
  ASSERT_EQ(grid->ColCount(), 3);
  for (int row : {0, 1, 2, 5}) {
    EXPECT_EQ(grid->CellText(0, row), ArtistOf(row));
    EXPECT_EQ(grid->CellText(1, row), TitleOf(row));
    EXPECT_EQ(grid->CellText(2, row), "Album " + std::to_string(row % 7));
  }
  EXPECT_EQ(grid->CellText(0, kRecords - 1), ArtistOf(kRecords - 1));
  // No indicator: the first column starts at the left edge; the widths are the columns'.
  RECT first = grid->CellRect(0, -1), second = grid->CellRect(1, 0);
  EXPECT_EQ(first.left, 0);
  EXPECT_EQ(first.right, 120);
  EXPECT_EQ(second.left, 121);  // one line pixel between columns
  EXPECT_EQ(second.right - second.left, 180);
  // Title row first, data rows below it, each followed by a line.
  EXPECT_GT(grid->CellRect(0, 0).top, first.bottom);
  EXPECT_EQ(grid->CellRect(0, 1).top - grid->CellRect(0, 0).bottom, 1);
  EXPECT_TRUE(GetWindowLongA(grid->Handle(), GWL_STYLE) & WS_VSCROLL);
  guitest::PressKey(VK_DOWN);
  Pump(100);
  SaveScreenshotIfAsked(form->Handle());
}

TEST_F(DBGridTest, PaintingReadsOnlyTheRowsOnScreen) {
  ds->row_reads = 0;
  grid->Invalidate();
  grid->Update();
  // Every visible row but the current one (which is the dataset's own buffer), plus at most
  // one partly visible row.
  EXPECT_GT(ds->row_reads, 0);
  EXPECT_LE(ds->row_reads, grid->VisibleRowCount());
  ds->row_reads = 0;
  guitest::PressKey(VK_END);
  Pump();
  EXPECT_EQ(RecNo(), kRecords);
  EXPECT_LE(ds->row_reads, 2 * (grid->VisibleRowCount() + 1));
}

TEST_F(DBGridTest, KeysMoveTheCurrentRecordAndTheViewFollows) {
  const int page = grid->VisibleRowCount();
  EXPECT_GE(page, 5);
  guitest::PressKey(VK_DOWN);
  EXPECT_EQ(RecNo(), 2);
  EXPECT_EQ(grid->Row(), 1);
  guitest::PressKey(VK_RIGHT);  // whole rows are selected: Right is the next record
  EXPECT_EQ(RecNo(), 3);
  guitest::PressKey(VK_LEFT);
  EXPECT_EQ(RecNo(), 2);
  guitest::PressKey(VK_UP);
  guitest::PressKey(VK_UP);  // stays on the first record
  EXPECT_EQ(RecNo(), 1);
  guitest::PressKey(VK_NEXT);
  EXPECT_EQ(RecNo(), 1 + page);
  EXPECT_EQ(grid->TopRow(), page);  // the view moved by a page with it
  EXPECT_EQ(ScrollPos(grid->Handle()), page);
  guitest::PressKey(VK_PRIOR);
  EXPECT_EQ(RecNo(), 1);
  EXPECT_EQ(grid->TopRow(), 0);
  guitest::PressKey(VK_END);
  EXPECT_EQ(RecNo(), kRecords);
  EXPECT_EQ(grid->Row(), kRecords - 1);
  EXPECT_EQ(grid->TopRow(), kRecords - page);
  EXPECT_EQ(ScrollPos(grid->Handle()), kRecords - page);
  RECT last = grid->RowRect(kRecords - 1);
  EXPECT_GT(last.bottom, last.top);  // on screen
  // Past the last row nothing happens: no new record, no state change.
  guitest::PressKey(VK_DOWN);
  guitest::PressKey(VK_INSERT);
  guitest::PressKey(VK_DELETE, false, true);
  EXPECT_EQ(ds->State(), db::dsBrowse);
  EXPECT_EQ(ds->RecordCount(), kRecords);
  EXPECT_EQ(RecNo(), kRecords);
  guitest::PressKey(VK_HOME);
  EXPECT_EQ(RecNo(), 1);
  EXPECT_EQ(grid->TopRow(), 0);
  EXPECT_EQ(ScrollPos(grid->Handle()), 0);
  EXPECT_EQ(grid->CellText(0, grid->Row()), ds->FieldByName("Artist").AsString());
}

TEST_F(DBGridTest, TabLeavesTheGrid) {
  EXPECT_EQ(SendMessageA(grid->Handle(), WM_GETDLGCODE, 0, 0) & DLGC_WANTTAB, 0);
  guitest::PressKey(VK_TAB);
  Pump();
  EXPECT_NE(GetFocus(), grid->Handle());
  EXPECT_EQ(RecNo(), 1);
}

TEST_F(DBGridTest, ClickMakesTheRowCurrentAndDoubleClickFires) {
  int double_clicks = 0;
  grid->OnDblClick = [&](TObject*) { ++double_clicks; };
  form->other->SetFocus();
  POINT p = RowPoint(3);
  guitest::ClickAt(grid->Handle(), p.x, p.y);
  EXPECT_EQ(RecNo(), 4);
  EXPECT_EQ(GetFocus(), grid->Handle());
  // The title row and the empty area right of the columns select nothing.
  guitest::ClickAt(grid->Handle(), 40, 5);
  guitest::ClickAt(grid->Handle(), 500, p.y);
  EXPECT_EQ(RecNo(), 4);
  p = RowPoint(1);
  PostMessageA(grid->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  PostMessageA(grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  PostMessageA(grid->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(p.x, p.y));
  PostMessageA(grid->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(p.x, p.y));
  Pump();
  EXPECT_EQ(RecNo(), 2);
  EXPECT_EQ(double_clicks, 1);
}

TEST_F(DBGridTest, WheelAndScrollBarScrollTheViewInStep) {
  HWND h = grid->Handle();
  const int page = grid->VisibleRowCount();
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(h, SB_VERT, &si);
  EXPECT_EQ(si.nMin, 0);
  EXPECT_EQ(si.nMax, kRecords - 1);
  EXPECT_EQ(static_cast<int>(si.nPage), page);
  EXPECT_EQ(si.nPos, 0);

  PostMessageA(h, WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
  Pump();
  EXPECT_EQ(grid->TopRow(), 3);
  EXPECT_EQ(ScrollPos(h), 3);
  EXPECT_EQ(RecNo(), 1);  // the view scrolls; the current record stays
  EXPECT_EQ(grid->CellText(0, grid->TopRow()), ArtistOf(3));
  PostMessageA(h, WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
  Pump();
  EXPECT_EQ(grid->TopRow(), 0);

  // A click on the bar's down arrow and on the track below the thumb, with the real mouse.
  SCROLLBARINFO sbi{};
  sbi.cbSize = sizeof sbi;
  ASSERT_TRUE(GetScrollBarInfo(h, OBJID_VSCROLL, &sbi));
  const int x = (sbi.rcScrollBar.left + sbi.rcScrollBar.right) / 2;
  const int arrow = GetSystemMetrics(SM_CYVSCROLL);
  auto click = [&](int sx, int sy) {
    SetCursorPos(sx, sy);
    INPUT in[2] = {};
    in[0].type = in[1].type = INPUT_MOUSE;
    in[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    in[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, in, sizeof(INPUT));
    Pump(100);
  };
  click(x, sbi.rcScrollBar.bottom - arrow / 2);
  EXPECT_EQ(grid->TopRow(), 1);
  EXPECT_EQ(ScrollPos(h), 1);
  click(x, sbi.rcScrollBar.bottom - arrow - 3);
  EXPECT_EQ(grid->TopRow(), 1 + page);
  EXPECT_EQ(RecNo(), 1);
  // The bar's "Bottom" command shows the last rows.
  SendMessageA(h, WM_VSCROLL, SB_BOTTOM, 0);
  EXPECT_EQ(grid->TopRow(), kRecords - page);
  EXPECT_EQ(ScrollPos(h), kRecords - page);
  // A key brings the current record back into view.
  guitest::PressKey(VK_DOWN);
  EXPECT_EQ(RecNo(), 2);
  EXPECT_EQ(grid->TopRow(), 1);
}

TEST_F(DBGridTest, DraggingATitleBorderResizesTheColumn) {
  HWND h = grid->Handle();
  PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(120, 6));
  PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(140, 6));
  PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(165, 7));
  PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(165, 7));
  Pump();
  EXPECT_EQ(grid->ColWidth(0), 165);
  EXPECT_EQ(grid->Columns()[0].Width, 165);
  EXPECT_EQ(grid->CellRect(1, 0).left, 166);
  EXPECT_EQ(RecNo(), 1);  // a drag on the title row selects nothing
  // Narrowing below the minimum keeps the column grabbable.
  PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(165, 6));
  PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(-50, 6));
  PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(-50, 6));
  Pump();
  EXPECT_EQ(grid->ColWidth(0), 4);
  // Off a border the title row does not start a drag.
  PostMessageA(h, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(60, 6));
  PostMessageA(h, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(90, 6));
  PostMessageA(h, WM_LBUTTONUP, 0, MAKELPARAM(90, 6));
  Pump();
  EXPECT_EQ(grid->ColWidth(1), 180);
}

TEST_F(DBGridTest, InsertShowsABlankLastRowAndThePostedRecordTakesItsPlace) {
  ds->MoveBy(10);
  ds->Append();
  Pump();
  EXPECT_EQ(grid->RowCount(), kRecords + 1);
  EXPECT_EQ(grid->Row(), kRecords);
  EXPECT_EQ(grid->CellText(0, kRecords), "");
  RECT r = grid->RowRect(kRecords);
  EXPECT_GT(r.bottom, r.top);  // scrolled into view
  EXPECT_EQ(form->song->Text(), "");
  EXPECT_EQ(form->memo->Text(), "");
  ds->FieldByName("Artist").SetAsString("AAA first");
  ds->FieldByName("Title").SetAsString("New");
  EXPECT_EQ(grid->CellText(0, kRecords), "AAA first");  // the row follows the fields
  ds->Post();
  Pump();
  EXPECT_EQ(grid->RowCount(), kRecords + 1);
  EXPECT_EQ(grid->Row(), 0);
  EXPECT_EQ(grid->TopRow(), 0);
  EXPECT_EQ(grid->CellText(0, 0), "AAA first");
  EXPECT_EQ(grid->CellText(0, 1), ArtistOf(0));
  // Cancelling an insert gives the previous record back and removes the blank row.
  ds->MoveBy(5);
  ds->Append();
  ds->Cancel();
  Pump();
  EXPECT_EQ(grid->RowCount(), kRecords + 1);
  EXPECT_EQ(grid->Row(), 5);
  ds->First();
  ds->Delete();  // back to the shared table's content
  EXPECT_EQ(grid->RowCount(), kRecords);
  EXPECT_EQ(grid->CellText(0, 0), ArtistOf(0));
}

TEST_F(DBGridTest, AViewWithoutRecordsShowsOnlyTheTitleRow) {
  ds->SetFilter("Artist like 'nobody%'");
  ds->SetFiltered(true);
  Pump();
  EXPECT_EQ(grid->RowCount(), 0);
  EXPECT_EQ(grid->Row(), -1);
  RECT none = grid->RowRect(0);
  EXPECT_EQ(none.bottom - none.top, 0);
  EXPECT_EQ(form->song->Text(), "");
  EXPECT_EQ(form->memo->Text(), "");
  // Title cell in the fixed colour, the rest of the grid in its own colour.
  const int y = grid->CellRect(0, -1).bottom + 8;
  EXPECT_EQ(ScreenPixel(grid->Handle(), 100, 6), ColorToRGB(grid->FixedColor()));
  EXPECT_EQ(ScreenPixel(grid->Handle(), 100, y), ColorToRGB(kMoneyGreen));
  EXPECT_EQ(ScreenPixel(grid->Handle(), 100, y + 40), ColorToRGB(kMoneyGreen));
  guitest::PressKey(VK_DOWN);
  guitest::PressKey(VK_END);
  EXPECT_EQ(grid->Row(), -1);
}

TEST_F(DBGridTest, TheSelectionIsHighlightedOnlyWhileTheGridHasTheFocus) {
  guitest::PressKey(VK_DOWN);
  Pump();
  RECT r = grid->CellRect(0, 1);
  const int x = r.right - 10, y = (r.top + r.bottom) / 2;
  EXPECT_EQ(ScreenPixel(grid->Handle(), x, y), ColorToRGB(clHighlight));
  EXPECT_EQ(ScreenPixel(grid->Handle(), x, y + grid->RowHeight() + 1), ColorToRGB(kMoneyGreen));
  form->other->SetFocus();
  Pump();
  EXPECT_EQ(ScreenPixel(grid->Handle(), x, y), ColorToRGB(kMoneyGreen));
}

TEST_F(DBGridTest, AMoveOfTheCurrentRecordRepaintsOnlyTheTwoRows) {
  Pump();
  ds->Next();
  RECT update;
  ASSERT_TRUE(GetUpdateRect(grid->Handle(), &update, FALSE));
  EXPECT_EQ(update.top, grid->RowRect(0).top);
  EXPECT_LE(update.bottom, grid->RowRect(1).bottom + 1);
  Pump();
  // A change of the view repaints everything.
  ds->SetFilter("Artist like 'Artist 00%'");
  ds->SetFiltered(true);
  ASSERT_TRUE(GetUpdateRect(grid->Handle(), &update, FALSE));
  EXPECT_EQ(update.top, 0);
  EXPECT_EQ(update.bottom, grid->ClientHeight());
}

TEST_F(DBGridTest, ASearchFilterUpdatesGridEditAndMemoAtOnce) {
  ds->SetFilter("Artist like 'Artist 0042%'");
  ds->SetFiltered(true);
  EXPECT_EQ(grid->RowCount(), 2);
  EXPECT_EQ(grid->Row(), 0);
  EXPECT_EQ(grid->TopRow(), 0);
  EXPECT_EQ(grid->CellText(0, 0), ArtistOf(84));
  EXPECT_EQ(grid->CellText(1, 1), TitleOf(85));
  EXPECT_EQ(form->song->Text(), SongOf(84));
  EXPECT_EQ(form->memo->Text(), LyricOf(84));
  guitest::PressKey(VK_DOWN);
  EXPECT_EQ(form->song->Text(), SongOf(85));
  EXPECT_EQ(form->memo->Text(), LyricOf(85));
  ds->SetFiltered(false);
  EXPECT_EQ(grid->RowCount(), kRecords);
  EXPECT_EQ(grid->CellText(0, grid->Row()), ds->FieldByName("Artist").AsString());
}

}  // namespace
}  // namespace framework::dbtest

namespace framework::dbtest {
namespace {

TEST(DBGridLifetime, CreatingAndFreeingBoundControlsLeavesNoHandlesOrLinks) {
  auto ds = MakeLyrics(40);
  {
    db::TDataSource warm_source;
    warm_source.SetDataSet(ds.get());
    TfrmData warm(&warm_source);
    warm.Show();
    guitest::Pump(10);
  }
  guitest::Pump(10);
  const HandleSnapshot before = HandleSnapshot::Take();
  const int windows = LiveWindowCount();
  for (int i = 0; i < 100; ++i) {
    auto source = std::make_unique<db::TDataSource>();
    source->SetDataSet(ds.get());
    auto form = std::make_unique<TfrmData>(source.get());
    form->Show();
    form->grid->SetFocus();
    guitest::PressKey(i % 2 ? VK_END : VK_HOME);
    form->grid->Update();
    // Every other round the data source goes first: the controls must not touch it again.
    if (i % 2) source.reset();
    ds->Next();
  }
  guitest::Pump(10);
  EXPECT_EQ(LiveWindowCount(), windows);
  for (int k = 0; k < static_cast<int>(HandleKind::Count); ++k)
    EXPECT_EQ(HandleSnapshot::Take().counts[k], before.counts[k]) << "kind " << k;
}

}  // namespace
}  // namespace framework::dbtest
