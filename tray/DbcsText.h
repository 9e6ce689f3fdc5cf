#pragma once
// Cutting narrow text to the shell's fixed buffers (tooltip, balloon text and title) without
// splitting a double-byte character of the ANSI code page. Platform-free: the lead-byte test of
// the code page is passed in (IsDBCSLeadByte in the program, a code page 932 table in tests).
#include <cstddef>
#include <string_view>

namespace tray {

using LeadByteTest = bool (*)(unsigned char byte);

// Byte limits of the notification-area record's text fields, without the terminating zero.
constexpr std::size_t kTooltipBytes = 127;
constexpr std::size_t kBalloonTextBytes = 255;
constexpr std::size_t kBalloonTitleBytes = 63;

// How many leading bytes of `text` to keep so that at most `maxBytes` remain and the cut falls
// between characters. The text ends at its first zero byte. A lead byte that has no trail byte
// left (at the cut, or dangling at the very end) is dropped with its character.
std::size_t DbcsFitLength(std::string_view text, std::size_t maxBytes, LeadByteTest isLeadByte);

// Copies as much of `text` as fits into `buffer` of `bufferSize` bytes, always zero-terminated.
void CopyDbcsTruncated(char* buffer, std::size_t bufferSize, std::string_view text,
                       LeadByteTest isLeadByte);

}  // namespace tray
