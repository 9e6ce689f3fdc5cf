// The comments window's skin region, built from the 192-DPI skin both ways in one run: one
// GetPixel call per pixel with one region call per run (the way the skin is first described,
// made here), and the skin's own BuildSkinRegion (one GetDIBits, then one ExtCreateRegion from
// all runs). Prints two lines, "per-pixel MS" and "bulk MS", each the median of its runs in
// milliseconds; the bulk way is expected at least 10x faster (it was 13-38x under load, where a
// fresh 1.4 MB buffer per build costs as much as the read and the scan). Runs under Wine:
// wine build/windows/bin/region_bench.exe
//
// The first bulk build, which also pays for whatever the first GetDIBits of the bitmap sets up,
// is printed as a third line, "bulk-first MS", for information. Each build reads into a
// pixel buffer of its own, 1.4 MB at 192 DPI; a virtual machine that maps memory lazily makes
// its first touches cost as much as the read and the scan together.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "comments/SkinRegion.h"
#include "framework/HandleTraits.h"
#include "res/resource.h"
#include "tests/tools/NotificationArea.h"

namespace {

double NowMs() {
  LARGE_INTEGER frequency, counter;
  ::QueryPerformanceFrequency(&frequency);
  ::QueryPerformanceCounter(&counter);
  return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// GetPixel on every pixel of a memory context holding the bitmap, and each run OR-combined into
// the region on its own. Null when a combination fails.
HRGN BuildSkinRegionPerPixel(HBITMAP bitmap, COLORREF key) {
  BITMAP bm{};
  if (::GetObjectA(bitmap, sizeof bm, &bm) != sizeof bm) return nullptr;
  MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
  if (!dc) return nullptr;
  HGDIOBJ old = ::SelectObject(dc.get(), bitmap);
  RegionHandle region(::CreateRectRgn(0, 0, 0, 0));
  bool ok = static_cast<bool>(region);
  for (int y = 0; ok && y < bm.bmHeight; ++y) {
    int x = 0;
    do {
      while (x < bm.bmWidth && ::GetPixel(dc.get(), x, y) == key) ++x;
      const int start = x;
      while (x < bm.bmWidth && ::GetPixel(dc.get(), x, y) != key) ++x;
      RegionHandle run(::CreateRectRgn(start, y, x, y + 1));
      if (::CombineRgn(region.get(), region.get(), run.get(), RGN_OR) == ERROR) ok = false;
    } while (ok && x < bm.bmWidth);
  }
  ::SelectObject(dc.get(), old);
  return ok ? region.release() : nullptr;
}

template <class Build>
double MedianMs(int runs, Build build) {
  std::vector<double> times;
  for (int i = 0; i < runs; ++i) {
    const double start = NowMs();
    RegionHandle region(build());
    times.push_back(NowMs() - start);
    if (!region) {
      std::fprintf(stderr, "region_bench: a region could not be built\n");
      std::exit(1);
    }
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  // The skin is measured on the test bed's display, as the client meets it, not on whatever
  // desktop plain `wine` happens to give.
  if (!RequireNotificationArea()) return 2;
  const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
  BitmapHandle skin(static_cast<HBITMAP>(::LoadImageA(::GetModuleHandleA(nullptr),
                                                      MAKEINTRESOURCEA(IDB_SKIN_192),
                                                      IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
  if (!skin) {
    std::fprintf(stderr, "region_bench: the 192-DPI skin bitmap is missing\n");
    return 1;
  }
  const COLORREF key = RGB(255, 0, 255);
  const auto bulkBuild = [&] {
    MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
    return BuildSkinRegion(dc.get(), skin.get(), key, RealSkinPlatformApi());
  };
  const double perPixel = MedianMs(runs, [&] { return BuildSkinRegionPerPixel(skin.get(), key); });
  const double bulkFirst = MedianMs(1, bulkBuild);
  const double bulk = MedianMs(runs, bulkBuild);
  std::printf("per-pixel %.3f\n", perPixel);
  std::printf("bulk %.3f\n", bulk);
  std::printf("bulk-first %.3f\n", bulkFirst);
  return 0;
}
