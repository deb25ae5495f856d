// TBitBtn: a push button that draws itself (owner-drawn BUTTON): a glyph beside the caption
// (left, right, above or below it: Layout), Spacing pixels apart, the pair centred in the
// button or Margin pixels from the glyph's side. The glyph bitmap holds NumGlyphs
// images side by side (up, disabled, clicked, down); its bottom-left pixel's colour is drawn
// transparent. Without a disabled image one is made from the up image (embossed grey).
// UI thread only.
#pragma once

#include <memory>

#include "framework/bitmap.h"
#include "framework/button.h"

namespace framework {

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

class TBitBtn : public TButton {
 public:
  DZ_CLASS(TBitBtn, TButton)
  explicit TBitBtn(TComponent* owner);
  ~TBitBtn() override;

  // The glyph; assign pixels to it (or Glyph().Assign(other)); NumGlyphs follows its
  // width when that is a multiple of its height.
  TBitmap& Glyph() { return *glyph_; }
  int NumGlyphs() const { return num_glyphs_; }
  void SetNumGlyphs(int count);
  int Spacing() const { return spacing_; }
  void SetSpacing(int spacing);
  int Margin() const { return margin_; }  // -1: the glyph and caption are centred
  void SetMargin(int margin);
  TButtonLayout Layout() const { return layout_; }
  void SetLayout(TButtonLayout layout);

  // Where the glyph and the caption go in a button of the given size (client coordinates,
  // unpressed). Exposed for painters that draw the same layout (the skin engine's).
  void CalcLayout(const RECT& client, POINT& glyph_pos, RECT& text_rect);

 protected:
  void CreateParams(TCreateParams& params) override;
  void WndProc(TMessage& message) override;

 private:
  void GlyphChanged();
  void BuildImages();
  void DrawItem(const DRAWITEMSTRUCT& item);
  const TBitmap* Image(bool enabled, bool pressed);

  std::unique_ptr<TBitmap> glyph_;
  std::unique_ptr<TBitmap> images_[4];  // up, disabled, clicked, down; empty when absent
  std::unique_ptr<TBitmap> generated_disabled_;
  int num_glyphs_ = 1;
  int spacing_ = 4;
  int margin_ = -1;
  TButtonLayout layout_ = blGlyphLeft;
};

}  // namespace framework
