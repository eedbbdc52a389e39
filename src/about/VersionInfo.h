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

}  // namespace modVersion
