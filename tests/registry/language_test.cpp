// Language files: the refresh, switching, restoring and editing.
#include <gtest/gtest.h>

#include <algorithm>

#include "app/App.h"
#include "app/frmMain.h"
#include "app/resource.h"
#include "lang/modLang.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/ProgramStart.h"
#include "support/TestKit.h"
#include "wizard/frmNIMOWizard.h"

namespace {

using testkit::ReadAll;

// The translations built beside the test program.
std::string BuiltLanguageFile(const std::string& name) {
  char exe[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  return modMain::GetPathPart(2, exe) + "\\" + name;
}

class Languages : public testkit::ProgramStartTest {
 protected:
  void SetUp() override {
    testkit::ProgramStartTest::SetUp();
    if (HasFatalFailure()) return;
    modSettings::WriteINI("", "Settings", "UseClassic", "1");
    modSettings::WriteINI("", "Settings", "RMEK_Backup", "0");
    for (const char* name : {"fr.lng", "de.lng", "it.lng", "ru.lng", "se.lng"})
      CopyFileA(BuiltLanguageFile(name).c_str(), In(name).c_str(), FALSE);
  }
  std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    for (size_t start = 0, end; start < text.size(); start = end + 2) {
      end = text.find("\r\n", start);
      if (end == std::string::npos) end = text.size();
      lines.push_back(text.substr(start, end - start));
    }
    return lines;
  }
};

TEST_F(Languages, RefreshWritesTheBuiltInEnglishFileLessThreeHelpEntries) {
  ASSERT_TRUE(Start("  -rlang  "));
  const std::string written = ReadAll(In("en.lng"));
  ASSERT_EQ(written.substr(0, 11), "[frmMain]\r\n");
  std::vector<std::string> lines = Lines(written), extra;
  const std::vector<std::string> expectedExtra = {"mnuOTW_Feedback=Feedback/Suggestions", "mnuOTW_Sep=-", "mnuOTWSep1=-"};
  std::vector<std::string> kept;
  for (const std::string& line : lines)
    (std::find(expectedExtra.begin(), expectedExtra.end(), line) != expectedExtra.end() ? extra : kept).push_back(line);
  EXPECT_EQ(extra, expectedExtra);
  EXPECT_EQ(kept, Lines(modMain::ResourceBytes(IDR_ENGLISH, "LANG")));
  EXPECT_EQ(written.substr(written.size() - 2), "\r\n");
  EXPECT_FALSE(modMain::RefreshingLanguage);
  // The wizard loaded by the refresh stays loaded with its layout captions and no lists.
  ASSERT_NE(main_->Wizard(), nullptr);
  EXPECT_EQ(main_->Wizard()->lvwAvailable.Count(), 0);
  EXPECT_EQ(main_->Wizard()->lblWelcome3.Text().size(), 158u);
}

TEST_F(Languages, RefreshRewritesWhicheverFileLangNames) {
  modSettings::WriteINI("", "Settings", "Lang", In("fr.lng"));
  ASSERT_TRUE(Start("x -rlang"));
  EXPECT_NE(ReadAll(In("fr.lng")).find("mnuFile=&File\r\n"), std::string::npos);
}

TEST_F(Languages, SwitchingToEachLanguageAndBack) {
  ASSERT_TRUE(Start());
  EXPECT_EQ(main_->menu.Caption(IDM_mnuOTW_Feedback), "");  // not in the English file
  const UINT items[] = {IDM_mnuEnglish, IDM_mnuFrench, IDM_mnuGerman, IDM_mnuItalian, IDM_mnuRussian, IDM_mnuSpanish};
  const char* const edit[] = {"&Edit", "&Edition", "&Bearbeiten", "&Modifica", "&\xCF\xF0\xE0\xE2\xEA\xE0", "&Edici\xF3n"};
  for (UINT item : items) EXPECT_FALSE(main_->menu.IsChecked(item));  // no mark after start-up
  for (int index = 2; index <= 6; ++index) {
    main_->Command(items[index - 1]);
    EXPECT_EQ(modSettings::ReadINI(modMain::kTitle, "Settings", "Lang", ""), In(modLang::LanguageFileName(index)));
    for (int i = 0; i < 6; ++i) EXPECT_EQ(main_->menu.IsChecked(items[i]), i == index - 1);
    EXPECT_EQ(main_->menu.Caption(IDM_mnuEdit), edit[index - 1]) << index;
    EXPECT_EQ(main_->menu.Caption(IDM_mnuFSep1), "-");
    EXPECT_NE(main_->menu.ShownText(IDM_mnuExAll).find('\t'), std::string::npos);  // shortcut kept
  }
  main_->Command(IDM_mnuEnglish);
  EXPECT_EQ(main_->menu.Caption(IDM_mnuEdit), edit[0]);
  EXPECT_TRUE(seam_.messages.empty());
}

TEST_F(Languages, AMissingChosenFileChangesNothing) {
  ASSERT_TRUE(Start());
  DeleteFileA(In("se.lng").c_str());
  main_->Command(IDM_mnuSpanish);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_EQ(seam_.messages[0].text, "I'm sorry, the language file you have selected does not exist");
  EXPECT_EQ(modSettings::ReadINI(modMain::kTitle, "Settings", "Lang", ""), In("en.lng"));
  EXPECT_FALSE(main_->menu.IsChecked(IDM_mnuSpanish));
}

TEST_F(Languages, AMissingLanguageAtStartRestoresEnglishAndSaysSo) {
  modSettings::WriteINI("", "Settings", "Lang", In("fr.lng"));
  DeleteFileA(In("fr.lng").c_str());
  ASSERT_TRUE(Start());
  EXPECT_TRUE(testkit::Exists(In("en.lng")));
  ASSERT_FALSE(seam_.messages.empty());
  EXPECT_EQ(seam_.messages[0].text, "Unable to load language file");
  EXPECT_EQ(seam_.messages[0].title, "Zandor Extension Pack Error");
  EXPECT_EQ(main_->menu.Caption(IDM_mnuFile), "&File");  // layout captions stay

  // Edit Language File restores English and still opens the missing file's path.
  DeleteFileA(In("en.lng").c_str());
  main_->Command(IDM_mnuEditLangFile);
  EXPECT_TRUE(testkit::Exists(In("en.lng")));
  ASSERT_EQ(seam_.commands.size(), 1u);
  EXPECT_EQ(seam_.commands[0], "notepad " + In("fr.lng"));
}

TEST_F(Languages, WizardCaptionsAreCutAt154Characters) {
  ASSERT_TRUE(Start());
  main_->ShowWizard();
  ASSERT_NE(main_->Wizard(), nullptr);
  EXPECT_EQ(main_->Wizard()->lblWelcome3.Text().size(), 154u);  // 158 in the English file
}

TEST(RefreshSwitch, OnlyTheTrimmedEndCountsAndCaseMatters) {
  EXPECT_TRUE(modLang::WantsRefresh("-rlang"));
  EXPECT_TRUE(modLang::WantsRefresh("   -rlang   "));
  EXPECT_TRUE(modLang::WantsRefresh("something -rlang"));
  EXPECT_FALSE(modLang::WantsRefresh("-RLANG"));
  EXPECT_FALSE(modLang::WantsRefresh("-rlang more"));
  EXPECT_FALSE(modLang::WantsRefresh(""));
}

}  // namespace
