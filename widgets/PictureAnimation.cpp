#include "widgets/PictureAnimation.h"

#include <process.h>

#include <utility>

#include "widgets/PictureSurface.h"

namespace {

RECT RectOf(const GifArea& area) {
  return RECT{area.left, area.top, area.left + area.width, area.top + area.height};
}

}  // namespace

PictureAnimation::PictureAnimation(const PictureEdge& edge, HWND window,
                                   std::shared_ptr<const PictureFrames> frames,
                                   std::shared_ptr<PictureSurface> surface, std::int32_t first)
    : m_edge(edge),
      m_window(window),
      m_frames(std::move(frames)),
      m_surface(std::move(surface)),
      m_current(first) {}

std::shared_ptr<PictureAnimation> PictureAnimation::Start(
    const PictureEdge& edge, HWND window, std::shared_ptr<const PictureFrames> frames,
    std::shared_ptr<PictureSurface> surface, std::int32_t first) {
  if (!frames || !surface) return nullptr;
  std::shared_ptr<PictureAnimation> session(
      new PictureAnimation(edge, window, std::move(frames), std::move(surface), first));
  session->m_exitEvent.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
  if (!session->m_exitEvent) return nullptr;

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
  self->Play();
  self->m_playing.store(false);
  // If the owner has already let go (a stop that gave up waiting), the session, its references to
  // the pictures and the surface go here, on this thread.
  return 0;
}

// The stop flag is checked after each draw and after each wait; a stop also ends a wait at once.
void PictureAnimation::Play() {
  GifPlayer player(m_frames->infos, m_current.load());
  // Without a frame nothing would ever wait, and the loop would spin.
  if (!player.HasFrames()) return;
  m_current.store(player.Step().frame);
  Dispose(player.Step());
  while (!m_exitRequested.load()) {
    const GifStep step = player.Step();
    const RECT area = RectOf(step.area);
    if (step.savesArea) m_surface->SaveArea(area, &m_exitRequested);
    IPicture* picture = m_frames->pictures[static_cast<std::size_t>(step.frame)].get();
    // A control that was never attached has no window: InvalidateRect would take the null window
    // for the whole desktop and repaint every window on it, once a frame.
    if (m_surface->Render(m_edge, picture, area, &m_exitRequested) && m_window)
      m_surface->Invalidate(m_window, &m_exitRequested);
    if (m_exitRequested.load()) break;
    // Sleeps on the exit event: no CPU between frames, and a stop ends the wait at once.
    m_edge.waitForFrame(m_edge.context, m_exitEvent.get(), step.waitMs);
    if (m_exitRequested.load()) break;
    Dispose(step);
    player.Advance();
    m_current.store(player.Step().frame);
    if (step.fillsSurface) m_surface->FillWholeBackground(&m_exitRequested);
  }
}

void PictureAnimation::Dispose(const GifStep& step) {
  switch (step.disposal) {
    case FrameDisposal::RestoreBackground:
      m_surface->FillBackground(RectOf(step.area), &m_exitRequested);
      break;
    case FrameDisposal::RestorePrevious:
      m_surface->RestoreArea(RectOf(step.area), &m_exitRequested);
      break;
    case FrameDisposal::Keep:
      break;
  }
}

bool PictureAnimation::Stop(DWORD timeoutMs) {
  m_playing.store(false);
  // Set before the event: the thread checks the flag after every wait, and the surface refuses
  // every draw of this session that begins from now on.
  m_exitRequested.store(true);
  ::SetEvent(m_exitEvent.get());
  bool ended = true;
  if (m_thread) {
    ended = m_edge.waitForThread(m_edge.context, m_thread.get(), timeoutMs) == WAIT_OBJECT_0;
    m_thread.reset();
  }
  return ended;
}
