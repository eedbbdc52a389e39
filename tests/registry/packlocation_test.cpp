#include <gtest/gtest.h>

#include "app/App.h"
#include "inventory/modReg.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

using Lines = std::vector<std::string>;

namespace {

const HKEY HKLM = HKEY_LOCAL_MACHINE;

const std::string kQuestion =
    "Zandor Extension Pack was unable to location the installation location of the extensions.\r\n\r\n"
    "If you used the No-install package or used an earlier version that did not come with this utility, "
    "please point me to it, or click Cancel to quit.";
const std::string kSorry = "I'm sorry, I could not find that path, please try again";
const std::string kPickerTitle = "Select the folder containing the NIMO extensions";

class PackLocationTest : public testkit::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    testkit::RegDeleteTree(HKLM, modReg::kUninstallPath);
    CreateDirectoryA(In("Pack").c_str(), nullptr);
  }
  void Record(const std::string& location) {
    testkit::RegSetString(HKLM, modReg::kUninstallPath, "InstallLocation", location);
  }
  testkit::RegistryKeyGuard guard_{HKLM, modReg::kUninstallPath};
  testkit::ScriptedSeam ui_;
};

TEST_F(PackLocationTest, TheUninstallRecordNamesTheFolder) {
  Record(In("Pack\\"));
  modReg::PackLocation found = modReg::GetPackLocation(nullptr);
  EXPECT_FALSE(found.Cancelled);
  EXPECT_EQ(found.PackFolder, In("Pack\\"));
  EXPECT_EQ(found.RegFilesFolder, In("Pack\\Reg_Files"));
  EXPECT_TRUE(ui_.messages.empty());

  Record(In("Pack"));  // kept as read; only the registry files' folder gets the "\"
  found = modReg::GetPackLocation(nullptr);
  EXPECT_EQ(found.PackFolder, In("Pack"));
  EXPECT_EQ(found.RegFilesFolder, In("Pack\\Reg_Files"));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(PackLocationTest, WithoutARecordTheUserPointsToTheFolder) {
  ui_.answers = {IDOK};
  ui_.folders = {In("Pack")};  // the picker's raw path, without "\"
  modReg::PackLocation found = modReg::GetPackLocation(nullptr);
  EXPECT_FALSE(found.Cancelled);
  EXPECT_EQ(found.PackFolder, In("Pack\\"));
  EXPECT_EQ(found.RegFilesFolder, In("Pack\\Reg_Files"));
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text, kQuestion);
  EXPECT_EQ(ui_.messages[0].type, static_cast<UINT>(MB_OKCANCEL | MB_ICONEXCLAMATION));
  EXPECT_EQ(ui_.folderTitles, Lines{kPickerTitle});
}

TEST_F(PackLocationTest, ARecordedFolderThatIsGoneOrAnEmptyValueAsksToo) {
  Record(In("Gone\\"));
  ui_.answers = {IDOK};
  ui_.folders = {In("Pack\\")};
  EXPECT_EQ(modReg::GetPackLocation(nullptr).PackFolder, In("Pack\\"));
  EXPECT_EQ(ui_.Texts(), Lines{kQuestion});

  Record("");  // not taken for the current drive's root
  ui_.answers = {IDOK};
  ui_.folders = {In("Pack\\")};
  EXPECT_EQ(modReg::GetPackLocation(nullptr).PackFolder, In("Pack\\"));
  EXPECT_EQ(ui_.Texts(), (Lines{kQuestion, kQuestion}));
}

TEST_F(PackLocationTest, AFolderThatCannotBeFoundIsAskedForAgainUntilCancel) {
  // A cancelled picker, then a folder that does not exist, then Cancel.
  ui_.answers = {IDOK, IDOK, IDOK, IDOK, IDCANCEL};
  ui_.folders = {"", In("Missing")};
  modReg::PackLocation found = modReg::GetPackLocation(nullptr);
  EXPECT_TRUE(found.Cancelled);
  EXPECT_EQ(found.PackFolder, "");
  EXPECT_EQ(ui_.Texts(), (Lines{kQuestion, kSorry, kQuestion, kSorry, kQuestion}));
  EXPECT_EQ(ui_.messages[1].type, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
  EXPECT_EQ(ui_.folderTitles.size(), 2u);
  EXPECT_EQ(ui_.unanswered, 0);
}

TEST_F(PackLocationTest, ASecondTryWithAnExistingFolderSucceeds) {
  ui_.answers = {IDOK, IDOK, IDOK};
  ui_.folders = {In("Missing"), In("Pack")};
  modReg::PackLocation found = modReg::GetPackLocation(nullptr);
  EXPECT_FALSE(found.Cancelled);
  EXPECT_EQ(found.RegFilesFolder, In("Pack\\Reg_Files"));
  EXPECT_EQ(ui_.Texts(), (Lines{kQuestion, kSorry, kQuestion}));
}

}  // namespace
