// Notepad's command line and the failure line, exactly.
#include <gtest/gtest.h>

#include "tray/TextFileLaunch.h"

TEST(TextFileLaunch, CommandLineAndFailureLine) {
  EXPECT_EQ(tray::NotepadCommandLine(""), "notepad.exe ");
  EXPECT_EQ(tray::NotepadCommandLine("C:\\a b\\c.txt"), "notepad.exe C:\\a b\\c.txt");
  EXPECT_EQ(tray::LaunchFailureLine("notepad.exe C:\\a b\\c.txt"),
            "CreateProcess() failed to start program \"notepad.exe C:\\a b\\c.txt\"\n");
}
