// Menus of menus.h: item trees, their HMENUs, command dispatch and owner drawing.
#include "framework/menus.h"

#include <algorithm>
#include <unordered_map>

#include "framework/application.h"
#include "framework/gdiobjects.h"
#include "framework/imagelist.h"

namespace framework {
namespace {

// Menu command identifiers live in WM_COMMAND's low word. Below 0x100 we leave room for
// dialog identifiers (IDOK...), so a menu never answers for a dialog button.
constexpr UINT kFirstCommand = 0x100;
// 0xFF00 and up are the MDI client's window-menu entries (kFirstMDIChildCommand).
constexpr UINT kLastCommand = 0xFEFF;
constexpr int kMenuTextGap = 8;      // pixels between check/image column, text and shortcut
constexpr int kSeparatorHeight = 8;  // an owner-drawn separator's height
constexpr char kPopupWindowClass[] = "TPUtilWindow";

// The one module-wide table of live items by command, attached main menus by window, and the
// hidden window of popup menus.
struct MenuRegistry {
  std::unordered_map<UINT, TMenuItem*> items;
  std::vector<UINT> free_commands;
  UINT next_command = kFirstCommand;
  std::unordered_map<HWND, TMainMenu*> attached;
  int popup_menus = 0;
  HWND popup_window = nullptr;

  // 0 when every identifier is taken: such an item shows but cannot be chosen.
  UINT Allocate(TMenuItem* item) {
    UINT id = 0;
    if (!free_commands.empty()) {
      id = free_commands.back();
      free_commands.pop_back();
    } else if (next_command <= kLastCommand) {
      id = next_command++;
    }
    if (id) items[id] = item;
    return id;
  }
  void Release(UINT id) {
    if (!id) return;
    items.erase(id);
    free_commands.push_back(id);
  }
  TMenuItem* Find(ULONG_PTR id) const {
    if (id < kFirstCommand || id > kLastCommand) return nullptr;
    auto it = items.find(static_cast<UINT>(id));
    return it == items.end() ? nullptr : it->second;
  }
  TMenuItem* FindByHandle(HMENU menu) const {
    for (const auto& [id, item] : items) {
      if (item->HandleAllocated() && item->Handle() == menu) return item;
    }
    return nullptr;
  }
};

MenuRegistry& Registry() {
  static MenuRegistry registry;
  return registry;
}

LOGFONTA MenuLogFont() {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof(LOGFONTA), &metrics.lfMenuFont);
  }
  return metrics.lfMenuFont;
}

TOwnerDrawState StateFromOds(UINT ods) {
  TOwnerDrawState s = 0;
  if (ods & ODS_SELECTED) s |= odSelected;
  if (ods & ODS_GRAYED) s |= odGrayed;
  if (ods & ODS_DISABLED) s |= odDisabled;
  if (ods & ODS_CHECKED) s |= odChecked;
  if (ods & ODS_FOCUS) s |= odFocused;
  if (ods & ODS_DEFAULT) s |= odDefault;
  if (ods & ODS_HOTLIGHT) s |= odHotLight;
  if (ods & ODS_NOACCEL) s |= odNoAccel;
  return s;
}

std::string KeyName(WORD key) {
  if ((key >= 'A' && key <= 'Z') || (key >= '0' && key <= '9')) return std::string(1, char(key));
  if (key >= VK_F1 && key <= VK_F24) return "F" + std::to_string(key - VK_F1 + 1);
  if (key >= VK_NUMPAD0 && key <= VK_NUMPAD9) return "Num " + std::to_string(key - VK_NUMPAD0);
  switch (key) {
    case VK_BACK:
      return "BkSp";
    case VK_TAB:
      return "Tab";
    case VK_RETURN:
      return "Enter";
    case VK_ESCAPE:
      return "Esc";
    case VK_SPACE:
      return "Space";
    case VK_PRIOR:
      return "PgUp";
    case VK_NEXT:
      return "PgDn";
    case VK_END:
      return "End";
    case VK_HOME:
      return "Home";
    case VK_LEFT:
      return "Left";
    case VK_UP:
      return "Up";
    case VK_RIGHT:
      return "Right";
    case VK_DOWN:
      return "Down";
    case VK_INSERT:
      return "Ins";
    case VK_DELETE:
      return "Del";
    default:
      return "";
  }
}

}  // namespace

std::string ShortCutToText(TShortCut shortcut) {
  std::string key = KeyName(shortcut & 0xFF);
  if (key.empty()) return "";
  std::string text;
  if (shortcut & scShift) text += "Shift+";
  if (shortcut & scCtrl) text += "Ctrl+";
  if (shortcut & scAlt) text += "Alt+";
  return text + key;
}

// ---------------------------------------------------------------------------------------------
// TMenuItem

TMenuItem::TMenuItem(TComponent* owner) : TComponent(owner) {
  command_ = Registry().Allocate(this);
}

TMenuItem::~TMenuItem() {
  SetDestroying();
  Clear();
  if (parent_) parent_->Remove(this);
  DestroyHandle();
  Registry().Release(command_);
}

void TMenuItem::SetCaption(const std::string& caption) {
  if (caption == caption_) return;
  caption_ = caption;
  Changed();
}

void TMenuItem::SetShortCut(TShortCut shortcut) {
  if (shortcut == shortcut_) return;
  shortcut_ = shortcut;
  Changed();
}

void TMenuItem::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Changed();
}

void TMenuItem::SetRadioItem(bool radio) {
  if (radio == radio_item_) return;
  radio_item_ = radio;
  Changed();
}

void TMenuItem::SetDefault(bool value) {
  if (value == default_) return;
  default_ = value;
  Changed();
}

void TMenuItem::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed();
}

void TMenuItem::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed();
}

void TMenuItem::SetImageIndex(int index) {
  if (index == image_index_) return;
  image_index_ = index;
  Changed();
}

TBitmap& TMenuItem::Bitmap() {
  if (!bitmap_) bitmap_ = std::make_unique<TBitmap>();
  return *bitmap_;
}

int TMenuItem::MenuIndex() const { return parent_ ? parent_->IndexOf(this) : -1; }

int TMenuItem::IndexOf(const TMenuItem* item) const {
  auto it = std::find(items_.begin(), items_.end(), item);
  return it == items_.end() ? -1 : static_cast<int>(it - items_.begin());
}

void TMenuItem::Add(TMenuItem* item) { Insert(Count(), item); }

void TMenuItem::Insert(int index, TMenuItem* item) {
  if (!item || item == this || item->menu_) return;
  for (TMenuItem* p = this; p; p = p->parent_) {
    if (p == item) return;  // an item cannot hold its own ancestor
  }
  if (item->parent_) item->parent_->Remove(item);
  index = std::clamp(index, 0, Count());
  items_.insert(items_.begin() + index, item);
  item->parent_ = this;
  RebuildHandle();
  if (Count() == 1) Changed();  // our entry in the parent now opens a sub-menu
}

void TMenuItem::Remove(TMenuItem* item) {
  int index = IndexOf(item);
  if (index < 0) return;
  items_.erase(items_.begin() + index);
  item->parent_ = nullptr;
  RebuildHandle();
  if (Count() == 0 && !(ComponentState() & csDestroying)) Changed();
}

void TMenuItem::Clear() {
  while (!items_.empty()) delete items_.back();
}

TMenu* TMenuItem::GetParentMenu() const {
  const TMenuItem* root = this;
  while (root->parent_) root = root->parent_;
  return root->menu_;
}

HMENU TMenuItem::Handle() {
  if (!handle_) {
    handle_ = menu_ ? menu_->CreateMenuHandle() : CreatePopupMenu();
    if (!handle_) return nullptr;
    HandleCreated(HandleKind::Menu);
    RebuildHandle();
  }
  return handle_;
}

void TMenuItem::DestroyHandle() {
  if (!handle_) return;
  // Take the sub-menus out first: DestroyMenu would destroy them, and they are their items'.
  while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
  DestroyMenu(handle_);
  HandleDestroyed(HandleKind::Menu);
  handle_ = nullptr;
}

bool TMenuItem::IsOwnerDrawn() const {
  TMenu* menu = GetParentMenu();
  return menu && menu->OwnerDraw();
}

bool TMenuItem::HasImage() const {
  TMenu* menu = GetParentMenu();
  return image_index_ >= 0 && menu && menu->Images() && image_index_ < menu->Images()->Count();
}

void TMenuItem::Changed() {
  if (parent_) parent_->RebuildHandle();
}

void TMenuItem::RebuildHandle() {
  if (!handle_) return;
  while (GetMenuItemCount(handle_) > 0) RemoveMenu(handle_, 0, MF_BYPOSITION);
  UINT position = 0;
  for (TMenuItem* item : items_) {
    if (!item->visible_) continue;
    std::string text = item->caption_;
    if (item->shortcut_) text += "\t" + ShortCutToText(item->shortcut_);
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_DATA | MIIM_SUBMENU;
    if (item->IsLine()) info.fType |= MFT_SEPARATOR;
    if (item->radio_item_) info.fType |= MFT_RADIOCHECK;
    if (item->IsOwnerDrawn()) {
      info.fType |= MFT_OWNERDRAW;  // the text stays ours; DrawItem paints it
    } else if (!item->IsLine()) {
      info.fMask |= MIIM_STRING;
      info.dwTypeData = text.data();
      if (item->HasImage() || item->HasBitmap()) {
        info.fMask |= MIIM_BITMAP;
        info.hbmpItem = HBMMENU_CALLBACK;  // WM_MEASUREITEM/WM_DRAWITEM draw the picture
      }
    }
    if (item->checked_) info.fState |= MFS_CHECKED;
    if (item->default_) info.fState |= MFS_DEFAULT;
    if (!item->enabled_) info.fState |= MFS_GRAYED;
    info.wID = item->command_;
    info.dwItemData = item->command_;
    info.hSubMenu = item->items_.empty() ? nullptr : item->Handle();
    InsertMenuItemA(handle_, position++, TRUE, &info);
  }
  if (TMenu* menu = GetParentMenu()) menu->MenuChanged();
}

void TMenuItem::Click() {
  if (enabled_ && OnClick) OnClick(this);
}

void TMenuItem::MeasureItem(TCanvas& canvas, int& width, int& height) {
  TMenu* menu = GetParentMenu();
  TImageList* images = menu ? menu->Images() : nullptr;
  bool on_bar = parent_ && parent_->menu_ && dynamic_cast<TMainMenu*>(parent_->menu_);
  if (IsLine()) {
    width = kMenuTextGap;
    height = kSeparatorHeight;
  } else {
    RECT r{0, 0, 0, 0};
    canvas.TextRect(r, caption_, DT_CALCRECT | DT_SINGLELINE);
    width = r.right + 2 * kMenuTextGap;
    height = std::max<int>(r.bottom + 4, GetSystemMetrics(SM_CYMENU));
    if (!on_bar) {
      int column = std::max<int>(GetSystemMetrics(SM_CXMENUCHECK), images ? images->Width() : 0);
      width += column;
      if (shortcut_) width += kMenuTextGap + canvas.TextWidth(ShortCutToText(shortcut_));
      if (images) height = std::max(height, images->Height() + 4);
    }
  }
  if (OnMeasureItem) OnMeasureItem(this, canvas, width, height);
}

void TMenuItem::DrawItem(TCanvas& canvas, const RECT& rect, TOwnerDrawState state) {
  if (OnDrawItem) {
    OnDrawItem(this, canvas, rect, state);
    return;
  }
  TMenu* menu = GetParentMenu();
  TImageList* images = menu ? menu->Images() : nullptr;
  bool selected = (state & odSelected) != 0;
  bool disabled = (state & (odDisabled | odGrayed)) != 0;
  canvas.Brush().SetColor(selected && !disabled ? clHighlight : clMenu);
  canvas.FillRect(rect);
  if (IsLine()) {
    int y = (rect.top + rect.bottom) / 2;
    canvas.Pen().SetColor(clBtnShadow);
    canvas.MoveTo(rect.left + 1, y);
    canvas.LineTo(rect.right - 1, y);
    canvas.Pen().SetColor(clBtnHighlight);
    canvas.MoveTo(rect.left + 1, y + 1);
    canvas.LineTo(rect.right - 1, y + 1);
    return;
  }
  bool on_bar = parent_ && parent_->menu_ && dynamic_cast<TMainMenu*>(parent_->menu_);
  int column =
      on_bar ? 0 : std::max<int>(GetSystemMetrics(SM_CXMENUCHECK), images ? images->Width() : 0);
  if (!on_bar && HasImage()) {
    images->Draw(canvas, rect.left + 2, (rect.top + rect.bottom - images->Height()) / 2,
                 image_index_, !disabled);
  } else if (!on_bar && HasBitmap()) {
    int size = std::min<int>(column, rect.bottom - rect.top - 2);
    int top = (rect.top + rect.bottom - size) / 2;
    canvas.StretchDraw(RECT{rect.left + 2, top, rect.left + 2 + size, top + size}, *bitmap_);
  } else if (!on_bar && checked_) {
    int size = GetSystemMetrics(SM_CXMENUCHECK);
    RECT check{rect.left + 2, (rect.top + rect.bottom - size) / 2, 0, 0};
    check.right = check.left + size;
    check.bottom = check.top + size;
    DrawFrameControl(canvas.Handle(), &check, DFC_MENU,
                     radio_item_ ? DFCS_MENUBULLET : DFCS_MENUCHECK);
  }
  canvas.Brush().SetStyle(bsClear);
  canvas.Font().SetColor(disabled ? clGrayText : selected ? clHighlightText : clMenuText);
  if (default_) canvas.Font().SetStyle(canvas.Font().Style() | fsBold);
  RECT text{rect.left + column + kMenuTextGap, rect.top, rect.right - kMenuTextGap, rect.bottom};
  UINT format = DT_SINGLELINE | DT_VCENTER | (on_bar ? DT_CENTER : DT_LEFT);
  if (state & odNoAccel) format |= DT_HIDEPREFIX;
  canvas.TextRect(text, caption_, format);
  if (shortcut_ && !on_bar) canvas.TextRect(text, ShortCutToText(shortcut_), format | DT_RIGHT);
}

// ---------------------------------------------------------------------------------------------
// TMenu

TMenu::TMenu(TComponent* owner) : TComponent(owner), items_(new TMenuItem(this)) {
  items_->menu_ = this;
}

TMenu::~TMenu() {
  SetDestroying();
  delete items_;  // frees the whole tree and its handles
}

void TMenu::RebuildAll() {
  std::vector<TMenuItem*> stack{items_};
  while (!stack.empty()) {
    TMenuItem* item = stack.back();
    stack.pop_back();
    item->RebuildHandle();
    for (TMenuItem* child : item->items_) stack.push_back(child);
  }
}

void TMenu::SetImages(TImageList* images) {
  if (images == images_) return;
  if (images_) images_->RemoveFreeNotification(this);
  images_ = images;
  if (images_) images_->FreeNotification(this);
  RebuildAll();
}

void TMenu::SetOwnerDraw(bool value) {
  if (value == owner_draw_) return;
  owner_draw_ = value;
  RebuildAll();
}

void TMenu::Notification(TComponent* component, TOperation operation) {
  TComponent::Notification(component, operation);
  if (operation == opRemove && component == images_) {
    images_ = nullptr;
    if (!(ComponentState() & csDestroying)) RebuildAll();
  }
}

TMenuItem* TMenu::FindItem(UINT command) {
  TMenuItem* item = Registry().Find(command);
  return item && item->GetParentMenu() == this ? item : nullptr;
}

bool TMenu::DispatchCommand(UINT command) {
  TMenuItem* item = FindItem(command);
  if (!item) return false;
  item->Click();
  return true;
}

bool TMenu::IsShortCut(TShortCut shortcut) {
  if (!shortcut) return false;
  std::vector<TMenuItem*> stack{items_};
  while (!stack.empty()) {
    TMenuItem* item = stack.back();
    stack.pop_back();
    if (!item->Enabled() || !item->Visible()) continue;
    if (item != items_ && item->ShortCut() == shortcut) {
      item->Click();
      return true;
    }
    for (TMenuItem* child : item->items_) stack.push_back(child);
  }
  return false;
}

// ---------------------------------------------------------------------------------------------
// TMainMenu

TMainMenu::TMainMenu(TComponent* owner) : TMenu(owner) {}

TMainMenu::~TMainMenu() { AttachTo(nullptr); }

HMENU TMainMenu::CreateMenuHandle() { return CreateMenu(); }

void TMainMenu::AttachTo(HWND window) {
  if (window == window_) return;
  if (window_) {
    if (IsWindow(window_) && GetMenu(window_) == Handle()) SetMenu(window_, nullptr);
    Registry().attached.erase(window_);
  }
  window_ = window;
  if (window_) {
    Registry().attached[window_] = this;
    SetMenu(window_, Handle());
  }
}

void TMainMenu::MenuChanged() {
  if (window_) DrawMenuBar(window_);
}

// ---------------------------------------------------------------------------------------------
// TPopupMenu and its hidden window

namespace {

LRESULT CALLBACK PopupWindowProc(HWND wnd, UINT msg, WPARAM wp, LPARAM lp) {
  LRESULT result = 0;
  try {
    if (DispatchMenuMessage(wnd, msg, wp, lp, result)) return result;
  } catch (...) {
    if (Application) Application->HandleException(nullptr);
    return 0;
  }
  return DefWindowProcA(wnd, msg, wp, lp);
}

}  // namespace

TPopupMenu::TPopupMenu(TComponent* owner) : TMenu(owner) { ++Registry().popup_menus; }

TPopupMenu::~TPopupMenu() {
  MenuRegistry& r = Registry();
  if (--r.popup_menus == 0 && r.popup_window) {
    DestroyWindow(r.popup_window);
    HandleDestroyed(HandleKind::Window);
    r.popup_window = nullptr;
  }
}

HMENU TPopupMenu::CreateMenuHandle() { return CreatePopupMenu(); }

HWND TPopupMenu::PopupWindow() {
  MenuRegistry& r = Registry();
  if (!r.popup_window && r.popup_menus > 0) {  // lives only while a popup menu does
    WNDCLASSA wc{};
    if (!GetClassInfoA(GetModuleHandleA(nullptr), kPopupWindowClass, &wc)) {
      wc.lpfnWndProc = PopupWindowProc;
      wc.hInstance = GetModuleHandleA(nullptr);
      wc.lpszClassName = kPopupWindowClass;
      RegisterClassA(&wc);
    }
    r.popup_window = CreateWindowExA(WS_EX_TOOLWINDOW, kPopupWindowClass, "", WS_POPUP, 0, 0, 0, 0,
                                     nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    if (r.popup_window) HandleCreated(HandleKind::Window);
  }
  return r.popup_window;
}

void TPopupMenu::Popup(int x, int y) {
  if (OnPopup) OnPopup(this);
  static constexpr UINT kAlign[] = {TPM_LEFTALIGN, TPM_RIGHTALIGN, TPM_CENTERALIGN};
  HWND owner = PopupWindow();
  HMENU menu = Handle();
  if (!owner || !menu) return;
  TrackPopupMenu(menu, kAlign[Alignment] | TPM_RIGHTBUTTON, x, y, 0, owner, nullptr);
}

// ---------------------------------------------------------------------------------------------
// Message routing

namespace {

void MeasureMenuItem(TMenuItem& item, MEASUREITEMSTRUCT& mis) {
  int width = static_cast<int>(mis.itemWidth), height = static_cast<int>(mis.itemHeight);
  TMenu* menu = item.GetParentMenu();
  if (menu && menu->OwnerDraw()) {
    MemoryDC dc;
    TCanvas canvas(dc.Get());
    canvas.Font().AssignLogFont(MenuLogFont());
    item.MeasureItem(canvas, width, height);
  } else if (item.HasImage()) {  // the picture of a plain item (HBMMENU_CALLBACK)
    width = menu->Images()->Width();
    height = menu->Images()->Height();
  } else if (item.HasBitmap()) {
    width = item.Bitmap().Width();
    height = item.Bitmap().Height();
  }
  mis.itemWidth = static_cast<UINT>(std::max(width, 0));
  mis.itemHeight = static_cast<UINT>(std::max(height, 0));
}

void DrawMenuItem(TMenuItem& item, const DRAWITEMSTRUCT& dis) {
  TMenu* menu = item.GetParentMenu();
  TCanvas canvas(dis.hDC);
  TOwnerDrawState state = StateFromOds(dis.itemState);
  if (menu && menu->OwnerDraw()) {
    canvas.Font().AssignLogFont(MenuLogFont());
    item.DrawItem(canvas, dis.rcItem, state);
  } else if (item.HasImage()) {
    TImageList& images = *menu->Images();
    int y = (dis.rcItem.top + dis.rcItem.bottom - images.Height()) / 2;
    images.Draw(canvas, dis.rcItem.left, y, item.ImageIndex(), !(state & (odDisabled | odGrayed)));
  } else if (item.HasBitmap()) {
    int y = (dis.rcItem.top + dis.rcItem.bottom - item.Bitmap().Height()) / 2;
    canvas.Draw(dis.rcItem.left, y, item.Bitmap());
  }
}

}  // namespace

bool DispatchMenuMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result) {
  MenuRegistry& r = Registry();
  switch (message) {
    case WM_COMMAND: {
      if (HIWORD(wparam) != 0 || lparam != 0) return false;  // a control or an accelerator
      TMenuItem* item = r.Find(LOWORD(wparam));
      if (!item) return false;
      result = 0;
      item->Click();
      return true;
    }
    case WM_MEASUREITEM: {
      auto* mis = reinterpret_cast<MEASUREITEMSTRUCT*>(lparam);
      if (!mis || mis->CtlType != ODT_MENU) return false;
      TMenuItem* item = r.Find(mis->itemData);
      if (!item) return false;
      MeasureMenuItem(*item, *mis);
      result = TRUE;
      return true;
    }
    case WM_DRAWITEM: {
      auto* dis = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
      if (!dis || dis->CtlType != ODT_MENU) return false;
      TMenuItem* item = r.Find(dis->itemData);
      if (!item) return false;
      DrawMenuItem(*item, *dis);
      result = TRUE;
      return true;
    }
    case WM_INITMENUPOPUP: {
      TMenuItem* item = r.FindByHandle(reinterpret_cast<HMENU>(wparam));
      if (!item) return false;
      if (item->Parent()) item->Click();  // a sub-menu opens: its item's OnClick
      result = 0;
      return true;
    }
    case WM_DESTROY: {
      auto it = r.attached.find(window);
      if (it != r.attached.end()) it->second->AttachTo(nullptr);
      return false;  // the window goes on with its own destruction
    }
    default:
      return false;
  }
}

}  // namespace framework
