// The program's one picture of the extensions: what MenuExt holds and what the pack's
// catalog offers, as plain data. The windows show it and the operations take its
// entries; nothing reads the lists back.
#pragma once
#include <functional>
#include <string>
#include <vector>

#include "inventory/Catalog.h"
#include "inventory/modReg.h"

namespace modMain {

// One subkey of MenuExt, read through exactly that key.
struct InstalledExtension {
  bool Opened = false;    // the key could be opened for reading; nothing else is known when not
  std::string Name;       // the key name as the code page shows it, without leading and trailing spaces
  std::string Key;        // the full key path, "HKEY_CURRENT_USER\...\MenuExt\" + the name as the code page shows it
  bool Exact = true;      // the code page holds the stored name, so Key names exactly this key
  std::string Path;       // its file: the default value when it is text, else empty
  std::string Contexts;   // upper-case hexadecimal, or "None"
  std::string Flags;      // upper-case hexadecimal, or "None"
  bool FileExists = false;
  bool ContextsFailed = false, FlagsFailed = false;  // present values that could not be read as numbers
};

// What the lists show of an installed extension: the name (marked when the code page
// cannot hold it), or "Not Found" for a key that could not be opened; its file, or
// "Not Found".
std::string ListText(const InstalledExtension& extension);
std::string ListPath(const InstalledExtension& extension);

struct Extensions {
  std::vector<InstalledExtension> Installed;  // in the registry's order
  long InstalledCount = -1;                   // subkeys of MenuExt at the last read; -1 before the first
  std::vector<CatalogEntry> Catalog;          // in the catalog's order
  long CatalogCount = -1;                     // entries at the last read; -1 before it or when there is no catalog
};

// Whose load it is. Both log what they read; the main window's also logs each file it
// looks for and the counts.
enum class Reader { Main, Wizard };

// Reads every subkey of MenuExt, in one pass, into extensions.Installed, with the log
// lines of the reader's load (LogExtracted, then FinishInstalled); eachKey as ReadInstalled
// gives it.
using KeyDelivery = std::function<void(const modReg::RegFileKey& key)>;
void LoadInstalled(Extensions& extensions, Reader reader, const KeyDelivery& eachKey = {});

// The same read in batches, writing no log and touching no window, so that it may run on
// a thread of its own: deliver gets every kReadBatch entries, and the rest at the end
// (last), with the number of subkeys; false from it ends the read there. Returns false
// when the read was ended so. eachKey, when given, gets MenuExt whole as it is read, every
// key with its values in the order of modReg::ReadKeyTree, for its backup; nothing of it
// is kept here.
constexpr size_t kReadBatch = 250;
using BatchDelivery = std::function<bool(std::vector<InstalledExtension>&& batch, long total, bool last)>;
bool ReadInstalled(const BatchDelivery& deliver, const KeyDelivery& eachKey = {});
// The entry of one subkey of MenuExt read so; name: the subkey's name.
InstalledExtension EntryOf(const modReg::RegFileKey& key, const std::wstring& name);
// The read's own log lines for a batch, in the order of its keys.
void LogExtracted(const std::vector<InstalledExtension>& batch);
// A batch taken into the model; the last one sets the count.
void TakeBatch(Extensions& extensions, std::vector<InstalledExtension>&& batch, long total, bool last);
// After the last batch: for the main window's load, the count and each file looked for.
void FinishInstalled(const Extensions& extensions, Reader reader);
// Reads the catalog (restoring it when missing, preparing each entry's registry file)
// into extensions.Catalog and logs which entries the installed extensions already hold.
void LoadCatalog(Extensions& extensions, Reader reader);

// The entry of the given index (a list row's item), or nullptr for one out of range.
template <typename Entry>
const Entry* EntryAt(const std::vector<Entry>& entries, int index) {
  return index >= 0 && static_cast<size_t>(index) < entries.size() ? &entries[index] : nullptr;
}

// The catalog's rule for an installed entry: its file, as the pack names it, is part of
// the file of an installed extension.
bool IsInstalled(const CatalogEntry& entry, const std::vector<InstalledExtension>& installed);
// The catalog entries that are not installed, by their index in extensions.Catalog.
std::vector<size_t> AvailableEntries(const Extensions& extensions);

}  // namespace modMain
