// TWinControl: a control with its own window. The window is created on demand (Handle()) from
// CreateParams, under a Win32 class registered with the framework class name (superclassing
// the system class where there is one), and every message goes through WindowProc. It holds
// its child controls, aligns them, paints its graphic children, routes mouse messages to them,
// and keeps the Tab order. UI thread only.
#pragma once

#include <vector>

#include "framework/control.h"

namespace framework {

// Bevels drawn in the non-client area of a windowed control (edits, combo boxes, memos).
enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
enum TBevelKind { bkNone, bkTile, bkSoft, bkFlat };

struct TCreateParams {
  std::string Caption;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  int X = 0, Y = 0, Width = 0, Height = 0;
  HWND WndParent = nullptr;
  std::string WinClassName;            // the framework class name by default
  const char* SysClassName = nullptr;  // system class to superclass (EDIT, BUTTON, ...) or null
  UINT ClassStyle = CS_DBLCLKS;
};

class TWinControl : public TControl {
 public:
  DZ_CLASS(TWinControl, TControl)
  explicit TWinControl(TComponent* owner);
  ~TWinControl() override;

  HWND Handle();  // creates the window (and its parents' windows) when needed
  bool HandleAllocated() const { return handle_ != nullptr; }
  void HandleNeeded() { Handle(); }
  // The window procedure that unhandled messages go to (the superclassed system class's, or
  // DefWindowProc). Win32-level subclassers chain to the window's own procedure instead.
  WNDPROC DefWndProc() const { return def_wnd_proc_; }
  // The framework control owning `wnd`, or null.
  static TWinControl* FindControl(HWND wnd);

  int ControlCount() const { return static_cast<int>(controls_.size()); }
  TControl* Controls(int index) const { return controls_.at(index); }
  void InsertControl(TControl* control);
  void RemoveControl(TControl* control);
  // The visible, enabled graphic or windowed child at client point p, or null.
  TControl* ControlAtPos(POINT p, bool allow_disabled);

  // Tab order: position among the windowed siblings (0-based).
  int TabOrder() const;
  void SetTabOrder(int order);
  bool TabStop() const { return tab_stop_; }
  void SetTabStop(bool value);
  // Every focusable descendant in Tab order (depth first, by TabOrder).
  void GetTabOrderList(std::vector<TWinControl*>& list);
  // The next (or previous) control after `current` in this control's Tab order, wrapping.
  TWinControl* FindNextControl(TWinControl* current, bool forward, bool check_tab_stop);
  void SelectNext(TWinControl* current, bool forward, bool check_tab_stop);

  virtual bool CanFocus();
  bool Focused();
  virtual void SetFocus();

  void Invalidate() override;
  void Update() override;
  std::string Text() override;
  RECT ClientRect() override;
  POINT ClientOrigin() override;
  void SetClientSize(int width, int height) override;
  bool Showing() const override;

  // Alignment: children with an Align are placed inside the client rect (minus
  // AdjustClientRect) in the order top, bottom, left, right, client; each group sorted by
  // position. Nested calls are suspended between DisableAlign and EnableAlign.
  void Realign();
  void DisableAlign() { ++align_disabled_; }
  void EnableAlign();
  virtual void AdjustClientRect(RECT& rect);

  void Loaded() override;

  // Non-client bevel: with a BevelKind other than bkNone, BevelWidth pixels per cut that is not
  // bvNone are taken from each side of the client area and drawn with DrawEdge.
  TBevelCut BevelInner() const { return bevel_inner_; }
  TBevelCut BevelOuter() const { return bevel_outer_; }
  TBevelKind BevelKind() const { return bevel_kind_; }
  int BevelWidth() const { return bevel_width_; }
  void SetBevelInner(TBevelCut cut);
  void SetBevelOuter(TBevelCut cut);
  void SetBevelKind(TBevelKind kind);
  void SetBevelWidth(int width);

  TNotifyEvent OnEnter;
  TNotifyEvent OnExit;
  TKeyEvent OnKeyDown;
  TKeyEvent OnKeyUp;
  TKeyPressEvent OnKeyPress;

 protected:
  virtual void CreateParams(TCreateParams& params);
  virtual void CreateWnd();
  // Creates this window and then its windowed children's.
  void CreateHandle();
  // Destroys the children's windows, then this one (the object stays).
  void DestroyHandle();
  // Re-creates the window after a style change (text and children come back). Sends
  // CM_RECREATEWND, whose default handling does the work.
  void RecreateWnd();
  // Called once the window exists (apply font, text limits, items ...).
  virtual void CreateWindowDone() {}
  // Called before the window is destroyed, to save state the window held (text, items ...).
  virtual void DestroyWindowBegin();

  void WndProc(TMessage& message) override;
  void DefaultHandler(TMessage& message) override;
  void BoundsChanged() override;
  // Paints the background and the graphic children of an own-drawn window.
  virtual void PaintWindow(HDC dc);
  void PaintControls(HDC dc);
  // Window-drawn classes (edits, buttons ...) leave WM_PAINT and WM_ERASEBKGND to Windows.
  virtual bool PaintsItself() const { return true; }
  // Key handling: OnKeyDown etc. Return true when the key was consumed.
  virtual bool DoKeyDown(TMessage& m);
  virtual bool DoKeyPress(TMessage& m);
  virtual bool DoKeyUp(TMessage& m);
  // A form with KeyPreview sees the keys of its controls first (WM_KEYDOWN, WM_KEYUP,
  // WM_CHAR in `m`); true when it consumed the key.
  virtual bool PreviewKey(TMessage&) { return false; }
  HBRUSH ColorBrush();  // a brush of Color, for WM_CTLCOLOR answers and erasing

  // Pixels the bevel takes from each side (0 without a bevel).
  int BevelEdgeSize() const;
  // After a bevel property changed: the frame is recalculated and repainted.
  virtual void BevelChanged();

  HWND handle_ = nullptr;
  WNDPROC def_wnd_proc_ = DefWindowProcA;

 private:
  void DoRecreateWnd();
  void AlignControls(RECT& rect);
  void AnchorControls(int old_width, int old_height);
  void ReflectNotification(TMessage& m, HWND child);
  void HandleFocusMessage(TMessage& m);
  void HandleChildKey(TMessage& m);
  bool FormPreviewsKey(TMessage& m);
  bool DoKeyEvent(TMessage& m, const TKeyEvent& event);
  void RouteMouse(TMessage& m);
  void UpdateMouseControl(TControl* target);
  std::vector<TWinControl*> WindowedChildren();
  void BevelNcCalcSize(TMessage& m);
  void BevelNcPaint(TMessage& m);

  TBevelCut bevel_inner_ = bvRaised;
  TBevelCut bevel_outer_ = bvLowered;
  TBevelKind bevel_kind_ = bkNone;
  int bevel_width_ = 1;

  std::vector<TControl*> controls_;
  int tab_order_ = -1;  // -1 until inserted into a parent
  bool tab_stop_ = false;
  int align_disabled_ = 0;
  bool align_pending_ = false;
  TControl* capture_control_ = nullptr;  // graphic child holding the mouse
  std::unique_ptr<TBrush> brush_;
  int last_client_w_ = -1, last_client_h_ = -1;

  friend class TControl;
  friend LRESULT CALLBACK FrameworkWndProc(HWND, UINT, WPARAM, LPARAM);
  friend void UnbindWindow(HWND);
};

// The form (or top-level windowed control) that contains `control`, or null.
TWinControl* GetParentForm(TControl* control);

}  // namespace framework
