// Doziviz.exe carries what the skin engine loads: lists the executable's resources and checks
// the default skin archive (it opens and holds a readable skin resource file), the menu check
// mark and the MDI caption button strip.
#include "app/resources.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "skin/archive.h"
#include "skin/resfile.h"

namespace {

// The executable as a Windows path (the build gives a Unix one; Wine serves it as drive Z).
std::string DozivizPath() {
  std::string path = DOZIVIZ_EXE;
  std::replace(path.begin(), path.end(), '/', '\\');
  return path.front() == '\\' ? "Z:" + path : path;
}

class DozivizResources : public ::testing::Test {
 protected:
  void SetUp() override {
    module = LoadLibraryExA(DozivizPath().c_str(), nullptr,
                            LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(module, nullptr) << DozivizPath();
  }
  void TearDown() override {
    if (module) FreeLibrary(module);
  }

  // The names of the resources of one type (named ones only).
  std::vector<std::string> Names(LPCSTR type) {
    std::vector<std::string> names;
    EnumResourceNamesA(
        module, type,
        [](HMODULE, LPCSTR, LPSTR name, LONG_PTR list) -> BOOL {
          if (!IS_INTRESOURCE(name))
            reinterpret_cast<std::vector<std::string>*>(list)->push_back(name);
          return TRUE;
        },
        reinterpret_cast<LONG_PTR>(&names));
    return names;
  }

  // A bitmap resource's pixels as 0x00RRGGBB, rows top to bottom.
  std::vector<uint32_t> Pixels(const char* name, int& width, int& height) {
    HBITMAP bitmap =
        static_cast<HBITMAP>(LoadImageA(module, name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    EXPECT_NE(bitmap, nullptr) << name;
    if (!bitmap) return {};
    BITMAP info{};
    GetObjectA(bitmap, sizeof info, &info);
    width = info.bmWidth;
    height = info.bmHeight;
    BITMAPINFO bi{};
    bi.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    std::vector<uint32_t> pixels(size_t(width) * size_t(height));
    HDC dc = GetDC(nullptr);
    GetDIBits(dc, bitmap, 0, height, pixels.data(), &bi, DIB_RGB_COLORS);
    ReleaseDC(nullptr, dc);
    DeleteObject(bitmap);
    for (uint32_t& p : pixels) p &= 0xFFFFFF;
    return pixels;
  }

  HMODULE module = nullptr;
};

bool Has(const std::vector<std::string>& names, const char* name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST_F(DozivizResources, TheDefaultSkinArchiveOpensAndHoldsASkinResourceFile) {
  EXPECT_TRUE(Has(Names(RT_RCDATA), kSkinResource));
  HRSRC found = FindResourceA(module, kSkinResource, RT_RCDATA);
  ASSERT_NE(found, nullptr);
  auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  DWORD size = SizeofResource(module, found);
  ASSERT_GT(size, 22u);  // at least an end-of-central-directory record
  std::vector<uint8_t> sk2;
  ASSERT_EQ(skin::ExtractArchiveEntryFromMemory(data, size, "SKINDATA.SK2", "", sk2),
            skin::kExtractOk);
  skin::Tsk2SkinFileReader reader;
  std::string detail;
  EXPECT_EQ(reader.Parse(sk2.data(), sk2.size(), &detail), skin::ResFileStatus::kOk) << detail;
  EXPECT_NE(reader.FindBitmap("SKIN2_TITLEBAR1"), nullptr);
}

TEST_F(DozivizResources, TheMenuCheckMarkIsBlackOnItsWhiteMask) {
  EXPECT_TRUE(Has(Names(RT_BITMAP), kMenuCheckedBitmap));
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = Pixels(kMenuCheckedBitmap, w, h);
  ASSERT_EQ(w, 16);
  ASSERT_EQ(h, 16);
  int white = 0, black = 0;
  for (uint32_t p : pixels) white += p == 0xFFFFFF, black += p == 0;
  EXPECT_EQ(white + black, 256);  // nothing but the mark and the masked colour
  EXPECT_GT(black, 10);
  EXPECT_EQ(pixels[0], 0xFFFFFFu);  // the corners are masked out
  EXPECT_EQ(pixels[255], 0xFFFFFFu);
}

TEST_F(DozivizResources, TheMdiButtonStripHoldsThreeFramesOnTheTransparentColour) {
  EXPECT_TRUE(Has(Names(RT_BITMAP), kMdiControlsBitmap));
  int w = 0, h = 0;
  std::vector<uint32_t> pixels = Pixels(kMdiControlsBitmap, w, h);
  ASSERT_EQ(w % kMdiControlFrames, 0);
  int frame = w / kMdiControlFrames;
  EXPECT_GE(frame, 12);  // a glyph at (1, 1) on a caption-sized button
  EXPECT_GE(h, 10);
  const uint32_t transparent =
      pixels[size_t(h - 1) * size_t(w)];  // bottom-left, as buttons take it
  for (int f = 0; f < kMdiControlFrames; ++f) {
    int ink = 0;
    for (int y = 0; y < h; ++y)
      for (int x = f * frame; x < (f + 1) * frame; ++x)
        ink += pixels[size_t(y) * w + x] != transparent;
    EXPECT_GT(ink, 8) << "frame " << f;  // each frame has a glyph
    EXPECT_EQ(pixels[size_t(h - 1) * w + size_t(f * frame)], transparent) << "frame " << f;
  }
}

}  // namespace
