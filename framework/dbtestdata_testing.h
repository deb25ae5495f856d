// Test data for the data-aware controls: a lyrics table (the program's six fields) filled with
// generated records in scrambled order, ordered by "Artist;Title", and a form that shows a
// grid, an edit and a memo bound to it the way the main window does. Test code only.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "dataset/DBClient.h"
#include "framework/dbedit.h"
#include "framework/dbgrid.h"
#include "framework/dbmemo.h"
#include "framework/edit.h"
#include "framework/gui_testing.h"

namespace framework::dbtest {

constexpr TColor kMoneyGreen = RGBColor(192, 220, 192);

// Counts the rows read through the row window (reads of records that are not current).
class TCountingDataSet : public db::TCustomClientDataSet {
 public:
  using db::TCustomClientDataSet::TCustomClientDataSet;
  int row_reads = 0;

 protected:
  bool ReadRecordAt(int recNo, db::TRecordBuffer& buffer) override {
    ++row_reads;
    return db::TCustomClientDataSet::ReadRecordAt(recNo, buffer);
  }
};

// Record j of `count` (count even): artist "Artist %04d" j/2, title "Title A" or "Title B".
// In "Artist;Title" order, record j is row j + 1.
inline std::string ArtistOf(int j) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "Artist %04d", j / 2);
  return buf;
}
inline std::string TitleOf(int j) { return j % 2 ? "Title B" : "Title A"; }
inline std::string SongOf(int j) { return "C:\\Songs\\song" + std::to_string(j) + ".mp3"; }
inline std::string LyricOf(int j) { return "Lyric of record " + std::to_string(j); }

// Creates the lyrics table with `count` records, inserted in a scrambled order (a stride
// coprime to count), then ordered by "Artist;Title" and positioned on the first record.
inline std::unique_ptr<TCountingDataSet> MakeLyrics(int count) {
  auto ds = std::make_unique<TCountingDataSet>("cdsMain");
  ds->FieldDefs().Add("Id", db::ftAutoInc);
  ds->FieldDefs().Add("Artist", db::ftString, 180);
  ds->FieldDefs().Add("Album", db::ftString, 180);
  ds->FieldDefs().Add("Title", db::ftString, 180);
  ds->FieldDefs().Add("Lyric", db::ftMemo);
  ds->FieldDefs().Add("SongFileName", db::ftString, 500);
  ds->CreateDataSet();
  for (int i = 0; i < count; ++i) {
    const int j = static_cast<int>((static_cast<long long>(i) * 7919) % count);
    ds->Append();
    ds->FieldByName("Artist").SetAsString(ArtistOf(j));
    ds->FieldByName("Title").SetAsString(TitleOf(j));
    ds->FieldByName("Album").SetAsString("Album " + std::to_string(j % 7));
    ds->FieldByName("Lyric").SetAsString(LyricOf(j));
    ds->FieldByName("SongFileName").SetAsString(SongOf(j));
    ds->Post();
  }
  ds->SetIndexFieldNames("Artist;Title");
  ds->First();
  return ds;
}

// A form laid out like the main window's data part: the grid (542 x 137, green, the program's
// options and columns), the song file edit and the lyric memo, plus a plain edit to move the
// focus to.
class TfrmData : public TForm {
 public:
  DZ_CLASS(TfrmData, TForm)
  explicit TfrmData(db::TDataSource* source) : TForm(nullptr) {
    SetBorderStyle(bsSingle);
    SetBounds(20, 20, 560, 420);
    grid = new TDBGrid(this);
    grid->SetBounds(2, 58, 542, 137);
    grid->SetColor(kMoneyGreen);
    grid->SetOptions(dgTitles | dgColumnResize | dgColLines | dgRowLines | dgTabs | dgRowSelect |
                     dgConfirmDelete | dgCancelOnExit);
    grid->ReadOnly = true;
    grid->AddColumn("Artist", 120, "Artist");
    grid->AddColumn("Title", 180, "Title");
    grid->AddColumn("Album", 150, "Album");
    grid->SetParent(this);
    song = new TDBEdit(this);
    song->SetBounds(88, 220, 449, 21);
    song->SetParent(this);
    memo = new TDBMemo(this);
    memo->SetBounds(2, 250, 300, 126);
    memo->SetScrollBars(ssVertical);
    memo->SetParent(this);
    other = new TEdit(this);
    other->SetBounds(8, 20, 100, 21);
    other->SetParent(this);
    grid->SetDataSource(source);
    song->SetDataSource(source);
    song->SetDataField("SongFileName");
    memo->SetDataSource(source);
    memo->SetDataField("Lyric");
  }
  ~TfrmData() override {
    grid->SetDataSource(nullptr);
    song->SetDataSource(nullptr);
    memo->SetDataSource(nullptr);
  }
  TDBGrid* grid;
  TDBEdit* song;
  TDBMemo* memo;
  TEdit* other;
};

// Scroll bar position of a window's vertical bar.
inline int ScrollPos(HWND wnd) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(wnd, SB_VERT, &si);
  return si.nPos;
}

// The colour a window shows at client point (x, y), read back from the screen.
inline COLORREF ScreenPixel(HWND wnd, int x, int y) {
  POINT p{x, y};
  ClientToScreen(wnd, &p);
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, p.x, p.y);
  ReleaseDC(nullptr, dc);
  return c;
}

// With the environment variable DZ_SCREENSHOT set to a file name, saves the rectangle of the
// screen that `wnd` covers as a 24-bit BMP there (for looking at the grid by eye).
inline void SaveScreenshotIfAsked(HWND wnd) {
  const char* path = std::getenv("DZ_SCREENSHOT");
  if (!path || !*path) return;
  RECT r;
  GetWindowRect(wnd, &r);
  const int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, w, h);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  BITMAPINFOHEADER bi{};
  bi.biSize = sizeof bi;
  bi.biWidth = w;
  bi.biHeight = h;
  bi.biPlanes = 1;
  bi.biBitCount = 24;
  const int stride = (w * 3 + 3) & ~3;
  std::vector<char> pixels(static_cast<size_t>(stride) * h);
  GetDIBits(mem, bmp, 0, h, pixels.data(), reinterpret_cast<BITMAPINFO*>(&bi), DIB_RGB_COLORS);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof bi;
  fh.bfSize = fh.bfOffBits + static_cast<DWORD>(pixels.size());
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(&fh), sizeof fh);
  out.write(reinterpret_cast<const char*>(&bi), sizeof bi);
  out.write(pixels.data(), static_cast<std::streamsize>(pixels.size()));
}

}  // namespace framework::dbtest
