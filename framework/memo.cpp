// TMemo: multi-line EDIT styles, lines and dialog codes.
#include "framework/memo.h"

namespace framework {

TMemo::TMemo(TComponent* owner) : TCustomMemo(owner) {
  SetBounds(0, 0, 185, 89);
  AutoSelect = false;
}

void TMemo::CreateParams(TCreateParams& p) {
  TCustomEdit::CreateParams(p);
  p.Style &= ~(ES_AUTOHSCROLL | ES_AUTOVSCROLL);
  p.Style |= ES_MULTILINE | ES_AUTOVSCROLL;
  if (!word_wrap_) p.Style |= ES_AUTOHSCROLL;
  if (scroll_bars_ == ssVertical || scroll_bars_ == ssBoth) p.Style |= WS_VSCROLL;
  if (scroll_bars_ == ssHorizontal || scroll_bars_ == ssBoth) p.Style |= WS_HSCROLL;
}

void TMemo::SetWordWrap(bool value) {
  if (value == word_wrap_) return;
  word_wrap_ = value;
  RecreateWnd();
}

void TMemo::SetScrollBars(TScrollStyle value) {
  if (value == scroll_bars_) return;
  scroll_bars_ = value;
  RecreateWnd();
}

std::vector<std::string> TMemo::Lines() {
  std::vector<std::string> lines;
  std::string text = Text();
  size_t pos = 0;
  while (pos < text.size()) {
    size_t end = text.find("\r\n", pos);
    if (end == std::string::npos) {
      lines.push_back(text.substr(pos));
      break;
    }
    lines.push_back(text.substr(pos, end - pos));
    pos = end + 2;
  }
  return lines;
}

void TMemo::SetLines(const std::vector<std::string>& lines) {
  std::string text;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i) text += "\r\n";
    text += lines[i];
  }
  SetText(text);
}

void TMemo::WndProc(TMessage& m) {
  if (m.Msg == WM_GETDLGCODE) {
    TCustomEdit::WndProc(m);
    if (WantTabs)
      m.Result |= DLGC_WANTTAB;
    else
      m.Result &= ~DLGC_WANTTAB;
    if (!WantReturns) m.Result &= ~DLGC_WANTALLKEYS;
    return;
  }
  TCustomEdit::WndProc(m);
}

}  // namespace framework
