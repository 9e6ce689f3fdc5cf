#include "comments/RegionRuns.h"

#include <algorithm>

namespace skin {

namespace {

constexpr std::uint32_t kColourBits = 0x00FFFFFF;

}  // namespace

RunScanner::RunScanner(int width, std::uint32_t key)
    : m_width(width < 0 ? 0 : width), m_key(key & kColourBits) {}

void RunScanner::AddRow(const std::uint32_t* row) {
  m_row.clear();
  int x = 0;
  while (x < m_width) {
    while (x < m_width && (row[x] & kColourBits) == m_key) ++x;
    const int start = x;
    while (x < m_width && (row[x] & kColourBits) != m_key) ++x;
    // A row that ends in key pixels leaves an empty run behind, which adds nothing.
    if (x > start) m_row.push_back({start, x});
  }
  const int y = m_y++;
  const bool sameAsBand =
      y > 0 && std::equal(m_row.begin(), m_row.end(), m_band.begin(), m_band.end(),
                          [](const Span& a, const Span& b) { return a.left == b.left && a.right == b.right; });
  if (sameAsBand) {
    for (std::size_t i = m_bandFirst; i < m_rects.size(); ++i) m_rects[i].bottom = y + 1;
    return;
  }
  m_band.swap(m_row);
  m_bandFirst = m_rects.size();
  for (const Span& s : m_band) m_rects.push_back({s.left, y, s.right, y + 1});
}

std::vector<RunRect> RunScanner::Take() { return std::move(m_rects); }

}  // namespace skin
