// Time to repaint the download list view (10,000 items against 30, so the
// cost is seen not to grow with the queue) and each of the four panels, with
// the built-in skin at 96 dpi, into an off-screen image of the window's
// size. Goal: under 1 ms each. Needs a display (make bench uses Xvfb).
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/init.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/DownloadQueue.h"
#include "skin/SkinLoader.h"
#include "skin/ui/DownloadListWnd.h"
#include "skin/ui/SkinBitmaps.h"
#include "skin/ui/SkinPanels.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kRounds = 500;

void Measure(const char* what, wxDC& dc, const std::function<void(wxDC&)>& paint) {
  std::vector<double> times;
  for (int round = 0; round < kRounds; ++round) {
    const auto start = Clock::now();
    paint(dc);
    times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  std::printf("  %-26s %7.3f / %7.3f / %7.3f ms  (goal < 1 ms)\n", what, times.front(),
              times[kRounds / 2], times[kRounds * 99 / 100]);
}

void Fill(CDownloadQueue& queue, int count) {
  for (int i = 0; i < count; ++i) {
    auto item = std::make_unique<CDownloadItem>();
    item->m_strLocalPath =
        "/home/user/MP3/Artist/Album/" + std::to_string(i + 1) + " Song title.mp3";
    queue.Append(std::move(item));
  }
}

}  // namespace

int main(int argc, char** argv) {
  wxApp::SetInstance(new wxApp);
  if (!wxEntryStart(argc, argv)) {
    std::printf("controls paint: no display; run under xvfb-run\n");
    return 0;
  }
  Skin& skin = GetSkin();
  SetDefaultSkin(skin, 96);
  MakeSkinBitmaps(skin);

  auto* frame = new wxFrame(nullptr, wxID_ANY, "bench");
  auto* face = new wxWindow(frame, wxID_ANY);
  const wxRect listBox(skin.downloadList.x, skin.downloadList.y, skin.downloadList.w,
                       skin.downloadList.h);
  CDownloadQueue big, small;
  Fill(big, 10000);
  Fill(small, 30);
  auto* bigView = new CDownloadListWnd;
  bigView->Create(big, listBox, face, 111);
  bigView->ScrollTo(5000);
  bigView->SetSelection(5003);
  auto* smallView = new CDownloadListWnd;
  smallView->Create(small, listBox, face, 112);
  smallView->SetSelection(3);
  frame->Show();

  wxBitmap listImage(listBox.width, listBox.height, 24);
  wxBitmap faceImage(skin.main.bitmap.Width(), skin.main.bitmap.Height(), 24);
  std::printf(
      "controls paint, %d rounds, built-in skin at 96 dpi (fastest / median / 99th percentile;\n"
      "the tail includes other load on the machine):\n",
      kRounds);
  {
    wxMemoryDC dc(listImage);
    Measure("list view, 10,000 items", dc, [&](wxDC& to) { bigView->DrawTo(to); });
    Measure("list view, 30 items", dc, [&](wxDC& to) { smallView->DrawTo(to); });
  }
  {
    wxMemoryDC dc(faceImage);
    Measure("current file panel", dc, [](wxDC& to) {
      PaintCurrentFilePanel(to, "07 A rather long song title - Some Artist");
    });
    Measure("status panel", dc, [](wxDC& to) { PaintStatusPanel(to, "OK"); });
    Measure("progress panel", dc, [](wxDC& to) { PaintProgressPanel(to, 57); });
    Measure("indicator panel", dc, [](wxDC& to) { PaintIndicatorPanel(to, 5); });
  }

  delete frame;
  FreeSkinBitmaps();
  FreeSkin(skin);
  wxEntryCleanup();
  return 0;
}
