// Times NIMO.exe from process start to its first visible window, and to its lists whole
// with the commands working (the counts in its title), with the bundled pack installed
// and 0, 47, 1,000 and 5,000 extensions installed, beside the platform's notepad started
// the same way in the same run; and the memory of both at that moment. With --before, an
// earlier NIMO.exe is started in turn with it, each in a folder of its own.
//   bench_startup.exe [--before OLD.exe] NIMO.exe PACK_FOLDER [RUNS [INSTALLED]]
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <string>
#include <vector>

#include "base/resource.h"
#include "inventory/modReg.h"
#include "support/TestKit.h"

namespace {

struct Search {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindVisible(HWND h, LPARAM l) {
  auto* search = reinterpret_cast<Search*>(l);
  DWORD pid = 0;
  GetWindowThreadProcessId(h, &pid);
  char cls[64] = {};
  GetClassNameA(h, cls, sizeof cls);
  // The program's own window: a message box (a second instance's, say) does not count.
  if (pid == search->pid && IsWindowVisible(h) && std::string(cls) != "#32770") {
    search->found = h;
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

std::string Text(HWND h) {
  char text[256] = {};
  DWORD_PTR n = 0;
  SendMessageTimeoutA(h, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 1000, &n);
  return text;
}

struct Run {
  double window = -1, whole = -1;  // seconds from CreateProcess; -1: not seen
  double megabytes = 0;            // the working set once settled after the last of them
  std::string midRead;             // what the window showed while its list was filling
};

// From CreateProcess to the first visible top-level window of the process and, with
// whole, to the counts in its title: the lists read, the commands working.
Run Measure(const std::string& commandLine, const std::string& folder, bool whole) {
  STARTUPINFOA si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  std::string cmd = commandLine;
  LARGE_INTEGER f, a, b;
  QueryPerformanceFrequency(&f);
  QueryPerformanceCounter(&a);
  Run run;
  if (!CreateProcessA(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.empty() ? nullptr : folder.c_str(),
                      &si, &pi))
    return run;
  const auto seconds = [&] {
    QueryPerformanceCounter(&b);
    return double(b.QuadPart - a.QuadPart) / double(f.QuadPart);
  };
  Search search{pi.dwProcessId, nullptr};
  for (int i = 0; i < 60000 && (run.window < 0 || (whole && run.whole < 0)); ++i) {
    if (run.window < 0) {
      EnumWindows(FindVisible, reinterpret_cast<LPARAM>(&search));
      if (search.found) run.window = seconds();
    } else if (char title[128] = {}; GetWindowTextA(search.found, title, sizeof title) &&
                                      std::string(title).find(" [ ") != std::string::npos) {  // no message: the read goes on undisturbed
      run.whole = seconds();
    } else if (run.midRead.empty()) {
      const LRESULT rows = SendMessageA(GetDlgItem(search.found, IDC_MAIN_LVWINSTALLED), LVM_GETITEMCOUNT, 0, 0);
      if (rows > 0) run.midRead = std::to_string(rows) + " rows, \"" + Text(GetDlgItem(search.found, IDC_MAIN_STATUSBAR)) + "\"";
    }
    if (run.window < 0 || (whole && run.whole < 0)) Sleep(run.window < 0 ? 1 : 5);
  }
  // Both settled, their first paint done: notepad's window, NIMO's whole lists.
  WaitForInputIdle(pi.hProcess, 5000);
  PROCESS_MEMORY_COUNTERS memory{};
  memory.cb = sizeof memory;
  if (GetProcessMemoryInfo(pi.hProcess, &memory, sizeof memory)) run.megabytes = memory.WorkingSetSize / 1048576.0;
  TerminateProcess(pi.hProcess, 0);
  WaitForSingleObject(pi.hProcess, 10000);
  WaitForChildren(pi.dwProcessId);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return run;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

// One NIMO.exe under test, in a folder of its own, and its figures for one setting.
struct Subject {
  std::string label;
  testkit::TempFolder folder;
  std::vector<double> window, whole, memory;
  std::string midRead;
  std::string Exe() const { return "\"" + (folder / "NIMO.exe") + "\""; }
};

}  // namespace

int main(int argc, char** argv) {
  std::string before;
  if (argc > 2 && std::string(argv[1]) == "--before") {
    before = argv[2];
    argc -= 2;
    argv += 2;
  }
  if (argc < 3) {
    fprintf(stderr, "usage: bench_startup [--before OLD.exe] NIMO.exe PACK_FOLDER [RUNS [INSTALLED]]\n");
    return 2;
  }
  std::string why;
  if (!testkit::RegistryTestsAllowed(&why)) {
    fprintf(stderr, "%s\n", why.c_str());
    return 2;
  }
  const std::string pack = argv[2];
  testkit::RegistryKeyGuard menuExt(HKEY_CURRENT_USER, modReg::kMenuExtPath);
  testkit::RegistryKeyGuard uninstall(HKEY_LOCAL_MACHINE, modReg::kUninstallPath);
  testkit::RegSetString(HKEY_LOCAL_MACHINE, modReg::kUninstallPath, "InstallLocation", pack + "\\");
  std::vector<std::unique_ptr<Subject>> subjects;
  for (const auto& [label, exe] : {std::pair{"before", before}, {"NIMO", std::string(argv[1])}}) {
    if (exe.empty()) continue;
    auto& subject = *subjects.emplace_back(std::make_unique<Subject>());
    subject.label = label;
    CopyFileA(exe.c_str(), (subject.folder / "NIMO.exe").c_str(), FALSE);
    // A program that has run before: settings in place, the main window as start view.
    if (Measure(subject.Exe(), subject.folder.path(), false).window < 0) {
      fprintf(stderr, "%s showed no window\n", exe.c_str());
      return 1;
    }
    WritePrivateProfileStringA("Settings", "UseClassic", "1", (subject.folder / "NIMO.ini").c_str());
  }

  // Each start of NIMO is paired with a start of notepad just before it, so that both
  // medians come from the same stretch of time on a machine whose speed drifts.
  const int runs = argc > 3 ? std::max(1, atoi(argv[3])) : 11;
  std::printf("%-37s %9s %8s %6s %8s %6s %6s %12s\n", "start", "notepad s", "window s", "ratio", "whole s", "ratio",
              "/window", "MB over np");
  std::vector<int> counts = {0, 47, 1000, 5000};
  if (argc > 4) counts = {atoi(argv[4])};
  for (int installed : counts) {
    testkit::RegDeleteTree(HKEY_CURRENT_USER, modReg::kMenuExtPath);
    testkit::RegCreate(HKEY_CURRENT_USER, modReg::kMenuExtPath);
    for (int i = 0; i < installed; ++i) {
      const std::string key = std::string(modReg::kMenuExtPath) + "\\Extension " + std::to_string(i);
      testkit::RegSetString(HKEY_CURRENT_USER, key, "", pack + "\\Lookup\\luWikipedia.htm");
      testkit::RegSetDword(HKEY_CURRENT_USER, key, "Contexts", 0x10);
    }
    for (const char* backup : {"1", "0"}) {
      std::vector<double> notepad;
      for (auto& subject : subjects) {
        WritePrivateProfileStringA("Settings", "RMEK_Backup", backup, (subject->folder / "NIMO.ini").c_str());
        subject->window.clear(), subject->whole.clear(), subject->memory.clear(), subject->midRead.clear();
      }
      for (int i = 0; i < runs; ++i) {
        const Run base = Measure("notepad.exe", "", false);
        notepad.push_back(base.window);
        for (auto& subject : subjects) {
          const Run run = Measure(subject->Exe(), subject->folder.path(), true);
          subject->window.push_back(run.window);
          subject->whole.push_back(run.whole);
          subject->memory.push_back(run.megabytes - base.megabytes);
          if (subject->midRead.empty()) subject->midRead = run.midRead;
        }
      }
      const double base = Median(notepad);
      for (const auto& subject : subjects) {
        const double t = Median(subject->window), w = Median(subject->whole);
        char label[64];
        snprintf(label, sizeof label, "%s, %d installed, backup %s", subject->label.c_str(), installed,
                 backup[0] == '1' ? "on" : "off");
        std::printf("%-37s %9.3f %8.3f %6.2f %8.3f %6.2f %6.2f %12.1f   window %.2f-%.2f\n", label, base, t, t / base, w,
                    w / base, w / t, Median(subject->memory),
                    *std::min_element(subject->window.begin(), subject->window.end()) / base,
                    *std::max_element(subject->window.begin(), subject->window.end()) / base);
        if (!subject->midRead.empty()) std::printf("    while its list filled: %s\n", subject->midRead.c_str());
      }
    }
  }
  return 0;
}
