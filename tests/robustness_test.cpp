// Odd and hostile files: the settings file and the catalog in unusual layouts, and a
// settings file another program holds open.
#include <gtest/gtest.h>

#include "app/App.h"
#include "inventory/Model.h"
#include "app/resource.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

namespace {

using testkit::ReadAll;
using testkit::WriteAll;

// The ways a text file may be stored. Texts are written in the program's code page;
// the few letters past ASCII used here are the same in Latin-1.
enum class Layout { Ansi, Utf8Mark, Utf16Mark };

std::string Encoded(Layout layout, const std::string& text) {
  std::string out;
  for (char c : text) {
    const unsigned char u = static_cast<unsigned char>(c);
    if (layout == Layout::Utf16Mark) {
      out += c;
      out += '\0';
    } else if (layout == Layout::Utf8Mark && u >= 0x80) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += c;
    }
  }
  return out;
}

std::string Stored(Layout layout, const std::string& text) {
  const char* mark = layout == Layout::Utf8Mark ? "\xEF\xBB\xBF" : layout == Layout::Utf16Mark ? "\xFF\xFE" : "";
  return mark + Encoded(layout, text);
}

const char* Name(Layout layout) {
  return layout == Layout::Ansi ? "ANSI" : layout == Layout::Utf8Mark ? "UTF-8 with mark" : "UTF-16LE with mark";
}

bool Holds(const std::string& bytes, const std::string& part) { return bytes.find(part) != std::string::npos; }

// ---------------------------------------------------------------------------
// The settings file

class OddSettingsFile : public testkit::ProgramFolderTest {
 protected:
  testkit::ScriptedSeam seam_;
};

// Wine's profile functions read both byte order marks and write the file back in the
// layout they found; lines without "=" and long values go back as they were.
TEST_F(OddSettingsFile, EveryLayoutReadsAndKeepsItsOtherLinesWhenWritten) {
  const std::string bare = "a line without an equals sign", longValue(10000, 'L');
  const std::string lang = "C:\\Langues\\fran\xE7" "ais.lng";
  for (Layout layout : {Layout::Ansi, Layout::Utf8Mark, Layout::Utf16Mark}) {
    SCOPED_TRACE(Name(layout));
    WriteAll(In("NIMO.ini"), Stored(layout, "[Settings]\r\n" + bare + "\r\nUseClassic=1\r\nLong=" + longValue +
                                                "\r\n[Paths]\r\nRegistry_Backup=C:\\Backups\\\r\n"));
    EXPECT_EQ(modSettings::Setting("Settings", "UseClassic", ""), "1");
    EXPECT_EQ(modSettings::Setting("Settings", "Long", ""), longValue.substr(0, 154));  // as every read
    EXPECT_EQ(modSettings::Setting("Paths", "Registry_Backup", ""), "C:\\Backups\\");

    modSettings::SetSetting("Settings", "Lang", lang);
    EXPECT_EQ(modSettings::Setting("Settings", "Lang", ""), lang);
    const std::string after = ReadAll(In("NIMO.ini"));
    EXPECT_EQ(after.rfind(Stored(layout, "[Settings]"), 0), 0u);  // the mark stays
    for (const std::string& line : std::vector<std::string>{bare, "Long=" + longValue, "UseClassic=1", "Lang=" + lang,
                                                            "Registry_Backup=C:\\Backups\\"})
      EXPECT_TRUE(Holds(after, Encoded(layout, line + "\r\n"))) << line.substr(0, 40);
  }
  EXPECT_TRUE(seam_.messages.empty());
}

// A settings file that another program holds open for reading only, as a read-only
// file is: every failed write goes to the log, the file keeps every byte, and writes
// go through again once it is released. (Start-up on it, and its one message: the
// registry Robustness tests.)
TEST_F(OddSettingsFile, EveryWriteThatFailsIsLoggedAndTheFileKeptWhole) {
  modSettings::SetSetting("Settings", "UseClassic", "1");
  const std::string before = ReadAll(In("NIMO.ini"));
  HANDLE other = CreateFileA(In("NIMO.ini").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  modSettings::SetSetting("Settings", "UseClassic", "0");
  modSettings::SetSetting("Startup", "Mode", "0");
  CloseHandle(other);

  EXPECT_EQ(ReadAll(In("NIMO.ini")), before);
  EXPECT_EQ(seam_.messages.size(), 1u);
  const auto log = testkit::LogMessages();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].rfind("Unable to write Settings/UseClassic to [ " + In("NIMO.ini") + " ]: ", 0), 0u) << log[0];
  EXPECT_EQ(log[1].rfind("Unable to write Startup/Mode to ", 0), 0u) << log[1];
  modSettings::SetSetting("Startup", "Mode", "0");
  EXPECT_EQ(modSettings::Setting("Startup", "Mode", ""), "0");
}

// ---------------------------------------------------------------------------
// The catalog, read into the model

// In every layout the whole catalog is read with its long fields whole, and letters
// past ASCII arrive in the program's code page; a letter the code page lacks arrives
// as "?". A catalog larger than the first section buffer (10 KB) used to read as
// missing: no entries and no word of why. Wine reads both byte order marks.
using OddCatalog = OddSettingsFile;

TEST_F(OddCatalog, EveryLayoutReadsEveryEntryWithItsLongFields) {
  modSettings::WriteINI("", "Paths", "NIMO_Location", "C:\\Pack\\");
  const std::string builtIn = modMain::ResourceBytes(IDR_CATALOG, "Custom"), first = "Translators=Translate with Google;";
  ASSERT_TRUE(Holds(builtIn, first));
  const std::string longName(10000, 'n'), longText(10000, 'd');
  std::string catalog = builtIn;
  catalog.insert(catalog.find(first) + first.size() - 1, longName + "|");
  catalog.insert(catalog.find("Translate the selected text"), longText);
  catalog += "Misc=Last one;Misc\\last.htm;" + longText + ";Reg_Files\\last.reg\r\n";
  catalog += "Misc=Caf\xE9 lookup;Misc\\cafe.htm;Cherche un caf\xE9;Reg_Files\\cafe.reg\r\n";
  modMain::Extensions model;
  auto description = [&](const std::string& name) {
    for (const modMain::CatalogEntry& entry : model.Catalog)
      if (entry.Name == name) return entry.Description + "|" + entry.RegFile;
    return std::string("<none>");
  };
  for (Layout layout : {Layout::Ansi, Layout::Utf8Mark, Layout::Utf16Mark}) {
    SCOPED_TRACE(Name(layout));
    WriteAll(In("NIMO_Ext.ini"), Stored(layout, catalog));
    modMain::LoadCatalog(model, modMain::Reader::Main);
    ASSERT_EQ(model.Catalog.size(), 49u);
    EXPECT_EQ(model.Catalog[0].Name, "Translate with Google" + longName + "|");  // right after the mark
    EXPECT_EQ(description("Last one"), longText + "|C:\\Pack\\Reg_Files\\last.reg");
    EXPECT_EQ(description("Translate selection with Google"),
              longText + "Translate the selected text with Google Translate|C:\\Pack\\Reg_Files\\Translators\\tGoogleText.reg");
    EXPECT_EQ(description("Caf\xE9 lookup"), "Cherche un caf\xE9|C:\\Pack\\Reg_Files\\cafe.reg");
  }
  // U+0416, outside the code page.
  WriteAll(In("NIMO_Ext.ini"), Stored(Layout::Utf16Mark, builtIn) + std::string("M\0=\0\x16\x04;\0a\0;\0b\0;\0c\0\r\0\n\0", 22));
  modMain::LoadCatalog(model, modMain::Reader::Main);
  ASSERT_EQ(model.Catalog.size(), 48u);
  EXPECT_EQ(model.Catalog.back().Name, "?");
  EXPECT_TRUE(seam_.messages.empty());
}

}  // namespace
