#pragma once
// One run of the animated picture control's animation thread: from a StartAnimation to the stop
// that ends it. The thread plays the frames with a GifPlayer: it draws each step into the
// off-screen surface, asks for a repaint, waits on the session's exit event, disposes of the
// frame's area; every draw is a call of its own on the surface, which holds its lock for that
// call only, never across a wait.
//
// The session is shared by the control and its thread. It holds everything the thread touches:
// its own exit event and stop flags, its own references to the frame pictures and to the surface,
// the window to invalidate and the frame on show. When a stop gives up waiting for the thread
// (5000 ms), the control drops its reference and carries on; the thread finishes with the session
// alone and the last of the two to let go frees it. Its draws are refused by the surface once the
// stop flag is set, so a restart, a release or a new load never has two threads drawing and never
// frees anything under a thread.
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "framework/HandleTraits.h"
#include "widgets/GifPlayer.h"
#include "widgets/PictureEdge.h"

class PictureSurface;

// The decoded frames of an animated GIF, in file order. Not changed after the load.
struct PictureFrames {
  std::vector<PictureHandle> pictures;
  std::vector<GifFrameInfo> infos;
};

class PictureAnimation {
 public:
  // Starts a thread that plays `frames` into `surface` from frame `first` on. Null when the
  // thread or its exit event cannot be created.
  static std::shared_ptr<PictureAnimation> Start(const PictureEdge& edge, HWND window,
                                                 std::shared_ptr<const PictureFrames> frames,
                                                 std::shared_ptr<PictureSurface> surface,
                                                 std::int32_t first);
  PictureAnimation(const PictureAnimation&) = delete;
  PictureAnimation& operator=(const PictureAnimation&) = delete;

  // Ends the session: from now on none of its draws reaches the surface; the thread's wait ends at
  // once, and the thread is waited for at most `timeoutMs`. True when it ended in that time.
  bool Stop(DWORD timeoutMs);

  // The thread is inside its loop.
  bool IsPlaying() const { return m_playing.load(); }
  // The frame on show; a new session started from it resumes there.
  std::int32_t CurrentFrame() const { return m_current.load(); }

 private:
  PictureAnimation(const PictureEdge& edge, HWND window,
                   std::shared_ptr<const PictureFrames> frames,
                   std::shared_ptr<PictureSurface> surface, std::int32_t first);
  static unsigned __stdcall ThreadMain(void* argument);
  void Play();
  void Dispose(const GifStep& step);

  const PictureEdge m_edge;
  const HWND m_window;
  const std::shared_ptr<const PictureFrames> m_frames;
  const std::shared_ptr<PictureSurface> m_surface;
  KernelHandle m_exitEvent;   // manual-reset: once set, every later wait returns at once
  KernelHandle m_thread;      // the owner's: waited for and closed by Stop
  std::atomic<bool> m_exitRequested{false};  // also the surface's "refuse this session" flag
  std::atomic<bool> m_playing{false};
  // Moved by the thread while the owner may read it.
  std::atomic<std::int32_t> m_current{0};
};
