// TComboBox: items, selection and change notifications.
#include "framework/combobox.h"

#include <algorithm>

#include "framework/gdiobjects.h"

namespace framework {

TComboBox::TComboBox(TComponent* owner) : TCustomComboBox(owner) {
  SetBounds(0, 0, 145, 21);
  InitColor(clWindow, false);
  SetTabStop(true);
}

void TComboBox::CreateParams(TCreateParams& p) {
  TWinControl::CreateParams(p);
  p.SysClassName = "COMBOBOX";
  p.Style |= WS_VSCROLL | CBS_AUTOHSCROLL;
  p.Style |= style_ == csDropDownList ? CBS_DROPDOWNLIST
             : style_ == csSimple     ? CBS_SIMPLE
                                      : CBS_DROPDOWN;
  fit_height_ = Height();
  p.Height = DroppedHeight();
}

// The window's height includes the dropped-down list.
int TComboBox::DroppedHeight() const {
  if (style_ == csSimple) return Height();
  return Height() + (item_height_ > 0 ? item_height_ : 16) * DropDownCount + 2;
}

void TComboBox::BoundsChanged() {
  fit_height_ = Height();
  if (!handle_) return;
  SetWindowPos(handle_, nullptr, Left(), Top(), Width(), DroppedHeight(),
               SWP_NOZORDER | SWP_NOACTIVATE);
  FitSelectionField();
}

void TComboBox::BevelChanged() {
  TWinControl::BevelChanged();
  FitSelectionField();
}

// The box makes its window as high as its selection field plus its own frame (WM_SIZE), and
// the bevel is added to that (WM_WINDOWPOSCHANGING); so the field decides the height.
void TComboBox::FitSelectionField() {
  int bevel = 2 * BevelEdgeSize();
  if (!handle_ || style_ == csSimple || bevel == 0) return;
  auto field_height = [this] {
    return static_cast<int>(SendMessageA(handle_, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
  };
  auto set_field_height = [this](int height) {
    SendMessageA(handle_, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
  };
  // How the window's and the drawn field's heights follow the value set is the system's own
  // affair (Wine adds two pixels to the field): setting the current value once shows it.
  int field = field_height();
  set_field_height(field);
  RECT window;
  GetWindowRect(handle_, &window);
  COMBOBOXINFO info{};
  info.cbSize = sizeof info;
  GetComboBoxInfo(handle_, &info);
  int window_offset = (window.bottom - window.top) - field;
  int item_offset = (info.rcItem.bottom - info.rcItem.top) - field;
  TEXTMETRICA metrics{};
  {
    WindowDC dc;
    ScopedSelect font(dc.Get(), Font().Handle());
    GetTextMetricsA(dc.Get(), &metrics);
  }
  int wanted = std::max<int>(fit_height_ - window_offset, metrics.tmHeight - item_offset);
  if (wanted != field) set_field_height(wanted);
}

void TComboBox::CreateWindowDone() {
  for (const std::string& s : items_)
    SendMessageA(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(s.c_str()));
  if (item_height_ > 0) SendMessageA(handle_, CB_SETITEMHEIGHT, 0, item_height_);
  SendMessageA(handle_, CB_SETCURSEL, item_index_, 0);
  if (style_ != csDropDownList && item_index_ < 0) SetWindowTextA(handle_, TextField().c_str());
  FitSelectionField();
}

void TComboBox::DestroyWindowBegin() {
  item_index_ = static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
  TWinControl::DestroyWindowBegin();
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  if (style == style_) return;
  style_ = style;
  RecreateWnd();
}

void TComboBox::SetItemHeight(int height) {
  item_height_ = height;
  if (handle_ && height > 0) SendMessageA(handle_, CB_SETITEMHEIGHT, 0, height);
}

void TComboBox::SetItems(const std::vector<std::string>& items) {
  ClearItems();
  for (const std::string& s : items) AddItem(s);
}

void TComboBox::AddItem(const std::string& item) {
  items_.push_back(item);
  if (handle_) SendMessageA(handle_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void TComboBox::ClearItems() {
  items_.clear();
  item_index_ = -1;
  if (handle_) SendMessageA(handle_, CB_RESETCONTENT, 0, 0);
}

int TComboBox::ItemIndex() {
  if (handle_) item_index_ = static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
  return item_index_;
}

void TComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(items_.size())) index = -1;
  item_index_ = index;
  if (handle_) SendMessageA(handle_, CB_SETCURSEL, index, 0);  // sends no CBN_SELCHANGE
}

std::string TComboBox::Text() {
  if (!handle_ && style_ == csDropDownList)
    return item_index_ >= 0 ? items_[item_index_] : std::string();
  return TWinControl::Text();
}

void TComboBox::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_COMMAND:
      switch (HIWORD(m.WParam)) {
        case CBN_SELCHANGE:
          item_index_ = static_cast<int>(SendMessageA(handle_, CB_GETCURSEL, 0, 0));
          if (item_index_ >= 0 && style_ != csDropDownList)
            SetWindowTextA(handle_, items_[item_index_].c_str());
          Click();
          if (OnSelect)
            OnSelect(this);
          else if (OnChange)
            OnChange(this);
          break;
        case CBN_EDITCHANGE:
          if (OnChange) OnChange(this);
          break;
      }
      return;
    case WM_WINDOWPOSCHANGING: {
      DefaultHandler(m);
      auto* pos = reinterpret_cast<WINDOWPOS*>(m.LParam);
      if (style_ != csSimple && !(pos->flags & SWP_NOSIZE)) pos->cy += 2 * BevelEdgeSize();
      return;
    }
    case CM_FONTCHANGED:
      TWinControl::WndProc(m);
      FitSelectionField();
      return;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORSTATIC: {
      // The combo box's own edit and list take its colours.
      HDC dc = reinterpret_cast<HDC>(m.WParam);
      SetTextColor(dc, ColorToRGB(Font().Color()));
      SetBkColor(dc, ColorToRGB(Color()));
      m.Result = reinterpret_cast<LRESULT>(ColorBrush());
      return;
    }
  }
  TWinControl::WndProc(m);
}

}  // namespace framework
