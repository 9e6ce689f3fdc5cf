#pragma once
// CPictureExWnd: a control that shows one picture and plays an animated GIF in an endless loop on a
// thread of its own. It is always attached to an existing control (a dialog's placeholder static)
// with SubclassWindow, never created with its traits.
//
// Every frame is decoded once, at load time, into a picture object of its own; the animation
// thread only renders frames into an off-screen surface and waits, and WM_PAINT is one BitBlt from
// that surface. Frame order, waits and disposals are decided by the platform-free GifPlayer.
//
// Threads. The owner's thread makes every call and receives every message. Each StartAnimation of
// an animated picture begins an animation session: one thread with its own exit event, its own
// references to the frame pictures and to the surface, and its own stop flags. A stop ends the
// session; a thread that has not ended 5000 ms later is left to finish on its own, touching only
// what its session keeps alive, and it can no longer draw (see PictureSurface and
// PictureAnimation).
#include <windows.h>

#include <memory>

#include "framework/HandleTraits.h"
#include "framework/MessageMap.h"
#include "framework/WindowImpl.h"
#include "widgets/PictureEdge.h"

class GlobalLockScope;
class PictureSurface;
class PictureAnimation;
struct PictureFrames;

class CPictureExWnd : public CWindowImpl<CPictureExWnd, CWindow, CWinTraits<0x56000000, 0>> {
 public:
  CPictureExWnd();
  // With other operating-system calls for the renderer and the waits (tests).
  explicit CPictureExWnd(const PictureEdge& edge);
  ~CPictureExWnd() override;

  BEGIN_MSG_MAP(CPictureExWnd)
    MESSAGE_HANDLER(WM_PAINT, OnPaint)
    MESSAGE_HANDLER(WM_PRINTCLIENT, OnPrintClient)
    MESSAGE_HANDLER(WM_DESTROY, OnDestroy)
  END_MSG_MAP()

  // Copies the resource (of the application's resource module) into a movable global block and
  // loads it. `name` is a string or MAKEINTRESOURCEA(id). On failure what was loaded stays.
  bool LoadFromResource(LPCSTR name, LPCSTR type);
  bool LoadFromResource(int id, LPCSTR type) { return LoadFromResource(MAKEINTRESOURCEA(id), type); }
  // Releases what was loaded, then decodes `size` bytes of `block` (locked only for the load; the
  // block stays the caller's). Resizes the window to the picture and creates the surface. On
  // failure the control is left released.
  bool LoadFromMemory(HGLOBAL block, DWORD size);

  // An animated GIF starts its thread; a still picture is rendered once into the surface. True
  // when the thread was started or the still was drawn. Call it only while no animation plays.
  bool StartAnimation();
  // Ends the animation thread, waiting at most 5000 ms; the frame on show is kept, so a new start
  // resumes there.
  void StopAnimation();
  // Stops, then frees the pictures and the surface and returns every value to its initial state.
  void ReleasePicture();

  SIZE GetPictureSize() const { return m_pictureSize; }
  // Frames of an animated GIF (two or more decoded), else 0.
  int GetFrameCount() const;
  BOOL IsAnimated() const;
  BOOL IsPlaying() const;
  // StartAnimation began an animation thread and no stop has ended it yet (IsPlaying turns true
  // only once that thread is inside its loop).
  bool IsAnimationStarted() const { return static_cast<bool>(m_animation); }
  // The index of the frame the animation shows (kept across a stop).
  int GetCurrentFrame() const;

 private:
  LRESULT OnPaint(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  // Draws the surface into the DC in wParam, as a paint would into the window.
  LRESULT OnPrintClient(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);
  LRESULT OnDestroy(UINT uMsg, WPARAM wParam, LPARAM lParam, BOOL& bHandled);

  bool LoadGif(GlobalLockScope& lock, HGLOBAL block, DWORD size);
  bool LoadStill(HGLOBAL block, DWORD size);
  bool CreateSurface(int cx, int cy);

  const PictureEdge m_edge;
  SIZE m_pictureSize{};
  // The frame on show: carried from one animation session to the next.
  int m_currentFrame = 0;
  // Shared with the animation sessions, which keep them alive for as long as they run.
  std::shared_ptr<PictureSurface> m_surface;
  std::shared_ptr<const PictureFrames> m_frames;
  // The still picture of non-GIF data or of a one-frame GIF; drawn only on the owner's thread.
  PictureHandle m_still;
  std::shared_ptr<PictureAnimation> m_animation;
};
