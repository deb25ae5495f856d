// TForm: a top-level window built from its definition. Border styles and icons, position
// (designed, screen or desktop centre), show/close events with close actions, modal showing
// with ModalResult, the active control and Tab handling. The first form made by
// Application->CreateForm is the main form; closing it ends the program. UI thread only.
// Forms are freed by their owner (Application) or by Release/caFree after a close.
#pragma once

#include "framework/wincontrol.h"

namespace framework {

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

  TWinControl* ActiveControl() const { return active_control_; }
  void SetActiveControl(TWinControl* control);
  // Keys go to the form's OnKeyDown/OnKeyPress before the focused control's.
  bool KeyPreview = false;

  TModalResult ModalResult() const { return modal_result_; }
  void SetModalResult(TModalResult result) { modal_result_ = result; }
  bool Modal() const { return modal_; }
  // Shows the form and runs a message loop until ModalResult is set (or the program ends);
  // the other windows of the program are disabled meanwhile. Returns ModalResult.
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

  TFormBorderStyle border_style_ = bsSizeable;
  TBorderIcons border_icons_ = biSystemMenu | biMinimize | biMaximize;
  TPosition position_ = poDesigned;
  TWinControl* active_control_ = nullptr;
  TModalResult modal_result_ = mrNone;
  bool modal_ = false;
  bool placed_ = false;
  bool created_ = false;
};

}  // namespace framework
