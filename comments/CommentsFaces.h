#pragma once
// The comments window's pictures of one bitmap set: the three titles, the faces of its buttons
// and the two upload pictures, loaded together and freed with the window.
#include <windows.h>

#include "client/CommentsLook.h"
#include "framework/HandleTraits.h"

namespace comments {
struct BitmapSet;
}

struct CommentsFaces {
  BitmapHandle titleIdle, titleRecording, titlePaused;
  BitmapHandle start, submit, submitted;
  BitmapHandle pause, resume;
  BitmapHandle close, stop, whatIsThis;
  BitmapHandle uploading, uploaded;

  void Load(HINSTANCE instance, const comments::BitmapSet& set);

  HBITMAP Title(client::Title title) const;
  HBITMAP StartSubmit(client::StartSubmitFace face) const;
  HBITMAP PauseResume(client::PauseResumeFace face) const;
};
