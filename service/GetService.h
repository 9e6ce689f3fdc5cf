#pragma once
// The one export of the recorder service library. The client imports it by name at load time,
// so the process cannot start without Korvex.dll.
#include "service/IServiceControl.h"

#if defined(_WIN32)
#  if defined(KORVEX_BUILDING_DLL)
#    define KORVEX_API __declspec(dllexport)
#  else
#    define KORVEX_API __declspec(dllimport)
#  endif
#  define KORVEX_CALL __stdcall
#else
#  define KORVEX_API
#  define KORVEX_CALL
#endif

extern "C" KORVEX_API vesk::IServiceControl* KORVEX_CALL GetService();
