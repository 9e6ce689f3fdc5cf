#include "widgets/PictureAnimation.h"

#include <process.h>

#include <utility>

#include "widgets/PictureSurface.h"

namespace {

RECT AreaOf(const GifFrameInfo& frame) {
  return RECT{frame.left, frame.top, frame.left + frame.width, frame.top + frame.height};
}

}  // namespace

PictureAnimation::PictureAnimation(const PictureSystem& system, HWND window,
                                   std::shared_ptr<const PictureFrames> frames,
                                   std::shared_ptr<PictureSurface> surface)
    : m_system(system), m_window(window), m_frames(std::move(frames)), m_surface(std::move(surface)) {}

PictureAnimation::~PictureAnimation() = default;

std::shared_ptr<PictureAnimation> PictureAnimation::Start(
    const PictureSystem& system, HWND window, std::shared_ptr<const PictureFrames> frames,
    std::shared_ptr<PictureSurface> surface, std::int32_t first) {
  if (!frames || !surface) return nullptr;
  std::shared_ptr<PictureAnimation> session(
      new PictureAnimation(system, window, std::move(frames), std::move(surface)));
  session->m_exitEvent.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!session->m_exitEvent) return nullptr;
  session->m_cursor.MoveTo(first);

  // The thread gets its own reference to the session, handed over through the start argument.
  auto* reference = new std::shared_ptr<PictureAnimation>(session);
  const uintptr_t thread =
      ::_beginthreadex(nullptr, 0, &PictureAnimation::ThreadMain, reference, CREATE_SUSPENDED, nullptr);
  if (thread == 0) {
    delete reference;
    return nullptr;
  }
  // Created suspended so that the handle is stored before the thread can run at all.
  session->m_thread.reset(reinterpret_cast<HANDLE>(thread));
  ::ResumeThread(session->m_thread.get());
  return session;
}

unsigned __stdcall PictureAnimation::ThreadMain(void* argument) {
  std::shared_ptr<PictureAnimation> self;
  {
    auto* reference = static_cast<std::shared_ptr<PictureAnimation>*>(argument);
    self = std::move(*reference);
    delete reference;
  }
  self->m_playing.store(true);
  RunAnimationLoop(*self, self->m_cursor);
  self->m_playing.store(false);
  // If the owner has already let go (a stop that gave up waiting), the session, its references to
  // the pictures and the surface go here, on this thread.
  return 0;
}

bool PictureAnimation::Stop(DWORD timeoutMs) {
  m_playing.store(false);
  // Set before the event: the thread checks the flag after every wait, and the surface refuses
  // every draw of this session that begins from now on.
  m_exitRequested.store(true);
  ::SetEvent(m_exitEvent.get());
  bool ended = true;
  if (m_thread) {
    ended = m_system.waitForThread(m_thread.get(), timeoutMs) == WAIT_OBJECT_0;
    m_thread.reset();
  }
  return ended;
}

std::int32_t PictureAnimation::FrameCount() const {
  return static_cast<std::int32_t>(m_frames->frames.size());
}

const GifFrameInfo& PictureAnimation::Frame(std::int32_t index) const {
  return m_frames->frames[static_cast<std::size_t>(index)].info;
}

bool PictureAnimation::HasPicture(std::int32_t index) const {
  return static_cast<bool>(m_frames->frames[static_cast<std::size_t>(index)].picture);
}

void PictureAnimation::Wait(std::uint32_t milliseconds) {
  // Sleeps on the exit event: no CPU between frames, and a stop ends the wait at once.
  m_system.waitForFrame(m_exitEvent.get(), milliseconds);
}

void PictureAnimation::SaveArea(const GifFrameInfo& frame) {
  m_surface->SaveArea(AreaOf(frame), &m_exitRequested);
}

bool PictureAnimation::Render(std::int32_t index) {
  const PictureFrame& frame = m_frames->frames[static_cast<std::size_t>(index)];
  return m_surface->Render(m_system, frame.picture.get(), AreaOf(frame.info), &m_exitRequested);
}

void PictureAnimation::Invalidate() {
  // A control that was never attached has no window: InvalidateRect would take the null window
  // for the whole desktop and repaint every window on it, once a frame.
  if (m_window) m_surface->Invalidate(m_window, &m_exitRequested);
}

void PictureAnimation::FillFrameArea(const GifFrameInfo& frame) {
  m_surface->FillBackground(AreaOf(frame), &m_exitRequested);
}

void PictureAnimation::RestoreArea(const GifFrameInfo& frame) {
  m_surface->RestoreArea(AreaOf(frame), &m_exitRequested);
}

void PictureAnimation::FillSurface() { m_surface->FillWholeBackground(&m_exitRequested); }
