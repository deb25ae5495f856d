// Contact sheet: a mock window drawn the way the frame and control painters assemble the
// pieces (sections stretched, frames cut, nine-part buttons), then the colours and bitmaps.
#include "skins/contactsheet.h"

#include <algorithm>
#include <map>

#include "skin/raster.h"
#include "skin/skinkeys.h"
#include "skins/dozivizskin.h"

namespace skingen {

using namespace skin;  // the generator draws with the skin library's raster toolkit

namespace {

using Bitmaps = std::map<std::string, SkinImage>;

const ColorRef kSheet = Rgb(0xF4F6F9);
const ColorRef kInk = Rgb(0x1E2E42);
const ColorRef kDesktop = Rgb(0x3B4A5C);

ColorRef Color(const char* key) { return DefaultSkinColor(key); }

Rect Whole(const SkinImage& img) { return {0, 0, img.width, img.height}; }

// The three-part horizontal drawing: left and right thirds at the ends, the middle stretched.
void ThreePartH(SkinImage& dst, const Rect& r, const SkinImage& src) {
  const int s = src.width / 3;
  const ColorRef key = kMagenta;
  StretchBlit(dst, {r.left, r.top, r.left + s, r.top + src.height}, src, {0, 0, s, src.height},
              &key);
  StretchBlit(dst, {r.right - s, r.top, r.right, r.top + src.height}, src,
              {2 * s, 0, 3 * s, src.height}, &key);
  StretchBlit(dst, {r.left + s, r.top, r.right - s, r.top + src.height}, src,
              {s, 0, 2 * s, src.height}, &key);
}

// Corners unscaled, edges and centre stretched, transparent colour left out.
void NinePart(SkinImage& dst, const Rect& r, const SkinImage& src) {
  const int hw = src.width / 2, hh = src.height / 2;
  const int sx[4] = {0, hw, src.width - hw, src.width},
            sy[4] = {0, hh, src.height - hh, src.height};
  const int dx[4] = {r.left, r.left + hw, r.right - hw, r.right};
  const int dy[4] = {r.top, r.top + hh, r.bottom - hh, r.bottom};
  const ColorRef key = kMagenta;
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i)
      StretchBlit(dst, {dx[i], dy[j], dx[i + 1], dy[j + 1]}, src,
                  {sx[i], sy[j], sx[i + 1], sy[j + 1]}, &key);
}

void CenteredLabel(SkinImage& img, const Rect& r, const std::string& text, ColorRef c) {
  DrawLabel(img, r.left + (r.Width() - LabelWidth(text)) / 2, r.top + (r.Height() - 7) / 2, text,
            c);
}

void DrawTitleBar(SkinImage& win, const Bitmaps& b, const std::string& caption, int hotFrame) {
  const SkinImage &t1 = b.at("SKIN2_TITLEBAR1"), &t2 = b.at("SKIN2_TITLEBAR2"),
                  &t3 = b.at("SKIN2_TITLEBAR3"), &t4 = b.at("SKIN2_TITLEBAR4"),
                  &t5 = b.at("SKIN2_TITLEBAR5");
  const int w = win.width, h = t1.height;
  const int captionX = 8 + 18, captionEnd = captionX + LabelWidth(caption) + 2;
  Blit(win, t1, 0, 0);
  StretchBlit(win, {t1.width, 0, captionEnd, h}, t2, Whole(t2));
  Blit(win, t3, captionEnd, 0);
  StretchBlit(win, {captionEnd + t3.width, 0, w - t5.width, h}, t4, Whole(t4));
  Blit(win, t5, w - t5.width, 0);
  // Icon: a small note on a light tile.
  SkinImage icon(16, 16, kMagenta);
  FillShape(icon, RoundRectShape({0, 0, 16, 16}, 3), Solid(Rgb(0x2B4564)), Crisp());
  FillShape(icon, RoundRectShape({1, 1, 15, 15}, 2),
            VGradient({0, 0, 16, 16}, Rgb(0xFFFFFF), Rgb(0xC9DAEF)), Crisp());
  FillShape(icon, EllipseShape(6, 11.5, 2.6, 2), Solid(Rgb(0x2B4564)), Crisp());
  Fill(icon, {8, 3, 9, 12}, Solid(Rgb(0x2B4564)));
  DrawLine(icon, 8, 3, 11, 6, 1.4, Rgb(0x2B4564), Crisp());
  const ColorRef key = kMagenta;
  Blit(win, icon, 8, 5, &key);
  DrawLabel(win, captionX + 1, 10, caption, Rgb(0x22384F));
  DrawLabel(win, captionX, 9, caption, Color("SKIN2_TITLEFONTCOLOR"));
  // Caption buttons from the right: close, maximise, minimise.
  const SkinImage& buttons = b.at("SKIN2_TITLEBUTTONS");
  const int fw = buttons.width / 18;
  int x = w - 6 - fw;
  for (int first : {16, 7, 13}) {
    const int frame = first + (first == hotFrame / 3 * 3 + 1 ? hotFrame % 3 : 0);
    Blit(win, CutFrame(buttons, 18, frame), x, 4, &key);
    x -= fw + 2;
  }
}

SkinImage PreviewWindow(const Bitmaps& b, const std::string& caption, int hotFrame) {
  const int w = 400, h = 300, top = 26;
  SkinImage win(w, h, Color("SKIN2_FORMCOLOR"));
  DrawTitleBar(win, b, caption, hotFrame);
  const SkinImage &left = b.at("SKIN2_FORMLEFTBORDER"), &right = b.at("SKIN2_FORMRIGHTBORDER");
  const SkinImage &b1 = b.at("SKIN2_FORMBOTTOMBORDER1"), &b2 = b.at("SKIN2_FORMBOTTOMBORDER2"),
                  &b3 = b.at("SKIN2_FORMBOTTOMBORDER3");
  StretchBlit(win, {0, top, left.width, h - b1.height}, left, Whole(left));
  StretchBlit(win, {w - right.width, top, w, h - b1.height}, right, Whole(right));
  Blit(win, b1, 0, h - b1.height);
  Blit(win, b3, w - b3.width, h - b3.height);
  StretchBlit(win, {b1.width, h - b2.height, w - b3.width, h}, b2, Whole(b2));

  // Menu bar with the second item hot.
  const int menuBottom = top + 20;
  Fill(win, {4, top, w - 4, menuBottom}, Solid(Color("SKIN2_MENUBARSTARTCOLOR")));
  int mx = 10;
  for (const char* item : {"FILE", "EDIT", "HELP"}) {
    const Rect r = {mx - 5, top + 2, mx + LabelWidth(item) + 5, menuBottom - 2};
    const bool hot = std::string(item) == "EDIT";
    if (hot) {
      Fill(win, r, Solid(Color("SKIN2_TOPSELECTEDMENUCOLOR")));
      FrameRect(win, r, Color("SKIN2_TOPSELECTEDMENUBORDERCOLOR"));
    }
    DrawLabel(win, mx, top + 7, item,
              Color(hot ? "SKIN2_TOPSELECTEDMENUFONTCOLOR" : "SKIN2_TOPMENUFONTCOLOR"));
    mx += LabelWidth(item) + 16;
  }

  // Search edit.
  const Rect edit = {14, 58, 250, 78};
  Fill(win, edit, Solid(Color("SKIN2_CONTROLCOLOR")));
  FrameRect(win, edit, Color("SKIN2_CONTROLBORDERCOLOR"));
  DrawLabel(win, edit.left + 6, edit.top + 7, "SEARCH LYRICS", Rgb(0x8A9AB0));

  // Push buttons in their three states.
  const SkinImage& button = b.at("SKIN2_BUTTON");
  const char* names[3] = {"NORMAL", "HOT", "PRESSED"};
  for (int i = 0; i < 3; ++i) {
    const Rect r = {14 + i * 82, 90, 14 + i * 82 + 75, 115};
    NinePart(win, r, CutFrame(button, 3, i + 1));
    CenteredLabel(win,
                  {r.left + (i == 2), r.top + (i == 2), r.right + (i == 2), r.bottom + (i == 2)},
                  names[i], Color("SKIN2_BUTTONFONTCOLOR"));
  }

  // Check boxes and radio buttons, enabled states then a disabled one.
  const ColorRef key = kMagenta;
  const SkinImage &checks = b.at("SKIN2_CHECKBOX"), &radios = b.at("SKIN2_RADIOBUTTON");
  const char* checkNames[4] = {"ARTIST", "TITLE", "ALBUM", "OFF"};
  const int checkFrames[4] = {1, 2, 3, 4};
  for (int i = 0; i < 4; ++i) {
    Blit(win, CutFrame(checks, 6, checkFrames[i]), 14 + i * 62, 128, &key);
    DrawLabel(win, 14 + i * 62 + 17, 131, checkNames[i],
              i == 3 ? Rgb(0x97A3B3) : Color("SKIN2_CONTROLFONTCOLOR"));
  }
  const char* radioNames[4] = {"ON", "OFF", "ON", "OFF"};
  for (int i = 0; i < 4; ++i) {
    Blit(win, CutFrame(radios, 4, i + 1), 14 + i * 62, 150, &key);
    DrawLabel(win, 14 + i * 62 + 17, 153, radioNames[i],
              i >= 2 ? Rgb(0x97A3B3) : Color("SKIN2_CONTROLFONTCOLOR"));
  }

  // Progress bar at 60 per cent.
  const SkinImage &p1 = b.at("SKIN2_PROGRESSBAR1"), &p2 = b.at("SKIN2_PROGRESSBAR2"),
                  &p3 = b.at("SKIN2_PROGRESSBAR3"), &p4 = b.at("SKIN2_PROGRESSBAR4");
  const int px = 14, pw = 230, py = 176, ph = p1.height;
  const int e = px + p1.width + (pw - p1.width - p4.width) * 60 / 100;
  Blit(win, p1, px, py);
  StretchBlit(win, {px + p1.width, py, e, py + ph}, p2, Whole(p2));
  StretchBlit(win, {e, py, px + pw - p4.width, py + ph}, p3, Whole(p3));
  Blit(win, p4, px + pw - p4.width, py);

  // Track bar: the channel's transparent pixels take the form colour when the skin loads.
  SkinImage channel = b.at("SKIN2_TRACKBAR");
  channel.ReplaceColor(kMagenta, Color("SKIN2_FORMCOLOR"));
  ThreePartH(win, {14, 212, 244, 212 + channel.height}, channel);
  const SkinImage& slider = b.at("SKIN2_TRACKBARSLIDER");
  Blit(win, slider, 14 + 230 * 40 / 100, 212 + channel.height / 2 - 8, &key);

  // Tabs: the selected one first, with the tab line under the row.
  const SkinImage& tabs = b.at("SKIN2_TABCONTROL");
  const SkinImage& line = b.at("SKIN2_TABCONTROLLINE");
  const int ty = 240;
  const Rect page = {14, ty + 21, 244, h - 12};
  Fill(win, page, Solid(Color("SKIN2_TABCONTROLCOLOR")));
  FrameRect(win, page, Color("SKIN2_CONTROLBORDERCOLOR"));
  StretchBlit(win, {page.left, page.top, page.right, page.top + line.height}, line, Whole(line));
  const char* tabNames[3] = {"LYRIC", "SONG", "NOTES"};
  for (int i = 0; i < 3; ++i) {
    const Rect r = {16 + i * 66, ty + (i == 0 ? 0 : 0), 16 + i * 66 + 64, ty + 21 + (i == 0)};
    ThreePartH(win, r, CutFrame(tabs, 2, i == 0 ? 1 : 2));
    CenteredLabel(
        win, {r.left, r.top + (i == 0 ? 1 : 3), r.right, r.top + 21}, tabNames[i],
        Color(i == 0 ? "SKIN2_TABCONTROLACTIVEFONTCOLOR" : "SKIN2_TABCONTROLINACTIVEFONTCOLOR"));
  }

  // A vertical scroll bar beside a list, thumb drawn from its five pieces.
  const Rect list = {262, 58, w - 14, h - 12};
  Fill(win, list, Solid(Color("SKIN2_CONTROLCOLOR")));
  FrameRect(win, list, Color("SKIN2_CONTROLBORDERCOLOR"));
  const char* rows[] = {"ABBA", "BEATLES", "COLDPLAY", "DEPECHE", "EAGLES", "FLEETWOOD"};
  for (int i = 0; i < 6; ++i) {
    const Rect row = {list.left + 1, list.top + 1 + i * 16, list.right - 17,
                      list.top + 17 + i * 16};
    if (i == 2) Fill(win, row, Solid(Color("SKIN2_SELECTEDMENUCOLOR")));
    DrawLabel(win, row.left + 5, row.top + 5, rows[i],
              i == 2 ? Color("SKIN2_SELECTEDMENUFONTCOLOR") : Color("SKIN2_CONTROLFONTCOLOR"));
  }
  const int sx = list.right - 17, sTop = list.top + 1, sBottom = list.bottom - 1;
  const ColorRef track = Color("SKIN2_SCROLLBARCOLOR");
  Fill(win, {sx, sTop, sx + 16, sBottom}, Solid(track));
  auto onTrack = [&](SkinImage piece) {
    piece.ReplaceColor(kMagenta, track);
    return piece;
  };
  Blit(win, onTrack(CutFrame(b.at("SKIN2_SCROLLBARUPBUTTON"), 3, 1)), sx, sTop);
  Blit(win, onTrack(CutFrame(b.at("SKIN2_SCROLLBARDOWNBUTTON"), 3, 1)), sx, sBottom - 16);
  const SkinImage thumb = onTrack(b.at("SKIN2_SCROLLBAR"));
  const int f = (thumb.height - 6) / 3, t0 = sTop + 40, t1 = t0 + 70,
            grip = thumb.height - 6 - 2 * f;
  const int d = (t1 - t0 - 6 - grip) / 2;
  StretchBlit(win, {sx, t0, sx + 16, t0 + 3}, thumb, {0, 0, 16, 3});
  StretchBlit(win, {sx, t0 + 3, sx + 16, t0 + 3 + d}, thumb, {0, 3, 16, 3 + f});
  StretchBlit(win, {sx, t0 + 3 + d, sx + 16, t0 + 3 + d + grip}, thumb,
              {0, 3 + f, 16, 3 + f + grip});
  StretchBlit(win, {sx, t0 + 3 + d + grip, sx + 16, t1 - 3}, thumb,
              {0, 3 + f + grip, 16, thumb.height - 3});
  StretchBlit(win, {sx, t1 - 3, sx + 16, t1}, thumb, {0, thumb.height - 3, 16, thumb.height});
  return win;
}

// An enlarged copy with the transparent colour shown as a checkerboard.
SkinImage Enlarge(const SkinImage& src, int scale) {
  SkinImage out(src.width * scale, src.height * scale);
  for (int y = 0; y < out.height; ++y)
    for (int x = 0; x < out.width; ++x) {
      ColorRef c = src.Pixel(x / scale, y / scale);
      if (c == kMagenta) c = ((x / 4 + y / 4) % 2) ? Rgb(0xC3CAD3) : Rgb(0xAEB7C3);
      out.SetPixel(x, y, c);
    }
  return out;
}

}  // namespace

SkinImage DrawContactSheet(const std::vector<std::pair<std::string, SkinImage>>& bitmaps) {
  Bitmaps b(bitmaps.begin(), bitmaps.end());
  const int sheetWidth = 1500, margin = 20;

  // Layout pass first (bitmaps flow in rows), then draw.
  struct Placed {
    std::string label;
    SkinImage image;
    int x, y;
  };
  std::vector<Placed> placed;
  int x = margin, y = 2 * 300 + 2 * margin + 60, rowHeight = 0;
  for (const auto& [name, img] : bitmaps) {
    const int scale = std::clamp((sheetWidth - 2 * margin) / std::max(img.width, 1), 1, 4);
    SkinImage big = Enlarge(img, scale);
    const std::string label =
        name.substr(6) + " " + std::to_string(img.width) + "X" + std::to_string(img.height);
    const int w = std::max(big.width, LabelWidth(label, 2)) + 24;
    if (x + w > sheetWidth - margin) {
      x = margin;
      y += rowHeight;
      rowHeight = 0;
    }
    placed.push_back({label, std::move(big), x, y});
    rowHeight = std::max(rowHeight, placed.back().image.height + 40);
    x += w;
  }
  SkinImage sheet(sheetWidth, y + rowHeight + margin, kSheet);

  DrawLabel(sheet, margin, margin, "DOZIVIZ STEEL - DEFAULT SKIN", kInk, 3);
  // Two preview windows at double size: active with the close button hot, and with the
  // maximise button pressed.
  const ColorRef key = kMagenta;
  const int previewTop = margin + 40;
  for (int i = 0; i < 1; ++i) {
    SkinImage shot(420, 310, kDesktop);
    Blit(shot, PreviewWindow(b, "DOZIVIZ", 16), 10, 5, &key);
    Blit(sheet, Enlarge(shot, 2), margin, previewTop);
  }
  // Colour swatches beside the preview.
  int cy = previewTop;
  for (int k = 0; k < 32; ++k) {
    const std::string name = skin::kSkinKeyNames[k];
    const int cx = 880 + (k / 16) * 310;
    const int row = cy + (k % 16) * 36;
    Fill(sheet, {cx, row, cx + 28, row + 28}, Solid(Rgb(0x7F8A99)));
    Fill(sheet, {cx + 1, row + 1, cx + 27, row + 27}, Solid(DefaultSkinColor(name)));
    DrawLabel(sheet, cx + 36, row + 10, name.substr(6), kInk);
  }
  for (const Placed& p : placed) {
    DrawLabel(sheet, p.x, p.y, p.label, kInk, 2);
    Fill(sheet, {p.x - 1, p.y + 19, p.x + p.image.width + 1, p.y + 21 + p.image.height},
         Solid(Rgb(0x9AA5B4)));
    Blit(sheet, p.image, p.x, p.y + 20);
  }
  (void)key;
  return sheet;
}

}  // namespace skingen
