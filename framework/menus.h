// Menus: TMenuItem trees under a TMainMenu (a window's menu bar) or a TPopupMenu (shown with
// TrackPopupMenu). Items have "&" captions, shortcut texts, check marks, a default item,
// images from an image list and owner drawing; HMENUs are built on demand and kept in step.
// Used by forms and by the skin engine, which owner-draws them. UI thread only; items are
// freed by their owner or their parent item, which frees its sub-items with itself.
//
// A window that shows a menu passes its menu messages to DispatchMenuMessage: WM_COMMAND from
// a menu (lParam 0) runs the item's OnClick, WM_MEASUREITEM/WM_DRAWITEM for menus run the
// owner-draw events, WM_INITMENUPOPUP runs the popping sub-menu item's OnClick, and WM_DESTROY
// detaches an attached main menu, so the window does not destroy the menu's handles with it.
// A form attaches its main menu with TMainMenu::AttachTo(form window).
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/bitmap.h"
#include "framework/control.h"
#include "framework/graphics.h"

namespace framework {

class TImageList;
class TMenu;

// A shortcut: a virtual key with scShift/scCtrl/scAlt; 0 = none.
using TShortCut = uint16_t;
constexpr TShortCut scShift = 0x2000;
constexpr TShortCut scCtrl = 0x4000;
constexpr TShortCut scAlt = 0x8000;
constexpr TShortCut scNone = 0;
constexpr TShortCut ShortCut(WORD key, TShiftState shift) {
  return static_cast<TShortCut>((key & 0xFF) | ((shift & ssShift) ? scShift : 0) |
                                ((shift & ssCtrl) ? scCtrl : 0) | ((shift & ssAlt) ? scAlt : 0));
}
// "Ctrl+S", "Shift+Ctrl+F5", "Del"...: modifiers in the order Shift, Ctrl, Alt, then the key.
std::string ShortCutToText(TShortCut shortcut);

// Owner-draw item state (from the DRAWITEMSTRUCT's ODS_* bits).
enum : unsigned {
  odSelected = 1,
  odGrayed = 2,
  odDisabled = 4,
  odChecked = 8,
  odFocused = 16,
  odDefault = 32,
  odHotLight = 64,
  odNoAccel = 128
};
using TOwnerDrawState = unsigned;

using TMenuMeasureItemEvent =
    std::function<void(TObject* sender, TCanvas& canvas, int& width, int& height)>;
using TMenuDrawItemEvent =
    std::function<void(TObject* sender, TCanvas& canvas, const RECT& rect, TOwnerDrawState state)>;

class TMenuItem : public TComponent {
 public:
  DZ_CLASS(TMenuItem, TComponent)
  explicit TMenuItem(TComponent* owner);
  ~TMenuItem() override;  // frees the sub-items and leaves its parent

  // "-" makes a separator; "&" marks the accelerator letter ("&&" is a plain "&").
  const std::string& Caption() const { return caption_; }
  void SetCaption(const std::string& caption);
  TShortCut ShortCut() const { return shortcut_; }
  void SetShortCut(TShortCut shortcut);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool RadioItem() const { return radio_item_; }
  void SetRadioItem(bool radio);
  bool Default() const { return default_; }
  void SetDefault(bool value);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  int ImageIndex() const { return image_index_; }
  void SetImageIndex(int index);
  bool IsLine() const { return caption_ == "-"; }
  // A picture of the item's own, shown when it has no image from the menu's image list.
  // Created on first use; call BitmapChanged after drawing on it.
  TBitmap& Bitmap();
  bool HasBitmap() const { return bitmap_ && !bitmap_->Empty(); }
  // True when the menu's image list has this item's ImageIndex.
  bool HasImage() const;
  void BitmapChanged() { Changed(); }

  // The sub-items.
  int Count() const { return static_cast<int>(items_.size()); }
  TMenuItem* Items(int index) const { return items_.at(index); }
  TMenuItem* Parent() const { return parent_; }
  int MenuIndex() const;  // position among the parent's items, -1 without parent
  void Add(TMenuItem* item);
  void Insert(int index, TMenuItem* item);  // takes `item` away from its previous parent
  void Remove(TMenuItem* item);             // the item is not freed
  int IndexOf(const TMenuItem* item) const;
  void Clear();  // frees every sub-item
  // The menu this item belongs to (through its parents), or null.
  TMenu* GetParentMenu() const;

  // The WM_COMMAND identifier of this item, unique in the program while the item lives.
  UINT Command() const { return command_; }
  // The sub-menu handle (for an item with sub-items, or a menu's root item), built on demand.
  HMENU Handle();
  bool HandleAllocated() const { return handle_ != nullptr; }

  // Runs OnClick (exceptions go to the caller, the window's message handling).
  virtual void Click();

  TNotifyEvent OnClick;
  TMenuMeasureItemEvent OnMeasureItem;
  TMenuDrawItemEvent OnDrawItem;

  // Owner drawing, called through DispatchMenuMessage; the defaults measure/draw caption,
  // shortcut, check mark and image like a plain menu.
  virtual void MeasureItem(TCanvas& canvas, int& width, int& height);
  virtual void DrawItem(TCanvas& canvas, const RECT& rect, TOwnerDrawState state);

 private:
  friend class TMenu;
  // Puts the visible sub-items into our HMENU again (after any change among them).
  void RebuildHandle();
  // Our own entry in the parent's HMENU changed.
  void Changed();
  void DestroyHandle();
  bool IsOwnerDrawn() const;

  std::string caption_;
  TShortCut shortcut_ = scNone;
  bool checked_ = false;
  bool radio_item_ = false;
  bool default_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  int image_index_ = -1;
  std::unique_ptr<TBitmap> bitmap_;
  std::vector<TMenuItem*> items_;
  TMenuItem* parent_ = nullptr;
  TMenu* menu_ = nullptr;  // set on a menu's root item only
  UINT command_ = 0;
  HMENU handle_ = nullptr;
};

enum TBiDiMode { bdLeftToRight, bdRightToLeft, bdRightToLeftNoAlign, bdRightToLeftReadingOnly };
// Whether the menu gives its items accelerator letters itself (kept for painters; captions
// are never rewritten here).
enum TMenuAutoFlag { maAutomatic, maManual, maParent };

// The common part of main and popup menus: the root item, the image list, owner drawing.
class TMenu : public TComponent {
 public:
  DZ_CLASS(TMenu, TComponent)
  explicit TMenu(TComponent* owner);
  ~TMenu() override;

  TMenuItem& Items() { return *items_; }
  HMENU Handle() { return items_->Handle(); }

  TImageList* Images() const { return images_; }
  void SetImages(TImageList* images);  // not owned; forgotten when freed
  // Every item is drawn through MeasureItem/DrawItem (WM_MEASUREITEM/WM_DRAWITEM).
  bool OwnerDraw() const { return owner_draw_; }
  void SetOwnerDraw(bool value);
  // Right-to-left menus put the image side at the right; painters ask IsRightToLeft.
  TBiDiMode BiDiMode = bdLeftToRight;
  bool IsRightToLeft() const { return BiDiMode != bdLeftToRight; }
  TMenuAutoFlag AutoHotkeys = maAutomatic;

  // The item with this command identifier, or null.
  TMenuItem* FindItem(UINT command);
  // Runs the OnClick of the enabled item whose ShortCut is `shortcut`; false when none.
  bool IsShortCut(TShortCut shortcut);
  // Runs the OnClick of the item with this command; false when it is not ours.
  bool DispatchCommand(UINT command);

 protected:
  virtual HMENU CreateMenuHandle() = 0;
  // The menu's HMENU content changed (a main menu redraws its bar).
  virtual void MenuChanged() {}
  void Notification(TComponent* component, TOperation operation) override;

 private:
  friend class TMenuItem;
  void RebuildAll();  // every allocated handle of the tree, after a menu-wide change
  TMenuItem* items_;
  TImageList* images_ = nullptr;
  bool owner_draw_ = false;
};

class TMainMenu : public TMenu {
 public:
  DZ_CLASS(TMainMenu, TMenu)
  explicit TMainMenu(TComponent* owner);
  ~TMainMenu() override;  // detaches from its window first

  // Shows this menu as `window`'s menu bar (SetMenu); null detaches.
  void AttachTo(HWND window);
  HWND Window() const { return window_; }

 protected:
  HMENU CreateMenuHandle() override;
  void MenuChanged() override;

 private:
  HWND window_ = nullptr;
};

enum TPopupAlignment { paLeft, paRight, paCenter };

class TPopupMenu : public TMenu {
 public:
  DZ_CLASS(TPopupMenu, TMenu)
  explicit TPopupMenu(TComponent* owner);
  ~TPopupMenu() override;

  TPopupAlignment Alignment = paLeft;
  TNotifyEvent OnPopup;  // before the menu shows

  // Shows the menu at screen point (x, y) and returns when it closes; the chosen item's
  // OnClick runs when its WM_COMMAND arrives (the next time messages are handled).
  void Popup(int x, int y);
  // The hidden window that owns popped-up menus and receives their messages; it exists while
  // any popup menu does (null otherwise).
  static HWND PopupWindow();

 protected:
  HMENU CreateMenuHandle() override;
};

// Routes a window's menu messages to the menus (see the top of this header). Returns true,
// with `result` set, when the message was a menu message of ours.
bool DispatchMenuMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, LRESULT& result);

}  // namespace framework
