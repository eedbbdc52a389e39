// Times the installed list's load against a raw baseline measured in the same run on the
// same keys: enumerate MenuExt, read the three values and look for the file, with no
// window and no log. Fills MenuExt with N keys (files present for half of them) and puts
// the key back afterwards.
#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/Program.h"
#include "inventory/Model.h"
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "settings/DataFolder.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER f;
  QueryPerformanceFrequency(&f);
  return double(to.QuadPart - from.QuadPart) / double(f.QuadPart);
}

// The least work that yields the same facts: names, three values, file presence.
size_t Baseline() {
  size_t found = 0;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, modReg::kMenuExtPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  char name[512];
  for (DWORD i = 0;; ++i) {
    DWORD n = sizeof name;
    if (RegEnumKeyExA(key, i, name, &n, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    HKEY sub = nullptr;
    if (RegOpenKeyExA(key, name, 0, KEY_READ, &sub) != ERROR_SUCCESS) continue;
    char path[260];
    DWORD size = sizeof path, value = 0, vsize = 4;
    RegQueryValueExA(sub, "", nullptr, nullptr, reinterpret_cast<BYTE*>(path), &size);
    RegQueryValueExA(sub, "Contexts", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &vsize);
    vsize = 4;
    RegQueryValueExA(sub, "Flags", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &vsize);
    RegCloseKey(sub);
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA(path, &data);
    if (find != INVALID_HANDLE_VALUE) {
      ++found;
      FindClose(find);
    }
  }
  RegCloseKey(key);
  return found;
}

template <typename F>
double Best(int runs, F f) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER a, b;
    QueryPerformanceCounter(&a);
    f();
    QueryPerformanceCounter(&b);
    best = std::min(best, Seconds(a, b));
  }
  return best;
}

}  // namespace

int main() {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
  InitCommonControlsEx(&icc);
  modLang::WireLowerRooms();
  std::string why;
  if (!testkit::RegistryTestsAllowed(&why)) {
    fprintf(stderr, "%s\n", why.c_str());
    return 2;
  }
  testkit::RegistryKeyGuard guard(HKEY_CURRENT_USER, modReg::kMenuExtPath);
  testkit::TempFolder folder;
  modMain::SetAppPathOverride(folder.path());
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");
  testkit::ScriptedSeam seam;
  CreateDirectoryA((folder / "gone").c_str(), nullptr);

  std::printf("%8s %12s %12s %8s %12s %8s\n", "keys", "baseline s", "load s", "ratio", "read s", "ratio");
  double at1000 = 0, at5000 = 0;
  for (int n : {100, 1000, 5000}) {
    testkit::RegDeleteTree(HKEY_CURRENT_USER, modReg::kMenuExtPath);
    for (int i = 0; i < n; ++i) {
      const std::string name = "Extension " + std::to_string(i);
      // The missing half points into a folder of its own: Wine looks for a missing name by
      // reading the whole folder, which would time the folder's size rather than the load.
      const std::string file = folder / ((i % 2 ? "gone\\ext" : "ext") + std::to_string(i) + ".htm");
      if (i % 2 == 0) testkit::WriteAll(file, "<html></html>");
      const std::string key = std::string(modReg::kMenuExtPath) + "\\" + name;
      testkit::RegSetString(HKEY_CURRENT_USER, key, "", file);
      testkit::RegSetDword(HKEY_CURRENT_USER, key, "Contexts", 0x10);
      testkit::RegSetDword(HKEY_CURRENT_USER, key, "Flags", 0);
    }
    Program program;
    frmMain& main = program.Main();
    main.Create();
    const int runs = n >= 5000 ? 3 : 5;
    double base = Best(runs, [] { Baseline(); });
    double load = Best(runs, [&] {
      DeleteFileA(modMain::LogFile().c_str());
      main.LoadExtensionInfo();
    });
    // The model's read alone, with the same log lines, for where the time goes.
    modMain::Extensions model;
    double read = Best(runs, [&] {
      DeleteFileA(modMain::LogFile().c_str());
      modMain::LoadInstalled(model, modMain::Reader::Main);
    });
    if (main.lvwInstalled.Count() != n) std::printf("warning: %d rows for %d keys\n", main.lvwInstalled.Count(), n);
    std::printf("%8d %12.4f %12.4f %8.2f %12.4f %8.2f\n", n, base, load, load / base, read, read / base);
    if (n == 1000) at1000 = load;
    if (n == 5000) at5000 = load;
  }
  std::printf("growth 1000 -> 5000 keys: %.2f times (linear: 5)\n", at5000 / at1000);
  modMain::SetAppPathOverride("");
  return 0;
}
