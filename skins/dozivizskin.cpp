// "Doziviz steel": a steel-blue skin around the program's own colour (red 103, green 139,
// blue 184). Title bar in five sections with rounded top corners (cut out through the title
// region), 4-pixel bevelled borders, caption buttons that light up blue (red for close) when
// hot and sink when pressed, glassy push buttons, and matching controls. Transparent parts
// are magenta; anti-aliased edges are blended onto the colour they will be drawn over.
#include "skins/dozivizskin.h"

#include <cmath>
#include <map>

#include "skin/raster.h"
#include "skin/skinkeys.h"

namespace skingen {

using namespace skin;  // the generator draws with the skin library's raster toolkit

namespace {

// --- Palette ----------------------------------------------------------------------------------
const ColorRef kProgramColor = Rgb(0x678BB8);
const ColorRef kOutline = Rgb(0x2B4564);    // outermost frame line
const ColorRef kSeparator = Rgb(0x2F4B6E);  // line between title bar and client area
const ColorRef kFormColor = Rgb(0xDCE4EE);
const ColorRef kControlBorder = Rgb(0x7F98B8);
const ColorRef kText = Rgb(0x1E2E42);
const ColorRef kWhite = Rgb(0xFFFFFF);
const ColorRef kTrack = Rgb(0xCED9E6);  // scroll bar track

// Title bar: the caption section is lighter than the rest of the bar.
constexpr int kTitleHeight = 26;
const ColorRef kCaptionTop = Rgb(0x7A9CC8), kCaptionBottom = Rgb(0x4D6F9C);
const ColorRef kCaptionHighlight = Rgb(0xA9C2E2);
const ColorRef kRestTop = Rgb(0x6284B1), kRestBottom = Rgb(0x3E5E87);
const ColorRef kRestHighlight = Rgb(0x8DA9CF);
// Border columns from the outside in (the left border; the right one is mirrored).
const ColorRef kBorder[4] = {kOutline, Rgb(0x809FC8), Rgb(0x5E80AC), Rgb(0x3D5A80)};

// Caption buttons: one frame is 22 x 18.
constexpr int kCapW = 22, kCapH = 18;
constexpr int kCaptionButtonY = (kTitleHeight - kCapH) / 2;

enum class Section { Caption, Rest };

ColorRef TitleBody(Section s, int y) {
  if (y <= 0) return kOutline;
  if (y == 1) return s == Section::Caption ? kCaptionHighlight : kRestHighlight;
  if (y >= kTitleHeight - 1) return kSeparator;
  const double t = double(y - 2) / (kTitleHeight - 4);
  return s == Section::Caption ? Mix(kCaptionTop, kCaptionBottom, t)
                               : Mix(kRestTop, kRestBottom, t);
}

SkinImage Magenta(int w, int h) { return SkinImage(w, h, kMagenta); }

// A uniform title section (stretched by the frame painter).
SkinImage TitleStrip(Section s, int w) {
  SkinImage img(w, kTitleHeight);
  Fill(img, {0, 0, w, kTitleHeight}, [s](int, int y) { return TitleBody(s, y); });
  return img;
}

// The left end: outline and a highlight column, rounded top-left corner, border columns
// continuing into the bottom row.
SkinImage TitleLeft(int w) {
  SkinImage img = Magenta(w, kTitleHeight);
  const double r = 6;
  FillShape(img, TopRoundRectShape({0, 0, w + 20, kTitleHeight}, r), Solid(kOutline), Crisp());
  FillShape(
      img, TopRoundRectShape({1, 1, w + 20, kTitleHeight}, r - 1),
      [](int x, int y) {
        if (x == 1 && y > 1 && y < kTitleHeight - 1) return Mix(kCaptionHighlight, kWhite, 0.15);
        return TitleBody(Section::Caption, y);
      },
      Crisp());
  for (int x = 1; x < 4; ++x) img.SetPixel(x, kTitleHeight - 1, kBorder[x]);
  return img;
}

SkinImage TitleRight(int w) {
  SkinImage img = Magenta(w, kTitleHeight);
  const double r = 6;
  FillShape(img, TopRoundRectShape({-20, 0, w, kTitleHeight}, r), Solid(kOutline), Crisp());
  FillShape(
      img, TopRoundRectShape({-20, 1, w - 1, kTitleHeight}, r - 1),
      [w](int x, int y) {
        if (x == w - 2 && y > 1 && y < kTitleHeight - 1)
          return Mix(TitleBody(Section::Rest, y), kOutline, 0.35);
        return TitleBody(Section::Rest, y);
      },
      Crisp());
  for (int x = 1; x < 4; ++x) img.SetPixel(w - 1 - x, kTitleHeight - 1, kBorder[x]);
  return img;
}

// The fixed section after the caption: the light caption band sweeps into the darker rest of
// the bar along a curve, anti-aliased between the two.
SkinImage TitleSweep(int w) {
  SkinImage img(w, kTitleHeight);
  auto boundary = [w](double y) {
    const double t = std::clamp(y / kTitleHeight, 0.0, 1.0);
    return 3 + (w - 7) * std::pow(1 - t, 1.6);
  };
  for (int y = 0; y < kTitleHeight; ++y)
    for (int x = 0; x < w; ++x) {
      int left = 0;
      for (int s = 0; s < 16; ++s) {
        const double px = x + (s % 4 + 0.5) / 4, py = y + (s / 4 + 0.5) / 4;
        if (px < boundary(py)) ++left;
      }
      img.SetPixel(x, y,
                   Mix(TitleBody(Section::Rest, y), TitleBody(Section::Caption, y), left / 16.0));
    }
  return img;
}

SkinImage MinimizedTitle() {
  const int w = 60;
  SkinImage img = Magenta(w, kTitleHeight);
  FillShape(img, RoundRectShape({0, 0, w, kTitleHeight}, 6), Solid(kOutline), Crisp());
  FillShape(
      img, RoundRectShape({1, 1, w - 1, kTitleHeight - 1}, 5),
      [](int, int y) { return TitleBody(Section::Caption, std::min(y, kTitleHeight - 2)); },
      Crisp());
  return img;
}

SkinImage SideBorder(bool left) {
  SkinImage img(4, 8);
  for (int x = 0; x < 4; ++x) Fill(img, {x, 0, x + 1, 8}, Solid(kBorder[left ? x : 3 - x]));
  return img;
}

// Bottom border pieces, 4 rows from the client edge down to the outline; the ends carry the
// corner where the side columns meet the rows.
constexpr int kBottomHeight = 4;
ColorRef BottomRow(int y) { return kBorder[3 - y]; }

SkinImage BottomEnd(bool left) {
  const int w = 8;
  SkinImage img(w, kBottomHeight);
  for (int y = 0; y < kBottomHeight; ++y)
    for (int x = 0; x < w; ++x) {
      const int fromEdge = left ? x : w - 1 - x;     // 0 at the window's side
      const int fromBottom = kBottomHeight - 1 - y;  // 0 at the window's bottom
      img.SetPixel(x, y, kBorder[std::min(fromEdge, fromBottom)]);
    }
  return img;
}

SkinImage BottomMiddle() {
  SkinImage img(4, kBottomHeight);
  Fill(img, {0, 0, 4, kBottomHeight}, [](int, int y) { return BottomRow(y); });
  return img;
}

// --- Caption buttons ----------------------------------------------------------------------------

enum class Glyph { Help, Maximize, Restore, Minimize, Close };
enum class State { Normal, Hot, Pressed };

void Rect1(SkinImage& img, int l, int t, int r, int b, ColorRef c) {
  Fill(img, {l, t, r, b}, Solid(c));
}

void DrawGlyph(SkinImage& img, Glyph g, int dx, int dy, ColorRef c) {
  auto box = [&](int l, int t, int r, int b) {  // outline with a 2-pixel top
    Rect1(img, l + dx, t + dy, r + dx, t + 2 + dy, c);
    Rect1(img, l + dx, t + dy, l + 1 + dx, b + dy, c);
    Rect1(img, r - 1 + dx, t + dy, r + dx, b + dy, c);
    Rect1(img, l + dx, b - 1 + dy, r + dx, b + dy, c);
  };
  switch (g) {
    case Glyph::Minimize:
      Rect1(img, 6 + dx, 11 + dy, 15 + dx, 13 + dy, c);
      break;
    case Glyph::Maximize:
      box(6, 4, 16, 14);
      break;
    case Glyph::Restore:
      // The back window shows only where the front one does not cover it.
      Rect1(img, 8 + dx, 3 + dy, 17 + dx, 5 + dy, c);
      Rect1(img, 16 + dx, 3 + dy, 17 + dx, 11 + dy, c);
      Rect1(img, 14 + dx, 10 + dy, 17 + dx, 11 + dy, c);
      Rect1(img, 8 + dx, 3 + dy, 9 + dx, 6 + dy, c);
      box(5, 6, 14, 15);
      break;
    case Glyph::Close:
      DrawLine(img, 6.5 + dx, 4.5 + dy, 14.5 + dx, 12.5 + dy, 2.1, c, Crisp());
      DrawLine(img, 14.5 + dx, 4.5 + dy, 6.5 + dx, 12.5 + dy, 2.1, c, Crisp());
      break;
    case Glyph::Help: {
      static const char* kRows[] = {" #### ", "##  ##", "    ##", "   ## ", "  ##  ",
                                    "  ##  ", "      ", "  ##  ", "  ##  "};
      for (int y = 0; y < 9; ++y)
        for (int x = 0; x < 6; ++x)
          if (kRows[y][x] == '#') SetPixelSafe(img, 8 + x + dx, 4 + y + dy, c);
      break;
    }
  }
}

SkinImage CaptionButton(Glyph g, State s) {
  SkinImage img = Magenta(kCapW, kCapH);
  const bool close = g == Glyph::Close;
  const Rect face = {1, 0, kCapW - 1, kCapH};
  const Edge edge = Matte(Mix(kRestTop, kRestBottom, 0.5));
  if (s == State::Hot) {
    FillShape(img, RoundRectShape(face, 3.5), Solid(close ? Rgb(0x7A1E17) : kOutline), edge);
    FillShape(img, RoundRectShape(face.Inset(1), 2.5),
              close ? VGradient(face, Rgb(0xF08A80), Rgb(0xC8382B))
                    : VGradient(face, Rgb(0xB5CDEB), Rgb(0x6F93C2)),
              edge);
  } else if (s == State::Pressed) {
    FillShape(img, RoundRectShape(face, 3.5), Solid(close ? Rgb(0x5E140F) : Rgb(0x1C2F47)), edge);
    FillShape(img, RoundRectShape(face.Inset(1), 2.5),
              close ? VGradient(face, Rgb(0x8E2A23), Rgb(0xB5372D))
                    : VGradient(face, Rgb(0x2F4A6D), Rgb(0x4A6B96)),
              edge);
  }
  const int shift = s == State::Pressed ? 1 : 0;
  if (s == State::Normal) DrawGlyph(img, g, 1, 1, Rgb(0x22384F));
  DrawGlyph(img, g, shift, shift, kWhite);
  return img;
}

SkinImage CaptionButtons() {
  std::vector<SkinImage> frames;
  const Glyph order[6] = {Glyph::Help,     Glyph::Help, Glyph::Maximize, Glyph::Restore,
                          Glyph::Minimize, Glyph::Close};  // frames 1-3 are never drawn
  for (Glyph g : order)
    for (State s : {State::Normal, State::Hot, State::Pressed})
      frames.push_back(CaptionButton(g, s));
  return JoinFrames(frames);
}

// --- Push button, check box, radio button -------------------------------------------------------

SkinImage PushButton(State s) {
  const int w = 21, h = 23;
  SkinImage img = Magenta(w, h);
  const Rect all = {0, 0, w, h};
  const Edge edge = Matte(kFormColor);
  const ColorRef outline = s == State::Hot       ? Rgb(0x3D6FB0)
                           : s == State::Pressed ? Rgb(0x2B4564)
                                                 : Rgb(0x5C7699);
  FillShape(img, RoundRectShape(all, 3.5), Solid(outline), edge);
  const Rect in = all.Inset(1);
  const int split = h / 2;  // glass: the lower half is a shade deeper
  Shader face;
  if (s == State::Pressed) {
    face = [=](int, int y) {
      return y < 3 ? Mix(Rgb(0xA9BBD2), Rgb(0xC3D3E6), (y - 1) / 2.0)
                   : Mix(Rgb(0xC3D3E6), Rgb(0xDCE5F0), double(y - 3) / (h - 5));
    };
  } else {
    const bool hot = s == State::Hot;
    const ColorRef t0 = kWhite, t1 = hot ? Rgb(0xE8F1FC) : Rgb(0xF0F4F9);
    const ColorRef b0 = hot ? Rgb(0xD3E5F9) : Rgb(0xE0E7F0),
                   b1 = hot ? Rgb(0xBCD6F3) : Rgb(0xCFD9E6);
    face = [=](int, int y) {
      return y < split ? Mix(t0, t1, double(y - 1) / (split - 2))
                       : Mix(b0, b1, double(y - split) / (h - 2 - split));
    };
  }
  FillShape(img, RoundRectShape(in, 2.5), face, edge);
  if (s == State::Hot) {  // a soft blue ring inside the outline
    FillShape(img, RoundRectShape(in, 2.5), Solid(Rgb(0x9EC3EE)), edge);
    FillShape(img, RoundRectShape(in.Inset(1), 1.5), face, edge);
  }
  return img;
}

struct ControlLook {
  ColorRef outline, face0, face1, mark0, mark1;
};
ControlLook Look(bool enabled) {
  if (enabled) return {Rgb(0x5C7699), kWhite, Rgb(0xE1E8F1), Rgb(0x4F8AD0), Rgb(0x1E4F8F)};
  return {Rgb(0xA8B4C4), Rgb(0xF3F5F8), Rgb(0xE8ECF1), Rgb(0xB4BDCA), Rgb(0x9AA5B4)};
}

enum class Check { Checked, Grayed, Unchecked };

SkinImage CheckBox(Check c, bool enabled) {
  const int n = 13;
  SkinImage img = Magenta(n, n);
  const ControlLook look = Look(enabled);
  const Rect all = {0, 0, n, n};
  FillShape(img, RoundRectShape(all, 2), Solid(look.outline), Matte(kFormColor));
  FillShape(img, RoundRectShape(all.Inset(1), 1), VGradient(all, look.face0, look.face1),
            Matte(kFormColor));
  if (c == Check::Checked) {
    DrawLine(img, 3, 6, 5, 8.4, 2.0, look.mark1, Crisp());
    DrawLine(img, 5, 8.4, 9.2, 3.2, 2.0, look.mark1, Crisp());
  } else if (c == Check::Grayed) {
    FillShape(img, RoundRectShape({3, 3, 10, 10}, 1),
              VGradient({3, 3, 10, 10}, look.mark0, look.mark1), Crisp());
  }
  return img;
}

SkinImage RadioButton(bool checked, bool enabled) {
  const int n = 13;
  SkinImage img = Magenta(n, n);
  const ControlLook look = Look(enabled);
  FillShape(img, EllipseShape(6.5, 6.5, 6.5, 6.5), Solid(look.outline), Matte(kFormColor));
  FillShape(img, EllipseShape(6.5, 6.5, 5.5, 5.5), VGradient({0, 0, n, n}, look.face0, look.face1),
            Matte(kFormColor));
  if (checked)
    FillShape(img, EllipseShape(6.5, 6.5, 2.9, 2.9),
              VGradient({3, 3, 10, 10}, look.mark0, look.mark1), Crisp());
  return img;
}

// --- Scroll bar ---------------------------------------------------------------------------------

SkinImage ScrollButton(bool up, State s) {
  const int n = 16;
  SkinImage img = Magenta(n, n);
  const Rect all = {0, 0, n, n};
  const Edge edge = Matte(kTrack);
  const ColorRef outline = s == State::Hot       ? Rgb(0x3D6FB0)
                           : s == State::Pressed ? Rgb(0x2B4564)
                                                 : Rgb(0x8397B3);
  FillShape(img, RoundRectShape(all, 2.5), Solid(outline), edge);
  const Shader face = s == State::Hot       ? HGradient(all, kWhite, Rgb(0xC4DAF3))
                      : s == State::Pressed ? HGradient(all, Rgb(0xB2C5DE), Rgb(0xD0DCEA))
                                            : HGradient(all, Rgb(0xF7F9FC), Rgb(0xD3DDE9));
  FillShape(img, RoundRectShape(all.Inset(1), 1.5), face, edge);
  const double o = s == State::Pressed ? 0.5 : 0;
  const double tipY = up ? 5.5 + o : 10.5 + o, baseY = up ? 10 + o : 6 + o;
  Shape arrow = [=](double x, double y) {
    // A triangle from the base line to the tip, 9 pixels wide at the base.
    const double t = (y - baseY) / (tipY - baseY);
    if (t < 0 || t > 1) return false;
    const double half = 4.5 * (1 - t);
    return std::abs(x - (8 + o)) <= half;
  };
  FillShape(img, arrow, Solid(s == State::Hot ? Rgb(0x1F4E8C) : kOutline), Crisp());
  return img;
}

SkinImage ScrollButtons(bool up) {
  return JoinFrames({ScrollButton(up, State::Normal), ScrollButton(up, State::Hot),
                     ScrollButton(up, State::Pressed)});
}

// Thumb of a vertical bar: caps of 3 rows, plain stretchable middles, a grip of three ridges.
SkinImage ScrollThumb() {
  const int w = 16, h = 27;
  SkinImage img = Magenta(w, h);
  const Rect all = {0, 0, w, h};
  FillShape(img, RoundRectShape(all, 2.5), Solid(Rgb(0x5F7899)), Matte(kTrack));
  FillShape(img, RoundRectShape(all.Inset(1), 1.5), HGradient(all, Rgb(0xE9F0F8), Rgb(0xA9BDD6)),
            Matte(kTrack));
  for (int ridge : {11, 13, 15}) {
    Fill(img, {5, ridge, 11, ridge + 1}, Solid(Rgb(0x5F7899)));
    Fill(img, {5, ridge + 1, 11, ridge + 2}, Solid(Rgb(0xF4F7FB)));
  }
  return img;
}

// --- Progress bar, track bar, tabs
// ----------------------------------------------------------------

constexpr int kProgressHeight = 16;
const ColorRef kProgressOutline = Rgb(0x6F86A6);

SkinImage ProgressCap(bool left) {
  SkinImage img(2, kProgressHeight, kFormColor);
  const int outer = left ? 0 : 1, inner = left ? 1 : 0;
  Fill(img, {outer, 1, outer + 1, kProgressHeight - 1}, Solid(kProgressOutline));
  Fill(img, {inner, 0, inner + 1, 1}, Solid(kProgressOutline));
  Fill(img, {inner, kProgressHeight - 1, inner + 1, kProgressHeight}, Solid(kProgressOutline));
  Fill(img, {inner, 1, inner + 1, kProgressHeight - 1}, Solid(Rgb(0xF4F7FB)));
  return img;
}

SkinImage ProgressBody(bool filled) {
  SkinImage img(4, kProgressHeight);
  const int h = kProgressHeight;
  Fill(img, {0, 0, 4, h}, [=](int, int y) {
    if (y == 0 || y == h - 1) return kProgressOutline;
    if (filled) {
      if (y == 1) return Rgb(0xB9D3F1);
      if (y == h - 2) return Rgb(0x2F5A91);
      const double t = double(y - 2) / (h - 5);
      return t < 0.45 ? Mix(Rgb(0x94B9E6), Rgb(0x6D97CF), t / 0.45)
                      : Mix(Rgb(0x4D7BB8), Rgb(0x3C6AA7), (t - 0.45) / 0.55);
    }
    return Mix(Rgb(0xDCE4EE), Rgb(0xFBFCFE), double(y - 1) / (h - 3));
  });
  return img;
}

SkinImage TrackChannel() {
  const int w = 15, h = 6;
  SkinImage img = Magenta(w, h);
  const Rect all = {0, 0, w, h};
  FillShape(img, RoundRectShape(all, 2.5), Solid(Rgb(0x7D93B2)), Matte(kFormColor));
  FillShape(img, RoundRectShape({1, 1, w - 1, h}, 1.5), VGradient(all, Rgb(0xB8C8DC), kWhite),
            Matte(kFormColor));
  return img;
}

// Track bar thumb pointing down (horizontal bar) or right (vertical bar). The bottom-left pixel
// is left transparent: the painter takes it as the transparent colour.
SkinImage Slider(bool vertical) {
  const double len = 20, across = 11, body = 13.5;
  const int w = vertical ? int(len) : int(across), h = vertical ? int(across) : int(len);
  SkinImage img = Magenta(w, h);
  auto inside = [=](double inset) -> Shape {
    return [=](double x, double y) {
      const double a = vertical ? y : x;  // across the bar
      const double l = vertical ? x : y;  // along the thumb, towards the point
      if (a < inset || a > across - inset || l < inset) return false;
      if (l <= body) {
        // Round the two corners away from the point.
        const double r = 2.5 - inset * 0.5;
        if (l < inset + r) {
          const double ca = std::clamp(a, inset + r, across - inset - r);
          return (a - ca) * (a - ca) + (l - inset - r) * (l - inset - r) <= r * r;
        }
        return true;
      }
      const double half =
          (across / 2 - inset) * (len - inset * 1.4 - l) / (len - body - inset * 1.4);
      return std::abs(a - across / 2) <= half;
    };
  };
  const Rect all = {0, 0, w, h};
  FillShape(img, inside(0), Solid(Rgb(0x3F5F88)), Matte(kFormColor));
  FillShape(
      img, inside(1),
      vertical ? VGradient(all, kWhite, Rgb(0xBBD0EA)) : HGradient(all, kWhite, Rgb(0xBBD0EA)),
      Matte(kFormColor));
  img.SetPixel(0, h - 1, kMagenta);
  return img;
}

SkinImage Tab(bool selected) {
  const int w = 18, h = 21;
  SkinImage img = Magenta(w, h);
  const int top = selected ? 0 : 2;
  const Rect shape = {0, top, w, h + 4};  // open at the bottom
  FillShape(img, TopRoundRectShape(shape, 3.5), Solid(selected ? kControlBorder : Rgb(0x97AAC3)),
            Matte(kFormColor));
  if (selected) {
    FillShape(
        img, TopRoundRectShape(shape.Inset(1), 2.5),
        [=](int, int y) {
          if (y <= 2) return y == 1 ? Rgb(0x8FAED6) : kProgramColor;
          return Mix(kWhite, Rgb(0xF1F5FA), double(y - 3) / (h - 4));
        },
        Matte(kFormColor));
    Fill(img, {1, h - 1, w - 1, h}, Solid(Rgb(0xF1F5FA)));
  } else {
    FillShape(img, TopRoundRectShape(shape.Inset(1), 2.5),
              VGradient({0, top, w, h}, Rgb(0xEDF2F8), Rgb(0xCFDAE7)), Matte(kFormColor));
    Fill(img, {0, h - 1, w, h}, Solid(kControlBorder));
  }
  return img;
}

SkinImage TabLine() {
  SkinImage img(8, 2);
  Fill(img, {0, 0, 8, 1}, Solid(kControlBorder));
  Fill(img, {0, 1, 8, 2}, Solid(Rgb(0xF1F5FA)));
  return img;
}

SkinImage CheckedMenuIcon() {
  SkinImage img = Magenta(16, 16);
  const Edge edge = Matte(Rgb(0xF6F8FB));
  FillShape(img, RoundRectShape({1, 1, 15, 15}, 3), Solid(kProgramColor), edge);
  FillShape(img, RoundRectShape({2, 2, 14, 14}, 2),
            VGradient({2, 2, 14, 14}, Rgb(0xEAF1FA), Rgb(0xC9DAEF)), edge);
  DrawLine(img, 4, 7.5, 6.6, 10.2, 2.0, Rgb(0x1F3A5F), Crisp());
  DrawLine(img, 6.6, 10.2, 11.2, 4.6, 2.0, Rgb(0x1F3A5F), Crisp());
  return img;
}

SkinImage Gradient(int w, int h, ColorRef c0, ColorRef c1) {
  SkinImage img(w, h);
  Fill(img, {0, 0, w, h}, VGradient({0, 0, w, h}, c0, c1));
  return img;
}

const std::map<std::string, ColorRef>& Colors() {
  static const std::map<std::string, ColorRef> colors = {
      {"SKIN2_TRANSCOLOR", kMagenta},
      {"SKIN2_TITLEFONTCOLOR", kWhite},
      {"SKIN2_FORMCOLOR", kFormColor},
      {"SKIN2_MENUBARSTARTCOLOR", Rgb(0xD3DDE9)},
      {"SKIN2_MENUBARENDCOLOR", Rgb(0xC3D1E2)},
      {"SKIN2_TOPSELECTEDMENUCOLOR", Rgb(0xB3CAE6)},
      {"SKIN2_TOPSELECTEDMENUBORDERCOLOR", Rgb(0x4F6F99)},
      {"SKIN2_TOPSELECTEDMENUFONTCOLOR", Rgb(0x10233A)},
      {"SKIN2_TOPMENUFONTCOLOR", kText},
      {"SKIN2_LEFTBARSTARTCOLOR", Rgb(0xCBD7E6)},
      {"SKIN2_LEFTBARENDCOLOR", Rgb(0xB7C8DD)},
      {"SKIN2_MENUITEMCOLOR", Rgb(0xF6F8FB)},
      {"SKIN2_MENUITEMFONTCOLOR", kText},
      {"SKIN2_SELECTEDMENUCOLOR", kProgramColor},
      {"SKIN2_SELECTEDMENUBORDERCOLOR", Rgb(0x3D5A80)},
      {"SKIN2_SELECTEDMENUFONTCOLOR", kWhite},
      {"SKIN2_TOOLBARSTARTCOLOR", Rgb(0xD3DDE9)},
      {"SKIN2_TOOLBARENDCOLOR", Rgb(0xC3D1E2)},
      {"SKIN2_TOOLBARONCOLOR", Rgb(0xC4D8F0)},
      {"SKIN2_TOOLBARBORDERCOLOR", Rgb(0x4F6F99)},
      {"SKIN2_TOOLBARDOWNCOLOR", Rgb(0x9DB8DB)},
      {"SKIN2_CONTROLCOLOR", Rgb(0xF7F9FC)},
      {"SKIN2_CONTROLBORDERCOLOR", kControlBorder},
      {"SKIN2_CONTROLFONTCOLOR", kText},
      {"SKIN2_BUTTONFONTCOLOR", kText},
      {"SKIN2_SCROLLBARCOLOR", kTrack},
      {"SKIN2_TABCONTROLCOLOR", Rgb(0xF1F5FA)},
      {"SKIN2_TABCONTROLBORDERCOLOR", kControlBorder},
      {"SKIN2_TABCONTROLACTIVEFONTCOLOR", Rgb(0x10233A)},
      {"SKIN2_TABCONTROLINACTIVEFONTCOLOR", Rgb(0x4A5F7A)},
      {"SKIN2_SIDECHANNELCOLOR", Rgb(0xCBD7E6)},
      {"SKIN2_SIDECHANNELBORDERCOLOR", kControlBorder},
  };
  return colors;
}

}  // namespace

skin::ColorRef DefaultSkinColor(const std::string& key) {
  auto it = Colors().find(key);
  return it == Colors().end() ? kMagenta : it->second;
}

std::vector<std::pair<std::string, SkinImage>> DrawDefaultSkinBitmaps() {
  std::vector<SkinImage> checks, radios;
  for (bool enabled : {true, false}) {
    for (Check c : {Check::Checked, Check::Grayed, Check::Unchecked})
      checks.push_back(CheckBox(c, enabled));
    for (bool on : {true, false}) radios.push_back(RadioButton(on, enabled));
  }
  const SkinImage checkBoxes = JoinFrames(checks);
  std::map<std::string, SkinImage> art = {
      {"SKIN2_TITLEBAR1", TitleLeft(30)},
      {"SKIN2_TITLEBAR2", TitleStrip(Section::Caption, 6)},
      {"SKIN2_TITLEBAR3", TitleSweep(30)},
      {"SKIN2_TITLEBAR4", TitleStrip(Section::Rest, 6)},
      {"SKIN2_TITLEBAR5", TitleRight(16)},
      {"SKIN2_FORMLEFTBORDER", SideBorder(true)},
      {"SKIN2_FORMRIGHTBORDER", SideBorder(false)},
      {"SKIN2_FORMBOTTOMBORDER1", BottomEnd(true)},
      {"SKIN2_FORMBOTTOMBORDER2", BottomMiddle()},
      {"SKIN2_FORMBOTTOMBORDER3", BottomEnd(false)},
      {"SKIN2_MINIMIZEDTITLE", MinimizedTitle()},
      {"SKIN2_TITLEBUTTONS", CaptionButtons()},
      {"SKIN2_CHECKEDMENUICON", CheckedMenuIcon()},
      {"SKIN2_MENUBAR", Gradient(8, 22, Rgb(0xDCE4EE), Rgb(0xC9D5E4))},
      {"SKIN2_TOOLBAR", Gradient(8, 26, Rgb(0xE3EAF2), Rgb(0xC9D5E4))},
      {"SKIN2_BUTTON",
       JoinFrames({PushButton(State::Normal), PushButton(State::Hot), PushButton(State::Pressed)})},
      {"SKIN2_CHECKBOX", checkBoxes},
      {"SKIN2_CHECKBOXLIST", checkBoxes},
      {"SKIN2_RADIOBUTTON", JoinFrames(radios)},
      {"SKIN2_PROGRESSBAR1", ProgressCap(true)},
      {"SKIN2_PROGRESSBAR2", ProgressBody(true)},
      {"SKIN2_PROGRESSBAR3", ProgressBody(false)},
      {"SKIN2_PROGRESSBAR4", ProgressCap(false)},
      {"SKIN2_TRACKBAR", TrackChannel()},
      {"SKIN2_TRACKBARSLIDER", Slider(false)},
      {"SKIN2_TRACKBARVSLIDER", Slider(true)},
      {"SKIN2_SCROLLBARUPBUTTON", ScrollButtons(true)},
      {"SKIN2_SCROLLBAR", ScrollThumb()},
      {"SKIN2_SCROLLBARDOWNBUTTON", ScrollButtons(false)},
      {"SKIN2_TABCONTROL", JoinFrames({Tab(true), Tab(false)})},
      {"SKIN2_TABCONTROLLINE", TabLine()},
      {"SKIN2_SIDECHANNELBAR", Gradient(8, 8, Rgb(0xDCE4EE), Rgb(0xC9D5E4))},
      {"SKIN2_SIDECHANNELTITLE", TitleStrip(Section::Caption, 8)},
      {"SKIN2_SCROLLBUTTON", ScrollButtons(true)},
  };
  std::vector<std::pair<std::string, SkinImage>> out;
  for (int k = skin::kBitmapKeyFirst; k < skin::kBitmapKeyFirst + skin::kBitmapKeyCount; ++k)
    out.emplace_back(skin::kSkinKeyNames[k], art.at(skin::kSkinKeyNames[k]));
  return out;
}

std::string DefaultSkinValues() {
  std::string text =
      "# Doziviz steel: the program's default skin (generated; do not edit by hand).\n"
      "# Colours are $RRGGBB; metrics are pixels; flags are 0 or 1.\n";
  char line[96];
  for (int k = skin::kColorKeyFirst; k < skin::kColorKeyFirst + skin::kColorKeyCount; ++k) {
    const ColorRef c = DefaultSkinColor(skin::kSkinKeyNames[k]);
    std::snprintf(line, sizeof line, "%s=$%02X%02X%02X\n", skin::kSkinKeyNames[k], skin::RedOf(c),
                  skin::GreenOf(c), skin::BlueOf(c));
    text += line;
  }
  const int metrics[skin::kMetricKeyCount] = {
      8,                // icon x
      5,                // icon y: a 16-pixel icon centred in the 26-pixel bar
      6,                // caption top
      6,                // right-most caption button: 6 pixels from the right end
      kCaptionButtonY,  // caption buttons centred vertically
      0,
      5,  // title region: rows 0-5 hold the rounded corners
      0,
      0,  // bottom region (square corners; the flag is off)
  };
  for (int i = 0; i < skin::kMetricKeyCount; ++i)
    text += std::string(skin::kSkinKeyNames[skin::kMetricKeyFirst + i]) + "=" +
            std::to_string(metrics[i]) + "\n";
  const int flags[skin::kFlagKeyCount] = {1, 1, 1, 0, 1, 1, 1, 1, 1};
  for (int i = 0; i < skin::kFlagKeyCount; ++i)
    text += std::string(skin::kSkinKeyNames[skin::kFlagKeyFirst + i]) + "=" +
            std::to_string(flags[i]) + "\n";
  text += "SKIN_NAME=Doziviz steel\n";
  return text;
}

}  // namespace skingen
