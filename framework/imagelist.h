// TImageList: equally sized images with masks in one comctl32 image list, drawn normally or in
// the disabled (embossed grey) style. Used by menus, bitmap buttons, tool bars and the skin
// engine. UI thread only; owns its HIMAGELIST; a component, freed by its owner or explicitly.
#pragma once

#include <windows.h>

#include <commctrl.h>

#include <functional>

#include "framework/bitmap.h"
#include "framework/component.h"
#include "framework/graphics.h"

namespace framework {

enum TDrawingStyle { dsFocus, dsSelected, dsNormal, dsTransparent };
enum TImageType { itImage, itMask };

class TImageList : public TComponent {
 public:
  DZ_CLASS(TImageList, TComponent)
  explicit TImageList(TComponent* owner = nullptr, int width = 16, int height = 16);
  ~TImageList() override;
  TImageList(const TImageList&) = delete;
  TImageList& operator=(const TImageList&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  // Changing the size clears the list.
  void SetSize(int width, int height);
  int Count() const;

  // The background colour ImageList_DrawEx fills behind masked pixels (clNone: transparent)
  // and the blend colour of the selected/focused styles.
  TColor BkColor() const { return bk_color_; }
  void SetBkColor(TColor color) { bk_color_ = color; }
  TColor BlendColor() const { return blend_color_; }
  void SetBlendColor(TColor color) { blend_color_ = color; }
  TDrawingStyle DrawingStyle() const { return drawing_style_; }
  void SetDrawingStyle(TDrawingStyle style) { drawing_style_ = style; }
  TImageType ImageType() const { return image_type_; }
  void SetImageType(TImageType type) { image_type_ = type; }

  HIMAGELIST Handle();  // created on demand (24-bit colour with masks)

  // Adds the image with its mask (white = transparent; none: all visible); a bitmap wider than
  // Width() adds one image per Width() columns. Returns the first new index, -1 on failure.
  int Add(const TBitmap& image, const TBitmap* mask);
  // Adds the image with every pixel of `mask_color` transparent.
  int AddMasked(const TBitmap& image, TColor mask_color);
  int AddIcon(const TIcon& icon);
  bool Replace(int index, const TBitmap& image, const TBitmap* mask);
  // Replaces image `index`, every pixel of `mask_color` transparent.
  bool ReplaceMasked(int index, const TBitmap& image, TColor mask_color);
  void Delete(int index);
  void Clear();
  // Copies image `index` (drawn on a background of the bitmap's current colour) into `image`.
  bool GetBitmap(int index, TBitmap& image);

  // Draws image `index` at (x, y) in DrawingStyle, or when !enabled in the disabled style:
  // the image's shape in clBtnHighlight, offset by one pixel, under the shape in clBtnShadow.
  void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true);

  std::function<void(TImageList&)> OnChange;

 private:
  void Changed();
  UINT StyleFlags() const;

  int width_;
  int height_;
  HIMAGELIST handle_ = nullptr;
  TColor bk_color_ = clNone;
  TColor blend_color_ = clNone;
  TDrawingStyle drawing_style_ = dsNormal;
  TImageType image_type_ = itImage;
};

}  // namespace framework
