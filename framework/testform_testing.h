// A test form laid out like the program's main window, built from a definition, with one
// control of every kind. Shared by the framework's GUI tests. Test code only.
#pragma once

#include <string>
#include <vector>

#include "framework/bitbtn.h"
#include "framework/combobox.h"
#include "framework/customcontrol.h"
#include "framework/edit.h"
#include "framework/formdef.h"
#include "framework/groupbox.h"
#include "framework/image.h"
#include "framework/label.h"
#include "framework/memo.h"
#include "framework/panel.h"
#include "framework/scrollbox.h"

namespace framework::testing {

constexpr TColor kFormColor = 12094311;
constexpr TColor kMoneyGreen = RGBColor(192, 220, 192);

// Stands in for the data-aware grid: a custom-painted, focusable windowed control.
class TCustomGrid : public TCustomControl {
 public:
  DZ_CLASS(TCustomGrid, TCustomControl)
  explicit TCustomGrid(TComponent* owner) : TCustomControl(owner) { SetTabStop(true); }

 protected:
  void WndProc(TMessage& m) override {
    if (m.Msg == WM_LBUTTONDOWN) SetFocus();
    if (m.Msg == WM_GETDLGCODE) {
      m.Result = DLGC_WANTARROWS;
      return;
    }
    TCustomControl::WndProc(m);
  }
};
class TStubGrid : public TCustomGrid {
 public:
  DZ_CLASS(TStubGrid, TCustomGrid)
  using TCustomGrid::TCustomGrid;
};

// Records, in Loaded, what the definition had applied by then.
class TLoadProbe : public TComponent {
 public:
  DZ_CLASS(TLoadProbe, TComponent)
  using TComponent::TComponent;
  void Loaded() override {
    TComponent::Loaded();
    tag_at_loaded = Tag;
    owner_components_at_loaded = Owner() ? Owner()->ComponentCount() : 0;
  }
  int tag_at_loaded = -1;
  int owner_components_at_loaded = -1;
};

class TfrmTest : public TForm {
 public:
  DZ_CLASS(TfrmTest, TForm)
  TGroupBox* gbDatabase = nullptr;
  TPanel* Panel1 = nullptr;
  TLabel* Label1 = nullptr;
  TEdit* edtSearch = nullptr;
  TComboBox* cbField = nullptr;
  TStubGrid* dbgrdLyrics = nullptr;
  TPanel* Panel2 = nullptr;
  TBitBtn* btnNew = nullptr;
  TBitBtn* btnClose = nullptr;
  TGroupBox* GroupBox1 = nullptr;
  TEdit* dbedtSong = nullptr;
  TMemo* dbmLyric = nullptr;
  TImage* Image1 = nullptr;
  TScrollBox* ScrollBox1 = nullptr;
  TLoadProbe* Probe = nullptr;
  std::vector<std::string> log;

  explicit TfrmTest(TComponent* owner) : TForm(owner) {
    auto flat = [](TWinControl& c) {
      c.SetBevelInner(bvLowered);
      c.SetBevelOuter(bvRaised);
      c.SetBevelKind(bkFlat);
    };
    LoadDefinition<TfrmTest>(
        *this,
        [](TfrmTest& f) {
          f.SetLeft(261);
          f.SetTop(151);
          f.SetCaption("Doziviz v1");
          f.SetBorderStyle(bsSingle);
          f.SetBorderIcons(0);
          f.SetClientSize(546, 399);
          f.SetColor(kFormColor);
          f.Font().SetName("MS Sans Serif");
          f.Font().SetHeight(-11);
          f.SetPosition(poDesktopCenter);
          f.OnShow = [&f](TObject*) { f.log.push_back("show"); };
          f.OnCreate = [&f](TObject*) { f.log.push_back("create"); };
        },
        {
            Def<TGroupBox>(
                "gbDatabase", gbDatabase,
                [](TGroupBox& c) {
                  c.SetBounds(0, 0, 546, 399);
                  c.SetAlign(alClient);
                  c.SetCaption("Lyrics");
                  c.SetTabOrder(0);
                },
                {
                    // Design tops are only roughly right: alignment stacks them.
                    Def<TPanel>("Panel1", Panel1,
                                [](TPanel& c) {
                                  c.SetBounds(5, 16, 500, 43);
                                  c.SetAlign(alTop);
                                  c.SetBevelOuter(bvNone);
                                  c.SetColor(kFormColor);
                                  c.SetTabOrder(1);
                                },
                                {
                                    Def<TLabel>("Label1", Label1,
                                                [](TLabel& c) {
                                                  c.SetBounds(8, 8, 34, 13);
                                                  c.SetCaption("Search");
                                                }),
                                    Def<TEdit>("edtSearch", edtSearch,
                                               [&](TEdit& c) {
                                                 c.SetBounds(48, 5, 297, 20);
                                                 flat(c);
                                                 c.SetBorderStyle(bsNone);
                                                 c.SetColor(kMoneyGreen);
                                                 c.SetTabOrder(0);
                                                 c.OnChange = [this](TObject*) {
                                                   log.push_back("change:" + edtSearch->Text());
                                                 };
                                               }),
                                    Def<TComboBox>("cbField", cbField,
                                                   [&](TComboBox& c) {
                                                     c.SetBounds(392, 4, 121, 21);
                                                     c.SetStyle(csDropDownList);
                                                     flat(c);
                                                     c.SetColor(kMoneyGreen);
                                                     c.SetItemHeight(13);
                                                     c.SetItems({"Artist", "Title", "Album"});
                                                     c.SetTabOrder(1);
                                                     c.OnChange = [this](TObject*) {
                                                       log.push_back(
                                                           "field:" +
                                                           std::to_string(cbField->ItemIndex()));
                                                     };
                                                   }),
                                }),
                    Def<TStubGrid>("dbgrdLyrics", dbgrdLyrics,
                                   [](TStubGrid& c) {
                                     c.SetBounds(2, 70, 542, 137);
                                     c.SetAlign(alTop);
                                     c.SetColor(kMoneyGreen);
                                     c.SetTabOrder(0);
                                   }),
                    Def<TPanel>("Panel2", Panel2,
                                [](TPanel& c) {
                                  c.SetBounds(2, 199, 542, 26);
                                  c.SetAlign(alTop);
                                  c.SetBevelOuter(bvNone);
                                  c.SetColor(kFormColor);
                                  c.SetTabOrder(3);
                                },
                                {
                                    Def<TBitBtn>("btnNew", btnNew,
                                                 [](TBitBtn& c) {
                                                   c.SetBounds(8, 4, 78, 21);
                                                   c.SetCaption("Insert Lyric");
                                                   c.SetSpacing(1);
                                                   c.SetTabStop(false);
                                                   c.SetTabOrder(0);
                                                 }),
                                    Def<TBitBtn>("btnClose", btnClose,
                                                 [](TBitBtn& c) {
                                                   c.SetBounds(453, 4, 84, 21);
                                                   c.SetCaption("Close");
                                                   c.SetSpacing(20);
                                                   c.SetTabStop(false);
                                                   c.SetTabOrder(1);
                                                 }),
                                }),
                    Def<TGroupBox>("GroupBox1", GroupBox1,
                                   [](TGroupBox& c) {
                                     c.SetBounds(2, 230, 542, 168);
                                     c.SetAlign(alTop);
                                     c.SetCaption("Lyric - Song to play");
                                     c.SetTabOrder(2);
                                   },
                                   {
                                       Def<TEdit>("dbedtSong", dbedtSong,
                                                  [&](TEdit& c) {
                                                    c.SetBounds(88, 16, 449, 21);
                                                    c.SetReadOnly(true);
                                                    flat(c);
                                                    c.SetBorderStyle(bsNone);
                                                    c.SetColor(kMoneyGreen);
                                                    c.SetTabOrder(0);
                                                  }),
                                       Def<TMemo>("dbmLyric", dbmLyric,
                                                  [&](TMemo& c) {
                                                    c.SetBounds(2, 10, 538, 126);
                                                    c.SetAlign(alBottom);
                                                    c.SetReadOnly(true);
                                                    c.SetScrollBars(ssVertical);
                                                    flat(c);
                                                    c.SetBorderStyle(bsNone);
                                                    c.SetColor(kMoneyGreen);
                                                    c.Font().SetHeight(-13);
                                                    c.SetTabOrder(1);
                                                  }),
                                       Def<TImage>("Image1", Image1,
                                                   [](TImage& c) { c.SetBounds(10, 2, 8, 8); }),
                                       Def<TScrollBox>("ScrollBox1", ScrollBox1,
                                                       [](TScrollBox& c) {
                                                         c.SetBounds(300, 1, 40, 14);
                                                         c.SetVisible(false);
                                                       }),
                                   }),
                }),
            Def<TLoadProbe>("Probe", Probe, [](TLoadProbe& c) { c.Tag = 9999; }),
        });
  }
};

}  // namespace framework::testing
