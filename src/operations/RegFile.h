// Registry files read back: the keys a file writes or removes and the values it gives
// them, so that a backup can be proven to hold its key and an import can be checked for
// what it changes before it runs.
#pragma once
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "inventory/modReg.h"

namespace modReg {

// The keys of a registry file, from its bytes: UTF-16LE text with its byte order mark
// (as the registry editor exports) or ANSI text, under the header "REGEDIT4" or
// "Windows Registry Editor Version 5.00". nullopt, with the reason, when the bytes are
// not such a file or are cut off inside a line.
std::optional<std::vector<RegFileKey>> ReadRegFile(const std::string& bytes, std::string* why = nullptr);

// True when every value of key is among values, with its type and data.
bool HoldsValues(const std::vector<RegFileValue>& values, const std::vector<RegFileValue>& key);

// True when the registry file is a whole backup of keyPath: its first key is exactly
// keyPath, and it holds that key and each of its subkeys with every value each has now.
// Otherwise why says what is wrong.
bool ProveBackup(const std::string& file, const std::string& keyPath, std::string* why);

// The file the registry editor exports for these keys: "Windows Registry Editor Version
// 5.00", UTF-16LE with its byte order mark, its escapes and its 80-column hex lines. Text
// that a quoted string would not give back exactly goes as hex(1).
std::string Version5Text(const std::vector<RegFileKey>& keys);

// A registry file made from keys given one by one as they are read (modReg::ReadKeyTree
// order), holding only its text and a digest of each key: the file Version5Text makes of
// them, proven when read back to hold exactly those keys, with their values, in their order.
class RegFileCopy {
 public:
  RegFileCopy();
  void Add(const RegFileKey& key);
  // False, with the reason, when a key given was unreadable or the file cannot be written.
  bool Write(const std::string& file, std::string* why) const;
  bool Prove(const std::string& file, std::string* why) const;

 private:
  std::wstring text_;
  std::vector<uint64_t> digests_;
  std::string top_, unreadable_;  // the first key given, and the first that could not be read
};

// Writes the keys into the registry as the editor imports them: [-key] removes the tree,
// "name"=- the value. Only HKEY_CURRENT_USER (or HKCU) is written: a file naming another
// root is refused before anything is written. False, with the reasons, when any line
// could not be written; the others are written all the same.
bool ApplyRegFile(const std::vector<RegFileKey>& keys, std::string* why);

// What a registry file does beyond adding extensions: one change for each key it writes
// outside MenuExt ("ChangeWrites"), each key it removes ("ChangeRemoves") and each key
// whose values it removes ("ChangeRemovesValues"), in file order; what is a key of the
// language files' [Messages], path fills it.
struct RegFileChange {
  const char* what;
  std::string path;
};
std::vector<RegFileChange> ChangesBeyondMenuExt(const std::vector<RegFileKey>& keys);

}  // namespace modReg
