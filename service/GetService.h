#pragma once
// The one export of the recorder service library. The client loads the library at run time from
// its own folder and looks the export up by name (service/ServiceLibrary.cpp).
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

// The export's name and type, as the client looks it up.
constexpr const char kGetServiceExport[] = "GetService";
using GetServiceFunction = vesk::IServiceControl*(KORVEX_CALL*)();
