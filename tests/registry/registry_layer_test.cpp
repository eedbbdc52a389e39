#include <gtest/gtest.h>

#include "app/App.h"
#include "inventory/modReg.h"
#include "support/ScriptedSeam.h"
#include "support/TestKit.h"

using modReg::Bytes;
using modReg::RegValue;

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
  std::string Query(const std::string& name, DWORD* type = nullptr) {
    HKEY key = modReg::OpenKey(HKCU, kKey);
    EXPECT_NE(key, nullptr);
    DWORD t = 0;
    std::string text = modReg::QueryValue(key, name, t);
    RegCloseKey(key);
    if (type) *type = t;
    return text;
  }
  testkit::RegistryKeyGuard guard_{HKCU, kScratch};
  testkit::ScriptedSeam ui_;
};

RegValue Text(const std::string& s) { return s; }

TEST_F(RegistryLayer, GetValueConvertsByStoredType) {
  testkit::RegSetString(HKCU, kKey, "sz", "C:\\Pack\\a.htm");
  testkit::RegSetRaw(HKCU, kKey, "empty", REG_SZ, "");
  testkit::RegSetString(HKCU, kKey, "expand", "%WINDIR%\\a.htm", REG_EXPAND_SZ);
  testkit::RegSetRaw(HKCU, kKey, "bin", REG_BINARY, std::string("\x00\x01\xff", 3));
  testkit::RegSetDword(HKCU, kKey, "minus", 0xFFFFFFFF);
  testkit::RegSetDword(HKCU, kKey, "dword", 0x12345678);
  testkit::RegSetRaw(HKCU, kKey, "multi", REG_MULTI_SZ, std::string("ab\0cde\0\0", 8));
  testkit::RegSetRaw(HKCU, kKey, "short", REG_MULTI_SZ, std::string("\0", 1));
  testkit::RegSetRaw(HKCU, kKey, "none", REG_MULTI_SZ, "");
  testkit::RegSetRaw(HKCU, kKey, "qword", REG_QWORD, std::string("\x01\0\0\0\0\0\0\0", 8));

  EXPECT_EQ(Get("sz"), Text("C:\\Pack\\a.htm"));
  EXPECT_EQ(Get("empty"), Text(""));
  EXPECT_EQ(Get("expand"), Text("%WINDIR%\\a.htm"));
  EXPECT_EQ(Get("bin"), RegValue(Bytes{0x00, 0x01, 0xff}));
  EXPECT_EQ(Get("minus"), RegValue(int32_t{-1}));
  EXPECT_EQ(Get("dword"), RegValue(int32_t{0x12345678}));
  EXPECT_EQ(Get("multi"), Text(std::string("ab\0cde", 6)));
  EXPECT_EQ(Get("short"), Text(""));
  EXPECT_EQ(Get("none"), Text(""));
  EXPECT_EQ(Get("qword"), Text("NULL"));
  EXPECT_EQ(Get("missing"), Text("NULL"));  // the key opened: no default
}

TEST_F(RegistryLayer, AKeyThatDoesNotOpenGivesTheDefault) {
  const std::string missing = std::string(kScratch) + "\\Missing";
  EXPECT_EQ(modReg::GetValue(HKCU, missing, "sz", Text("dflt")), Text("dflt"));
  EXPECT_EQ(modReg::GetValue(HKCU, missing, "sz", RegValue(int32_t{7})), RegValue(int32_t{7}));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(modReg::GetValue(HKCU, missing, "sz")));
  EXPECT_EQ(modReg::OpenKey(HKCU, missing), nullptr);
  DWORD type = 0;
  EXPECT_EQ(modReg::QueryValue(nullptr, "sz", type), "");
}

TEST_F(RegistryLayer, QueryValueStopsAt260BytesWhereGetValueDoesNot) {
  const std::string fits(259, 'f'), over(300, 'o'), huge(5000, 'h');
  testkit::RegSetString(HKCU, kKey, "fits", fits);
  testkit::RegSetString(HKCU, kKey, "over", over);
  testkit::RegSetString(HKCU, kKey, "huge", huge);
  testkit::RegSetDword(HKCU, kKey, "dword", 0x00636261);  // "abc" as bytes

  DWORD type = 0;
  EXPECT_EQ(Query("fits", &type), fits);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(Query("over"), "");
  EXPECT_EQ(Get("over"), Text(over));
  EXPECT_EQ(Get("huge"), Text(huge));  // past the first 1024-byte buffer
  EXPECT_EQ(Query("dword", &type), "abc");  // data is read as text whatever its type
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(Query(""), "");  // an unset default value
  EXPECT_EQ(Query("missing"), "");
}

TEST_F(RegistryLayer, SetValueRoundTripsAndNeverCreatesKeys) {
  const std::string text = "Zandor \xe9xtension & more";  // ANSI, not ASCII
  EXPECT_TRUE(modReg::SetValue(HKCU, kKey, "", text));
  EXPECT_TRUE(modReg::SetValue(HKCU, kKey, "Contexts", int32_t{-1}));
  EXPECT_TRUE(modReg::SetValue(HKCU, kKey, "Flags", int32_t{0x11}));
  EXPECT_TRUE(modReg::SetValue(HKCU, kKey, "blank", std::string()));

  DWORD type = 0;
  EXPECT_EQ(Query("", &type), text);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(modReg::GetValue(HKCU, kKey, ""), Text(text));
  EXPECT_EQ(Get("Contexts"), RegValue(int32_t{-1}));
  EXPECT_EQ(Get("Flags"), RegValue(int32_t{0x11}));
  Query("Flags", &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(Get("blank"), Text(""));
  Query("blank", &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));

  const std::string missing = kKey + "\\Missing";
  EXPECT_FALSE(modReg::SetValue(HKCU, missing, "", std::string("x")));
  EXPECT_FALSE(modReg::SetValue(HKCU, missing, "Flags", int32_t{1}));
  EXPECT_FALSE(testkit::RegKeyExists(HKCU, missing));
  EXPECT_TRUE(ui_.messages.empty());
}

TEST_F(RegistryLayer, DeleteKeyRemovesALeafAndReportsWhatItCannotDelete) {
  EXPECT_EQ(modReg::RootText(HKEY_CURRENT_USER), "-2147483647");
  const std::string leaf = kKey + "\\Leaf";
  testkit::RegSetString(HKCU, leaf, "", "x");
  testkit::RegSetString(HKCU, kKey, "keep", "y");

  modReg::DeleteKey(modReg::RootText(HKCU), leaf);
  EXPECT_FALSE(testkit::RegKeyExists(HKCU, leaf));
  EXPECT_TRUE(ui_.messages.empty());

  modReg::DeleteKey("-2147483647", leaf);  // gone already
  ASSERT_EQ(ui_.messages.size(), 1u);
  const testkit::ShownMessage& shown = ui_.messages[0];
  EXPECT_EQ(shown.text.rfind("Error: Could not delete key\r\n\r\nError: 2\r\nDescription: " +
                                 modMain::SystemErrorText(ERROR_FILE_NOT_FOUND) + "\r\nSource: ",
                             0),
            0u)
      << shown.text;
  EXPECT_EQ(shown.title, modMain::kTitle);
  EXPECT_EQ(shown.icon(), static_cast<UINT>(MB_ICONEXCLAMATION));
  EXPECT_EQ(shown.buttons(), static_cast<UINT>(MB_OK));
  EXPECT_EQ(modReg::GetValue(HKCU, kKey, "keep"), Text("y"));

  // A key with subkeys of its own stays, with the message.
  testkit::RegCreate(HKCU, kKey + "\\Parent\\Child");
  modReg::DeleteKey(modReg::RootText(HKCU), kKey + "\\Parent");
  EXPECT_TRUE(testkit::RegKeyExists(HKCU, kKey + "\\Parent\\Child"));
  EXPECT_EQ(ui_.messages.size(), 2u);
}

}  // namespace
