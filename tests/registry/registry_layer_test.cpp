// The registry access layer and the pack's folder found through it.
#include <gtest/gtest.h>

#include <optional>

#include "app/App.h"
#include "inventory/modReg.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

using modReg::Bytes;
using modReg::RegValue;
using Lines = std::vector<std::string>;

namespace {

constexpr char kScratch[] = "Software\\NIMO Test Scratch";
const std::string kKey = std::string(kScratch) + "\\Layer";
const HKEY HKCU = HKEY_CURRENT_USER;

class RegistryLayer : public testkit::RegistryTest {
 protected:
  void SetUp() override {
    RegistryTest::SetUp();
    testkit::RegCreate(HKCU, kKey);
  }
  RegValue Get(const std::string& name) { return modReg::GetValue(HKCU, kKey, name); }
  // QueryValue's text and type.
  std::string Query(const std::string& name) {
    HKEY key = modReg::OpenKey(HKCU, kKey);
    EXPECT_NE(key, nullptr);
    DWORD type = 0;
    std::string text = modReg::QueryValue(key, name, type);
    RegCloseKey(key);
    return text + "/" + std::to_string(type);
  }
  testkit::RegistryKeyGuard guard_{HKCU, kScratch};
  testkit::ScriptedSeam ui_;
};

RegValue Text(const std::string& s) { return s; }

// GetValue converts by the stored type and reads values of any length; QueryValue reads
// any data as text but stops at 260 bytes; SetValue writes text as REG_SZ (ANSI kept).
TEST_F(RegistryLayer, ValuesReadAndWrittenByType) {
  const std::string z(1, '\0');
  const struct { DWORD type; std::string bytes; RegValue value; } stored[] = {
      {REG_SZ, "C:\\Pack\\a.htm" + z, Text("C:\\Pack\\a.htm")}, {REG_SZ, "", Text("")},
      {REG_EXPAND_SZ, "%WINDIR%\\a.htm" + z, Text("%WINDIR%\\a.htm")},  // not expanded
      {REG_BINARY, std::string("\x00\x01\xff", 3), RegValue(Bytes{0x00, 0x01, 0xff})},
      {REG_DWORD, "\xff\xff\xff\xff", RegValue(int32_t{-1})},
      {REG_DWORD, "\x78\x56\x34\x12", RegValue(int32_t{0x12345678})},
      {REG_MULTI_SZ, "ab" + z + "cde" + z + z, Text("ab" + z + "cde")}, {REG_MULTI_SZ, z, Text("")},
      {REG_MULTI_SZ, "", Text("")}, {REG_QWORD, "\x01" + std::string(7, '\0'), Text("NULL")}};
  for (const auto& value : stored) {
    testkit::RegSetRaw(HKCU, kKey, "value", value.type, value.bytes);
    EXPECT_EQ(Get("value"), value.value) << "type " << value.type << ", " << value.bytes.size() << " bytes";
  }
  EXPECT_EQ(Get("missing"), Text("NULL"));  // the key opened: no default

  const std::string fits(259, 'f'), over(300, 'o'), huge(5000, 'h');
  testkit::RegSetString(HKCU, kKey, "fits", fits);
  testkit::RegSetString(HKCU, kKey, "over", over);
  testkit::RegSetString(HKCU, kKey, "huge", huge);
  testkit::RegSetDword(HKCU, kKey, "dword", 0x00636261);  // "abc" as bytes
  EXPECT_EQ(Query("fits"), fits + "/1");
  EXPECT_EQ(Query("over"), "/1");
  EXPECT_EQ(Get("over"), Text(over));
  EXPECT_EQ(Get("huge"), Text(huge));  // past the first 1024-byte buffer
  EXPECT_EQ(Query("dword"), "abc/4");
  EXPECT_EQ(Query("missing").substr(0, 1), "/");

  const std::string text = "Zandor \xe9xtension & more";  // ANSI, not ASCII
  EXPECT_TRUE(modReg::SetValue(HKCU, kKey, "", text));
  EXPECT_TRUE(modReg::SetValue(HKCU, kKey, "Contexts", int32_t{-1}));
  EXPECT_TRUE(modReg::SetValue(HKCU, kKey, "blank", std::string()));
  EXPECT_EQ(Query(""), text + "/1");
  EXPECT_EQ(Get(""), Text(text));
  EXPECT_EQ(Get("Contexts"), RegValue(int32_t{-1}));
  EXPECT_EQ(Get("blank"), Text(""));
}

// A key that does not open gives the default (nothing unless given), and is never made.
TEST_F(RegistryLayer, AMissingKeyGivesTheDefaultAndIsNotCreated) {
  const std::string missing = kKey + "\\Missing";
  EXPECT_EQ(modReg::GetValue(HKCU, missing, "sz", Text("dflt")), Text("dflt"));
  EXPECT_EQ(modReg::GetValue(HKCU, missing, "sz", RegValue(int32_t{7})), RegValue(int32_t{7}));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(modReg::GetValue(HKCU, missing, "sz")));
  EXPECT_EQ(modReg::OpenKey(HKCU, missing), nullptr);
  DWORD type = 0;
  EXPECT_EQ(modReg::QueryValue(nullptr, "sz", type), "");
  EXPECT_FALSE(modReg::SetValue(HKCU, missing, "", std::string("x")));
  EXPECT_FALSE(modReg::SetValue(HKCU, missing, "Flags", int32_t{1}));
  EXPECT_FALSE(testkit::RegKeyExists(HKCU, missing));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(RegistryLayer, DeleteKeyRemovesALeafAndReportsWhatItCannotDelete) {
  const std::string leaf = kKey + "\\Leaf";
  testkit::RegSetString(HKCU, leaf, "", "x");
  testkit::RegSetString(HKCU, kKey, "keep", "y");
  modReg::DeleteKey(modReg::RootText(HKCU), leaf);
  EXPECT_FALSE(testkit::RegKeyExists(HKCU, leaf));
  EXPECT_TRUE(ui_.messages.empty());

  modReg::DeleteKey(modReg::RootText(HKCU), leaf);  // gone already
  ASSERT_EQ(ui_.messages.size(), 1u);
  EXPECT_EQ(ui_.messages[0].text.rfind("Error: Could not delete key\r\n\r\nError: 2\r\nDescription: " +
                                           modMain::SystemErrorText(ERROR_FILE_NOT_FOUND) + "\r\nSource: ", 0),
            0u) << ui_.messages[0].text;
  EXPECT_EQ(ui_.messages[0].icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(Get("keep"), Text("y"));

  // A key with subkeys of its own stays, with the message.
  testkit::RegCreate(HKCU, kKey + "\\Parent\\Child");
  modReg::DeleteKey(modReg::RootText(HKCU), kKey + "\\Parent");
  EXPECT_TRUE(testkit::RegKeyExists(HKCU, kKey + "\\Parent\\Child"));
  EXPECT_EQ(ui_.messages.size(), 2u);
}

// The uninstall record names the pack's folder; without a usable one the user is asked,
// and asked again after every folder that cannot be found, until one is or Cancel.
TEST_F(RegistryLayer, ThePackFolderComesFromTheUninstallRecordOrTheUser) {
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
