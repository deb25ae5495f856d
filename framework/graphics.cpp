// Colours, graphics objects and the canvas of graphics.h.
#include "framework/graphics.h"

#include <algorithm>
#include <cstring>

namespace framework {

COLORREF ColorToRGB(TColor color) {
  if (color < 0) return GetSysColor(color & 0xFF);  // 0xFF0000nn: system colour nn
  return static_cast<COLORREF>(color) & 0xFFFFFF;
}

// ---------------------------------------------------------------------------------------------
// TGraphicsObject

void TGraphicsObject::Changed() {
  if (selected_in_) selected_in_->ObjectReleased(*this);
  ReleaseHandle();
  if (OnChange) OnChange(*this);
}

// ---------------------------------------------------------------------------------------------
// TFont

namespace {
constexpr int kDefaultFontPoints = 8;
constexpr int kFaceNameMax = LF_FACESIZE - 1;  // a LOGFONT face name holds 31 characters
}  // namespace

int TFont::ScreenPixelsPerInch() {
  static const int ppi = [] {
    WindowDC screen;
    int v = screen.Get() ? GetDeviceCaps(screen.Get(), LOGPIXELSY) : 0;
    return v > 0 ? v : 96;
  }();
  return ppi;
}

TFont::TFont()
    : name_("MS Sans Serif"), height_(-MulDiv(kDefaultFontPoints, ScreenPixelsPerInch(), 72)) {}

int TFont::Size() const { return -MulDiv(height_, 72, ScreenPixelsPerInch()); }

void TFont::SetSize(int points) { SetHeight(-MulDiv(points, ScreenPixelsPerInch(), 72)); }

void TFont::SetName(const std::string& name) {
  std::string n = name.substr(0, kFaceNameMax);
  SetProperty(name_, n);
}

void TFont::SetHeight(int pixels) { SetProperty(height_, pixels); }

void TFont::SetColor(TColor color) { SetProperty(color_, color); }

void TFont::SetStyle(TFontStyles style) {
  style &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
  SetProperty(style_, style);
}

void TFont::SetCharset(BYTE charset) { SetProperty(charset_, charset); }

void TFont::SetPitch(TFontPitch pitch) { SetProperty(pitch_, pitch); }

void TFont::Assign(const TFont& source) {
  if (&source == this || Equals(source)) return;
  name_ = source.name_;
  height_ = source.height_;
  color_ = source.color_;
  style_ = source.style_;
  charset_ = source.charset_;
  pitch_ = source.pitch_;
  Changed();
}

bool TFont::Equals(const TFont& o) const {
  return name_ == o.name_ && height_ == o.height_ && color_ == o.color_ && style_ == o.style_ &&
         charset_ == o.charset_ && pitch_ == o.pitch_;
}

void TFont::AssignLogFont(const LOGFONTA& lf) {
  name_.assign(lf.lfFaceName, strnlen(lf.lfFaceName, kFaceNameMax));
  height_ = lf.lfHeight;
  style_ = 0;
  if (lf.lfWeight >= FW_BOLD) style_ |= fsBold;
  if (lf.lfItalic) style_ |= fsItalic;
  if (lf.lfUnderline) style_ |= fsUnderline;
  if (lf.lfStrikeOut) style_ |= fsStrikeOut;
  charset_ = lf.lfCharSet;
  switch (lf.lfPitchAndFamily & 3) {
    case FIXED_PITCH:
      pitch_ = fpFixed;
      break;
    case VARIABLE_PITCH:
      pitch_ = fpVariable;
      break;
    default:
      pitch_ = fpDefault;
  }
  Changed();
}

LOGFONTA TFont::ToLogFont() const {
  LOGFONTA lf{};
  lf.lfHeight = height_;
  lf.lfWeight = (style_ & fsBold) ? FW_BOLD : FW_NORMAL;
  lf.lfItalic = (style_ & fsItalic) ? 1 : 0;
  lf.lfUnderline = (style_ & fsUnderline) ? 1 : 0;
  lf.lfStrikeOut = (style_ & fsStrikeOut) ? 1 : 0;
  lf.lfCharSet = charset_;
  lf.lfOutPrecision = OUT_DEFAULT_PRECIS;
  lf.lfClipPrecision = CLIP_DEFAULT_PRECIS;
  lf.lfQuality = DEFAULT_QUALITY;
  lf.lfPitchAndFamily = pitch_ == fpFixed      ? FIXED_PITCH
                        : pitch_ == fpVariable ? VARIABLE_PITCH
                                               : DEFAULT_PITCH;
  std::memcpy(lf.lfFaceName, name_.data(), std::min<size_t>(name_.size(), kFaceNameMax));
  return lf;
}

HFONT TFont::Handle() {
  if (!handle_) {
    LOGFONTA lf = ToLogFont();
    handle_.Reset(CreateFontIndirectA(&lf));
  }
  return handle_.Get();
}

void TFont::ReleaseHandle() { handle_.Reset(); }

// ---------------------------------------------------------------------------------------------
// TPen

void TPen::SetColor(TColor color) { SetProperty(color_, color); }

void TPen::SetWidth(int width) {
  width = std::max(width, 0);
  SetProperty(width_, width);
}

void TPen::SetStyle(TPenStyle style) { SetProperty(style_, style); }

void TPen::SetMode(TPenMode mode) { SetProperty(mode_, mode); }

void TPen::Assign(const TPen& s) {
  if (&s == this) return;
  color_ = s.color_;
  width_ = s.width_;
  style_ = s.style_;
  mode_ = s.mode_;
  Changed();
}

HPEN TPen::Handle() {
  if (!handle_) {
    static constexpr int kStyles[] = {PS_SOLID,      PS_DASH, PS_DOT,        PS_DASHDOT,
                                      PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    handle_.Reset(CreatePen(kStyles[style_], width_, ColorToRGB(color_)));
  }
  return handle_.Get();
}

void TPen::ReleaseHandle() { handle_.Reset(); }

// ---------------------------------------------------------------------------------------------
// TBrush

void TBrush::SetColor(TColor color) {
  if (color == color_ && style_ != bsClear) return;
  color_ = color;
  if (style_ == bsClear) style_ = bsSolid;
  Changed();
}

void TBrush::SetStyle(TBrushStyle style) { SetProperty(style_, style); }

void TBrush::SetPatternBitmap(HBITMAP pattern) { SetProperty(pattern_, pattern); }

void TBrush::Assign(const TBrush& s) {
  if (&s == this) return;
  color_ = s.color_;
  style_ = s.style_;
  pattern_ = s.pattern_;
  Changed();
}

HBRUSH TBrush::Handle() {
  if (!handle_) {
    LOGBRUSH lb{};
    lb.lbColor = ColorToRGB(color_);
    if (pattern_) {
      handle_.Reset(CreatePatternBrush(pattern_));
      return handle_.Get();
    }
    switch (style_) {
      case bsSolid:
        lb.lbStyle = BS_SOLID;
        break;
      case bsClear:
        lb.lbStyle = BS_NULL;
        break;
      default:
        static constexpr int kHatches[] = {HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL,
                                           HS_BDIAGONAL,  HS_CROSS,    HS_DIAGCROSS};
        lb.lbStyle = BS_HATCHED;
        lb.lbHatch = kHatches[style_ - bsHorizontal];
    }
    handle_.Reset(CreateBrushIndirect(&lb));
  }
  return handle_.Get();
}

void TBrush::ReleaseHandle() { handle_.Reset(); }

// ---------------------------------------------------------------------------------------------
// TCanvas

TCanvas::TCanvas() = default;

TCanvas::TCanvas(HDC dc) { SetHandle(dc); }

TCanvas::~TCanvas() { DeselectAll(); }

HDC TCanvas::Handle() {
  if (!dc_) CreateHandle();
  return dc_;
}

void TCanvas::SetHandle(HDC dc) {
  if (dc == dc_) return;
  DeselectAll();
  dc_ = dc;
}

void TCanvas::DeselectAll() {
  if (dc_) {
    if (original_pen_) SelectObject(dc_, original_pen_);
    if (original_brush_) SelectObject(dc_, original_brush_);
    if (original_font_) SelectObject(dc_, original_font_);
  }
  original_pen_ = original_brush_ = original_font_ = nullptr;
  pen_.selected_in_ = brush_.selected_in_ = font_.selected_in_ = nullptr;
  valid_ = 0;
}

void TCanvas::ObjectReleased(TGraphicsObject& object) {
  object.selected_in_ = nullptr;
  if (!dc_) return;
  if (&object == &pen_) {
    if (original_pen_) SelectObject(dc_, original_pen_);
    original_pen_ = nullptr;
    valid_ &= ~kPenValid;
  } else if (&object == &brush_) {
    if (original_brush_) SelectObject(dc_, original_brush_);
    original_brush_ = nullptr;
    valid_ &= ~kBrushValid;
  } else if (&object == &font_) {
    if (original_font_) SelectObject(dc_, original_font_);
    original_font_ = nullptr;
    valid_ &= ~kFontValid;
  }
}

void TCanvas::Require(unsigned state) {
  HDC dc = Handle();
  if (!dc) return;
  unsigned missing = state & ~valid_;
  if (missing & kPenValid) {
    HGDIOBJ old = SelectObject(dc, pen_.Handle());
    if (!original_pen_) original_pen_ = old;
    pen_.selected_in_ = this;
    static constexpr int kRop2[] = {R2_BLACK,       R2_WHITE,      R2_NOP,         R2_NOT,
                                    R2_COPYPEN,     R2_NOTCOPYPEN, R2_MERGEPENNOT, R2_MASKPENNOT,
                                    R2_MERGENOTPEN, R2_MASKNOTPEN, R2_MERGEPEN,    R2_NOTMERGEPEN,
                                    R2_MASKPEN,     R2_NOTMASKPEN, R2_XORPEN,      R2_NOTXORPEN};
    SetROP2(dc, kRop2[pen_.Mode()]);
  }
  if (missing & kBrushValid) {
    HGDIOBJ old = SelectObject(dc, brush_.Handle());
    if (!original_brush_) original_brush_ = old;
    brush_.selected_in_ = this;
    if (brush_.Style() == bsSolid) {
      SetBkColor(dc, ColorToRGB(brush_.Color()));
      SetBkMode(dc, OPAQUE);
    } else {
      SetBkColor(dc, ~ColorToRGB(brush_.Color()) & 0xFFFFFF);
      SetBkMode(dc, TRANSPARENT);
    }
  }
  if (missing & kFontValid) {
    HGDIOBJ old = SelectObject(dc, font_.Handle());
    if (!original_font_) original_font_ = old;
    font_.selected_in_ = this;
    SetTextColor(dc, ColorToRGB(font_.Color()));
  }
  valid_ |= missing;
}

POINT TCanvas::PenPos() {
  POINT p{};
  if (Handle()) GetCurrentPositionEx(dc_, &p);
  return p;
}

void TCanvas::MoveTo(int x, int y) {
  if (Handle()) MoveToEx(dc_, x, y, nullptr);
}

void TCanvas::LineTo(int x, int y) {
  Require(kPenValid | kBrushValid);
  if (dc_) ::LineTo(dc_, x, y);
}

void TCanvas::Polyline(const POINT* points, int count) {
  Require(kPenValid | kBrushValid);
  if (dc_ && count > 0) ::Polyline(dc_, points, count);
}

void TCanvas::Polygon(const POINT* points, int count) {
  Require(kPenValid | kBrushValid);
  if (dc_ && count > 0) ::Polygon(dc_, points, count);
}

void TCanvas::Rectangle(int left, int top, int right, int bottom) {
  Require(kPenValid | kBrushValid);
  if (dc_) ::Rectangle(dc_, left, top, right, bottom);
}

void TCanvas::Ellipse(int left, int top, int right, int bottom) {
  Require(kPenValid | kBrushValid);
  if (dc_) ::Ellipse(dc_, left, top, right, bottom);
}

void TCanvas::FillRect(const RECT& r) {
  Require(kBrushValid);
  if (dc_) ::FillRect(dc_, &r, brush_.Handle());
}

void TCanvas::FrameRect(const RECT& r) {
  Require(kBrushValid);
  if (dc_) ::FrameRect(dc_, &r, brush_.Handle());
}

void TCanvas::DrawFocusRect(const RECT& r) {
  Require(kBrushValid);
  if (dc_) ::DrawFocusRect(dc_, &r);
}

void TCanvas::TextOut(int x, int y, const std::string& text) {
  Require(kFontValid | kBrushValid);
  if (dc_) {
    ::ExtTextOutA(dc_, x, y, 0, nullptr, text.data(), static_cast<UINT>(text.size()), nullptr);
    MoveToEx(dc_, x + TextWidth(text), y, nullptr);
  }
}

void TCanvas::TextRect(const RECT& r, int x, int y, const std::string& text) {
  Require(kFontValid | kBrushValid);
  if (!dc_) return;
  UINT options = ETO_CLIPPED;
  if (brush_.Style() != bsClear) options |= ETO_OPAQUE;
  ::ExtTextOutA(dc_, x, y, options, &r, text.data(), static_cast<UINT>(text.size()), nullptr);
}

int TCanvas::TextRect(RECT& r, const std::string& text, UINT format) {
  Require(kFontValid | kBrushValid);
  if (!dc_) return 0;
  return ::DrawTextA(dc_, text.data(), static_cast<int>(text.size()), &r, format);
}

SIZE TCanvas::TextExtent(const std::string& text) {
  SIZE size{};
  Require(kFontValid);
  if (dc_) GetTextExtentPoint32A(dc_, text.data(), static_cast<int>(text.size()), &size);
  return size;
}

void TCanvas::Draw(int x, int y, const TGraphic& graphic) {
  if (graphic.Empty()) return;
  RECT dest{x, y, x + graphic.Width(), y + graphic.Height()};
  graphic.Draw(*this, dest);
}

void TCanvas::StretchDraw(const RECT& dest, const TGraphic& graphic) {
  if (!graphic.Empty()) graphic.Draw(*this, dest);
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sr) {
  Require(kBrushValid);
  HDC src = source.Handle();
  if (!dc_ || !src) return;
  int dw = dest.right - dest.left, dh = dest.bottom - dest.top;
  int sw = sr.right - sr.left, sh = sr.bottom - sr.top;
  if (dw == sw && dh == sh) {
    BitBlt(dc_, dest.left, dest.top, dw, dh, src, sr.left, sr.top, copy_mode_);
  } else {
    StretchBlt(dc_, dest.left, dest.top, dw, dh, src, sr.left, sr.top, sw, sh, copy_mode_);
  }
}

TColor TCanvas::Pixel(int x, int y) {
  if (!Handle()) return -1;
  COLORREF c = GetPixel(dc_, x, y);
  return c == CLR_INVALID ? -1 : static_cast<TColor>(c);
}

void TCanvas::SetPixel(int x, int y, TColor color) {
  if (Handle()) ::SetPixelV(dc_, x, y, ColorToRGB(color));
}

RECT TCanvas::ClipRect() {
  RECT r{};
  if (Handle()) GetClipBox(dc_, &r);
  return r;
}

}  // namespace framework
