#pragma once
// The picture control's whole use of the splitter and the player on arbitrary bytes, with the
// invariants that must hold for any input. Shared by the fuzz target, which aborts on a
// violation, and by the unit test that replays the kept corpus.
#include <cstddef>
#include <cstdint>
#include <string>

// Returns "" when every invariant held, else a description of the first one that did not.
std::string CheckGifSplitter(const std::uint8_t* data, std::size_t size);
