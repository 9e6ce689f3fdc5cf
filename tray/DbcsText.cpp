#include "tray/DbcsText.h"

#include <algorithm>
#include <cstring>

namespace tray {

std::size_t DbcsFitLength(std::string_view text, std::size_t maxBytes, LeadByteTest isLeadByte) {
  const std::size_t end = std::min(text.find('\0'), text.size());
  // A trail byte can have a lead byte's value, so characters are found by walking from the start.
  std::size_t kept = 0;
  std::size_t i = 0;
  while (i < end) {
    const std::size_t width =
        isLeadByte(static_cast<unsigned char>(text[i])) ? 2 : 1;
    if (i + width > end) break;     // dangling lead byte: no character to keep
    if (i + width > maxBytes) break;
    i += width;
    kept = i;
  }
  return kept;
}

void CopyDbcsTruncated(char* buffer, std::size_t bufferSize, std::string_view text,
                       LeadByteTest isLeadByte) {
  if (bufferSize == 0) return;
  const std::size_t length = DbcsFitLength(text, bufferSize - 1, isLeadByte);
  std::memcpy(buffer, text.data(), length);
  buffer[length] = '\0';
}

}  // namespace tray
