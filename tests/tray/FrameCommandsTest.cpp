// The tray menu and every command of the real frame under Wine: the menu as the shell's user
// sees it (inspected from inside its own loop), the double click, the Open toggle, recording
// commands, Restart, the auto-record toggle, About, Ctrl+O, the end of the session, and closes
// that arrive inside nested modal loops.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <thread>
#include <vector>

#include "TrayTestSupport.h"
#include "comments/CommentsText.h"
#include "res/resource.h"
#include "tools/WinTestSupport.h"

namespace {

using traytest::FrameHarness;
using traytest::Lines;
using traytest::UiSteps;

constexpr DWORD kLoopTimeoutMs = 15000;

// A top-level window of this thread with the given class (and caption, if given).
HWND FindThreadWindow(const char* className, const char* caption = nullptr) {
  struct Search {
    const char* className;
    const char* caption;
    HWND found;
  } search{className, caption, nullptr};
  ::EnumThreadWindows(
      ::GetCurrentThreadId(),
      [](HWND w, LPARAM p) -> BOOL {
        auto* s = reinterpret_cast<Search*>(p);
        if (!::IsWindowVisible(w)) return TRUE;
        if (wintest::ClassName(w) != s->className) return TRUE;
        if (s->caption && wintest::WindowText(w) != s->caption) return TRUE;
        s->found = w;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND OpenMenuWindow() { return FindThreadWindow("#32768"); }
HWND AboutWindow() { return FindThreadWindow("#32770", "About"); }

struct MenuEntry {
  std::string text;
  UINT id;
  bool separator;
  bool isDefault;
  UINT state;  // MF_GRAYED | MF_DISABLED | MF_CHECKED bits
};

std::vector<MenuEntry> ReadMenu(HMENU menu) {
  std::vector<MenuEntry> entries;
  const int count = ::GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    MENUITEMINFOA info{};
    info.cbSize = sizeof info;
    char text[64] = "";
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_ID | MIIM_STRING;
    info.dwTypeData = text;
    info.cch = sizeof text;
    ::GetMenuItemInfoA(menu, static_cast<UINT>(i), TRUE, &info);
    entries.push_back(MenuEntry{text, info.wID, (info.fType & MFT_SEPARATOR) != 0,
                                (info.fState & MFS_DEFAULT) != 0,
                                info.fState & (MFS_GRAYED | MFS_CHECKED)});
  }
  return entries;
}

TEST(TrayCommands, RightClickShowsTheFiveEntriesWithOpenBold) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  std::vector<MenuEntry> seen;
  bool menuFound = false;
  // The menu's own loop runs the timer: look at it from inside, then close it.
  UiSteps inspect([&] {
    HWND menuWindow = OpenMenuWindow();
    if (!menuWindow) return false;
    menuFound = true;
    HMENU menu = reinterpret_cast<HMENU>(::SendMessageA(menuWindow, MN_GETHMENU, 0, 0));
    seen = ReadMenu(menu);
    ::EndMenu();
    return true;
  });
  EXPECT_EQ(h.TrayCallback(WM_RBUTTONUP), 0);
  ASSERT_TRUE(menuFound) << "no popup menu appeared";
  ASSERT_EQ(seen.size(), 5u);
  const MenuEntry expected[] = {{"Open", ID_TRAY_OPEN, false, true, 0},
                                {"", 0, true, false, 0},
                                {"Restart", ID_TRAY_RESTART, false, false, 0},
                                {"About..", ID_TRAY_VERSION, false, false, 0},
                                {"Exit", ID_TRAY_EXIT, false, false, 0}};
  for (size_t i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(seen[i].separator, expected[i].separator);
    if (!expected[i].separator) {
      EXPECT_EQ(seen[i].text, expected[i].text);
      EXPECT_EQ(seen[i].id, expected[i].id);
    }
    EXPECT_EQ(seen[i].isDefault, expected[i].isDefault);
    if (!expected[i].separator) {
      EXPECT_EQ(seen[i].state, 0u) << "no entry is greyed or marked";
    }
  }
  const auto menus = h.edges.MenuCalls();
  ASSERT_EQ(menus.size(), 1u);
  EXPECT_EQ(menus[0].flags, 0u);
  EXPECT_EQ(menus[0].owner, h.Window());
  EXPECT_EQ(OpenMenuWindow(), nullptr);
}

TEST(TrayCommands, ChoosingExitFromTheMenuEndsTheLoopWithCodeOne) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  UiSteps choose([&] {
    HWND menuWindow = OpenMenuWindow();
    if (!menuWindow) return false;
    // Up from nothing selects the last entry, Exit.
    ::PostMessageA(menuWindow, WM_KEYDOWN, VK_UP, 0);
    ::PostMessageA(menuWindow, WM_KEYDOWN, VK_RETURN, 0);
    return true;
  });
  ::PostMessageA(h.Window(), ::RegisterWindowMessageA("WM_TRAYICON"), IDR_TRAYMENU, WM_RBUTTONUP);
  EXPECT_EQ(h.RunLoop(kLoopTimeoutMs), 1);
  EXPECT_FALSE(::IsWindow(h.Window()));
  EXPECT_EQ(h.service.CountOf("Stop"), 1);
}

TEST(TrayCommands, TheMenuOpensInsideTheNearestWorkAreaWhenTheCursorIsOffScreen) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  RECT work{};
  ::SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
  struct Case {
    POINT cursor;
    int x, y;
  } cases[] = {
      {{-500, 300}, static_cast<int>(work.left), 300},
      {{work.right + 4000, 120}, static_cast<int>(work.right - 1), 120},
      {{100, 100}, 100, 100},
  };
  for (const Case& c : cases) {
    h.edges.FakeMenuAt(c.cursor);
    h.TrayCallback(WM_RBUTTONUP);
  }
  const auto menus = h.edges.MenuCalls();
  ASSERT_EQ(menus.size(), 3u);
  for (size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(menus[i].x, cases[i].x) << i;
    EXPECT_EQ(menus[i].y, cases[i].y) << i;
  }
}

TEST(TrayCommands, DoubleClickAndOpenToggleTheCommentsWindowSynchronously) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  ASSERT_FALSE(::IsWindowVisible(h.Comments()));
  h.TrayCallback(WM_LBUTTONDBLCLK);
  EXPECT_TRUE(::IsWindowVisible(h.Comments())) << "the command ran before the callback returned";
  h.TrayCallback(WM_LBUTTONDBLCLK);
  EXPECT_FALSE(::IsWindowVisible(h.Comments()));
  // Another icon's callbacks are none of ours.
  h.TrayCallback(WM_LBUTTONDBLCLK, IDR_TRAYMENU + 1);
  h.TrayCallback(WM_RBUTTONUP, 0);
  EXPECT_FALSE(::IsWindowVisible(h.Comments()));
  EXPECT_TRUE(h.edges.MenuCalls().empty());
  // Single clicks, moves and the select notice change nothing.
  h.TrayCallback(WM_LBUTTONUP);
  h.TrayCallback(WM_MOUSEMOVE);
  h.TrayCallback(NIN_SELECT);
  EXPECT_FALSE(::IsWindowVisible(h.Comments()));

  // The menu's Open: shows, hides, shows again, each time placed beside our icon.
  h.Command(ID_TRAY_OPEN);
  EXPECT_TRUE(::IsWindowVisible(h.Comments()));
  h.Command(ID_TRAY_OPEN);
  EXPECT_FALSE(::IsWindowVisible(h.Comments()));
  h.Command(ID_TRAY_OPEN);
  EXPECT_TRUE(::IsWindowVisible(h.Comments()));
  const auto placements = h.edges.PlacementCalls();
  EXPECT_EQ(placements.size(), 3u);
  for (const auto& p : placements) {
    EXPECT_EQ(p.owner, h.Window());
    EXPECT_EQ(p.id, static_cast<UINT>(IDR_TRAYMENU));
  }
  // The comments window's close button hides it through the frame.
  ::SendMessageA(h.Window(), WM_COMMAND, ID_COMMENTS_HIDE, IDC_CLOSE);
  EXPECT_FALSE(::IsWindowVisible(h.Comments()));
}

TEST(TrayCommands, StartAndStopChangeOnlyTheIconAndReachTheServiceWithOneId) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Connection(vesk::model::connection::Authorized);
  ASSERT_TRUE(h.Settle());
  const size_t before = h.edges.ShellCallCount();
  ::SendMessageA(h.Window(), WM_COMMAND, ID_RECORDING_START, IDC_START_SUBMIT);
  EXPECT_EQ(h.Look(), "recording submit+ pause+ stop+ what- comment+ uploading- uploaded-");
  // The service confirms: nothing changes, the tooltip keeps its text.
  h.service.Recording(1);
  ASSERT_TRUE(h.Settle());
  ::SendMessageA(h.Window(), WM_COMMAND, ID_RECORDING_STOP, IDC_STOP);
  EXPECT_EQ(h.Look(), "idle start+ pause- stop- what+ comment- uploading- uploaded-");
  h.service.Recording(0);
  ASSERT_TRUE(h.Settle());
  EXPECT_EQ(h.edges.DescribedSince(before), (Lines{"icon 207", "icon 210"}));
  EXPECT_EQ(h.edges.ShellCalls().back().tip, "Connected");
  const auto started = h.service.ArgumentsOf("StartRecording");
  const auto stopped = h.service.ArgumentsOf("StopRecording");
  ASSERT_EQ(started.size(), 1u);
  ASSERT_EQ(stopped.size(), 1u);
  EXPECT_TRUE(std::regex_match(started[0], std::regex("[0-9]{8}T[0-9]{6}"))) << started[0];
  EXPECT_EQ(stopped[0], started[0]);

  // Pause and resume pass through while the service is started.
  ::SendMessageA(h.Window(), WM_COMMAND, ID_RECORDING_PAUSE, IDC_PAUSE_RESUME);
  ::SendMessageA(h.Window(), WM_COMMAND, ID_RECORDING_RESUME, IDC_PAUSE_RESUME);
  EXPECT_EQ(h.service.CountOf("PauseRecording"), 1);
  EXPECT_EQ(h.service.CountOf("ResumeRecording"), 1);
}

TEST(TrayCommands, SubmitSendsTypedTextButNeverTheHint) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  const HWND box = h.Control(IDC_COMMENT);
  h.Command(ID_RECORDING_START);
  ::SetWindowTextA(box, "The caller hung up at 10:42.");
  h.Command(ID_COMMENT_SUBMIT);
  h.Command(ID_COMMENT_SUBMIT);  // the box shows the hint again now
  ::SetWindowTextA(box, "");
  h.Command(ID_COMMENT_SUBMIT);  // the empty text is not the hint: sent
  EXPECT_EQ(h.service.ArgumentsOf("AddComment"), (Lines{"The caller hung up at 10:42.", ""}));
  EXPECT_EQ(wintest::WindowText(box), comments::kHint);
}

TEST(TrayCommands, RestartDuringARecordingDropsItsOwnEventsAndReturnsToIdle) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Connection(vesk::model::connection::Authorized);
  h.service.Recording(1);
  ASSERT_TRUE(h.Settle());
  ASSERT_EQ(h.Look(), "recording submit+ pause+ stop+ what- comment+ uploading- uploaded-");
  const size_t before = h.edges.ShellCallCount();
  // While the service stops and starts it reports a disconnection, the recording's end and an
  // upload; the notice still shows.
  h.service.duringCall = [&](const std::string& call) {
    if (call != "Stop") return;
    h.service.OnEventThread([&] {
      h.service.RaiseConnection(vesk::model::connection::Disconnected);
      h.service.RaiseRecording(0);
      h.service.RaiseUpload(50);
      h.service.RaiseNotification("restarting");
    });
  };
  h.Command(ID_TRAY_RESTART);
  h.service.duringCall = nullptr;
  ASSERT_TRUE(h.Settle());
  EXPECT_EQ(h.edges.DescribedSince(before), (Lines{"balloon off", "balloon 'Calyra' 'restarting'"}));
  EXPECT_EQ(h.Look(), "idle start+ pause- stop- what+ comment- uploading- uploaded-");
  const Lines calls = h.service.Operations();
  EXPECT_EQ(Lines(calls.end() - 2, calls.end()), (Lines{"Stop", "Start"}));
  // Events after the restart count again; the icon still showed the recording until now, and
  // the dropped Disconnected changed nothing (Authorized keeps the connection as it is).
  EXPECT_EQ(h.edges.ShellCalls().back().iconId, 207);
  h.service.Connection(vesk::model::connection::Authorized);
  ASSERT_TRUE(h.Settle());
  EXPECT_EQ(h.edges.Described().back(), "icon+tip 210 'Connected'");
}

// Whether a menu that had the auto-record entry would show it checked (menu 201 has none).
bool AutoRecordMarked(FrameHarness& h) {
  HMENU popup = ::CreatePopupMenu();
  ::AppendMenuA(popup, MF_STRING, ID_AUTORECORD_TOGGLE, "Auto");
  h.frame->PrepareMenu(popup);
  const bool marked = (::GetMenuState(popup, ID_AUTORECORD_TOGGLE, MF_BYCOMMAND) & MF_CHECKED) != 0;
  ::DestroyMenu(popup);
  return marked;
}

// Mended: Restart and close applied only what their drain's time slice allowed. Restart's
// leftovers then acted on the restarted service (a recording start brought the recording look
// back), and close's were freed with the window instead of shown.
TEST(TrayCommands, RestartAndCloseApplyEveryEventRaisedBeforeThemWhateverTheTimeSlice) {
  constexpr size_t kNotices = 150;  // more than a drain applies before it first reads its clock
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  h.service.Connection(vesk::model::connection::Connected);
  h.service.Connection(vesk::model::connection::Authorized);
  ASSERT_TRUE(h.Settle());
  h.edges.EndEverySlice(true);
  // Raised back to back on the service's thread; this thread pumps nothing before the command.
  const auto raise = [&](const std::string& prefix) {
    h.service.OnEventThread([&] {
      for (size_t n = 0; n < kNotices; ++n) h.service.RaiseNotification(prefix + std::to_string(n));
    });
  };
  const std::string last = std::to_string(kNotices - 1);
  {
    SCOPED_TRACE("Restart");
    raise("before restart ");
    h.service.Recording(1);
    const size_t before = h.edges.ShellCallCount();
    Lines atStop;
    h.service.duringCall = [&](const std::string& call) {
      if (call == "Stop") atStop = h.edges.DescribedSince(before);
    };
    h.Command(ID_TRAY_RESTART);
    h.service.duringCall = nullptr;
    // Everything took effect before the service stopped, the recording start too: one pass, so
    // the shell heard the last notice and the last icon.
    EXPECT_EQ(atStop, (Lines{"balloon off", "balloon 'Calyra' 'before restart " + last + "'",
                             "icon+tip 207 'Recording'"}));
    ASSERT_TRUE(h.Settle());
    EXPECT_EQ(h.Look(), "idle start+ pause- stop- what+ comment- uploading- uploaded-")
        << "the recording look came back";
  }
  {
    SCOPED_TRACE("close");
    raise("before close ");
    const size_t before = h.edges.ShellCallCount();
    ::SendMessageA(h.Window(), WM_CLOSE, 0, 0);
    EXPECT_EQ(h.edges.DescribedSince(before),
              (Lines{"balloon off", "balloon 'Calyra' 'before close " + last + "'"}));
  }
}

TEST(TrayCommands, TheAutoRecordToggleStartsAndStopsTheCycleAndMarksItsEntry) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  // Whether the cycle still ran when a command of this thread reached the service.
  const std::thread::id ui = std::this_thread::get_id();
  bool cycleRanAtCommand = true;
  h.service.duringCall = [&](const std::string& call) {
    if (std::this_thread::get_id() == ui && call.find("Recording") != std::string::npos)
      cycleRanAtCommand = AutoRecordMarked(h);
  };
  h.Command(ID_AUTORECORD_TOGGLE);
  ASSERT_TRUE(wintest::PumpUntil([&] { return h.service.CountOf("StartRecording") == 1; }, 5000));
  EXPECT_TRUE(AutoRecordMarked(h));
  h.Command(ID_AUTORECORD_TOGGLE);
  EXPECT_FALSE(AutoRecordMarked(h));
  // Stopping the cycle sends no stop: the recording it started is left running.
  EXPECT_EQ(h.service.CountOf("StopRecording"), 0);

  // The start and stop commands end a running cycle before they reach the service, so that the
  // worker and this thread never use the recording id at once.
  for (const UINT command : {ID_RECORDING_START, ID_RECORDING_STOP}) {
    SCOPED_TRACE(command);
    const int started = h.service.CountOf("StartRecording");
    h.Command(ID_AUTORECORD_TOGGLE);
    ASSERT_TRUE(wintest::PumpUntil([&] { return h.service.CountOf("StartRecording") > started; }, 5000));
    cycleRanAtCommand = true;
    h.Command(command);
    EXPECT_FALSE(cycleRanAtCommand);
    EXPECT_FALSE(AutoRecordMarked(h));
    EXPECT_EQ(h.service.ThreadOfLast(command == ID_RECORDING_START ? "StartRecording" : "StopRecording"), ui);
  }
  h.service.duringCall = nullptr;
}

TEST(TrayCommands, TheAboutCommandShowsTheAboutBoxModally) {
  FrameHarness h;
  h.service.SetProfile(true, true, false);  // works without an icon too
  ASSERT_TRUE(h.Create());
  bool shown = false;
  UiSteps close([&] {
    HWND about = AboutWindow();
    if (!about) return false;
    shown = true;
    ::PostMessageA(about, WM_COMMAND, IDOK, 0);
    return true;
  });
  h.Command(ID_ABOUT_DIALOG);
  EXPECT_TRUE(shown);
  EXPECT_EQ(AboutWindow(), nullptr);
  EXPECT_TRUE(::IsWindow(h.Window()));
}

struct NestedClose {
  const char* name;
  // Opens the nested loop (posted, so that the frame's loop runs it).
  std::function<void(FrameHarness&)> open;
  std::function<HWND()> find;
  // What ends the program from inside it.
  std::function<void(FrameHarness&)> close;
};

// Mended: a close (the service's shutdown request, Exit or the system's WM_CLOSE) that arrives
// while a nested modal loop runs ends that loop and the program cleanly, with exit code 1.
TEST(TrayCommands, ACloseInsideANestedModalLoopStillEndsTheProgramWithCodeOne) {
  const UINT trayMessage = ::RegisterWindowMessageA("WM_TRAYICON");
  const std::vector<NestedClose> cases = {
      {"shutdown request in the About box",
       [](FrameHarness& h) { ::PostMessageA(h.Window(), WM_COMMAND, ID_ABOUT_DIALOG, 0); },
       &AboutWindow, [](FrameHarness& h) { h.service.Shutdown(); }},
      {"Exit in the About box",
       [](FrameHarness& h) { ::PostMessageA(h.Window(), WM_COMMAND, ID_ABOUT_DIALOG, 0); },
       &AboutWindow,
       [](FrameHarness& h) { ::PostMessageA(h.Window(), WM_COMMAND, ID_TRAY_EXIT, 0); }},
      {"shutdown request in the tray menu",
       [trayMessage](FrameHarness& h) {
         ::PostMessageA(h.Window(), trayMessage, IDR_TRAYMENU, WM_RBUTTONUP);
       },
       &OpenMenuWindow, [](FrameHarness& h) { h.service.Shutdown(); }},
      {"system close in the tray menu",
       [trayMessage](FrameHarness& h) {
         ::PostMessageA(h.Window(), trayMessage, IDR_TRAYMENU, WM_RBUTTONUP);
       },
       &OpenMenuWindow, [](FrameHarness& h) { ::PostMessageA(h.Window(), WM_CLOSE, 0, 0); }},
      {"shutdown request in a double click's synchronous command",
       [trayMessage](FrameHarness& h) {
         // A default command that opens a modal loop of its own.
         h.frame->m_nDefaultItem = ID_ABOUT_DIALOG;
         ::PostMessageA(h.Window(), trayMessage, IDR_TRAYMENU, WM_LBUTTONDBLCLK);
       },
       &AboutWindow, [](FrameHarness& h) { h.service.Shutdown(); }},
  };
  for (const NestedClose& c : cases) {
    SCOPED_TRACE(c.name);
    FrameHarness h;
    ASSERT_TRUE(h.Create());
    bool inside = false;
    UiSteps closeInside([&] {
      if (!c.find()) return false;
      inside = true;
      c.close(h);
      return true;
    });
    c.open(h);
    EXPECT_EQ(h.RunLoop(kLoopTimeoutMs), 1);
    EXPECT_TRUE(inside) << "the nested loop never showed";
    EXPECT_FALSE(::IsWindow(h.Window()));
    EXPECT_EQ(c.find(), nullptr) << "the nested loop's window outlived the program";
    EXPECT_EQ(h.service.CountOf("Stop"), 1);
  }
}

TEST(TrayCommands, ExitClosesWithCodeOneAndLateEventsChangeOnlyWhatTheyMay) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  h.Command(ID_TRAY_EXIT);  // posts the close
  // Raised after Exit, before the close is dispatched: the notice shows, the authorisation
  // changes nothing.
  h.service.Connection(vesk::model::connection::Authorized);
  h.service.Notify("late notice");
  const size_t before = h.edges.ShellCallCount();
  EXPECT_EQ(h.RunLoop(kLoopTimeoutMs), 1);
  EXPECT_EQ(h.edges.DescribedSince(before), (Lines{"balloon off", "balloon 'Calyra' 'late notice'"}));
  EXPECT_EQ(h.service.Operations(), (Lines{"Start", "Stop"}));
  h.frame.reset();
  EXPECT_EQ(h.service.Operations(), (Lines{"Start", "Stop", "Stop", "Release"}));
  EXPECT_EQ(h.edges.Described().back(), "delete");
}

// Ctrl+O in the comments window's box, as the loop's filter sees it.
void PressCtrlO(FrameHarness& h) {
  BYTE keys[256];
  ::GetKeyboardState(keys);
  const BYTE savedControl = keys[VK_CONTROL];
  keys[VK_CONTROL] = 0x80;
  ::SetKeyboardState(keys);
  ASSERT_LT(::GetKeyState(VK_CONTROL), 0) << "the thread's key state did not take Ctrl";
  MSG msg{};
  msg.hwnd = h.Control(IDC_COMMENT);
  msg.message = WM_KEYDOWN;
  msg.wParam = 'O';
  ASSERT_EQ(h.loop.m_filters.size(), 1u) << "the comments window filters the loop's messages";
  h.loop.FilterMessage(&msg);
  keys[VK_CONTROL] = savedControl;
  ::SetKeyboardState(keys);
}

TEST(TrayCommands, CtrlOOpensTheServicesTextFileInNotepad) {
  FrameHarness h;
  h.service.textFilePath = "";
  ASSERT_TRUE(h.Create());
  PressCtrlO(h);
  auto starts = h.edges.ProcessCalls();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].commandLine, "notepad.exe ") << "an empty path leaves the program alone";
  // The program by its full path in the system folder, never looked for by the first word.
  char system[MAX_PATH] = "";
  ::GetSystemDirectoryA(system, sizeof system);
  EXPECT_EQ(starts[0].application, std::string(system) + "\\notepad.exe");
  EXPECT_TRUE(starts[0].onlyCommandLine);
  // Mended: the record's size is this build's (104 on x64), everything else zero.
  EXPECT_EQ(starts[0].startupSize, sizeof(STARTUPINFOA));
  EXPECT_EQ(starts[0].startupSize, 104u);
  EXPECT_TRUE(starts[0].startupRestZero);
  EXPECT_EQ(starts[0].inheritHandles, FALSE);
  EXPECT_EQ(starts[0].creationFlags, 0u);
  // Mended: both handles handed back are closed.
  using traytest::EdgeRecorder;
  EXPECT_EQ(h.edges.ClosedHandles(),
            (std::vector<HANDLE>{EdgeRecorder::FakeThreadHandle(), EdgeRecorder::FakeProcessHandle()}));

  // A start that fails: one line on the standard error stream, nothing else.
  h.service.textFilePath = "C:\\users\\agent\\my notes.txt";
  h.edges.FailProcessStart(true);
  traytest::StderrCapture captured;
  PressCtrlO(h);
  EXPECT_EQ(captured.Text(),
            "CreateProcess() failed to start program \"notepad.exe C:\\users\\agent\\my notes.txt\"\n");
  EXPECT_EQ(h.edges.ProcessCalls().size(), 2u);
  EXPECT_EQ(h.edges.ClosedHandles().size(), 2u);
  EXPECT_EQ(FindThreadWindow("#32770"), nullptr) << "nothing is shown to the user";
}

// Deliberate: at the end of the session the service is stopped inside the handler, since the
// process may be ended as soon as it returns.
TEST(TrayCommands, TheEndOfTheSessionStopsTheServiceAtOnce) {
  FrameHarness h;
  ASSERT_TRUE(h.Create());
  ::SendMessageA(h.Window(), WM_ENDSESSION, FALSE, 0);
  EXPECT_EQ(h.service.CountOf("Stop"), 0) << "a cancelled end changes nothing";
  ::SendMessageA(h.Window(), WM_QUERYENDSESSION, 0, 0);
  EXPECT_EQ(h.service.CountOf("Stop"), 0);
  ::SendMessageA(h.Window(), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(h.service.CountOf("Stop"), 1);
  // Connection events change nothing from then on.
  const size_t before = h.edges.ShellCallCount();
  h.service.Connection(vesk::model::connection::Connected);
  ASSERT_TRUE(h.Settle());
  EXPECT_EQ(h.edges.DescribedSince(before), Lines{});
}

}  // namespace
