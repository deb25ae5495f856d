// TForm: a top-level window built from its definition. Border styles and icons, position
// (designed, screen or desktop centre), show/close events with close actions, modal showing
// with ModalResult, the active control and Tab handling. The first form made by
// Application->CreateForm is the main form; closing it ends the program. UI thread only.
// Forms are freed by their owner (Application) or by Release/caFree after a close.
// A form may show a main menu (Menu, not owned) and be an MDI frame (fsMDIForm: an MDICLIENT
// window holds the children) or an MDI child (fsMDIChild: a child of the main form's MDICLIENT).
// Destruction frees the owned components first, while the form, its window and its handler
// are whole (OnDestroy has run by then).
#pragma once

#include <memory>
#include <vector>

#include "framework/wincontrol.h"

namespace framework {

class TMainMenu;
class TIcon;

// Size limits of a form's window, in pixels (0: no limit). The window manager honours them
// when the user resizes (WM_GETMINMAXINFO); SetBounds clamps to them too.
struct TSizeConstraints {
  int MinWidth = 0;
  int MinHeight = 0;
  int MaxWidth = 0;
  int MaxHeight = 0;
  bool operator==(const TSizeConstraints&) const = default;
  // `size` clamped to the limits along one axis.
  static int Clamp(int size, int min, int max) {
    if (max > 0 && size > max) size = max;
    if (min > 0 && size < min) size = min;
    return size;
  }
};

// Set before the window exists; an MDI child needs the main form to be the MDI frame.
enum TFormStyle { fsNormal, fsMDIChild, fsMDIForm };
// The MDICLIENT numbers its window-menu entries from here (above every menu item's command).
constexpr UINT kFirstMDIChildCommand = 0xFF00;

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog, bsToolWindow, bsSizeToolWin };
using TBorderStyle = TFormBorderStyle;  // controls use bsNone / bsSingle

enum TBorderIcon : uint8_t { biSystemMenu = 1, biMinimize = 2, biMaximize = 4, biHelp = 8 };
using TBorderIcons = uint8_t;

enum TPosition {
  poDesigned,
  poDefault,
  poDefaultPosOnly,
  poDefaultSizeOnly,
  poScreenCenter,
  poDesktopCenter,
  poMainFormCenter,
  poOwnerFormCenter
};

enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0, mrOk = 1, mrCancel = 2, mrAbort = 3, mrRetry = 4, mrIgnore = 5,
                       mrYes = 6, mrNo = 7, mrAll = 8, mrNoToAll = 9, mrYesToAll = 10;

using TCloseEvent = std::function<void(TObject* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TObject* sender, bool& can_close)>;

class TForm : public TWinControl {
 public:
  DZ_CLASS(TForm, TWinControl)
  explicit TForm(TComponent* owner);
  ~TForm() override;  // fires OnDestroy first

  TFormBorderStyle BorderStyle() const { return border_style_; }
  void SetBorderStyle(TFormBorderStyle style);
  TBorderIcons BorderIcons() const { return border_icons_; }
  void SetBorderIcons(TBorderIcons icons);
  TPosition Position() const { return position_; }
  void SetPosition(TPosition position) { position_ = position; }

  const TSizeConstraints& Constraints() const { return constraints_; }
  // Applies the limits at once (a window outside them is resized).
  void SetConstraints(const TSizeConstraints& constraints);
  void SetBounds(int left, int top, int width, int height) override;

  // The window's icon (caption and task switcher); while it is empty the application's icon.
  // Changing it (LoadFromResourceName, Assign, SetHandle) updates the window.
  TIcon& Icon() { return *icon_; }

  // The menu bar; not owned, forgotten when freed. ClientHeight stays the height below it.
  TMainMenu* Menu() const { return menu_; }
  void SetMenu(TMainMenu* menu);
  // Runs the menu item (of this form, or of the MDI frame for a child) with this shortcut;
  // false when none has it. The application's key handling calls it before the controls'.
  bool IsShortCut(WORD key, TShiftState shift);

  TFormStyle FormStyle() const { return form_style_; }
  void SetFormStyle(TFormStyle style);  // before the window exists
  // MDI frame: the MDICLIENT window (null before the window exists or for other styles), the
  // children in z-order (the active one first) and the active child.
  HWND ClientHandle() const { return client_handle_; }
  int MDIChildCount() const;
  TForm* MDIChildren(int index) const;
  TForm* ActiveMDIChild() const;
  // Activates the next MDI child (as Ctrl+F6 does).
  void Next();

  TWinControl* ActiveControl() const { return active_control_; }
  void SetActiveControl(TWinControl* control);
  // Keys go to the form's OnKeyDown/OnKeyPress before the focused control's.
  bool KeyPreview = false;

  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult result) { modal_result_ = result; }
  bool Modal() const { return modal_; }
  // Shows the form and runs a message loop until ModalResult is set (or the program is told
  // to end meanwhile; a form shown while it ends runs to its answer); the other windows of the
  // program are disabled meanwhile. Returns ModalResult.
  TModalResult ShowModal();
  // Asks to close: a modal form gets ModalResult mrCancel; otherwise OnCloseQuery and OnClose
  // decide (caHide hides, caFree releases, caNone keeps it); the main form ends the program.
  void Close();
  bool CloseQuery();
  // Frees the form once the messages now queued for it are handled.
  void Release();
  bool Active() const;

  // Fired after the definition has been applied (LoadDefinition), and by CreateForm.
  void DoCreate();

  TNotifyEvent OnCreate;
  TNotifyEvent OnShow;
  TNotifyEvent OnHide;
  TNotifyEvent OnDestroy;
  TNotifyEvent OnActivate;
  TNotifyEvent OnDeactivate;
  TNotifyEvent OnPaint;
  TCloseEvent OnClose;
  TCloseQueryEvent OnCloseQuery;

 protected:
  void CreateParams(TCreateParams& params) override;
  void CreateWindowDone() override;
  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  void DestroyWindowBegin() override;
  void Notification(TComponent* component, TOperation operation) override;
  void PaintWindow(HDC dc) override;
  bool PreviewKey(TMessage& m) override;
  virtual void DoClose(TCloseAction& action);
  // Runs an event handler; an exception leaving it goes to the error box.
  void SafeEvent(const TNotifyEvent& event);

 private:
  void ShowingChanged(bool showing);
  void PlaceOnFirstShow();
  void HandleDialogKey(TMessage& m);
  void HandleFocusChanged(TWinControl* control);
  void Activated(bool active);
  void AttachMenu();
  void CreateMDIClient();
  std::vector<TForm*> MDIChildList() const;
  void ApplyIcon();
  void GetMinMaxInfo(MINMAXINFO& info) const;

  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  TWinControl* active_control_ = nullptr;
  TModalResult modal_result_ = mrNone;
  bool modal_ = false;
  bool placed_ = false;
  bool created_ = false;
  TMainMenu* menu_ = nullptr;
  int menu_bar_height_ = 0;  // what the attached bar took from the client area
  TFormStyle form_style_ = fsNormal;
  HWND client_handle_ = nullptr;
  TSizeConstraints constraints_;
  std::unique_ptr<TIcon> icon_;
};

}  // namespace framework
