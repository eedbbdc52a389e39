// Enabling an extension: importing its registry file, with the questions, the header
// fix and the MenuExt backup that InstallPrompt asks for.
#include "inventory/modReg.h"
#include "lang/modLang.h"
#include "log/modLog.h"
#include "operations/modOperations.h"
#include "operations/modRegedit.h"
#include "settings/modFiles.h"
#include "settings/modSettings.h"
#include "win/Seam.h"

namespace modMain {

namespace {

int Ask(HWND owner, const char* question) {
  return modLang::Say(owner, modLang::Text("Messages", question), MB_YESNO | MB_ICONQUESTION);
}

}  // namespace

bool EnableExtension(HWND owner, const CatalogEntry& entry) {
  const std::string& regFile = entry.RegFile;
  if (!OwnFileExists(regFile)) {
    modLang::Say(owner, MissingFileText(modLang::Text("Messages", "ImportFailed"), regFile), MB_OK | MB_ICONEXCLAMATION);
    return false;
  }
  if (modSettings::Setting("Settings", "InstallPrompt", "1") == "1") {
    const int checked = Ask(owner, "RegFileChecked");
    if (checked == IDNO) {
      OpenInNotepad(owner, regFile);
      return false;
    }
    if (checked != IDYES) return false;
    // The registry editor's own two-byte files import as they are; the header test
    // and fix read single-byte text and would spoil them.
    if (!IsWideTextFile(regFile) && modReg::HasEditorHeader(regFile)) modReg::FixRegFileHeader(regFile);
    if (!ConfirmRegFileChanges(owner, regFile)) return false;
    if (Ask(owner, "BackUpFirst") == IDYES && !BackUpMenuExt(owner)) return false;
  } else if (!ConfirmRegFileChanges(owner, regFile)) {
    return false;
  }
  WriteLog("Importing: " + regFile);
  RunRegeditBlocking(owner, modReg::Regedit::Import, regFile, "");
  return true;
}

}  // namespace modMain
