#include "comments/CommentsFaces.h"

#include "comments/BitmapSets.h"

namespace {

HBITMAP LoadBitmapResource(HINSTANCE instance, int id) {
  return static_cast<HBITMAP>(
      ::LoadImageA(instance, MAKEINTRESOURCEA(id), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR));
}

}  // namespace

void CommentsFaces::Load(HINSTANCE instance, const comments::BitmapSet& set) {
  const auto load = [instance](BitmapHandle& handle, int id) {
    handle.reset(LoadBitmapResource(instance, id));
  };
  load(titleIdle, set.titleIdle);
  load(titleRecording, set.titleRecording);
  load(titlePaused, set.titlePaused);
  load(start, set.start);
  load(submit, set.submit);
  load(submitted, set.submitted);
  load(pause, set.pause);
  load(resume, set.resume);
  load(close, set.close);
  load(stop, set.stop);
  load(whatIsThis, set.whatIsThis);
  load(uploading, set.uploading);
  load(uploaded, set.uploaded);
}

HBITMAP CommentsFaces::Title(client::Title title) const {
  switch (title) {
    case client::Title::Idle: return titleIdle.get();
    case client::Title::Recording: return titleRecording.get();
    case client::Title::Paused: return titlePaused.get();
  }
  return nullptr;
}

HBITMAP CommentsFaces::StartSubmit(client::StartSubmitFace face) const {
  switch (face) {
    case client::StartSubmitFace::Start: return start.get();
    case client::StartSubmitFace::Submit: return submit.get();
    case client::StartSubmitFace::Submitted: return submitted.get();
  }
  return nullptr;
}

HBITMAP CommentsFaces::PauseResume(client::PauseResumeFace face) const {
  return face == client::PauseResumeFace::Pause ? pause.get() : resume.get();
}
