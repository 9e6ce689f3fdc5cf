#pragma once
// The comments window's fixed texts and the hint rules of its comment box. Platform-free.
#include <cstddef>
#include <string>

namespace comments {

// Shown in the empty comment box as ordinary text (not a cue banner), so it must never be sent.
constexpr const char kHint[] =
    "Add comments to your video. Your supervisor will be able to read these.";

// The box takes at most this many characters (not bytes: a multibyte code page needs more).
constexpr std::size_t kCommentLimit = 1024;

// Opened by the "What is this?" link.
constexpr const char kSupportPageUrl[] = "https://support.calyra.com/desktop-recording/comments";

// Window texts of the buttons, matching their faces, for screen readers and for the plain look,
// where they are what the buttons show.
constexpr const char kTextStart[] = "Start";
constexpr const char kTextSubmit[] = "Submit";
constexpr const char kTextSubmitted[] = "Submitted";
constexpr const char kTextStop[] = "Stop";
constexpr const char kTextPause[] = "Pause";
constexpr const char kTextResume[] = "Resume";
constexpr const char kTextClose[] = "Close";
constexpr const char kTextWhatIsThis[] = "What is this?";

// The title in the plain look (no bitmap set for the DPI), matching the three title pictures.
constexpr const char kTitleIdle[] = "Calyra - Your whole desktop will be shown.";
constexpr const char kTitleRecording[] = "Recording in Progress";
constexpr const char kTitlePaused[] = "Recording Paused";

// Focus entering the box clears exactly the hint; any other text, even a space, stays.
inline bool ClearsOnFocus(const std::string& text) { return text == kHint; }
// Focus leaving an empty box puts the hint back.
inline bool RestoresHintOnBlur(const std::string& text) { return text.empty(); }
// What TakeComment hands on: anything but the hint, the empty text included.
inline bool IsComment(const std::string& text) { return text != kHint; }

}  // namespace comments
