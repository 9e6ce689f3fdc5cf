// A recorder service library whose GetService hands out nothing, for the start-up test.
#include "service/GetService.h"

extern "C" KORVEX_API vesk::IServiceControl* KORVEX_CALL GetService() { return nullptr; }
