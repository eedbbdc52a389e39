// The model without the registry: the catalog and its registry files; Contexts as shown.
#include <gtest/gtest.h>

#include <algorithm>

#include "base/resource.h"
#include "inventory/Extensions.h"
#include "inventory/Model.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

using namespace testkit;

// A Latin-1 text (as the code page here holds it) stored as ANSI, or UTF-8 or UTF-16LE with its mark.
enum Layout { kAnsi, kUtf8, kUtf16 };
std::string Stored(Layout layout, const std::string& text) {
  std::string out = layout == kUtf8 ? "\xEF\xBB\xBF" : layout == kUtf16 ? "\xFF\xFE" : "";
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (layout == kUtf16) out += {c, '\0'};
    else if (layout == kUtf8 && u >= 0x80) out += {static_cast<char>(0xC0 | (u >> 6)), static_cast<char>(0x80 | (u & 0x3F))};
    else out += c;
  }
  return out;
}

class Model : public testkit::ProgramFolderTest {
 protected:
  void SetUp() override {
    ProgramFolderTest::SetUp();
    modSettings::WriteINI("", "Paths", "NIMO_Location", pack_.path() + "\\");
    CreateDirectoryA((pack_ / "Reg_Files").c_str(), nullptr);
  }
  testkit::ScriptedSeam seam_;
  testkit::TempFolder pack_;
  modMain::Extensions model_;
};

// The placeholder takes the pack's folder less "\\Extensions"; a lower-case one is not filled.
TEST_F(Model, ARegistryFileIsPreparedFromItsShippedText) {
  modSettings::WriteINI("", "Paths", "NIMO_Location", "C:\\Pack\\Extensions\\");
  const std::string plain = "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n";
  const struct { std::string name, before, after, log; } files[] = {{"a",
                "\r\n\r\nWindows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x\\A]\r\n@=\"[PATH]Lookup\\\\a.htm\"\r\n"
                "\r\n\r\n\r\n\"Contexts\"=dword:00000010\r\n",
                "REGEDIT4\r\n[HKEY_CURRENT_USER\\x\\A]\r\n@=\"C:\\\\Pack\\\\Lookup\\\\a.htm\"\r\n\r\n"
                "\"Contexts\"=dword:00000010\r\n", "a.txt has been modified and renamed"},
               {"b", plain, plain, "b.txt does not need modified but has been renamed"},
               {"c", "\xFF\xFEWindows Registry Editor Version 5.00\r\n@=\"[path]x\"\r\n", "REGEDIT4\r\n@=\"[path]x\"\r\n",
                "c.txt has been modified and renamed"}};
  for (const auto& file : files) {
    WriteAll(In(file.name + ".txt"), file.before);
    modMain::fRenFile(In(file.name + ".txt"));
    EXPECT_FALSE(testkit::Exists(In(file.name + ".txt"))) << file.name;
    EXPECT_EQ(ReadAll(In(file.name + ".reg")), file.after) << file.name;
    EXPECT_EQ(LogMessages().back(), file.log);
  }
  EXPECT_EQ(modMain::RegFilePackPath("C:\\Pack"), "C:\\\\Pack\\\\");
  EXPECT_EQ(modMain::RegFilePackPath("D:\\Extensions\\Tools\\Extensions"), "D:\\\\Tools\\\\");
}

TEST(ContextValues, ConversionsToHexOrNone) {
  const struct { modReg::RegValue value; std::string hex; bool failed; } cases[] = {
      {int32_t{63}, "3F", false}, {int32_t{0}, "0", false}, {int32_t{-1}, "FFFFFFFF", false},
      {std::string("34"), "22", false}, {std::string("NULL"), "None", false}, {std::string(""), "None", false},
      {std::string("abc"), "None", true}, {std::string("4294967296"), "None", true}, {modReg::Bytes{1, 2}, "None", true}};
  for (const auto& c : cases) {
    bool failed = !c.failed;  // set either way, as one flag serves Contexts and Flags
    EXPECT_EQ(modReg::ValueAsHex(c.value, failed), c.hex) << c.hex;
    EXPECT_EQ(failed, c.failed) << c.hex;
  }
}

// An entry is installed when its file, case included, is part of an installed one's file.
TEST_F(Model, CatalogEntriesTheirRegistryFilesAndWhatIsInstalled) {
  WriteAll(In("NIMO_Ext.ini"),
           "[Available_Extensions]\r\n;Lookup\r\n"
           "Lookup=Zeta lookup;Lookup\\z.htm;Finds z;Reg_Files\\z.reg\r\n"
           "Lookup=Installed one;Lookup\\luGoogle.htm;Installed;Reg_Files\\g.reg\r\n"
           "Lookup=Installed two;Lookup\\two.htm;Installed;Reg_Files\\two.reg\r\n"
           "Lookup=Converted;Lookup\\c.htm;From txt;Reg_Files\\c.reg\r\n"
           "Misc=Short entry;Misc\\s.htm\r\n"
           "Misc=Case differs;lookup\\LUGOOGLE.htm;Other case;Reg_Files\\z.reg\r\n"
           "Misc=No file;;Nothing;Reg_Files\\z.reg\r\n");
  WriteAll(pack_ / "Reg_Files\\z.reg", "REGEDIT4\r\n");
  WriteAll(pack_ / "Reg_Files\\c.txt", "Windows Registry Editor Version 5.00\r\n@=\"[PATH]Lookup\\\\c.htm\"\r\n");
  for (const char* path : {"", "C:\\Pack\\Lookup\\luGoogle.htm", "C:\\P\\Lookup\\two.htm"})
    model_.Installed.push_back({*path != '\0', "", "", true, path, "", "", false, false, false});
  auto times = [](const std::string& line) { const auto log = LogMessages(); return std::count(log.begin(), log.end(), line); };
  modMain::LoadCatalog(model_, modMain::Reader::Main);

  const std::vector<std::pair<std::string, bool>> entries = {  // the fields, and whether the registry file exists
      {"Lookup|Zeta lookup|Lookup\\z.htm|Finds z|z.reg", true}, {"Lookup|Installed one|Lookup\\luGoogle.htm|Installed|g.reg", false},
      {"Lookup|Installed two|Lookup\\two.htm|Installed|two.reg", false}, {"Lookup|Converted|Lookup\\c.htm|From txt|c.reg", true},
      {"Misc|Case differs|lookup\\LUGOOGLE.htm|Other case|z.reg", true}, {"Misc|No file||Nothing|z.reg", true}};
  ASSERT_EQ(model_.CatalogCount, 6);
  const std::string regFiles = pack_ / "Reg_Files\\";
  for (size_t i = 0; i < entries.size(); ++i) {
    const modMain::CatalogEntry& e = model_.Catalog[i];
    ASSERT_EQ(e.RegFile.rfind(regFiles, 0), 0u) << e.RegFile;
    EXPECT_EQ(e.Category + "|" + e.Name + "|" + e.File + "|" + e.Description + "|" + e.RegFile.substr(regFiles.size()),
              entries[i].first);
    EXPECT_EQ(e.RegFileExists, entries[i].second) << e.Name;
  }
  EXPECT_EQ(modMain::AvailableEntries(model_), (std::vector<size_t>{0, 3, 4, 5}));
  for (const char* line : {"[ Installed one ] is installed", "[ Installed two ] is installed", "4 extensions available",
                           "[fRenFile] Error: file does not exist, skipping [ g.txt ]",
                           "Skipping [ Misc=Short entry;Misc\\s.htm ]: an entry needs a name, a file, a description and a registry file"})
    EXPECT_EQ(times(line), 1) << line;

  // The next load renames nothing; the wizard's load does not count what is available.
  modMain::LoadCatalog(model_, modMain::Reader::Wizard);
  EXPECT_EQ(times("Renaming [ " + pack_.path() + "\\Reg_Files\\c.txt ]"), 1);
  EXPECT_EQ(times("4 extensions available"), 1);
  EXPECT_EQ(times("[ Installed one ] is installed"), 2);
  EXPECT_TRUE(seam_.messages.empty());
}

// Every layout is read whole, fields of 10000 characters too; a letter the code page lacks is "?".
TEST_F(Model, ACatalogMissingEmptyBrokenOrInAnyLayoutReadsAsFarAsItCan) {
  modSettings::WriteINI("", "Paths", "NIMO_Location", "C:\\Pack\\");
  const std::string builtIn = modMain::ResourceBytes(IDR_CATALOG, "Custom"), first = "Translators=Translate with Google;";
  modMain::LoadCatalog(model_, modMain::Reader::Main);
  EXPECT_EQ(ReadAll(In("NIMO_Ext.ini")), builtIn);
  EXPECT_EQ(model_.CatalogCount, 47);
  WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\n;nothing\r\n");
  modMain::LoadCatalog(model_, modMain::Reader::Main);
  EXPECT_TRUE(model_.Catalog.empty());
  modMain::LoadCatalog(model_, modMain::Reader::Wizard);
  ASSERT_EQ(seam_.messages.size(), 1u);
  EXPECT_NE(seam_.messages[0].text.find(In("NIMO_Ext.ini")), std::string::npos) << seam_.messages[0].text;
  WriteAll(In("NIMO_Ext.ini"), "[Available_Extensions]\r\nbroken\r\n");
  modMain::LoadCatalog(model_, modMain::Reader::Main);
  EXPECT_TRUE(model_.Catalog.empty());
  ASSERT_EQ(seam_.messages.size(), 2u);
  EXPECT_EQ(seam_.messages[1].text, modSettings::BadIniDescription());
  EXPECT_TRUE(testkit::Logged("Unable to read the available extensions list: error 1002"));
  seam_.messages.clear();

  const std::string longName(10000, 'n'), longText(10000, 'd');
  std::string catalog = builtIn;
  ASSERT_NE(catalog.find(first), std::string::npos);
  catalog.insert(catalog.find(first) + first.size() - 1, longName + "|");
  catalog += "Misc=Last one;Misc\\last.htm;" + longText + ";Reg_Files\\last.reg\r\n";
  catalog += "Misc=Caf\xE9 lookup;Misc\\cafe.htm;Cherche un caf\xE9;Reg_Files\\cafe.reg\r\n";
  for (Layout layout : {kAnsi, kUtf8, kUtf16}) {
    SCOPED_TRACE(layout);
    WriteAll(In("NIMO_Ext.ini"), Stored(layout, catalog));
    modMain::LoadCatalog(model_, modMain::Reader::Main);
    ASSERT_EQ(model_.Catalog.size(), 49u);
    EXPECT_EQ(model_.Catalog[0].Name, "Translate with Google" + longName + "|");  // right after the mark
    EXPECT_EQ(model_.Catalog[47].Description + "|" + model_.Catalog[47].RegFile, longText + "|C:\\Pack\\Reg_Files\\last.reg");
    EXPECT_EQ(model_.Catalog[48].Name + "|" + model_.Catalog[48].Description, "Caf\xE9 lookup|Cherche un caf\xE9");
  }
  WriteAll(In("NIMO_Ext.ini"), Stored(kUtf16, builtIn) + std::string("M\0=\0\x16\x04;\0a\0;\0b\0;\0c\0\r\0\n\0", 22));
  modMain::LoadCatalog(model_, modMain::Reader::Main);
  ASSERT_EQ(model_.Catalog.size(), 48u);
  EXPECT_EQ(model_.Catalog.back().Name, "?");
  EXPECT_TRUE(seam_.messages.empty());
}

}  // namespace
