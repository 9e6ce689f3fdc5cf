#pragma once
// What the comments window shows: which of its controls are visible, the title and the faces,
// and which command each of its two changing buttons posts. The client model decides it; the
// window only renders it. Platform-free.
namespace client {

enum class Title { Idle, Recording, Paused };
enum class StartSubmitFace { Start, Submit, Submitted };
enum class PauseResumeFace { Pause, Resume };

struct CommentsLook {
  Title title = Title::Idle;
  StartSubmitFace startSubmitFace = StartSubmitFace::Start;
  PauseResumeFace pauseResumeFace = PauseResumeFace::Pause;

  bool startSubmitShown = true;
  bool stopShown = false;
  bool pauseResumeShown = false;
  bool whatIsThisShown = true;
  bool commentShown = false;
  bool uploadingShown = false;  // the uploading picture with the busy animation beside it
  bool uploadedShown = false;

  // Posted by a click on the Start/Submit and the Pause/Resume button; 0 posts nothing.
  unsigned startSubmitCommand = 0;
  unsigned pauseResumeCommand = 0;

  bool operator==(const CommentsLook& o) const {
    return title == o.title && startSubmitFace == o.startSubmitFace &&
           pauseResumeFace == o.pauseResumeFace && startSubmitShown == o.startSubmitShown &&
           stopShown == o.stopShown && pauseResumeShown == o.pauseResumeShown &&
           whatIsThisShown == o.whatIsThisShown && commentShown == o.commentShown &&
           uploadingShown == o.uploadingShown && uploadedShown == o.uploadedShown &&
           startSubmitCommand == o.startSubmitCommand &&
           pauseResumeCommand == o.pauseResumeCommand;
  }
  bool operator!=(const CommentsLook& o) const { return !(*this == o); }
};

}  // namespace client
