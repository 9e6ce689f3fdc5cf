#include "app/Run.h"

#include "app/AppModule.h"
#include "app/CloseRequest.h"
#include "app/MessageLoop.h"
#include "app/SessionInstance.h"
#include "tray/MainFrame.h"

namespace {

void ReportMissingService() {
  ::MessageBoxA(nullptr,
                "The recorder service could not be started: Korvex.dll could not be loaded "
                "from Sivrel's folder or did not provide its service object.\n\nSivrel will "
                "close. Please reinstall the recording agent or contact your administrator.",
                "Sivrel", MB_OK | MB_ICONERROR | MB_SETFOREGROUND);
}

}  // namespace

int Run(LPSTR /*commandLine*/, int showCommand) {
  CMessageLoop loop;
  g_appModule.RegisterLoop(&loop);

  CMainFrame frame;
  int result = 0;
  if (!frame.HasService()) {
    ReportMissingService();
    result = kExitNoService;
  } else if (frame.CreateEx()) {
    frame.ShowWindow(showCommand);
    // The package's request to close reaches the frame as WM_CLOSE; stopped before the frame goes.
    const CloseRequestListener closeRequests(frame);
    result = loop.Run();
  }
  g_appModule.UnregisterLoop();
  return result;  // the frame goes first, then the loop
}

int HandOverToRunningClient(const SessionInstance& session) {
  PostToRunningFrame(session.FirstProcessId(), CMainFrame::GetWndClassName(),
                     ::RegisterWindowMessageA(kOpenCommentsMessageName));
  return kExitAlreadyRunning;
}
