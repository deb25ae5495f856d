// TControl: the base of every visible control, windowed or painted by its parent. Holds the
// bounds, alignment, anchors, visibility, enabled state, text, colour and font, the mouse and
// key events, and the replaceable message handler WindowProc that the skin engine takes over.
// UI thread only. A control is freed by its owner (or explicitly); freeing removes it from its
// parent.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "framework/alive.h"
#include "framework/component.h"
#include "framework/graphics.h"
#include "framework/messages.h"

namespace framework {

class TWinControl;
class TPopupMenu;

enum TAlign { alNone, alTop, alBottom, alLeft, alRight, alClient };
enum TAnchorKind : uint8_t { akLeft = 1, akTop = 2, akRight = 4, akBottom = 8 };
using TAnchors = uint8_t;

enum TMouseButton { mbLeft, mbRight, mbMiddle };
// TShiftState bits.
enum : unsigned {
  ssShift = 1,
  ssAlt = 2,
  ssCtrl = 4,
  ssLeft = 8,
  ssRight = 16,
  ssMiddle = 32,
  ssDouble = 64
};
using TShiftState = unsigned;

using TNotifyEvent = std::function<void(TObject* sender)>;
using TMouseEvent =
    std::function<void(TObject* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TObject* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TObject* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TObject* sender, char& key)>;

// Shift state from the keyboard (and mouse buttons) right now.
TShiftState KeyboardShiftState();

class TControl : public TComponent {
 public:
  DZ_CLASS(TControl, TComponent)
  explicit TControl(TComponent* owner);
  ~TControl() override;

  // Parent: the windowed control that shows this one. Setting it moves the control there.
  TWinControl* Parent() const { return parent_; }
  virtual void SetParent(TWinControl* parent);

  int Left() const { return left_; }
  int Top() const { return top_; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
  virtual void SetBounds(int left, int top, int width, int height);
  void SetLeft(int v) { SetBounds(v, top_, width_, height_); }
  void SetTop(int v) { SetBounds(left_, v, width_, height_); }
  void SetWidth(int v) { SetBounds(left_, top_, v, height_); }
  void SetHeight(int v) { SetBounds(left_, top_, width_, v); }
  // The client area in the control's own coordinates.
  virtual RECT ClientRect();
  int ClientWidth() { return ClientRect().right; }
  int ClientHeight() { return ClientRect().bottom; }
  virtual void SetClientSize(int width, int height);
  void SetClientWidth(int w) { SetClientSize(w, ClientHeight()); }
  void SetClientHeight(int h) { SetClientSize(ClientWidth(), h); }

  TAlign Align() const { return align_; }
  void SetAlign(TAlign align);
  TAnchors Anchors() const { return anchors_; }
  void SetAnchors(TAnchors anchors);

  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  void Show() { SetVisible(true); }
  void Hide() { SetVisible(false); }
  // Visible, and so are all its parents (a form: its window is shown).
  virtual bool Showing() const;
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);

  // Caption and Text are the same string (what the window shows).
  virtual std::string Text();
  void SetText(const std::string& text);
  std::string Caption() { return Text(); }
  void SetCaption(const std::string& text) { SetText(text); }

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  bool ParentColor() const { return parent_color_; }
  void SetParentColor(bool value);
  TFont& Font() { return *font_; }
  bool ParentFont() const { return parent_font_; }
  void SetParentFont(bool value);
  int Cursor() const { return cursor_; }  // a crXxx value (screen.h); 0 = default
  void SetCursor(int cursor) { cursor_ = cursor; }

  // Message handling. WindowProc is called for every message of the control (windowed or
  // not); it starts out as WndProc. Wrappers take it over and give it back only through
  // TWindowProcHook (subclass.h).
  TWndMethod WindowProc;
  // Alive until the control's WindowProc is destroyed (the hooks check it before giving a
  // handler back).
  AliveWatch WatchAlive() const { return alive_.Watch(); }
  LRESULT Perform(UINT msg, WPARAM wparam, LPARAM lparam);
  virtual void WndProc(TMessage& message);
  virtual void DefaultHandler(TMessage& message);  // unhandled messages end here

  virtual void Invalidate();
  virtual void Update() {}
  void Repaint() {
    Invalidate();
    Update();
  }
  POINT ClientToScreen(POINT p);
  POINT ScreenToClient(POINT p);
  // Offset of the client area's origin inside the control's bounds (non-zero for forms).
  virtual POINT ClientOrigin();
  void BringToFront();

  virtual void Click();

  // Shown where the right mouse button is released over the control; not owned, forgotten
  // when freed.
  TPopupMenu* PopupMenu() const { return popup_menu_; }
  void SetPopupMenu(TPopupMenu* menu);

  TNotifyEvent OnClick;
  TNotifyEvent OnDblClick;
  TMouseEvent OnMouseDown;
  TMouseEvent OnMouseUp;
  TMouseMoveEvent OnMouseMove;
  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

 protected:
  virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
  virtual void MouseMove(TShiftState shift, int x, int y);
  virtual void DblClick();
  // Applies new bounds after SetBounds decided them (windowed controls move their window).
  virtual void BoundsChanged();
  virtual void VisibleChanging() {}
  void Notification(TComponent* component, TOperation operation) override;
  // The text as stored in the object (windowed controls read their window's text).
  std::string& TextField() { return text_; }
  // The default colour / font state of a class, set in its constructor.
  void InitColor(TColor color, bool parent_color) {
    color_ = color;
    parent_color_ = parent_color;
  }
  void InitParentFont(bool parent_font) { parent_font_ = parent_font; }
  void RequestAlign();
  void Loaded() override;

  TWinControl* parent_ = nullptr;
  bool click_events_ = false;  // a left press and release inside the control is a Click

 private:
  void HandleMouseMessage(TMessage& m);
  void FontChanged();

  int left_ = 0, top_ = 0, width_ = 0, height_ = 0;
  TAlign align_ = alNone;
  TAnchors anchors_ = akLeft | akTop;
  bool visible_ = true;
  bool enabled_ = true;
  std::string text_;
  TColor color_ = clBtnFace;
  bool parent_color_ = false;
  std::unique_ptr<TFont> font_;
  bool parent_font_ = true;
  bool taking_parent_font_ = false;
  int cursor_ = 0;
  bool mouse_pressed_ = false;  // a left button went down on this control and not yet up
  TPopupMenu* popup_menu_ = nullptr;
  AliveToken alive_;  // declared after WindowProc, so it dies first

  friend class TWinControl;
};

}  // namespace framework
