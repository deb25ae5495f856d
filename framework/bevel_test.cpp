// Bevels in the non-client area, read back from the window as drawn: the ring around the client
// area and the scroll bars, and a bevelled drop-down list that keeps the height it was given
// with its selection field inside its own frame.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "framework/bitmap.h"
#include "framework/combobox.h"
#include "framework/gui_testing.h"
#include "framework/memo.h"

namespace framework {
namespace {

using guitest::Pump;

// The window as it is drawn, frame included.
std::unique_ptr<TBitmap> WindowPicture(HWND wnd) {
  RECT r;
  GetWindowRect(wnd, &r);
  auto picture = std::make_unique<TBitmap>(r.right - r.left, r.bottom - r.top);
  HDC dc = GetWindowDC(wnd);
  BitBlt(picture->Canvas().Handle(), 0, 0, picture->Width(), picture->Height(), dc, 0, 0, SRCCOPY);
  ReleaseDC(wnd, dc);
  GdiFlush();
  return picture;
}

// The bevel ring a control of `control`'s size and bevel cuts must show: the flat edges of
// those cuts drawn on a bitmap of its window's size.
std::unique_ptr<TBitmap> FlatBevelPicture(TWinControl& control) {
  RECT r;
  GetWindowRect(control.Handle(), &r);
  OffsetRect(&r, -r.left, -r.top);
  auto picture = std::make_unique<TBitmap>(r.right, r.bottom);
  UINT inner = control.BevelInner() == bvLowered ? BDR_SUNKENINNER : BDR_RAISEDINNER;
  UINT outer = control.BevelOuter() == bvLowered ? BDR_SUNKENOUTER : BDR_RAISEDOUTER;
  DrawEdge(picture->Canvas().Handle(), &r, inner | outer, BF_RECT | BF_FLAT);
  GdiFlush();
  return picture;
}

// The pixels of the outer `edge` rows and columns in which two pictures differ (all of them
// when their sizes differ).
int RingDifferences(TBitmap& a, TBitmap& b, int edge) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return a.Width() * a.Height();
  int differences = 0;
  for (int y = 0; y < a.Height(); ++y)
    for (int x = 0; x < a.Width(); ++x) {
      bool ring = x < edge || y < edge || x >= a.Width() - edge || y >= a.Height() - edge;
      if (ring) differences += std::memcmp(a.ScanLine(y) + 3 * x, b.ScanLine(y) + 3 * x, 3) != 0;
    }
  return differences;
}

void Flat(TCustomEdit& c) {
  c.SetBevelKind(bkFlat);
  c.SetBevelInner(bvLowered);
  c.SetBevelOuter(bvRaised);
  c.SetBorderStyle(bsNone);
}

class BevelTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form = std::make_unique<TForm>(nullptr);
    form->SetBounds(40, 40, 400, 300);
    form->Font().SetName("MS Sans Serif");
    form->Font().SetHeight(-11);
  }
  template <class T>
  T* Add(int left, int top, int width, int height) {
    auto* c = new T(form.get());
    c->SetParent(form.get());
    c->SetBounds(left, top, width, height);
    return c;
  }
  void ShowForm() {
    form->Show();
    Pump(100);
  }

  std::unique_ptr<TForm> form;
};

TEST_F(BevelTest, SurroundsAMemosClientAreaAndScrollBar) {
  auto* memo = Add<TMemo>(10, 10, 200, 100);
  Flat(*memo);
  memo->SetScrollBars(ssVertical);
  ShowForm();

  // The bar sits inside the two bevel pixels on the right, top and bottom.
  HWND wnd = memo->Handle();
  SCROLLBARINFO bar{};
  bar.cbSize = sizeof bar;
  ASSERT_TRUE(GetScrollBarInfo(wnd, OBJID_VSCROLL, &bar));
  RECT window;
  GetWindowRect(wnd, &window);
  EXPECT_EQ(bar.rcScrollBar.right, window.right - 2);
  EXPECT_EQ(bar.rcScrollBar.top, window.top + 2);
  EXPECT_EQ(bar.rcScrollBar.bottom, window.bottom - 2);
  // The ring is drawn all round (no unpainted strip beside the bar).
  EXPECT_EQ(RingDifferences(*WindowPicture(wnd), *FlatBevelPicture(*memo), 2), 0);
}

TEST_F(BevelTest, DropDownListKeepsItsHeightWithTheFieldInsideItsFrame) {
  auto* combo = Add<TComboBox>(10, 10, 121, 21);
  combo->SetStyle(csDropDownList);
  combo->SetBevelKind(bkFlat);
  combo->SetItemHeight(13);
  combo->SetItems({"Artist", "Title", "Album"});
  combo->SetItemIndex(1);
  ShowForm();

  TEXTMETRICA metrics{};
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, combo->Font().Handle());
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);

  for (int height : {21, 25}) {
    SCOPED_TRACE(height);
    combo->SetBounds(10, 10, 121, height);
    Pump();
    HWND wnd = combo->Handle();
    RECT window, client;
    GetWindowRect(wnd, &window);
    GetClientRect(wnd, &client);
    EXPECT_EQ(window.bottom - window.top, height);
    EXPECT_EQ(combo->Height(), height);
    EXPECT_EQ(client.bottom, height - 4);  // the bevel's two pixels above and below
    // The field and the button lie inside the client area, the field centred in it and a
    // line of the font high at least.
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(wnd, &info));
    EXPECT_GE(info.rcItem.top, 1);
    EXPECT_EQ(info.rcItem.top, client.bottom - info.rcItem.bottom);
    EXPECT_LE(info.rcButton.bottom, client.bottom);
    EXPECT_GE(info.rcItem.bottom - info.rcItem.top, metrics.tmHeight);
  }
  combo->SetBounds(10, 10, 121, 21);
  Pump();
  EXPECT_EQ(RingDifferences(*WindowPicture(combo->Handle()), *FlatBevelPicture(*combo), 2), 0);
}

}  // namespace
}  // namespace framework
