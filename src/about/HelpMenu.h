// What the main window's Help menu opens: the help file, the web pages and the updater.
// Everything is handed to the shell, which is neither waited for nor checked.
#pragma once
#include <windows.h>

namespace modHelp {

// help.chm beside the program; a message when it is missing.
void OpenContents(HWND owner);
// One of the addresses of Links.h, in the browser.
void OpenPage(HWND owner, const char* address);
// update.exe beside the program, given the settings file; else the version history page.
void RunUpdater(HWND owner);

}  // namespace modHelp
