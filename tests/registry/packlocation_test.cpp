#include <gtest/gtest.h>

#include <optional>

#include "app/App.h"
#include "inventory/modReg.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

using Lines = std::vector<std::string>;

namespace {

class PackLocation : public testkit::RegistryTest {};

// The uninstall record names the pack's folder; without a usable one the user is asked,
// and asked again after every folder that cannot be found, until one is or Cancel.
TEST_F(PackLocation, TheRecordOrTheUserNamesTheFolder) {
  testkit::RegistryKeyGuard guard(HKEY_LOCAL_MACHINE, modReg::kUninstallPath);
  CreateDirectoryA(In("Pack").c_str(), nullptr);
  const std::string q =
      "Zandor Extension Pack was unable to location the installation location of the extensions.\r\n\r\n"
      "If you used the No-install package or used an earlier version that did not come with this utility, "
      "please point me to it, or click Cancel to quit.";
  const std::string sorry = "I'm sorry, I could not find that path, please try again";
  const struct {
    std::optional<std::string> record;
    std::deque<int> answers;
    Lines folders;  // the picker's answers
    std::string pack;  // empty: cancelled
    Lines texts;
  } cases[] = {
      {In("Pack\\"), {}, {}, In("Pack\\"), {}},
      {In("Pack"), {}, {}, In("Pack"), {}},  // kept as read; only the Reg_Files folder gets the "\"
      {{}, {IDOK}, {In("Pack")}, In("Pack\\"), {q}},  // the picker's path gets a "\"
      {In("Gone\\"), {IDOK}, {In("Pack\\")}, In("Pack\\"), {q}},
      {"", {IDOK}, {In("Pack\\")}, In("Pack\\"), {q}},  // not the current drive's root
      // A cancelled picker, then a folder that does not exist, then Cancel.
      {{}, {IDOK, IDOK, IDOK, IDOK, IDCANCEL}, {"", In("Missing")}, "", {q, sorry, q, sorry, q}},
      {{}, {IDOK, IDOK, IDOK}, {In("Missing"), In("Pack")}, In("Pack\\"), {q, sorry, q}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.record.value_or("no record") + ", " + std::to_string(c.folders.size()) + " folders");
    testkit::RegDeleteTree(HKEY_LOCAL_MACHINE, modReg::kUninstallPath);
    if (c.record) testkit::RegSetString(HKEY_LOCAL_MACHINE, modReg::kUninstallPath, "InstallLocation", *c.record);
    testkit::ScriptedSeam ui;
    ui.answers = c.answers;
    ui.folders = {c.folders.begin(), c.folders.end()};
    const modReg::PackLocation found = modReg::GetPackLocation(nullptr);
    EXPECT_EQ(found.Cancelled, c.pack.empty());
    EXPECT_EQ(found.PackFolder, c.pack);
    EXPECT_EQ(found.RegFilesFolder, c.pack.empty() ? "" : In("Pack\\Reg_Files"));
    EXPECT_EQ(ui.Texts(), c.texts);
    for (const testkit::ShownMessage& shown : ui.messages)
      EXPECT_EQ(shown.type, static_cast<UINT>((shown.text == q ? MB_OKCANCEL : MB_OK) | MB_ICONEXCLAMATION));
    EXPECT_EQ(ui.folderTitles, Lines(c.folders.size(), "Select the folder containing the NIMO extensions"));
    EXPECT_EQ(ui.unanswered, 0);
  }
}

}  // namespace
