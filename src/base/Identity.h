// The program's name, version and module, and what every room asks of the platform
// alike: the local time and the text of an error code.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace modMain {

inline constexpr char kTitle[] = "Zandor Extension Pack";
inline constexpr char kProject[] = "prjNIMO";

// "1.2.3": major, minor and revision of the version information, in decimal.
std::string VersionText();

// The module that holds the resources (the executable).
HINSTANCE Instance();

// The local time that time-stamped names and log lines use; tests may fix it.
SYSTEMTIME Now();
void SetClockOverride(std::optional<SYSTEMTIME> time);

// The text of a platform error code (FormatMessageA), without the trailing line break.
std::string SystemErrorText(DWORD code);

}  // namespace modMain
