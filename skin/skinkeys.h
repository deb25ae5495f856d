// The 84 skin key names in their four groups (colours, bitmaps, metrics, flags), as the skin
// resource file names its entries. Used by ZizoSkinReader, the dzskin tool and the default
// skin's generator. Constant data; thread-safe.
#pragma once

#include <cstddef>
#include <string_view>

namespace skin {

enum class SkinGroup { Color, Bitmap, Metric, Flag };

constexpr int kSkinKeyCount = 84;
constexpr int kColorKeyFirst = 0, kColorKeyCount = 32;
constexpr int kBitmapKeyFirst = 32, kBitmapKeyCount = 34;
constexpr int kMetricKeyFirst = 66, kMetricKeyCount = 9;
constexpr int kFlagKeyFirst = 75, kFlagKeyCount = 9;

// Key names "SKIN2_TRANSCOLOR" ... "SKIN2_TABCONTROLTRANS", in key-number order.
extern const char* const kSkinKeyNames[kSkinKeyCount];

// The group a key number belongs to. REQUIRES: 0 <= key < kSkinKeyCount.
SkinGroup GroupOfKey(int key);
// The first key number of a group.
int FirstKeyOf(SkinGroup group);
int KeyCountOf(SkinGroup group);
// The key number of a name (exact, upper-case spelling), or -1.
int FindKey(std::string_view name);

// Colour keys by index (SkinColor).
enum SkinColorIndex {
  kTransColor,
  kTitleFontColor,
  kFormColor,
  kMenuBarStartColor,
  kMenuBarEndColor,
  kTopSelectedMenuColor,
  kTopSelectedMenuBorderColor,
  kTopSelectedMenuFontColor,
  kTopMenuFontColor,
  kLeftBarStartColor,
  kLeftBarEndColor,
  kMenuItemColor,
  kMenuItemFontColor,
  kSelectedMenuColor,
  kSelectedMenuBorderColor,
  kSelectedMenuFontColor,
  kToolBarStartColor,
  kToolBarEndColor,
  kToolBarOnColor,
  kToolBarBorderColor,
  kToolBarDownColor,
  kControlColor,
  kControlBorderColor,
  kControlFontColor,
  kButtonFontColor,
  kScrollBarColor,
  kTabControlColor,
  kTabControlBorderColor,
  kTabControlActiveFontColor,
  kTabControlInactiveFontColor,
  kSideChannelColor,
  kSideChannelBorderColor
};

// Bitmap keys by index (SkinBitmap).
enum SkinBitmapIndex {
  kTitleBar1,
  kTitleBar2,
  kTitleBar3,
  kTitleBar4,
  kTitleBar5,
  kFormLeftBorder,
  kFormRightBorder,
  kFormBottomBorder1,
  kFormBottomBorder2,
  kFormBottomBorder3,
  kMinimizedTitle,
  kTitleButtons,
  kCheckedMenuIcon,
  kMenuBarBitmap,
  kToolBarBitmap,
  kButtonBitmap,
  kCheckBoxBitmap,
  kCheckBoxListBitmap,
  kRadioButtonBitmap,
  kProgressBar1,
  kProgressBar2,
  kProgressBar3,
  kProgressBar4,
  kTrackBarBitmap,
  kTrackBarSlider,
  kTrackBarVSlider,
  kScrollBarUpButton,
  kScrollBarThumb,
  kScrollBarDownButton,
  kTabControlBitmap,
  kTabControlLine,
  kSideChannelBar,
  kSideChannelTitle,
  kScrollButton
};

// Metric keys by index (SkinMetric).
enum SkinMetricIndex {
  kTitleBarIconPosX,
  kTitleBarIconPosY,
  kTitleBarCaptionTop,
  kTitleBarButtonPosX,
  kTitleBarButtonPosY,
  kTitleBarRegionMinY,
  kTitleBarRegionMaxY,
  kBottomRegionMinY,
  kBottomRegionMaxY
};

// Flag keys by index (SkinFlag).
enum SkinFlagIndex {
  kTitleFiveSect,
  kBottomBorderThreeSect,
  kTitleBarNeedRegion,
  kBottomBorderNeedRegion,
  kTitleBtnTrans,
  kButtonTrans,
  kCheckBoxTrans,
  kRadioButtonTrans,
  kTabControlTrans
};

}  // namespace skin
