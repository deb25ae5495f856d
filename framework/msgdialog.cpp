// The message dialog: layout in dialog units, default and cancel buttons, Ctrl+C text.
//
// Metrics (dialog units of the message font: horizontal = average character width / 4,
// vertical = character height / 8): margins 8, icon-text and text-buttons spacing 10, button
// width 50 (or the widest caption + 8 pixels), button height 14, gap between buttons 4. The
// text is word-wrapped to at most half the screen's width; with an icon the text block is at
// least 32 pixels high.
#include "framework/msgdialog.h"

#include <algorithm>
#include <cstring>
#include <memory>

#include "framework/application.h"
#include "framework/button.h"
#include "framework/image.h"
#include "framework/label.h"
#include "framework/screen.h"

namespace framework {

namespace {

constexpr int kHorzMargin = 8, kVertMargin = 8, kHorzSpacing = 10, kVertSpacing = 10;
constexpr int kButtonWidth = 50, kButtonHeight = 14, kButtonSpacing = 4;
constexpr int kDividerLength = 27;

const char* const kCaptions[] = {"&Yes",    "&No",  "OK",         "Cancel",      "&Abort", "&Retry",
                                 "&Ignore", "&All", "N&o to All", "Yes to &All", "&Help"};
const int kResults[] = {mrYes,    mrNo,  mrOk,      mrCancel,   mrAbort, mrRetry,
                        mrIgnore, mrAll, mrNoToAll, mrYesToAll, 0};
const char* const kNames[] = {"Yes",    "No",  "OK",      "Cancel",   "Abort", "Retry",
                              "Ignore", "All", "NoToAll", "YesToAll", "Help"};
const char* const kKindCaptions[] = {"Warning", "Error", "Information", "Confirm"};
const LPCSTR kKindIcons[] = {IDI_EXCLAMATION, IDI_HAND, IDI_ASTERISK, IDI_QUESTION};

// Average character size of the font selected in `dc` (over "A".."Z", "a".."z").
SIZE AverageCharSize(HDC dc) {
  char buf[52];
  for (int i = 0; i < 26; ++i) {
    buf[i] = static_cast<char>('A' + i);
    buf[i + 26] = static_cast<char>('a' + i);
  }
  SIZE s{0, 0};
  GetTextExtentPoint32A(dc, buf, 52, &s);
  return {s.cx / 52, s.cy};
}

RECT CalcText(HDC dc, const std::string& text, int max_width, UINT flags) {
  RECT r{0, 0, max_width, 0};
  DrawTextA(dc, text.c_str(), -1, &r, flags | DT_CALCRECT);
  return r;
}

}  // namespace

const char* MsgDlgButtonCaption(TMsgDlgBtn b) { return kCaptions[b]; }
int MsgDlgButtonResult(TMsgDlgBtn b) { return kResults[b]; }

TMessageForm::TMessageForm(TComponent* owner) : TForm(owner) {
  SetBorderStyle(bsDialog);
  SetBorderIcons(biSystemMenu);
  KeyPreview = true;
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0))
    Font().AssignLogFont(ncm.lfMessageFont);
  OnKeyDown = [this](TObject*, WORD& key, TShiftState shift) { CustomKeyDown(key, shift); };
}

std::string TMessageForm::FormText() {
  const std::string divider = std::string(kDividerLength, '-') + "\r\n";
  std::string buttons;
  for (int i = 0; i < ComponentCount(); ++i)
    if (auto* b = dynamic_cast<TButton*>(Components(i))) buttons += b->Caption() + "   ";
  buttons.erase(std::remove(buttons.begin(), buttons.end(), '&'), buttons.end());
  return divider + Caption() + "\r\n" + divider + (Message ? Message->Caption() : "") + "\r\n" +
         divider + buttons + "\r\n" + divider;
}

void TMessageForm::CustomKeyDown(WORD& key, TShiftState shift) {
  if (shift != ssCtrl || key != 'C') return;
  MessageBeep(0);
  std::string text = FormText();
  if (!OpenClipboard(Handle())) return;
  EmptyClipboard();
  if (HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    if (void* p = GlobalLock(mem)) {
      std::memcpy(p, text.c_str(), text.size() + 1);
      GlobalUnlock(mem);
      if (!SetClipboardData(CF_TEXT, mem)) GlobalFree(mem);
    } else {
      GlobalFree(mem);
    }
  }
  CloseClipboard();
}

TMessageForm* CreateMessageDialog(const std::string& text, TMsgDlgType type,
                                  TMsgDlgButtons buttons) {
  auto form = std::make_unique<TMessageForm>(Application);
  TMessageForm& f = *form;
  ScreenFontDC screen(f.Font().Handle());
  HDC dc = screen.Get();
  SIZE units = AverageCharSize(dc);
  auto hu = [&](int v) { return MulDiv(v, units.cx, 4); };
  auto vu = [&](int v) { return MulDiv(v, units.cy, 8); };
  int horz_margin = hu(kHorzMargin), vert_margin = vu(kVertMargin);
  int horz_spacing = hu(kHorzSpacing), vert_spacing = vu(kVertSpacing);
  int button_width = hu(kButtonWidth), button_height = vu(kButtonHeight);
  int button_spacing = hu(kButtonSpacing);
  int button_count = 0;
  for (int b = 0; b < kMsgDlgBtnCount; ++b) {
    if (!(buttons & (1u << b))) continue;
    ++button_count;
    RECT r = CalcText(dc, kCaptions[b], 0, DT_LEFT | DT_SINGLELINE);
    button_width = std::max<int>(button_width, r.right - r.left + 8);
  }
  RECT text_rect = CalcText(dc, text, Screen->Width() / 2, DT_EXPANDTABS | DT_WORDBREAK);

  bool has_icon = type != mtCustom;
  int icon_text_width = text_rect.right, icon_text_height = text_rect.bottom;
  if (has_icon) {
    icon_text_width += 32 + horz_spacing;
    icon_text_height = std::max(icon_text_height, 32);
  }
  int group_width =
      button_count ? button_width * button_count + button_spacing * (button_count - 1) : 0;
  f.SetClientSize(std::max(icon_text_width, group_width) + horz_margin * 2,
                  icon_text_height + button_height + vert_spacing + vert_margin * 2);
  f.SetBounds(Screen->Width() / 2 - f.Width() / 2, Screen->Height() / 2 - f.Height() / 2, f.Width(),
              f.Height());
  f.SetCaption(has_icon ? kKindCaptions[type] : Application->Title);

  if (has_icon) {
    auto* image = new TImage(&f);
    image->Name = "Image";
    image->SetParent(&f);
    TIcon icon;
    icon.LoadSystem(kKindIcons[type]);
    TCanvas& canvas = image->Picture().Canvas();
    image->Picture().SetSize(32, 32);
    canvas.Brush().SetColor(f.Color());
    canvas.FillRect({0, 0, 32, 32});
    canvas.Draw(0, 0, icon);
    image->SetTransparent(true);
    image->SetBounds(horz_margin, vert_margin, 32, 32);
  }
  auto* message = new TLabel(&f);
  message->Name = "Message";
  message->SetParent(&f);
  message->SetAutoSize(false);
  message->SetWordWrap(true);
  message->SetCaption(text);
  message->SetBounds(icon_text_width - text_rect.right + horz_margin, vert_margin, text_rect.right,
                     text_rect.bottom);
  f.Message = message;

  TMsgDlgBtn default_button = (buttons & (1u << mbOK))    ? mbOK
                              : (buttons & (1u << mbYes)) ? mbYes
                                                          : mbRetry;
  TMsgDlgBtn cancel_button = (buttons & (1u << mbCancel)) ? mbCancel
                             : (buttons & (1u << mbNo))   ? mbNo
                                                          : mbOK;
  int x = (f.ClientWidth() - group_width) / 2;
  for (int b = 0; b < kMsgDlgBtnCount; ++b) {
    if (!(buttons & (1u << b))) continue;
    auto* button = new TButton(&f);
    button->Name = kNames[b];
    button->SetParent(&f);
    button->SetCaption(kCaptions[b]);
    button->ModalResult = kResults[b];
    if (b == default_button) {
      button->SetDefault(true);
      f.SetActiveControl(button);
    }
    if (b == cancel_button) button->Cancel = true;
    button->SetBounds(x, icon_text_height + vert_margin + vert_spacing, button_width,
                      button_height);
    x += button_width + button_spacing;
  }
  return form.release();
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons) {
  std::unique_ptr<TMessageForm> form(CreateMessageDialog(text, type, buttons));
  return form->ShowModal();
}

}  // namespace framework
