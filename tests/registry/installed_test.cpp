// MenuExt read into the model from a real key, without a window.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/App.h"
#include "inventory/Model.h"
#include "inventory/modReg.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

using testkit::LogMessages;

const HKEY HKCU = HKEY_CURRENT_USER;
const std::string kMenuExt = modReg::kMenuExtPath;

class InstalledModel : public testkit::EmptyMenuExtTest {
 protected:
  testkit::ScriptedSeam seam_;
  modMain::Extensions model_;
};

TEST_F(InstalledModel, EveryKeyWithItsValuesItsFileAndTheLog) {
  testkit::WriteAll(In("ext.htm"), "<html></html>");
  const std::string page = "res://" + In("ext.htm") + "/page.htm";
  testkit::RegSetString(HKCU, kMenuExt + "\\&Alpha", "", In("ext.htm"));
  testkit::RegSetDword(HKCU, kMenuExt + "\\&Alpha", "Contexts", 63);
  testkit::RegSetDword(HKCU, kMenuExt + "\\&Alpha", "Flags", 0);
  testkit::RegSetString(HKCU, kMenuExt + "\\Page", "", page);
  testkit::RegSetString(HKCU, kMenuExt + "\\Broken", "", In("gone.htm"));
  testkit::RegSetString(HKCU, kMenuExt + "\\Broken", "Flags", "abc");
  testkit::RegCreate(HKCU, kMenuExt + "\\Bare");
  testkit::RegSetString(HKCU, kMenuExt + "\\Long", "", In(std::string(300, 'x') + ".htm"));
  modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");

  modMain::LoadInstalled(model_, modMain::Reader::Main);

  const struct {
    std::string name, path, contexts, flags;
    bool exists;
  } keys[] = {{"&Alpha", In("ext.htm"), "3F", "0", true},
              {"Page", page, "None", "None", true},  // a page inside the file
              {"Broken", In("gone.htm"), "None", "None", false},
              {"Bare", "", "None", "None", false},
              {"Long", "", "None", "None", false}};  // longer than the single-value buffer
  ASSERT_EQ(model_.Installed.size(), 5u);
  EXPECT_EQ(model_.InstalledCount, 5);
  for (const auto& key : keys) {
    auto e = std::find_if(model_.Installed.begin(), model_.Installed.end(),
                          [&](const modMain::InstalledExtension& x) { return x.Name == key.name; });
    ASSERT_NE(e, model_.Installed.end()) << key.name;
    EXPECT_TRUE(e->Opened && e->Exact) << key.name;
    EXPECT_EQ(e->Key, std::string(modReg::kMenuExtFull) + "\\" + key.name);
    EXPECT_EQ(e->Path + "|" + e->Contexts + "|" + e->Flags, key.path + "|" + key.contexts + "|" + key.flags);
    EXPECT_EQ(e->FileExists, key.exists) << key.name;
  }
  EXPECT_TRUE(seam_.commands.empty());

  // The wizard's load reads the same, without the main window's log lines.
  modMain::LoadInstalled(model_, modMain::Reader::Wizard);
  EXPECT_EQ(model_.Installed.size(), 5u);
  const auto log = LogMessages();
  for (const std::string& line : {std::string("5 extensions found"), "Verifying [ " + page + " ] exists",
                                  "[ " + In("gone.htm") + " ] does not exist", std::string("MenuExt backup disabled")})
    EXPECT_EQ(std::count(log.begin(), log.end(), line), 1) << line;
  EXPECT_EQ(std::count(log.begin(), log.end(), "[ Not Found ] does not exist"), 2);
  EXPECT_EQ(std::count(log.begin(), log.end(), "[ " + In("ext.htm") + " ] does not exist"), 0);
  EXPECT_EQ(std::count(log.begin(), log.end(), "Unable to retrieve registry value for: Broken"), 2);
}

// The main window's load backs up MenuExt as its setting asks, and a missing key not at all.
TEST_F(InstalledModel, EachLoadBacksUpMenuExtWhileThereIsOne) {
  modMain::SetClockOverride(SYSTEMTIME{2027, 2, 1, 1, 9, 7, 3, 0});
  modMain::LoadInstalled(model_, modMain::Reader::Main);
  EXPECT_EQ(model_.InstalledCount, 0);
  ASSERT_EQ(seam_.commands.size(), 1u);
  EXPECT_EQ(seam_.commands[0], "regedit /e /s \"" + In("Reg_Backup") + "\\01-02-27_090703.reg\" \"" +
                                   modReg::kMenuExtFull + "\"");
  EXPECT_EQ(LogMessages().back(), "MenuExt registry key exported");

  testkit::RegDeleteTree(HKCU, kMenuExt);
  modMain::LoadInstalled(model_, modMain::Reader::Main);
  EXPECT_EQ(model_.InstalledCount, 0);
  EXPECT_EQ(seam_.commands.size(), 1u);
  EXPECT_EQ(LogMessages().back(), "No MenuExt registry key to back up");
}

}  // namespace
