// Layout of every window the program shows, in the fonts this machine has: each caption and
// label's text, measured with its control's own font, fits inside the control (glyph and
// spacing included for bitmap buttons), each control lies inside its parent, and no two
// sibling controls overlap. A program run driven as a user would brings up the main window,
// the editor in both modes and every message box, and each is checked while it is up.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/fAlterData.h"
#include "app/fMain.h"
#include "app/programdriver_testing.h"
#include "app/uFunctions.h"
#include "framework/bitbtn.h"
#include "framework/dbgrid.h"
#include "framework/groupbox.h"
#include "framework/label.h"
#include "framework/msgdialog.h"
#include "platform/files.h"

using namespace apptest;
using namespace framework;
using Faults = std::vector<std::string>;

namespace {

// The size DrawText needs for `text` in `font`: one line, or lines wrapped at `wrap_width`
// when it is positive. "&" marks an accelerator (drawn underlined, "&&" is one "&") unless
// `prefix` is false.
SIZE TextExtent(TFont& font, const std::string& text, int wrap_width = 0, bool prefix = true) {
  HDC dc = GetDC(nullptr);
  HGDIOBJ old = SelectObject(dc, font.Handle());
  RECT r{0, 0, wrap_width, 0};
  UINT flags = DT_CALCRECT | DT_EXPANDTABS | (wrap_width > 0 ? DT_WORDBREAK : DT_SINGLELINE);
  if (!prefix) flags |= DT_NOPREFIX;
  DrawTextA(dc, text.c_str(), -1, &r, flags);
  SelectObject(dc, old);
  ReleaseDC(nullptr, dc);
  return {r.right - r.left, r.bottom - r.top};
}

std::string NameOf(TControl& c) { return c.Name.empty() ? c.ClassName() : c.Name; }

std::string RectText(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

// Collects the layout faults of one form.
class LayoutCheck {
 public:
  Faults faults;

  void Form(TForm& form) {
    // The caption in the title bar, beside the close box and icon when there are.
    NONCLIENTMETRICSA metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
    TFont caption_font;
    caption_font.AssignLogFont(metrics.lfCaptionFont);
    RECT window;
    GetWindowRect(form.Handle(), &window);
    int frame = ((window.right - window.left) - form.ClientWidth()) / 2;
    int room = (window.right - window.left) - 2 * frame - 4;
    if (GetWindowLongA(form.Handle(), GWL_STYLE) & WS_SYSMENU)
      room -= GetSystemMetrics(SM_CXSIZE) + GetSystemMetrics(SM_CXSMICON);
    SIZE text = TextExtent(caption_font, form.Caption(), 0, false);
    Fits(form, "caption", {text.cx, 0}, {room, 0});
    Children(form);
  }

 private:
  void Fits(TControl& c, const std::string& what, SIZE need, SIZE room) {
    if (need.cx > room.cx || need.cy > room.cy)
      faults.push_back(NameOf(c) + ": " + what + " needs " + std::to_string(need.cx) + "x" +
                       std::to_string(need.cy) + ", has " + std::to_string(room.cx) + "x" +
                       std::to_string(room.cy));
  }

  void Children(TWinControl& parent) {
    std::vector<TControl*> shown;
    for (int i = 0; i < parent.ControlCount(); ++i)
      if (parent.Controls(i)->Visible()) shown.push_back(parent.Controls(i));
    RECT client = parent.ClientRect();
    for (size_t i = 0; i < shown.size(); ++i) {
      RECT bounds = shown[i]->BoundsRect(), inside;
      IntersectRect(&inside, &bounds, &client);
      if (!EqualRect(&inside, &bounds))
        faults.push_back(NameOf(*shown[i]) + " " + RectText(bounds) + " leaves " + NameOf(parent) +
                         " " + RectText(client));
      for (size_t j = i + 1; j < shown.size(); ++j) {
        RECT other = shown[j]->BoundsRect(), common;
        if (IntersectRect(&common, &bounds, &other))
          faults.push_back(NameOf(*shown[i]) + " " + RectText(bounds) + " overlaps " +
                           NameOf(*shown[j]) + " " + RectText(other));
      }
      Control(*shown[i]);
    }
  }

  void Control(TControl& c) {
    // The face of a push button lies inside its three-dimensional edge.
    const SIZE edge{GetSystemMetrics(SM_CXEDGE), GetSystemMetrics(SM_CYEDGE)};
    const SIZE face{c.Width() - 2 * edge.cx, c.Height() - 2 * edge.cy};
    if (auto* b = dynamic_cast<TBitBtn*>(&c)) {
      SIZE text = TextExtent(b->Font(), b->Caption());
      int glyph_w = b->Glyph().Empty() ? 0 : b->Glyph().Width() / b->NumGlyphs();
      int glyph_h = b->Glyph().Empty() ? 0 : b->Glyph().Height();
      int spacing = glyph_w > 0 && text.cx > 0 ? b->Spacing() : 0;
      Fits(c, "glyph and caption", {glyph_w + spacing + text.cx, std::max<LONG>(glyph_h, text.cy)},
           face);
    } else if (auto* button = dynamic_cast<TButton*>(&c)) {
      Fits(c, "caption", TextExtent(button->Font(), button->Caption()), face);
    } else if (auto* label = dynamic_cast<TLabel*>(&c)) {
      SIZE text = TextExtent(label->Font(), label->Caption(), label->WordWrap() ? c.Width() : 0,
                             label->ShowAccelChar());
      Fits(c, "text", text, {c.Width(), c.Height()});
    } else if (auto* box = dynamic_cast<TGroupBox*>(&c)) {
      // The caption is cut into the frame eight pixels from its left end; as much room stays
      // at the right end.
      Fits(c, "caption", TextExtent(box->Font(), box->Caption()), {c.Width() - 16, c.Height()});
    } else if (auto* grid = dynamic_cast<TDBGrid*>(&c)) {
      // Titles are drawn two pixels into their cells.
      for (int col = 0; col < static_cast<int>(grid->Columns().size()) && col < grid->ColCount();
           ++col) {
        const TColumn& column = grid->Columns()[col];
        const std::string& title =
            column.Title.Caption.empty() ? column.FieldName : column.Title.Caption;
        SIZE text = TextExtent(grid->TitleFont(), title, 0, false);
        Fits(c, "title " + title, {2 + text.cx + 2, 2 + text.cy},
             {grid->ColWidth(col), grid->TitleHeight()});
      }
    } else if (dynamic_cast<TCustomEdit*>(&c) || dynamic_cast<TComboBox*>(&c)) {
      // A line of the control's font fits the text area.
      Fits(c, "a line", {0, ScreenTextHeight(c.Font(), "0")},
           {0, static_cast<TWinControl&>(c).ClientHeight()});
    }
    if (auto* w = dynamic_cast<TWinControl*>(&c)) Children(*w);
  }
};

// Checks the framework form whose window is `wnd` (on the UI thread).
void ExpectLaidOut(HWND wnd, const std::string& which) {
  ASSERT_TRUE(wnd) << which << " did not come up";
  Faults faults = OnUiGet<Faults>([&] {
    auto* form = dynamic_cast<TForm*>(TWinControl::FindControl(wnd));
    if (!form) return Faults{"no framework form"};
    LayoutCheck check;
    check.Form(*form);
    return check.faults;
  });
  EXPECT_EQ(faults, Faults{}) << which;
}

// Waits for the program's message box, checks it and presses `button`; returns its text.
std::string CheckBoxAndAnswer(const char* button) {
  HWND box = WaitTopWindow("TMessageForm", "Doziviz");
  if (!box) return "<no box>";
  std::string text = OnUiGet<std::string>([&] {
    auto* form = dynamic_cast<TMessageForm*>(TWinControl::FindControl(box));
    return form && form->Message ? form->Message->Caption() : std::string();
  });
  ExpectLaidOut(box, "message box \"" + text + "\"");
  return Answer("TMessageForm", button);
}

// The system message box (the error box): its text and buttons fit and do not overlap.
void ExpectErrorBoxLaidOut(HWND box) {
  ASSERT_TRUE(box) << "no error box";
  std::vector<std::pair<HWND, RECT>> children;
  for (HWND w = GetWindow(box, GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (!IsWindowVisible(w)) continue;
    RECT r;
    GetWindowRect(w, &r);
    children.emplace_back(w, r);
    char cls[32] = {};
    GetClassNameA(w, cls, sizeof cls);
    std::string text = WindowText(w);
    if (text.empty()) continue;
    RECT client;
    GetClientRect(w, &client);
    HDC dc = GetDC(w);
    HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(w, WM_GETFONT, 0, 0)));
    bool button = std::string(cls) == "Button";
    RECT need{0, 0, button ? 0 : client.right, 0};
    DrawTextA(dc, text.c_str(), -1, &need,
              DT_CALCRECT | (button ? DT_SINGLELINE : DT_WORDBREAK | DT_EXPANDTABS));
    SelectObject(dc, old);
    ReleaseDC(w, dc);
    int edge = button ? 2 * GetSystemMetrics(SM_CXEDGE) : 0;
    EXPECT_LE(need.right + edge, client.right) << cls << " \"" << text << "\"";
    EXPECT_LE(need.bottom, client.bottom) << cls << " \"" << text << "\"";
  }
  for (size_t i = 0; i < children.size(); ++i)
    for (size_t j = i + 1; j < children.size(); ++j) {
      RECT common;
      EXPECT_FALSE(IntersectRect(&common, &children[i].second, &children[j].second))
          << WindowText(children[i].first) << " overlaps " << WindowText(children[j].first);
    }
}

// The program run: every window and box, each checked while it is up.
void DriveEveryWindow() {
  const std::string folder = ExeDirectory();
  const std::string song = folder + "\\song.ini";
  ASSERT_TRUE(platform::ReplaceFileAtomically(song, "la la", 5));
  std::vector<std::string> startup;
  MainWindow m = WaitMainWindow(startup);
  ASSERT_TRUE(m.wnd);
  EXPECT_EQ(startup, std::vector<std::string>{});
  ExpectLaidOut(m.wnd, "main window");
  Click(m.btnPlay);
  EXPECT_EQ(CheckBoxAndAnswer("OK"), "No song file is available");

  // The editor inserting: its checks, the drops it refuses, a whole entry with a song file.
  Click(m.btnNew);
  Dialog d = WaitDialog();
  ExpectLaidOut(d.wnd, "editor, inserting");
  Click(d.ok);
  EXPECT_EQ(CheckBoxAndAnswer("OK"), "The ARTIST field must not be empty");
  Type(d.artist, "Artist");
  Click(d.ok);
  EXPECT_EQ(CheckBoxAndAnswer("OK"), "The TITLE field must not be empty");
  DropFiles(d.wnd, {song, song});
  EXPECT_EQ(CheckBoxAndAnswer("OK"), "Only one file can be dropped");
  DropFiles(d.wnd, {folder});
  EXPECT_EQ(CheckBoxAndAnswer("OK"), "Only file can be dropped");
  Type(d.title, "Title");
  DropFiles(d.wnd, {song});
  OnUi([] {});
  Click(d.ok);
  WaitGone(d.wnd);

  // The editor editing, left through Abort.
  Click(m.btnEdit);
  d = WaitDialog();
  ExpectLaidOut(d.wnd, "editor, editing");
  Click(d.abort);
  EXPECT_EQ(CheckBoxAndAnswer("&Yes"), "Cancel lyric changes?");
  WaitGone(d.wnd);

  ASSERT_TRUE(platform::DeleteFile(song));
  Click(m.btnPlay);
  EXPECT_EQ(CheckBoxAndAnswer("OK"), "Song file doesn't exist");
  Click(m.btnDel);
  EXPECT_EQ(CheckBoxAndAnswer("&No"), "Delete current Lyric?");

  // The shut-down save fails (a folder stands where the table file goes): the error box, then
  // the box naming the recovery file.
  const std::string table = folder + "\\Database\\Lyrics.roZoreda";
  ASSERT_TRUE(platform::DeleteFile(table));
  ASSERT_TRUE(platform::CreateDirectory(table));
  Click(m.btnClose);
  EXPECT_EQ(CheckBoxAndAnswer("&Yes"), "Close Doziviz?");
  HWND error_box = WaitTopWindow("#32770", "Doziviz");
  ExpectErrorBoxLaidOut(error_box);
  Answer("#32770", "OK");
  std::string recovery = CheckBoxAndAnswer("OK");
  const std::string lead = "The lyrics of this run were saved to the recovery file ";
  ASSERT_EQ(recovery.rfind(lead, 0), 0u) << recovery;
  std::string path = recovery.substr(lead.size());
  path = path.substr(0, path.find(".roZoreda") + std::string(".roZoreda").size());
  EXPECT_TRUE(platform::DeleteFile(path)) << path;
  RemoveDirectoryA(table.c_str());
}

}  // namespace

TEST(Layout, EveryWindowAndBoxFitsItsTextsWithoutOverlaps) {
  if (ChildFlow() == "layout") {
    RunProgramWithDriver(DriveEveryWindow);
    return;
  }
  RunFlowInFolder(NewProgramFolder(), "layout");
}
