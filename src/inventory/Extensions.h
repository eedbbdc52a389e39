// Installed extensions: one MenuExt subkey each, read into a record of texts.
#pragma once
#include <functional>
#include <string>

#include "inventory/modReg.h"

namespace modReg {

// The key's default value when it is text (the first string of a REG_MULTI_SZ), else
// empty text: the extension's file.
std::string ExtensionFile(HKEY key);

// An installed row whose key name the code page cannot hold carries this mark; its
// entry is not exact, and no operation takes its key.
inline constexpr char kOutsideCodePageMark[] = " [name not in this system's code page]";

// Visits every subkey of MenuExt in the platform's order, each opened from MenuExt by
// its stored name: visit gets the name as the code page shows it, whether that is
// exact (win::ToAnsi), and the key open for reading, or nullptr when it cannot be
// opened, and the number of subkeys; visit returns false to end the walk there.
// Returns the number of subkeys, those that could not be enumerated included.
long ForEachExtensionKey(const std::function<bool(const std::string& name, bool exact, HKEY key, long total)>& visit);

// A Contexts or Flags value as its cell shows it: hexadecimal digits, or "None".
// failed is set when a present value could not be converted.
std::string ValueAsHex(const RegValue& value, bool& failed);

}  // namespace modReg

namespace modMain {
// Prepares one of the pack's shipped registry files: puts the pack's folder in place of
// "[PATH]", rewrites the header, and renames the file from ".txt" to ".reg". With a
// destination, the file is left as it is and the prepared one written there, its
// folders made as needed below the data folder.
void fRenFile(const std::string& file, const std::string& destination = "");
// The pack location as registry files write it: ending in "\", "\Extensions\" made "\",
// every "\" doubled.
std::string RegFilePackPath(const std::string& location);
}  // namespace modMain
