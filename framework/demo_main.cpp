// A demo of the framework: a window laid out like the lyrics program's main window, built from
// its definition, with bitmap buttons, a message dialog and the error box.
// framework_demo [--screenshot FILE.bmp]
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "framework/application.h"
#include "framework/bitbtn.h"
#include "framework/combobox.h"
#include "framework/edit.h"
#include "framework/formdef.h"
#include "framework/groupbox.h"
#include "framework/label.h"
#include "framework/memo.h"
#include "framework/menus.h"
#include "framework/msgdialog.h"
#include "framework/panel.h"
#include "platform/exceptions.h"

using namespace framework;

namespace {

constexpr TColor kFormColor = 12094311;
constexpr TColor kGreen = RGBColor(192, 220, 192);

// A 16 x 16 picture on a magenta background (its bottom-left pixel, so drawn transparent).
void PaintGlyph(TBitmap& b, TColor ink, int kind) {
  b.SetSize(16, 16);
  TCanvas& c = b.Canvas();
  c.Brush().SetColor(RGBColor(255, 0, 255));
  c.FillRect({0, 0, 16, 16});
  c.Brush().SetColor(clWhite);
  c.Pen().SetColor(clBlack);
  c.Rectangle(3, 1, 13, 15);  // a page
  c.Pen().SetColor(ink);
  if (kind == 1) {  // a cross
    c.MoveTo(5, 4), c.LineTo(12, 11);
    c.MoveTo(11, 4), c.LineTo(4, 11);
  } else if (kind == 2) {  // lines of text
    for (int y = 4; y < 13; y += 3) c.MoveTo(5, y), c.LineTo(11, y);
  }
}

class TfrmDemo : public TForm {
 public:
  DZ_CLASS(TfrmDemo, TForm)
  TEdit* edtSearch = nullptr;
  TComboBox* cbField = nullptr;
  TMemo* dbmLyric = nullptr;
  TBitBtn* btnNew = nullptr;
  TBitBtn* btnDel = nullptr;
  TBitBtn* btnClose = nullptr;

  explicit TfrmDemo(TComponent* owner) : TForm(owner) {
    auto flat = [](TWinControl& c) {
      c.SetBevelInner(bvLowered);
      c.SetBevelOuter(bvRaised);
      c.SetBevelKind(bkFlat);
    };
    auto button = [this](const char* caption, int left, int width, int spacing, int kind,
                         TBitBtn*& field, TNotifyEvent click) {
      return Def<TBitBtn>(caption, field, [=](TBitBtn& b) {
        b.SetBounds(left, 4, width, 21);
        b.SetCaption(caption);
        b.SetSpacing(spacing);
        b.SetTabStop(false);
        PaintGlyph(b.Glyph(), kind == 1 ? clRed : clGreen, kind);
        b.OnClick = click;
      });
    };
    LoadDefinition<TfrmDemo>(
        *this,
        [](TfrmDemo& f) {
          f.SetCaption("Doziviz v1");
          f.SetBorderStyle(bsSingle);
          f.SetBorderIcons(biSystemMenu);
          f.SetClientSize(546, 399);
          f.SetColor(kFormColor);
          f.Font().SetName("MS Sans Serif");
          f.Font().SetHeight(-11);
          f.SetPosition(poDesktopCenter);
        },
        {Def<TGroupBox>(
            "gbDatabase",
            [](TGroupBox& c) {
              c.SetAlign(alClient);
              c.SetCaption("Lyrics");
            },
            {
                Def<TPanel>("Panel1",
                            [](TPanel& c) {
                              c.SetBounds(2, 15, 542, 43);
                              c.SetAlign(alTop);
                              c.SetBevelOuter(bvNone);
                              c.SetColor(kFormColor);
                            },
                            {
                                Def<TLabel>("Label1",
                                            [](TLabel& c) {
                                              c.SetBounds(8, 8, 34, 13);
                                              c.SetCaption("Search");
                                            }),
                                Def<TEdit>("edtSearch", edtSearch,
                                           [&](TEdit& c) {
                                             c.SetBounds(48, 5, 297, 20);
                                             flat(c);
                                             c.SetBorderStyle(bsNone);
                                             c.SetColor(kGreen);
                                           }),
                                Def<TLabel>("Label2",
                                            [](TLabel& c) {
                                              c.SetBounds(360, 8, 22, 13);
                                              c.SetCaption("Field");
                                            }),
                                Def<TComboBox>("cbField", cbField,
                                               [&](TComboBox& c) {
                                                 c.SetBounds(392, 4, 121, 21);
                                                 c.SetStyle(csDropDownList);
                                                 flat(c);
                                                 c.SetColor(kGreen);
                                                 c.SetItems({"Artist", "Title", "Album"});
                                                 c.SetItemIndex(0);
                                               }),
                                Def<TLabel>("Label4",
                                            [](TLabel& c) {
                                              c.SetBounds(48, 27, 154, 13);
                                              c.SetCaption("note: ? can be used as wildcard ");
                                            }),
                            }),
                Def<TPanel>("dbgrdLyrics",
                            [](TPanel& c) {
                              c.SetBounds(2, 58, 542, 137);
                              c.SetAlign(alTop);
                              c.SetColor(kGreen);
                              c.SetCaption("(grid)");
                            }),
                Def<TPanel>(
                    "Panel2",
                    [](TPanel& c) {
                      c.SetBounds(2, 195, 542, 26);
                      c.SetAlign(alTop);
                      c.SetBevelOuter(bvNone);
                      c.SetColor(kFormColor);
                    },
                    {
                        button("Insert Lyric", 8, 78, 1, 0, btnNew,
                               [](TObject*) {
                                 MessageDlg("Close Doziviz?", mtConfirmation,
                                            MsgDlgButtons({mbYes, mbNo}));
                               }),
                        button("Delete Lyric", 162, 84, 1, 1, btnDel,
                               [](TObject*) {
                                 throw Exception(
                                     "Cannot perform this operation on a closed "
                                     "dataset");
                               }),
                        button("Close", 453, 84, 20, 2, btnClose, [this](TObject*) { Close(); }),
                    }),
                Def<TGroupBox>("GroupBox1",
                               [](TGroupBox& c) {
                                 c.SetBounds(2, 221, 542, 168);
                                 c.SetAlign(alTop);
                                 c.SetCaption("Lyric - Song to play");
                               },
                               {
                                   Def<TLabel>("Label3",
                                               [](TLabel& c) {
                                                 c.SetBounds(8, 19, 70, 13);
                                                 c.SetCaption("Song Filename");
                                               }),
                                   Def<TEdit>("dbedtSong",
                                              [&](TEdit& c) {
                                                c.SetBounds(88, 16, 449, 21);
                                                flat(c);
                                                c.SetBorderStyle(bsNone);
                                                c.SetColor(kGreen);
                                                c.SetText("C:\\Music\\song.mp3");
                                              }),
                                   Def<TMemo>("dbmLyric", dbmLyric,
                                              [&](TMemo& c) {
                                                c.SetBounds(2, 40, 538, 126);
                                                c.SetAlign(alBottom);
                                                c.SetScrollBars(ssVertical);
                                                flat(c);
                                                c.SetBorderStyle(bsNone);
                                                c.SetColor(kGreen);
                                                c.Font().SetHeight(-13);
                                                c.SetText("Line one\r\nLine two");
                                              }),
                               }),
            })});
    BuildMenu();
  }

 private:
  // A menu bar with shortcuts: File (New Ctrl+N, Close) and Help (About).
  void BuildMenu() {
    auto* menu = new TMainMenu(this);
    auto item = [this](TMenuItem& parent, const char* caption, TShortCut shortcut,
                       TNotifyEvent click) {
      auto* i = new TMenuItem(this);
      i->SetCaption(caption);
      i->SetShortCut(shortcut);
      i->OnClick = std::move(click);
      parent.Add(i);
      return i;
    };
    TMenuItem* file = item(menu->Items(), "&File", scNone, nullptr);
    item(*file, "&New Lyric", ShortCut('N', ssCtrl), [this](TObject*) { btnNew->Click(); });
    item(*file, "-", scNone, nullptr);
    item(*file, "&Close", scNone, [this](TObject*) { Close(); });
    TMenuItem* help = item(menu->Items(), "&Help", scNone, nullptr);
    item(*help, "&About", ShortCut(VK_F1, 0), [](TObject*) {
      MessageDlg("Doziviz framework demo", mtInformation, MsgDlgButtons({mbOK}));
    });
    SetMenu(menu);
  }
};

// Writes the whole screen as a 24-bit BMP file.
bool SaveScreen(const char* path) {
  int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  TBitmap shot(w, h);
  BitBlt(shot.Canvas().Handle(), 0, 0, w, h, WindowDC().Get(), 0, 0, SRCCOPY);
  GdiFlush();
  FILE* f = std::fopen(path, "wb");
  if (!f) return false;
  int stride = (w * 3 + 3) & ~3;
  BITMAPFILEHEADER fh{};
  BITMAPINFOHEADER ih{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof ih;
  fh.bfSize = fh.bfOffBits + stride * h;
  ih.biSize = sizeof ih;
  ih.biWidth = w;
  ih.biHeight = h;
  ih.biPlanes = 1;
  ih.biBitCount = 24;
  std::fwrite(&fh, sizeof fh, 1, f);
  std::fwrite(&ih, sizeof ih, 1, f);
  std::vector<uint8_t> row(stride, 0);
  for (int y = h - 1; y >= 0; --y) {
    std::memcpy(row.data(), shot.ScanLine(y), static_cast<size_t>(w) * 3);
    std::fwrite(row.data(), stride, 1, f);
  }
  return std::fclose(f) == 0;
}

std::string g_screenshot;

WindowTimer g_screenshot_timer;

void CALLBACK TakeScreenshot(HWND, UINT, UINT_PTR, DWORD) {
  g_screenshot_timer.Stop();
  SaveScreen(g_screenshot.c_str());
  Application->Terminate();
}

}  // namespace

int main(int argc, char** argv) {
  for (int i = 1; i + 1 < argc; ++i)
    if (std::strcmp(argv[i], "--screenshot") == 0) g_screenshot = argv[i + 1];
  Application->Initialize();
  Application->Title = "Doziviz";
  TfrmDemo* form = nullptr;
  Application->CreateForm(form);
  if (!g_screenshot.empty()) g_screenshot_timer.Start(nullptr, 0, 1500, TakeScreenshot);
  Application->Run();
  return 0;
}
