// Installed extensions: one MenuExt subkey each, read into a record of texts.
#pragma once
#include <string>

#include "inventory/modReg.h"

namespace modReg {

struct ExtensionInfo {
  std::string Name;      // the key name without leading and trailing spaces
  std::string Contexts;  // upper-case hexadecimal, or "None"
  std::string Path;      // the key's default value when it is text, else empty
  std::string Flags;     // upper-case hexadecimal, or "None"
};

// Reads basePath\name below HKEY_CURRENT_USER; all fields empty when the key cannot be opened.
ExtensionInfo GetExtensionInfo(const std::string& basePath, const std::string& name);

// A Contexts or Flags value as its cell shows it: hexadecimal digits, or "None".
// failed is set when a present value could not be converted.
std::string ValueAsHex(const RegValue& value, bool& failed);

}  // namespace modReg

namespace modMain {
// Prepares one of the pack's shipped registry files: puts the pack's folder in place of
// "[PATH]", rewrites the header, and renames the file from ".txt" to ".reg".
void fRenFile(const std::string& file);
// The pack location as registry files write it: ending in "\", "\Extensions\" made "\",
// every "\" doubled.
std::string RegFilePackPath(const std::string& location);
}  // namespace modMain
