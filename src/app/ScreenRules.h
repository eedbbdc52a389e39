// Rules of the main window's screen: what its title and status bar say (in the current
// language), which start-mode marks are on, where its first window goes.
#pragma once
#include <windows.h>

#include <string>

#include "app/App.h"

namespace screen {

// The title and the status text for the list on show: the installed list unless the
// available one is on show. A count below 0 is a list not loaded yet: the title alone, no
// status text.
struct Texts {
  std::wstring title, status;
};
Texts Describe(modMain::View view, long installed, long available);

// The status text while MenuExt is read: how far, and why the commands on the extensions
// wait ("Reading 412 of 1,000 extensions ...").
std::wstring ReadingText(size_t read, long total);

// The marks of Settings > Startup Mode from UseClassic and Mode as start-up reads them
// (Mode "1" when absent): the wizard unless UseClassic is "1", as start-up decides; else
// the classic list that Mode names ("1" available, anything else installed). Exactly one
// mark is on.
struct StartMarks {
  bool wizard, available, installed;
};
StartMarks StartModeMarks(const std::string& useClassic, const std::string& mode);

// The smallest size of the main window at dpi: 4000 twips each way, but no more than the
// work area, which a large scaling on a small screen can leave smaller.
SIZE MinimumSize(UINT dpi, const RECT& work);

// The first place of the main window: the wanted size, at least the minimum, at most the
// work area, centred on the work area.
RECT FirstPlace(SIZE wanted, SIZE minimum, const RECT& work);

}  // namespace screen
