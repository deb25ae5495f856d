// Window helpers on real windows: the border painted through the window DC and read back from
// the screen, the system fonts, caption fitting measured with the canvas's own font, the work
// area, form lookup by handle and the form-activity rules (the private query, no main form,
// an inactive application, MDI frames and children).
#include "skinengine/windowutils.h"

#include <gtest/gtest.h>

#include <memory>

#include "framework/application.h"
#include "framework/bitmap.h"
#include "framework/gdiobjects.h"
#include "framework/gui_testing.h"
#include "framework/panel.h"

namespace skinengine::testing {
namespace {

using framework::Application;
using framework::TForm;
using framework::guitest::Pump;

// A form shown at a fixed place.
std::unique_ptr<TForm> ShownForm(int left, int top) {
  auto form = std::make_unique<TForm>(nullptr);
  form->SetBounds(left, top, 240, 160);
  form->Show();
  Pump();
  return form;
}

COLORREF ScreenPixel(int x, int y) {
  framework::WindowDC screen;
  return GetPixel(screen.Get(), x, y);
}

// Paints the border until the screen shows its corner (the first frames race the window's own
// painting), at most for a second.
RECT PaintBorderAndWait(TForm& form, framework::TColor outer, framework::TColor inner,
                        bool drawInner) {
  RECT r;
  GetWindowRect(form.Handle(), &r);
  for (int tries = 0; tries < 50; ++tries) {
    PaintWindowBorder(form, outer, inner, drawInner);
    if (ScreenPixel(r.left, r.top) == COLORREF(outer)) break;
    Pump(20);
  }
  return r;
}

TEST(PaintWindowBorderTest, FramesTheWholeWindowThroughItsNonClientArea) {
  constexpr framework::TColor red = 0x0000FF, lime = 0x00FF00, blue = 0xFF0000;
  auto form = ShownForm(120, 100);
  const long dcs = framework::LiveHandles(framework::HandleKind::Dc);

  RECT r = PaintBorderAndWait(*form, blue, lime, false);
  const int midX = (r.left + r.right) / 2, midY = (r.top + r.bottom) / 2;
  for (POINT p : {POINT{r.left, r.top}, POINT{r.right - 1, r.bottom - 1}, POINT{r.left, midY},
                  POINT{midX, r.bottom - 1}, POINT{r.right - 1, midY}})
    EXPECT_EQ(ScreenPixel(p.x, p.y), COLORREF(blue)) << p.x << ", " << p.y;
  EXPECT_NE(ScreenPixel(r.left + 1, midY), COLORREF(lime));

  r = PaintBorderAndWait(*form, red, lime, true);
  EXPECT_EQ(ScreenPixel(r.left, midY), COLORREF(red));
  EXPECT_EQ(ScreenPixel(r.right - 1, r.top), COLORREF(red));
  for (POINT p : {POINT{r.left + 1, midY}, POINT{midX, r.top + 1}, POINT{r.right - 2, midY},
                  POINT{midX, r.bottom - 2}, POINT{r.left + 1, r.top + 1}})
    EXPECT_EQ(ScreenPixel(p.x, p.y), COLORREF(lime)) << p.x << ", " << p.y;
  EXPECT_NE(ScreenPixel(r.left + 2, midY), COLORREF(lime));

  // The window DC went back every time; a control without a window is left alone.
  EXPECT_EQ(framework::LiveHandles(framework::HandleKind::Dc), dcs);
  framework::TPanel unshown(nullptr);
  PaintWindowBorder(unshown, red, lime, true);
  EXPECT_FALSE(unshown.HandleAllocated());
  PaintWindowBorder(HWND(nullptr), red, lime, true);
}

TEST(SystemFontTest, CaptionAndMenuFontsComeFromTheNonClientMetrics) {
  NONCLIENTMETRICSA metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  struct Case {
    void (*use)(framework::TFont&);
    const LOGFONTA& system;
    framework::TColor color;  // the colour the font has afterwards
  };
  for (const Case& c : {Case{UseCaptionFont, metrics.lfCaptionFont, framework::clRed},
                        Case{UseMenuFont, metrics.lfMenuFont, framework::clMenuText}}) {
    framework::TFont font, expected;
    font.SetName("Courier New");
    font.SetHeight(-40);
    font.SetColor(framework::clRed);
    c.use(font);
    expected.AssignLogFont(c.system);
    EXPECT_EQ(font.Name(), expected.Name());
    EXPECT_EQ(font.Height(), expected.Height());
    EXPECT_EQ(font.Style(), expected.Style());
    EXPECT_EQ(font.Color(), c.color);
  }
}

TEST(FitCaptionTest, ShortensToTheLongestPrefixThatFitsInTheCanvasFont) {
  framework::TBitmap surface(10, 10);
  framework::TCanvas& canvas = surface.Canvas();
  const std::string text = "Doziviz lyrics collection";
  const int whole = canvas.TextWidth(text);
  EXPECT_EQ(FitCaption(canvas, text, whole), text);
  // A limit of exactly a shortened text's width gives that text, one pixel less a shorter one.
  const int limit = canvas.TextWidth("Doziviz lyr...");
  EXPECT_EQ(FitCaption(canvas, text, limit), "Doziviz lyr...");
  EXPECT_EQ(FitCaption(canvas, text, limit - 1), "Doziviz ly...");
  EXPECT_EQ(FitCaption(canvas, text, 1), "D...");
  EXPECT_EQ(StripAmpersands(ReplaceText("&Save && close", "close", "quit")), "Save & quit");
}

TEST(BoundsTest, WorkAreaIsTheMonitorsWithTheBottomMovedUpOnePixel) {
  RECT system;
  ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &system, 0));
  system.bottom -= 1;
  auto same = [&](const RECT& r) {
    return r.left == system.left && r.top == system.top && r.right == system.right &&
           r.bottom == system.bottom;
  };
  EXPECT_TRUE(same(WorkArea()));  // no main form: the primary monitor's
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBounds(30, 30, 200, 100);
  main->HandleNeeded();
  EXPECT_TRUE(same(WorkArea()));
  Application->DestroyForms();
  Application->Initialize();
}

TEST(BoundsTest, ControlBoundsComeFromARectangleAndItsRightAndBottomEdgesHit) {
  framework::TPanel panel(nullptr);
  const RECT r{10, 20, 110, 70};
  SetControlBounds(panel, r);
  EXPECT_EQ(panel.BoundsRect().right, 110);
  EXPECT_EQ(panel.BoundsRect().bottom, 70);
  EXPECT_TRUE(PointInRect({110, 70}, r));
  EXPECT_FALSE(PointInRect({111, 70}, r));
  EXPECT_FALSE(PointInRect({50, 19}, r));
}

TEST(FindFormTest, FindsFormsByTheirWindowAndNothingElse) {
  auto a = std::make_unique<TForm>(nullptr), b = std::make_unique<TForm>(nullptr);
  auto* panel = new framework::TPanel(a.get());
  panel->SetParent(a.get());
  EXPECT_EQ(FindFormByHandle(a->Handle()), a.get());
  EXPECT_EQ(FindFormByHandle(b->Handle()), b.get());
  EXPECT_EQ(FindFormByHandle(panel->Handle()), nullptr);
  EXPECT_EQ(FindFormByHandle(nullptr), nullptr);
  const HWND gone = b->Handle();
  b.reset();
  EXPECT_EQ(FindFormByHandle(gone), nullptr);
  // A form without a window is passed over, not given one.
  TForm windowless(nullptr);
  EXPECT_EQ(FindFormByHandle(gone), nullptr);
  EXPECT_FALSE(windowless.HandleAllocated());
}

// A form whose wrapper answers the activity query with `answer`.
class TAnsweringForm : public TForm {
 public:
  using TForm::TForm;
  LRESULT answer = 0;

 protected:
  void WndProc(framework::TMessage& m) override {
    if (m.Msg == kFormActiveQuery) {
      m.Result = answer;
      return;
    }
    TForm::WndProc(m);
  }
};

// Two forms shown for the whole suite (each shown window costs seconds to take down under
// Wine without a window manager); neither is the main form.
class IsFormActiveTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    answering = std::make_unique<TAnsweringForm>(nullptr);
    answering->SetBounds(10, 10, 200, 100);
    answering->Show();
    other = ShownForm(300, 10);
  }
  static void TearDownTestSuite() {
    answering.reset();
    other.reset();
  }
  void SetUp() override { answering->answer = 0; }
  void TearDown() override {
    Application->DestroyForms();
    Application->Initialize();
    Application->SetActive(false);
  }
  // Makes `form` the active window and sets the application's active flag.
  static void Activate(TForm* form, bool applicationActive) {
    SetActiveWindow(form->Handle());
    Pump();
    Application->SetActive(applicationActive);
  }

  static inline std::unique_ptr<TAnsweringForm> answering;
  static inline std::unique_ptr<TForm> other;
};

TEST_F(IsFormActiveTest, APositiveAnswerToTheQueryDecidesFirst) {
  Activate(answering.get(), true);
  ASSERT_TRUE(answering->Active());
  answering->answer = 2;
  EXPECT_FALSE(IsFormActive(answering.get()));
  answering->answer = 0;
  EXPECT_TRUE(IsFormActive(answering.get()));
  Activate(other.get(), true);
  ASSERT_FALSE(answering->Active());
  EXPECT_FALSE(IsFormActive(answering.get()));
  answering->answer = 1;
  EXPECT_TRUE(IsFormActive(answering.get()));
  answering->answer = -1;  // not positive: the rules decide
  EXPECT_FALSE(IsFormActive(answering.get()));
}

TEST_F(IsFormActiveTest, WithoutAMainFormTheFormsOwnStateDecides) {
  ASSERT_EQ(Application->MainForm(), nullptr);
  Activate(answering.get(), false);  // even with the application inactive
  EXPECT_TRUE(IsFormActive(answering.get()));
  EXPECT_FALSE(IsFormActive(other.get()));
  EXPECT_FALSE(IsFormActive(nullptr));
}

TEST_F(IsFormActiveTest, AnInactiveApplicationHasNoActiveFormButTheMainFormCountsWhenActive) {
  TForm* main = nullptr;
  Application->CreateForm(main);
  main->SetBounds(10, 150, 200, 100);
  main->Show();
  Activate(other.get(), false);
  EXPECT_FALSE(IsFormActive(main));
  EXPECT_FALSE(IsFormActive(other.get()));
  EXPECT_FALSE(IsFormActive(nullptr));
  Application->SetActive(true);
  EXPECT_TRUE(IsFormActive(main));  // the main form counts as active, active window or not
  EXPECT_TRUE(IsFormActive(nullptr));
  EXPECT_TRUE(IsFormActive(other.get()));
  Activate(main, true);
  EXPECT_FALSE(IsFormActive(other.get()));
}

TEST_F(IsFormActiveTest, AnMDIFrameIsActiveAlwaysAndItsActiveChildWhileTheApplicationIs) {
  TForm* frame = nullptr;
  Application->CreateForm(frame);
  frame->SetFormStyle(framework::fsMDIForm);
  frame->SetBounds(10, 10, 500, 400);
  frame->Show();
  TForm *first = nullptr, *second = nullptr;
  for (TForm** child : {&first, &second}) {
    Application->CreateForm(*child);
    (*child)->SetFormStyle(framework::fsMDIChild);
    (*child)->SetBounds(10, 10, 200, 150);
    (*child)->Show();
  }
  Activate(frame, false);
  ASSERT_EQ(frame->ActiveMDIChild(), second);
  EXPECT_TRUE(IsFormActive(frame));
  EXPECT_FALSE(IsFormActive(second));
  Application->SetActive(true);
  EXPECT_TRUE(IsFormActive(second));
  EXPECT_FALSE(IsFormActive(first));
}

TEST(WindowsVersionTest, AnNTSystemIsNotWindows95) {
  EXPECT_FALSE(IsWindows95());  // Wine, like every system these tests run on, is of the NT family
}

}  // namespace
}  // namespace skinengine::testing
