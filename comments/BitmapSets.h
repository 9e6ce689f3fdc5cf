#pragma once
// The comments window's bitmap resources per display DPI. Platform-free.
namespace comments {

struct BitmapSet {
  int dpi;
  int skin;
  int titleIdle;
  int titleRecording;
  int titlePaused;
  int start;
  int submit;
  int submitted;
  int pause;
  int resume;
  int close;
  int stop;
  int whatIsThis;
  int uploading;
  int uploaded;
  // The set's artwork wants the close button one button width plus 10 pixels further left
  // than the template puts it.
  bool moveCloseLeft;
};

// The set drawn for exactly this horizontal DPI (96, 120, 144 or 192), or null: the window then
// keeps the plain look of its template.
const BitmapSet* BitmapSetForDpi(int dpi);

}  // namespace comments
