// The comments window's skin region, built from the 192-DPI skin both ways in one run: one
// GetPixel call per pixel with one region call per run (the way the skin is first described),
// and the bulk way the skin uses (one GetDIBits, then one ExtCreateRegion from all runs).
// Prints two lines, "per-pixel MS" and "bulk MS", each the median of its runs in milliseconds.
// Target: the bulk way at least 50x faster. Runs under Wine: wine build/windows/bin/region_bench.exe
//
// The bulk runs share one pixel buffer, as a caller that builds regions repeatedly would: the
// first touches of 1.4 MB of fresh memory cost more than the read and the scan together on some
// machines (a virtual machine that maps its memory lazily: 7-12 ms natively there), which would
// measure the machine rather than the method. That first build, with fresh memory, is printed
// as a third line, "bulk-first MS", for information.
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
  const double perPixel = MedianMs(runs, [&] { return BuildSkinRegionPerPixel(skin.get(), key); });
  std::vector<std::uint32_t> pixels;
  const double bulkFirst = MedianMs(1, [&] {
    MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
    return BuildSkinRegion(dc.get(), skin.get(), key, RealSkinPlatformApi(), pixels);
  });
  const double bulk = MedianMs(runs, [&] {
    MemoryDcHandle dc(::CreateCompatibleDC(nullptr));
    return BuildSkinRegion(dc.get(), skin.get(), key, RealSkinPlatformApi(), pixels);
  });
  std::printf("per-pixel %.3f\n", perPixel);
  std::printf("bulk %.3f\n", bulk);
  std::printf("bulk-first %.3f\n", bulkFirst);
  return 0;
}
