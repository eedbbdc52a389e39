// The version information resource of a program file, as the About box shows it.
#pragma once
#include <string>

namespace modVersion {

struct FileVersionInfo {
  bool Found = false;       // the file carries version information
  std::string Version;      // the file version: "major.minor.revision", no leading zeros
  std::string CompanyName;  // the CompanyName string of the first language block holding it
};

// Reads the version information of a file; Found is false when the file has none.
FileVersionInfo ReadVersionInfo(const std::string& file);

// The full path of the running program's executable.
std::string ProgramFile();

// The Windows version the program is told it runs on: "major.minor.build", and the
// service pack when there is one ("6.1.7601 Service Pack 1"). Without its manifest's
// list of supported versions Windows 8.1 and later would say 6.2.
std::string WindowsVersion();

}  // namespace modVersion
