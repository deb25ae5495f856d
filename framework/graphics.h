// Colours, fonts, pens, brushes and the canvas that draws with them on a device context.
// Used by every painting control of the framework, by bitmaps and image lists, and by the skin
// engine's painters. UI thread only; a canvas never owns the DC it was given with SetHandle.
#pragma once

#include <windows.h>

#include "framework/gdiobjects.h"

#include <cstdint>
#include <functional>
#include <string>

namespace framework {

// ---------------------------------------------------------------------------------------------
// Colours: a platform colour reference (red in the low byte, blue in bits 16-23), or a system
// colour written 0xFF0000nn with nn the system colour index (COLOR_BTNFACE and so on).

using TColor = int32_t;

constexpr TColor SysColor(int index) {
  return static_cast<TColor>(0xFF000000u | static_cast<uint32_t>(index & 0xFF));
}
constexpr TColor RGBColor(int r, int g, int b) {
  return static_cast<TColor>((r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16));
}
// True for a colour of the form 0xFF0000nn.
constexpr bool IsSystemColor(TColor c) {
  return (static_cast<uint32_t>(c) & 0xFFFFFF00u) == 0xFF000000u;
}
// The RGB value to hand to GDI: system colours resolved through GetSysColor, others masked.
COLORREF ColorToRGB(TColor color);

constexpr TColor clBlack = 0x000000;
constexpr TColor clMaroon = 0x000080;
constexpr TColor clGreen = 0x008000;
constexpr TColor clOlive = 0x008080;
constexpr TColor clNavy = 0x800000;
constexpr TColor clPurple = 0x800080;
constexpr TColor clTeal = 0x808000;
constexpr TColor clGray = 0x808080;
constexpr TColor clSilver = 0xC0C0C0;
constexpr TColor clRed = 0x0000FF;
constexpr TColor clLime = 0x00FF00;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clBlue = 0xFF0000;
constexpr TColor clFuchsia = 0xFF00FF;
constexpr TColor clAqua = 0xFFFF00;
constexpr TColor clWhite = 0xFFFFFF;
constexpr TColor clNone = 0x1FFFFFFF;     // "no colour" (e.g. an image list without mask)
constexpr TColor clDefault = 0x20000000;  // "the default colour" of whoever asks

constexpr TColor clScrollBar = SysColor(COLOR_SCROLLBAR);
constexpr TColor clBackground = SysColor(COLOR_BACKGROUND);
constexpr TColor clActiveCaption = SysColor(COLOR_ACTIVECAPTION);
constexpr TColor clInactiveCaption = SysColor(COLOR_INACTIVECAPTION);
constexpr TColor clMenu = SysColor(COLOR_MENU);
constexpr TColor clWindow = SysColor(COLOR_WINDOW);
constexpr TColor clWindowFrame = SysColor(COLOR_WINDOWFRAME);
constexpr TColor clMenuText = SysColor(COLOR_MENUTEXT);
constexpr TColor clWindowText = SysColor(COLOR_WINDOWTEXT);
constexpr TColor clCaptionText = SysColor(COLOR_CAPTIONTEXT);
constexpr TColor clActiveBorder = SysColor(COLOR_ACTIVEBORDER);
constexpr TColor clInactiveBorder = SysColor(COLOR_INACTIVEBORDER);
constexpr TColor clAppWorkSpace = SysColor(COLOR_APPWORKSPACE);
constexpr TColor clHighlight = SysColor(COLOR_HIGHLIGHT);
constexpr TColor clHighlightText = SysColor(COLOR_HIGHLIGHTTEXT);
constexpr TColor clBtnFace = SysColor(COLOR_BTNFACE);
constexpr TColor clBtnShadow = SysColor(COLOR_BTNSHADOW);
constexpr TColor clGrayText = SysColor(COLOR_GRAYTEXT);
constexpr TColor clBtnText = SysColor(COLOR_BTNTEXT);
constexpr TColor clInactiveCaptionText = SysColor(COLOR_INACTIVECAPTIONTEXT);
constexpr TColor clBtnHighlight = SysColor(COLOR_BTNHIGHLIGHT);
constexpr TColor cl3DDkShadow = SysColor(COLOR_3DDKSHADOW);
constexpr TColor cl3DLight = SysColor(COLOR_3DLIGHT);
constexpr TColor clInfoText = SysColor(COLOR_INFOTEXT);
constexpr TColor clInfoBk = SysColor(COLOR_INFOBK);
constexpr TColor clHotLight = SysColor(COLOR_HOTLIGHT);
constexpr TColor clGradientActiveCaption = SysColor(COLOR_GRADIENTACTIVECAPTION);
constexpr TColor clGradientInactiveCaption = SysColor(COLOR_GRADIENTINACTIVECAPTION);
constexpr TColor clMenuHighlight = SysColor(COLOR_MENUHILIGHT);
constexpr TColor clMenuBar = SysColor(COLOR_MENUBAR);

// ---------------------------------------------------------------------------------------------
// Graphics objects. Each builds its GDI handle on first use and drops it when a property
// changes; OnChange then tells the owner (a control repaints). A canvas that has the handle
// selected is told first, so it deselects it before the handle is deleted. The handle stays
// owned by the object: callers never delete it.

class TCanvas;

class TGraphicsObject {
 public:
  TGraphicsObject() = default;
  virtual ~TGraphicsObject() = default;
  TGraphicsObject(const TGraphicsObject&) = delete;
  TGraphicsObject& operator=(const TGraphicsObject&) = delete;

  std::function<void(TGraphicsObject&)> OnChange;  // after every property change

 protected:
  // Lets a selecting canvas go of the handle, drops the handle, then fires OnChange.
  void Changed();
  // Stores `value` in `field` and reports the change, unless it is the value already there.
  template <class T>
  void SetProperty(T& field, const T& value) {
    if (field == value) return;
    field = value;
    Changed();
  }
  virtual void ReleaseHandle() = 0;

 private:
  friend class TCanvas;
  TCanvas* selected_in_ = nullptr;  // the canvas whose DC has our handle selected
};

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;  // a set of TFontStyle bits

enum TFontPitch { fpDefault, fpVariable, fpFixed };

class TFont : public TGraphicsObject {
 public:
  TFont();  // "MS Sans Serif", 8 pt, clWindowText, DEFAULT_CHARSET

  const std::string& Name() const { return name_; }
  void SetName(const std::string& name);
  // Size in points; Height in pixels (negative: character height without internal leading),
  // converted through the screen's logical pixels per inch.
  int Size() const;
  void SetSize(int points);
  int Height() const { return height_; }
  void SetHeight(int pixels);
  TColor Color() const { return color_; }
  void SetColor(TColor color);
  TFontStyles Style() const { return style_; }
  void SetStyle(TFontStyles style);
  BYTE Charset() const { return charset_; }
  void SetCharset(BYTE charset);
  TFontPitch Pitch() const { return pitch_; }
  void SetPitch(TFontPitch pitch);

  // Takes every property from `source` (colour included); one OnChange.
  void Assign(const TFont& source);
  // Takes name, height, style, charset and pitch from a logical font (e.g. the non-client
  // metrics' menu or caption font); one OnChange.
  void AssignLogFont(const LOGFONTA& lf);
  LOGFONTA ToLogFont() const;
  bool Equals(const TFont& other) const;

  HFONT Handle();  // built on demand

  static int ScreenPixelsPerInch();

 private:
  void ReleaseHandle() override;

  std::string name_;
  int height_;  // pixels, negative = character height
  TColor color_ = clWindowText;
  TFontStyles style_ = 0;
  BYTE charset_ = DEFAULT_CHARSET;
  TFontPitch pitch_ = fpDefault;
  FontHandle handle_;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
// Raster operations of the pen (SetROP2).
enum TPenMode {
  pmBlack,
  pmWhite,
  pmNop,
  pmNot,
  pmCopy,
  pmNotCopy,
  pmMergePenNot,
  pmMaskPenNot,
  pmMergeNotPen,
  pmMaskNotPen,
  pmMerge,
  pmNotMerge,
  pmMask,
  pmNotMask,
  pmXor,
  pmNotXor
};

class TPen : public TGraphicsObject {
 public:
  TPen() = default;

  TColor Color() const { return color_; }
  void SetColor(TColor color);
  int Width() const { return width_; }
  void SetWidth(int width);
  TPenStyle Style() const { return style_; }
  void SetStyle(TPenStyle style);
  TPenMode Mode() const { return mode_; }
  void SetMode(TPenMode mode);  // applied by the canvas, not part of the handle

  void Assign(const TPen& source);
  HPEN Handle();

 private:
  void ReleaseHandle() override;

  TColor color_ = clBlack;
  int width_ = 1;
  TPenStyle style_ = psSolid;
  TPenMode mode_ = pmCopy;
  PenHandle handle_;
};

enum TBrushStyle {
  bsSolid,
  bsClear,
  bsHorizontal,
  bsVertical,
  bsFDiagonal,
  bsBDiagonal,
  bsCross,
  bsDiagCross
};

class TBrush : public TGraphicsObject {
 public:
  TBrush() = default;

  TColor Color() const { return color_; }
  void SetColor(TColor color);  // a clear brush becomes solid, as users expect
  TBrushStyle Style() const { return style_; }
  void SetStyle(TBrushStyle style);
  // A pattern bitmap (not owned; must outlive the brush's use). Null: back to Style.
  void SetPatternBitmap(HBITMAP pattern);
  HBITMAP PatternBitmap() const { return pattern_; }

  void Assign(const TBrush& source);
  HBRUSH Handle();

 private:
  void ReleaseHandle() override;

  TColor color_ = clWhite;
  TBrushStyle style_ = bsSolid;
  HBITMAP pattern_ = nullptr;
  BrushHandle handle_;
};

// ---------------------------------------------------------------------------------------------
// Something a canvas can draw: a bitmap or an icon (bitmap.h).

class TGraphic {
 public:
  virtual ~TGraphic() = default;
  virtual int Width() const = 0;
  virtual int Height() const = 0;
  virtual bool Empty() const = 0;
  // Draws the whole graphic into `dest` (stretched when the sizes differ), honouring its
  // transparency.
  virtual void Draw(TCanvas& canvas, const RECT& dest) const = 0;
};

// ---------------------------------------------------------------------------------------------
// TCanvas: drawing on a device context with the current pen, brush and font. Objects are
// selected lazily before each operation and again after they change; all selections are undone
// when the handle is released (SetHandle(nullptr), a new handle, or destruction).
//
// A plain TCanvas draws on a DC someone else owns (a paint DC between BeginPaint/EndPaint).
// Subclasses that own their DC (a bitmap's memory DC, a control's window DC) override
// CreateHandle/FreeHandle.

enum TCopyMode : DWORD {
  cmBlackness = BLACKNESS,
  cmDstInvert = DSTINVERT,
  cmMergeCopy = MERGECOPY,
  cmMergePaint = MERGEPAINT,
  cmNotSrcCopy = NOTSRCCOPY,
  cmNotSrcErase = NOTSRCERASE,
  cmPatCopy = PATCOPY,
  cmPatInvert = PATINVERT,
  cmPatPaint = PATPAINT,
  cmSrcAnd = SRCAND,
  cmSrcCopy = SRCCOPY,
  cmSrcErase = SRCERASE,
  cmSrcInvert = SRCINVERT,
  cmSrcPaint = SRCPAINT,
  cmWhiteness = WHITENESS
};

class TCanvas {
 public:
  TCanvas();
  explicit TCanvas(HDC dc);  // draws on `dc`, which the caller keeps owning
  virtual ~TCanvas();
  TCanvas(const TCanvas&) = delete;
  TCanvas& operator=(const TCanvas&) = delete;

  // The DC, created on demand by subclasses; null for a plain canvas without one.
  HDC Handle();
  // Attaches a DC (or detaches with nullptr). Previous selections are undone first.
  void SetHandle(HDC dc);
  bool HandleAllocated() const { return dc_ != nullptr; }

  TFont& Font() { return font_; }
  TPen& Pen() { return pen_; }
  TBrush& Brush() { return brush_; }
  TCopyMode CopyMode() const { return copy_mode_; }
  void SetCopyMode(TCopyMode mode) { copy_mode_ = mode; }

  POINT PenPos();
  void MoveTo(int x, int y);
  void LineTo(int x, int y);
  void Polyline(const POINT* points, int count);
  void Polygon(const POINT* points, int count);  // outlined by pen, filled by brush
  void Rectangle(int left, int top, int right, int bottom);
  void Rectangle(const RECT& r) { Rectangle(r.left, r.top, r.right, r.bottom); }
  void Ellipse(int left, int top, int right, int bottom);
  void FillRect(const RECT& r);   // with the brush, no outline
  void FrameRect(const RECT& r);  // one-pixel frame in the brush's colour
  void DrawFocusRect(const RECT& r);

  // Text in the font's colour; the background is filled with the brush's colour unless the
  // brush is clear.
  void TextOut(int x, int y, const std::string& text);
  // Text at (x, y), clipped to `r`, whose background is filled like TextOut's.
  void TextRect(const RECT& r, int x, int y, const std::string& text);
  // DrawText with its DT_* format flags; with DT_CALCRECT only `r` is updated. Returns the
  // text's height as DrawText does.
  int TextRect(RECT& r, const std::string& text, UINT format);
  SIZE TextExtent(const std::string& text);
  int TextWidth(const std::string& text) { return TextExtent(text).cx; }
  int TextHeight(const std::string& text) { return TextExtent(text).cy; }

  // Graphics at their own size, or stretched into a rectangle (halftone stretching).
  void Draw(int x, int y, const TGraphic& graphic);
  void StretchDraw(const RECT& dest, const TGraphic& graphic);
  // Copies `source_rect` of another canvas into `dest` (stretching when sizes differ) with
  // CopyMode.
  void CopyRect(const RECT& dest, TCanvas& source, const RECT& source_rect);

  TColor Pixel(int x, int y);  // -1 (CLR_INVALID) outside the clip region
  void SetPixel(int x, int y, TColor color);

  RECT ClipRect();

 protected:
  // Called by Handle() when no DC is attached; subclasses attach one with SetHandle.
  virtual void CreateHandle() {}
  // Called before the canvas is destroyed or detached by its owner; selections are undone by
  // then. Subclasses free their DC here.
  void DeselectAll();

 private:
  friend class TGraphicsObject;
  enum : unsigned { kPenValid = 1, kBrushValid = 2, kFontValid = 4 };
  void Require(unsigned state);
  void ObjectReleased(TGraphicsObject& object);  // deselects it before its handle goes

  HDC dc_ = nullptr;
  unsigned valid_ = 0;
  HGDIOBJ original_pen_ = nullptr;
  HGDIOBJ original_brush_ = nullptr;
  HGDIOBJ original_font_ = nullptr;
  TFont font_;
  TPen pen_;
  TBrush brush_;
  TCopyMode copy_mode_ = cmSrcCopy;
};

// Binds a canvas to a DC someone else owns for one scope (a paint handler) and unbinds it on
// exit, also when the painting code throws.
class ScopedCanvasDC {
 public:
  ScopedCanvasDC(TCanvas& canvas, HDC dc) : canvas_(canvas) { canvas_.SetHandle(dc); }
  ~ScopedCanvasDC() { canvas_.SetHandle(nullptr); }
  ScopedCanvasDC(const ScopedCanvasDC&) = delete;
  ScopedCanvasDC& operator=(const ScopedCanvasDC&) = delete;

 private:
  TCanvas& canvas_;
};

}  // namespace framework
