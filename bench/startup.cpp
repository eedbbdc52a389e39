// Times NIMO.exe from process start to its first visible window, with the bundled pack
// installed and 0, 47 and 1,000 extensions installed, beside the platform's notepad
// started the same way in the same run.
//   bench_startup.exe NIMO.exe PACK_FOLDER
#include <windows.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "inventory/modReg.h"
#include "support/TestKit.h"

namespace {

struct Search {
  DWORD pid;
  bool found;
};

BOOL CALLBACK FindVisible(HWND h, LPARAM l) {
  auto* search = reinterpret_cast<Search*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof cls);
  // The program's own window: a message box (a second instance's, say) does not count.
  if (pid == search->pid && IsWindowVisible(h) && std::string(cls) != "#32770") {
    search->found = true;
    return FALSE;
  }
  return TRUE;
}

// Waits for the programs that a process started (the registry editor of a backup) to
// end, so that they do not slow down the next measurement.
void WaitForChildren(DWORD parent) {
  HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  PROCESSENTRY32 entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
    if (entry.th32ParentProcessID != parent) continue;
    if (HANDLE child = OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)) {
      WaitForSingleObject(child, 10000);
      CloseHandle(child);
    }
  }
  CloseHandle(snapshot);
}

// Seconds from CreateProcess to the first visible top-level window of the process.
double TimeToWindow(const std::string& commandLine, const std::string& folder) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = commandLine;
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.empty() ? nullptr : folder.c_str(),
                      &si, &pi))
    return -1;
  Search search{pi.dwProcessId, false};
  for (int i = 0; i < 30000 && !search.found; ++i) {
    EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
    if (!search.found) Sleep(1);
  }
  QueryPerformanceCounter(&b);
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  WaitForChildren(pi.dwProcessId);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return search.found ? double(b.QuadPart - a.QuadPart) / double(f.QuadPart) : -1;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    fprintf(stderr, "usage: bench_startup NIMO.exe PACK_FOLDER\n");
    return 2;
  }
  std::string why;
  if (!testkit::RegistryTestsAllowed(&why)) {
    fprintf(stderr, "%s\n", why.c_str());
    return 2;
  }
  const std::string exe = argv[1], pack = argv[2];
  testkit::RegistryKeyGuard menuExt(HKEY_CURRENT_USER, modReg::kMenuExtPath);
  testkit::RegistryKeyGuard uninstall(HKEY_LOCAL_MACHINE, modReg::kUninstallPath);
  testkit::RegSetString(HKEY_LOCAL_MACHINE, modReg::kUninstallPath, "InstallLocation", pack + "\\");
  testkit::TempFolder folder;
  CopyFileA(exe.c_str(), (folder / "NIMO.exe").c_str(), FALSE);
  // A program that has run before: settings in place, the main window as start view.
  if (TimeToWindow("\"" + (folder / "NIMO.exe") + "\"", folder.path()) < 0) {
    fprintf(stderr, "NIMO.exe showed no window\n");
    return 1;
  }
  WritePrivateProfileStringA("Settings", "UseClassic", "1", (folder / "NIMO.ini").c_str());

  // Each start of NIMO is paired with a start of notepad just before it, so that both
  // medians come from the same stretch of time on a machine whose speed drifts.
  const int runs = 11;
  std::printf("%-30s %12s %10s %8s\n", "start", "notepad s", "NIMO s", "ratio");
  for (int installed : {0, 47, 1000}) {
    testkit::RegDeleteTree(HKEY_CURRENT_USER, modReg::kMenuExtPath);
    testkit::RegCreate(HKEY_CURRENT_USER, modReg::kMenuExtPath);
    for (int i = 0; i < installed; ++i) {
      const std::string key = std::string(modReg::kMenuExtPath) + "\\Extension " + std::to_string(i);
      testkit::RegSetString(HKEY_CURRENT_USER, key, "", pack + "\\Lookup\\luWikipedia.htm");
      testkit::RegSetDword(HKEY_CURRENT_USER, key, "Contexts", 0x10);
    }
    for (const char* backup : {"1", "0"}) {
      WritePrivateProfileStringA("Settings", "RMEK_Backup", backup, (folder / "NIMO.ini").c_str());
      std::vector<double> notepad, nimo;
      for (int i = 0; i < runs; ++i) {
        notepad.push_back(TimeToWindow("notepad.exe", ""));
        nimo.push_back(TimeToWindow("\"" + (folder / "NIMO.exe") + "\"", folder.path()));
      }
      const double base = Median(notepad), t = Median(nimo);
      char label[64];
      snprintf(label, sizeof label, "NIMO, %d installed, backup %s", installed, backup[0] == '1' ? "on" : "off");
      std::printf("%-30s %12.3f %10.3f %8.2f\n", label, base, t, t / base);
    }
  }
  return 0;
}
