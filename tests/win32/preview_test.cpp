// The preview pane of morvex.exe's window, opened for real under Wine on a
// virtual display: the window runs on a thread of its own, the test clicks
// its buttons and prints the pane into a bitmap, and checks the pixels of
// known points against where the picture model puts them. And the order in
// which the window runs the tasks posted to it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "gdb_generator.h"
#include "main_dialog.h"
#include "preview_model.h"
#include "resource.h"
#include "wide_text.h"
#include "window_texts.h"

namespace {

const preview::Place kPier{614212536, -118112};
const preview::Place kRosengarten{614187482, -63231};

bool Near(uint32_t got, preview::Role role) {
  const uint32_t want = preview::ColourOf(role);
  for (int shift : {0, 8, 16}) {
    if (std::abs(int(got >> shift & 0xFF) - int(want >> shift & 0xFF)) > 40) return false;
  }
  return true;
}

// The pane as it draws itself, 0xRRGGBB per pixel.
struct Image {
  int width = 0;
  int height = 0;
  int dpi = 96;
  std::vector<uint32_t> pixels;
  uint32_t At(preview::Pixel pixel) const {
    if (pixel.x < 0 || pixel.y < 0 || pixel.x >= width || pixel.y >= height) return 0xFFFFFFFF;
    return pixels[static_cast<size_t>(pixel.y) * width + pixel.x] & 0xFFFFFF;
  }
};

Image PrintPane(HWND pane) {
  Image image;
  RECT client{};
  GetClientRect(pane, &client);
  image.width = client.right;
  image.height = client.bottom;
  if (image.width <= 0 || image.height <= 0) return image;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = image.width;
  info.bmiHeader.biHeight = -image.height;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ old = SelectObject(dc, bitmap);
  image.dpi = GetDeviceCaps(dc, LOGPIXELSY);
  PrintWindow(pane, dc, PW_CLIENTONLY);
  GdiFlush();
  const auto* first = static_cast<const uint32_t*>(bits);
  image.pixels.assign(first, first + static_cast<size_t>(image.width) * image.height);
  SelectObject(dc, old);
  DeleteObject(bitmap);
  DeleteDC(dc);
  return image;
}

// A pixel of the layout, at 96 DPI, in the pane's pixels, scaled to the DC's.
preview::Pixel Scaled(const Image& image, preview::Pixel at) {
  return {MulDiv(at.x, image.dpi, 96), MulDiv(at.y, image.dpi, 96)};
}

// A place of a picture in the pane's pixels.
preview::Pixel Where(const Image& image, const preview::Picture& picture, preview::Place place,
                     const preview::Viewport& viewport = {}) {
  return Scaled(image, preview::Project(picture, MulDiv(image.width, 96, image.dpi),
                                        MulDiv(image.height, 96, image.dpi), place, viewport));
}

// The window, run as morvex.exe runs it, on a thread of its own.
class Window {
 public:
  explicit Window(const std::wstring& input) {
    thread_ = std::thread([this, input] {
      CMorvexDlg dialog(GetModuleHandleW(nullptr));
      dialog_ = &dialog;
      dialog.SetInputPath(input);
      dialog.Run();
    });
    const std::wstring caption = WideFromUtf8(DialogCaption());
    for (int wait = 0; wait < 1200 && handle_ == nullptr; ++wait) {
      handle_ = FindWindowW(L"#32770", caption.c_str());
      if (handle_ != nullptr && !IsWindowVisible(handle_)) handle_ = nullptr;  // not ready
      if (handle_ == nullptr) Sleep(50);
    }
  }
  ~Window() {
    if (handle_ != nullptr) PostMessageW(handle_, WM_COMMAND, IDCANCEL, 0);
    thread_.join();
  }
  HWND Handle() const { return handle_; }
  View& Dialog() const { return *dialog_; }
  void Click(int id) const { SendMessageW(GetDlgItem(handle_, id), BM_CLICK, 0, 0); }
  void Type(int id, const wchar_t* text) const { SetDlgItemTextW(handle_, id, text); }
  HWND Pane() const { return GetDlgItem(handle_, IDC_PREVIEW_PANE); }

  // Prints the pane until the picture the request makes shows as drawn
  // (the worker draws it in its own time); false after a minute.
  bool Shows(const preview::Request& request,
             const std::function<bool(const Image&, const preview::Picture&)>& drawn,
             Image& image) const {
    const preview::Outcome wanted = preview::MakeOutcome(request);
    for (int wait = 0; wait < 1200; ++wait) {
      image = PrintPane(Pane());
      if (IsWindowVisible(Pane()) && drawn(image, wanted.picture)) return true;
      Sleep(50);
    }
    return false;
  }

 private:
  HWND handle_ = nullptr;
  std::atomic<CMorvexDlg*> dialog_ = nullptr;
  std::thread thread_;
};

class PreviewPane : public testing::Test {
 protected:
  void SetUp() override {
    // A first start: settings of a folder of the test's own.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    scratch_ = std::wstring(temp) + L"morvex-preview-test";
    CreateDirectoryW(scratch_.c_str(), nullptr);
    DeleteFileW((scratch_ + L"\\Morvex\\Morvex.ini").c_str());
    SetEnvironmentVariableW(L"APPDATA", scratch_.c_str());
  }
  std::wstring scratch_;
};

// Options 1 and 5 on the example, one after the other in one window: the
// pier on a made track (1) or a waypoint beside the grey route (5), the
// track's first point a via of the made route only under 5, and the corner
// white.
TEST_F(PreviewPane, DrawsWhatTheOptionMakesAndFollowsAnotherOption) {
  const std::string example = std::string("Z:") + MORVEX_EXAMPLE_GDB;  // Wine's drive of /
  Window window(WideFromUtf8(example));
  ASSERT_NE(window.Handle(), nullptr) << "no window";
  window.Click(IDC_PREVIEW);
  using preview::Role;
  struct Case {
    int option;
    Role atPier;
    Role towardsGarden;
    bool loopIsVia;
  };
  for (const Case& c : {Case{1, Role::OutputLine, Role::OutputLine, false},
                        Case{5, Role::Waypoint, Role::InputLine, true}}) {
    window.Click(IDC_OPTION_1 + c.option - 1);
    preview::Request request;
    request.inputPath = example;
    request.mode = ModeForOption(c.option);
    Image image;
    const bool shown = window.Shows(
        request,
        [&](const Image& shot, const preview::Picture& picture) {
          const preview::Pixel pier = Where(shot, picture, kPier);
          const preview::Pixel garden = Where(shot, picture, kRosengarten);
          const preview::Pixel half{(pier.x + garden.x) / 2, (pier.y + garden.y) / 2};
          const preview::Pixel loop = Where(shot, picture, picture.input.tracks.at(0).points.at(0));
          return Near(shot.At(pier), c.atPier) && Near(shot.At(half), c.towardsGarden) &&
                 Near(shot.At(loop), Role::Via) == c.loopIsVia && shot.At({4, 4}) == 0xFFFFFF;
        },
        image);
    EXPECT_TRUE(shown) << "option " << c.option << ", pane " << image.width << "x" << image.height
                       << " at " << image.dpi << " DPI";
  }
}

// A long track under option 5 with 25 vias: every track point is a via of
// one of the pieces, until the one-route box makes one route of 25 vias,
// which leaves points away from its vias without a dot.
TEST_F(PreviewPane, FollowsTheOneRouteBox) {
  const std::wstring input = scratch_ + L"\\long-track.gdb";
  GeneratorOptions options;
  options.kind = "tracks";
  options.size = 200;  // the header and one track
  options.trackPoints = 400;
  FILE* file = _wfopen(input.c_str(), L"wb");
  ASSERT_NE(file, nullptr);
  ASSERT_TRUE(GenerateGdb(options, file));
  std::fclose(file);

  Window window(input);
  ASSERT_NE(window.Handle(), nullptr) << "no window";
  window.Click(IDC_PREVIEW);
  window.Click(IDC_OPTION_5);
  window.Type(IDC_MAX_VIAS, L"25");
  preview::Request request;
  request.inputPath = Utf8FromWide(input);
  request.mode = ModeForOption(5);
  request.viaCount = ViaCountOf("25");
  request.oneRoute = true;
  // A track point far from every via of the one route.
  const auto away = [](const Image& shot, const preview::Picture& oneRoute) {
    const std::vector<preview::Place>& vias = oneRoute.output.routes.at(0).vias;
    for (const preview::Place& place : oneRoute.input.tracks.at(0).points) {
      const preview::Pixel at = Where(shot, oneRoute, place);
      bool clear = true;
      for (const preview::Place& via : vias) {
        const preview::Pixel dot = Where(shot, oneRoute, via);
        clear = clear && std::abs(dot.x - at.x) + std::abs(dot.y - at.y) > 10;
      }
      if (clear) return at;
    }
    return preview::Pixel{-1, -1};
  };
  Image image;
  preview::Request pieces = request;
  pieces.oneRoute = false;
  const preview::Picture oneRoute = preview::MakeOutcome(request).picture;
  ASSERT_EQ(oneRoute.output.routes.size(), 1u);
  ASSERT_EQ(oneRoute.output.routes[0].vias.size(), 25u);
  EXPECT_TRUE(window.Shows(
      pieces,
      [&](const Image& shot, const preview::Picture& picture) {
        return picture.output.routes.size() == 16 &&
               Near(shot.At(away(shot, oneRoute)), preview::Role::Via);
      },
      image))
      << "the pieces";
  window.Click(IDC_ONE_ROUTE);
  EXPECT_TRUE(window.Shows(
      request,
      [&](const Image& shot, const preview::Picture& picture) {
        const preview::Pixel via = Where(shot, picture, picture.output.routes.at(0).vias.at(12));
        const preview::Pixel bare = away(shot, picture);
        return bare.x >= 0 && Near(shot.At(via), preview::Role::Via) &&
               !Near(shot.At(bare), preview::Role::Via);
      },
      image))
      << "the one route";
}

// Two notches of the wheel posted to the window with the pointer on the
// loop's via, a drag from there and a double click: after each the pane draws
// that via and one near it where a ShownPicture given the same steps has them.
TEST_F(PreviewPane, ZoomsAtTheWheelFollowsADragAndFitsOnADoubleClick) {
  const std::string example = std::string("Z:") + MORVEX_EXAMPLE_GDB;
  Window window(WideFromUtf8(example));
  ASSERT_NE(window.Handle(), nullptr) << "no window";
  window.Click(IDC_PREVIEW);
  window.Click(IDC_OPTION_5);
  preview::Request request;
  request.inputPath = example;
  request.mode = ModeForOption(5);
  preview::ShownPicture expected;
  expected.Set(preview::MakeOutcome(request));
  const preview::Picture& picture = expected.Current().picture;
  std::vector<preview::Place> vias = {picture.input.tracks.at(0).points.at(0)};  // the loop's
  const auto drawn = [&](const Image& shot, const preview::Picture& shown) {
    return std::all_of(vias.begin(), vias.end(), [&](preview::Place via) {
      return Near(shot.At(Where(shot, shown, via, expected.View())), preview::Role::Via);
    });
  };
  Image image;
  ASSERT_TRUE(window.Shows(request, drawn, image)) << "the whole file";
  const int width = MulDiv(image.width, 96, image.dpi);
  const int height = MulDiv(image.height, 96, image.dpi);
  const auto at = [&](preview::Place place) {
    return preview::Project(picture, width, height, place, expected.View());
  };
  const auto apart = [](preview::Pixel a, preview::Pixel b) {
    return std::abs(a.x - b.x) + std::abs(a.y - b.y);
  };
  const preview::Pixel loop = at(vias[0]);
  for (const preview::Path& route : picture.output.routes) {
    for (const preview::Place& via : route.vias) {
      const int distance = apart(at(via), loop);
      if (vias.size() == 1 && distance > 20 && distance < 60 &&
          Near(image.At(Scaled(image, at(via))), preview::Role::Via)) {
        vias.push_back(via);
      }
    }
  }
  ASSERT_EQ(vias.size(), 2u) << "no via drawn near the loop's";
  preview::Pixel nearWas = at(vias[1]);
  const auto check = [&](const char* step) {  // the near via moves clear of its dot
    EXPECT_GT(apart(at(vias[1]), nearWas), 8) << step;
    nearWas = at(vias[1]);
    EXPECT_TRUE(window.Shows(request, drawn, image)) << step;
  };
  const auto send = [&](UINT message, preview::Pixel layout) {
    const preview::Pixel scaled = Scaled(image, layout);
    SendMessageW(window.Pane(), message, MK_LBUTTON, MAKELPARAM(scaled.x, scaled.y));
  };
  const preview::Pixel dragged{loop.x - 40, loop.y + 25};

  POINT screen{Scaled(image, loop).x, Scaled(image, loop).y};
  ClientToScreen(window.Pane(), &screen);
  PostMessageW(window.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 2 * WHEEL_DELTA),
               MAKELPARAM(screen.x, screen.y));
  expected.ZoomAt(loop, 1.25 * 1.25, width, height);
  check("two notches at the loop");
  send(WM_LBUTTONDOWN, loop);
  send(WM_MOUSEMOVE, {(loop.x + dragged.x) / 2, (loop.y + dragged.y) / 2});
  send(WM_MOUSEMOVE, dragged);
  send(WM_LBUTTONUP, dragged);
  expected.Pan(dragged.x - loop.x, dragged.y - loop.y, width, height);
  check("dragged");
  send(WM_LBUTTONDBLCLK, dragged);
  expected.Fit();
  check("double click");
}

// Maximised, the window gives its room to the input field and the pane, the
// Browse button keeping its distance from the right edge and the options
// their place; hiding the pane then keeps the window's size, and restored
// it is as wide as it was less the pane.
TEST_F(PreviewPane, GivesTheRoomOfAMaximisedWindowToThePathsAndThePane) {
  Window window(L"");
  ASSERT_NE(window.Handle(), nullptr) << "no window";
  const auto place = [&](HWND control) {
    RECT rect{};
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, window.Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
  };
  const auto item = [&](int id) { return place(GetDlgItem(window.Handle(), id)); };
  const auto client = [&] {
    RECT rect{};
    GetClientRect(window.Handle(), &rect);
    return rect;
  };
  const auto width = [](const RECT& rect) { return rect.right - rect.left; };
  const auto height = [](const RECT& rect) { return rect.bottom - rect.top; };
  RECT small{};
  GetWindowRect(window.Handle(), &small);
  window.Click(IDC_PREVIEW);
  RECT shown{};
  GetWindowRect(window.Handle(), &shown);
  const RECT field = item(IDC_INPUT_PATH);
  const RECT pane = place(window.Pane());
  const RECT options = item(IDC_OPTIONS_GROUP);
  const int browseGap = client().right - item(IDC_BROWSE_INPUT).right;

  SendMessageW(window.Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
  ASSERT_TRUE(IsZoomed(window.Handle()));
  EXPECT_GT(width(item(IDC_INPUT_PATH)), width(field));
  EXPECT_EQ(client().right - item(IDC_BROWSE_INPUT).right, browseGap);
  EXPECT_GT(width(place(window.Pane())), width(pane));
  EXPECT_GT(height(place(window.Pane())), height(pane));
  EXPECT_EQ(place(window.Pane()).top, pane.top);
  const RECT optionsThen = item(IDC_OPTIONS_GROUP);
  EXPECT_TRUE(EqualRect(&options, &optionsThen));

  RECT maximised{};
  GetWindowRect(window.Handle(), &maximised);
  window.Click(IDC_PREVIEW);
  RECT hidden{};
  GetWindowRect(window.Handle(), &hidden);
  EXPECT_TRUE(EqualRect(&maximised, &hidden))
      << maximised.left << "," << maximised.top << " " << maximised.right << "," << maximised.bottom
      << " vs " << hidden.left << "," << hidden.top << " " << hidden.right << "," << hidden.bottom;
  SendMessageW(window.Handle(), WM_SYSCOMMAND, SC_RESTORE, 0);
  RECT restored{};
  GetWindowRect(window.Handle(), &restored);
  EXPECT_EQ(width(restored), width(small)) << "shown " << width(shown);
}

// The tasks posted to the window start in the order they were posted, also
// those that come while a task has a box open, whose loop runs them.
TEST_F(PreviewPane, PostedTasksRunInOrderWhileATaskHasABox) {
  Window window(L"");
  ASSERT_NE(window.Handle(), nullptr) << "no window";
  View& view = window.Dialog();
  std::vector<std::string> ran;  // on the window's thread only
  std::atomic<bool> done = false;
  view.Post([&] {
    view.Post([&] {
      ran.push_back("box opens");
      view.Post([&] { ran.push_back("posted meanwhile"); });
      MSG message;  // the box's own loop, until the tasks after this one have run
      for (int wait = 0; wait < 500 && ran.size() < 3; ++wait) {
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        Sleep(10);
      }
      ran.push_back("box closed");
      done = true;
    });
    view.Post([&] { ran.push_back("posted before"); });
  });
  for (int wait = 0; wait < 1200 && !done; ++wait) Sleep(50);
  EXPECT_EQ(ran, (std::vector<std::string>{"box opens", "posted before", "posted meanwhile",
                                           "box closed"}));
}

}  // namespace
