#pragma once
// The test library standing in for Korvex.dll that hands out no service object. When it is
// loaded at all, it sets the manual-reset event of this name if a test has created one, so that
// a test can tell whether a start loaded the library.
constexpr char kNullServiceLoadedEvent[] = "Local\\SivrelTest.NullServiceLoaded";
