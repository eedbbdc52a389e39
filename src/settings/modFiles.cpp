#include "settings/modFiles.h"

#include <cstring>

#include "base/Identity.h"
#include "base/TextRules.h"
#include "base/Words.h"
#include "win/Seam.h"
#include "win/Window.h"

namespace modMain {

bool ReducePath(std::string& path) {
  if (path.compare(0, 7, "http://") == 0 || path.compare(0, 6, "ftp://") == 0) return false;
  const std::string lower = text::Lower(path);
  if (lower.find("void ") != std::string::npos || lower.find("javascript:") != std::string::npos) return false;
  for (const char* scheme : {"res://", "file://"}) {
    size_t at = path.find(scheme);
    if (at == std::string::npos) continue;
    std::string rest = path.substr(at + strlen(scheme));
    size_t again = rest.find(scheme);
    if (again != std::string::npos) rest.erase(again);
    size_t slash = rest.find('/');
    if (slash != std::string::npos) rest.erase(slash);
    path = rest;
  }
  if (text::Lower(path).find("file:") != std::string::npos) path = text::Replace(text::Lower(path), "file:", "");
  return !text::Trim(path).empty();
}

bool ReduceToExistingFile(std::string& path) {
  if (!ReducePath(path)) return false;
  constexpr DWORD kNotNormal = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
  if (path.find_first_of("*?") == std::string::npos) {
    // One name: its attributes answer at once, where a listing reads its whole folder.
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return !(attributes & kNotNormal);
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return false;
  }
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA(path.c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND && error != ERROR_NO_MORE_FILES) {
      words::Say("FileError", {std::to_string(error), SystemErrorText(error)}, MB_OK | MB_ICONEXCLAMATION);
    }
    return false;
  }
  bool found = false;
  do {
    if (!(data.dwFileAttributes & kNotNormal)) found = true;
  } while (!found && FindNextFileA(find, &data));
  FindClose(find);
  return found;
}

bool FileExistsCopy(std::string path) { return ReduceToExistingFile(path); }

bool OwnFileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return !path.empty() && attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(std::string path) {
  if (path.empty() || path.back() != '\\') path += '\\';
  WIN32_FIND_DATAA data;
  HANDLE find = FindFirstFileA((path + "*.*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return false;
  FindClose(find);
  return true;
}

bool CreateFolder(const std::string& path, std::string* error) {
  if (CreateDirectoryA(path.c_str(), nullptr)) return true;
  const DWORD code = GetLastError();
  // "Already exists" is success only for a folder; a file of that name stays in the way.
  if (code == ERROR_ALREADY_EXISTS) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return true;
  }
  if (error) *error = SystemErrorText(code);
  return false;
}

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string FolderPart(const std::string& path) {
  const size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

std::string ResourceBytes(WORD id, const std::string& type) {
  HRSRC found = FindResourceA(Instance(), MAKEINTRESOURCEA(id), type.c_str());
  if (!found) return {};
  HGLOBAL loaded = LoadResource(Instance(), found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data) return {};
  return std::string(static_cast<const char*>(data), SizeofResource(Instance(), found));
}

bool ExtractResource(WORD id, const std::string& type, const std::string& destination) {
  HRSRC found = FindResourceA(Instance(), MAKEINTRESOURCEA(id), type.c_str());
  if (!found) return false;
  return WriteFileBytes(destination, ResourceBytes(id, type));
}

void SetNumbersOnly(HWND textBox, bool on) {
  LONG style = GetWindowLongA(textBox, GWL_STYLE);
  style = on ? (style | ES_NUMBER) : (style & ~ES_NUMBER);
  SetWindowLongA(textBox, GWL_STYLE, style);
}

bool ReadFileBytes(const std::string& path, std::string& bytes, DWORD* error) {
  bytes.clear();
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (error) *error = GetLastError();
    return false;
  }
  char chunk[65536];
  DWORD n = 0;
  bool ok = true;
  while ((ok = ReadFile(file, chunk, sizeof chunk, &n, nullptr)) && n) bytes.append(chunk, n);
  if (!ok && error) *error = GetLastError();
  CloseHandle(file);
  return ok;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes, DWORD* error) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    if (error) *error = GetLastError();
    return false;
  }
  DWORD written = 0;
  bool ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  if (!ok && error) *error = GetLastError();
  CloseHandle(file);
  return ok && written == bytes.size();
}

std::string TakeFreeFile(const std::string& folder, const std::string& stem, const std::string& extension,
                         DWORD* error) {
  std::string path = folder + stem + extension;
  for (int n = 2; n <= 10000; ++n) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      CloseHandle(file);
      return path;
    }
    const DWORD failure = GetLastError();
    if (failure != ERROR_FILE_EXISTS && failure != ERROR_ALREADY_EXISTS) {
      if (error) *error = failure;
      return {};
    }
    path = folder + stem + " (" + std::to_string(n) + ")" + extension;
  }
  if (error) *error = ERROR_FILE_EXISTS;
  return {};
}

void GiveBackFile(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) && data.nFileSizeLow == 0 &&
      data.nFileSizeHigh == 0)
    DeleteFileA(path.c_str());
}

bool IsWideTextFile(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  unsigned char mark[2] = {};
  DWORD read = 0;
  const bool ok = ReadFile(file, mark, sizeof mark, &read, nullptr) && read == 2;
  CloseHandle(file);
  return ok && ((mark[0] == 0xFF && mark[1] == 0xFE) || (mark[0] == 0xFE && mark[1] == 0xFF));
}

}  // namespace modMain

namespace modGetFolder {

std::string BrowseForFolder(HWND owner, const std::wstring& title, const std::string& start) {
  win::DoEvents();  // let pending window events run once, so the windows repaint
  std::string folder = win::Ui().PickFolder(owner, title, start);
  if (!folder.empty() && folder.back() != '\\') folder += '\\';
  return folder;
}

}  // namespace modGetFolder
