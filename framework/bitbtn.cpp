// TBitBtn: glyph images, layout and owner drawing.
#include "framework/bitbtn.h"

#include <cstring>

namespace framework {

TBitBtn::TBitBtn(TComponent* owner) : TButton(owner), glyph_(std::make_unique<TBitmap>()) {
  glyph_->OnChange = [this](TBitmap&) { GlyphChanged(); };
}

TBitBtn::~TBitBtn() = default;

void TBitBtn::CreateParams(TCreateParams& p) {
  TButton::CreateParams(p);
  p.Style &= ~(BS_DEFPUSHBUTTON | BS_PUSHBUTTON);
  p.Style |= BS_OWNERDRAW;
}

void TBitBtn::SetNumGlyphs(int count) {
  if (count < 1) count = 1;
  if (count > 4) count = 4;
  num_glyphs_ = count;
  GlyphChanged();
}

void TBitBtn::SetSpacing(int spacing) {
  spacing_ = spacing;
  Invalidate();
}

void TBitBtn::SetMargin(int margin) {
  margin_ = margin;
  Invalidate();
}

void TBitBtn::SetLayout(TButtonLayout layout) {
  layout_ = layout;
  Invalidate();
}

namespace {
// Copies a w x h block at column x0 of `src` into a new bitmap.
std::unique_ptr<TBitmap> CutImage(TBitmap& src, int x0, int w, int h) {
  auto image = std::make_unique<TBitmap>(w, h);
  for (int y = 0; y < h; ++y)
    std::memcpy(image->ScanLine(y), src.ScanLine(y) + x0 * 3, static_cast<size_t>(w) * 3);
  return image;
}
}  // namespace

void TBitBtn::GlyphChanged() {
  TBitmap& g = *glyph_;
  if (!g.Empty() && g.Width() % g.Height() == 0 && g.Width() / g.Height() <= 4)
    num_glyphs_ = g.Width() / g.Height();
  Invalidate();
}

// The images are cut from the glyph at each drawing, so drawing on the glyph's canvas after
// it was assigned shows too.
void TBitBtn::BuildImages() {
  for (auto& image : images_) image.reset();
  generated_disabled_.reset();
  TBitmap& g = *glyph_;
  if (!g.Empty()) {
    if (g.PixelFormat() != pf24bit) g.SetPixelFormat(pf24bit);
    int w = g.Width() / num_glyphs_;
    const uint8_t* corner = g.ScanLine(g.Height() - 1);
    TColor transparent = RGBColor(corner[2], corner[1], corner[0]);
    for (int i = 0; i < num_glyphs_; ++i) {
      images_[i] = CutImage(g, i * w, w, g.Height());
      images_[i]->SetTransparentColor(transparent);
      images_[i]->SetTransparent(true);
    }
  }
}

const TBitmap* TBitBtn::Image(bool enabled, bool pressed) {
  if (!images_[0]) return nullptr;
  if (!enabled) {
    if (images_[1]) return images_[1].get();
    if (!generated_disabled_) {
      // Embossed: every pixel that is neither transparent nor white becomes a shadow pixel
      // with a highlight pixel below and right of it.
      TBitmap& up = *images_[0];
      int w = up.Width(), h = up.Height();
      TColor key = up.TransparentColor();
      COLORREF hi = ColorToRGB(clBtnHighlight), sh = ColorToRGB(clBtnShadow);
      TColor fill = (key == static_cast<TColor>(hi) || key == static_cast<TColor>(sh))
                        ? RGBColor(255, 0, 255)
                        : key;
      auto dis = std::make_unique<TBitmap>(w, h);
      auto set = [&](int x, int y, COLORREF c) {
        uint8_t* p = dis->ScanLine(y) + x * 3;
        p[0] = GetBValue(c);
        p[1] = GetGValue(c);
        p[2] = GetRValue(c);
      };
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) set(x, y, static_cast<COLORREF>(fill));
      auto dark = [&](int x, int y) {
        const uint8_t* p = up.ScanLine(y) + x * 3;
        COLORREF c = RGB(p[2], p[1], p[0]);
        return c != static_cast<COLORREF>(key) && c != RGB(255, 255, 255);
      };
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          if (dark(x, y) && x + 1 < w && y + 1 < h) set(x + 1, y + 1, hi);
      for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
          if (dark(x, y)) set(x, y, sh);
      dis->SetTransparentColor(fill);
      dis->SetTransparent(true);
      generated_disabled_ = std::move(dis);
    }
    return generated_disabled_.get();
  }
  if (pressed && images_[2]) return images_[2].get();
  return images_[0].get();
}

// Along the layout's axis the glyph, the spacing and the caption form one block, centred or
// Margin pixels from the glyph's side; across it each is centred on its own.
void TBitBtn::CalcLayout(const RECT& client, POINT& glyph_pos, RECT& text_rect) {
  int cw = client.right - client.left, ch = client.bottom - client.top;
  int gw = glyph_->Empty() ? 0 : glyph_->Width() / num_glyphs_;
  int gh = glyph_->Empty() ? 0 : glyph_->Height();
  std::string caption = Caption();
  SIZE ts{0, 0};
  if (!caption.empty()) {
    ScreenFontDC dc(Font().Handle());
    RECT r{0, 0, cw, 0};
    DrawTextA(dc.Get(), caption.c_str(), -1, &r, DT_CALCRECT | DT_SINGLELINE);
    ts = {r.right - r.left, r.bottom - r.top};
  }
  int spacing = (gw == 0 || caption.empty()) ? 0 : spacing_;
  bool horizontal = layout_ == blGlyphLeft || layout_ == blGlyphRight;
  int room = horizontal ? cw : ch;
  int glyph_len = horizontal ? gw : gh, text_len = horizontal ? ts.cx : ts.cy;
  int margin = margin_ >= 0 ? margin_ : (room - (glyph_len + spacing + text_len)) / 2;
  int glyph_at = margin, text_at = margin + glyph_len + spacing;
  if (layout_ == blGlyphRight || layout_ == blGlyphBottom) {
    glyph_at = room - margin - glyph_len;
    text_at = glyph_at - spacing - text_len;
  }
  POINT text_pos;
  if (horizontal) {
    glyph_pos = {client.left + glyph_at, client.top + (ch - gh + 1) / 2};
    text_pos = {client.left + text_at, client.top + (ch - ts.cy + 1) / 2};
  } else {
    glyph_pos = {client.left + (cw - gw + 1) / 2, client.top + glyph_at};
    text_pos = {client.left + (cw - ts.cx + 1) / 2, client.top + text_at};
  }
  text_rect = {text_pos.x, text_pos.y, text_pos.x + ts.cx, text_pos.y + ts.cy};
}

void TBitBtn::DrawItem(const DRAWITEMSTRUCT& item) {
  BuildImages();
  TCanvas canvas(item.hDC);
  RECT r = item.rcItem;
  bool pressed = item.itemState & ODS_SELECTED;
  bool focused = item.itemState & ODS_FOCUS;
  bool enabled = !(item.itemState & ODS_DISABLED);
  if (focused || Default()) {
    canvas.Brush().SetColor(clWindowFrame);
    canvas.FrameRect(r);
    InflateRect(&r, -1, -1);
  }
  DrawFrameControl(item.hDC, &r, DFC_BUTTON, DFCS_BUTTONPUSH | (pressed ? DFCS_PUSHED : 0));
  RECT client = item.rcItem;
  if (pressed) OffsetRect(&client, 1, 1);
  POINT gp;
  RECT tr;
  CalcLayout(client, gp, tr);
  if (const TBitmap* image = Image(enabled, pressed)) canvas.Draw(gp.x, gp.y, *image);
  std::string caption = Caption();
  canvas.Font().Assign(Font());
  // The caption goes straight onto the face: a clear brush makes the text background
  // transparent (a solid one would box the caption in the brush's colour).
  canvas.Brush().SetStyle(bsClear);
  if (enabled) {
    canvas.TextRect(tr, caption, DT_SINGLELINE | DT_LEFT);
  } else {
    OffsetRect(&tr, 1, 1);
    canvas.Font().SetColor(clBtnHighlight);
    canvas.TextRect(tr, caption, DT_SINGLELINE | DT_LEFT);
    OffsetRect(&tr, -1, -1);
    canvas.Font().SetColor(clBtnShadow);
    canvas.TextRect(tr, caption, DT_SINGLELINE | DT_LEFT);
  }
  if (focused) {
    RECT f = item.rcItem;
    InflateRect(&f, -4, -4);
    canvas.DrawFocusRect(f);
  }
}

void TBitBtn::WndProc(TMessage& m) {
  switch (m.Msg) {
    case CN_DRAWITEM:
      DrawItem(*reinterpret_cast<DRAWITEMSTRUCT*>(m.LParam));
      m.Result = 1;
      return;
    case WM_LBUTTONDBLCLK:
      // A quick second click is a click, not a double click.
      m.Msg = WM_LBUTTONDOWN;
      break;
    case CM_ENABLEDCHANGED:
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
      Invalidate();
      break;
  }
  TButton::WndProc(m);
}

}  // namespace framework
