// The properties dialog of one installed extension: its name (the name of its MenuExt
// key), the path of its file and its context value, in decimal as the box reads it,
// with a check box for each of the browser's context bits.
#pragma once
#include <windows.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "inventory/Model.h"
#include "lang/modLang.h"
#include "operations/modOperations.h"
#include "win/LabelButton.h"
#include "win/Window.h"

class frmModify : public win::CModalWindow, public modLang::LangWindow {
 public:
  frmModify() = default;
  ~frmModify() override;
  frmModify(const frmModify&) = delete;
  frmModify& operator=(const frmModify&) = delete;

  // The dialog that is loaded now, if any.
  static frmModify* Current();

  // Creates the hidden dialog owned by the main window, runs Form_Load and fills the
  // boxes from the extension, which the dialog keeps. applied runs after a change was
  // written (renamed: the key's name changed). Returns false when the window could not
  // be created.
  bool Load(HWND owner, const modMain::InstalledExtension& extension, std::function<void(bool renamed)> applied);
  // Shows the loaded dialog modally: the owner is disabled until the dialog closes.
  void ShowModal() { RunModal(txtName); }

  // The note on the Contexts box shows once in a run.
  static inline bool bContextNoteShown = false;

  // LangWindow
  std::string WindowName() const override { return "frmModify"; }
  std::vector<modLang::Control> Controls() override;

  // Where the controls go, in pixels, for a client area `width` wide at `dpi` dots per
  // inch: the layout's twips, with the label column as wide as the widest caption
  // (captions: Name, Path, Contexts, Key, Cancel, Apply and the context bits' check
  // boxes, as drawn), the text boxes stretching, the check boxes in two rows of three
  // under the Contexts box and the buttons keeping to the right edge. The dialog is never
  // narrower than minWidth, which holds the text boxes at their layout width and the
  // check boxes whole.
  static constexpr int kContextBits = 6;  // 0x1 to 0x20: default, images, controls, tables, text selection, links
  enum Caption { kName, kPath, kContexts, kKey, kCancel, kApply, kBit0, kCaptions = kBit0 + kContextBits };
  struct Layout {
    std::array<RECT, kCaptions> label{};  // the captions' places, the buttons' and the check boxes' included
    std::array<RECT, 4> box{};            // txtName, txtPath, txtContexts, txtRegKey
    RECT browse{};
    int minWidth = 0, height = 0;         // client area
  };
  static Layout Arrange(int dpi, int width, const std::array<SIZE, kCaptions>& captions);

  // Controls
  win::CWindow lblName, txtName, lblPath, txtPath, lblContexts, txtContexts, lblKey, txtRegKey;
  win::CLabelButton lblBrowse, lblCancel, lblOK;  // each on its shape, lighter under the pointer
  std::array<win::CWindow, kContextBits> chkContext;  // bit 1 << index of the Contexts value
  // The tool tip text of a control ("" when it has none).
  std::wstring ToolTip(const win::CWindow& control) const;

  // Window events
  void Form_Load();
  void Form_Unload();
  void lblOK_Click();
  void lblCancel_Click();
  void lblBrowse_Click();
  void txtContexts_Change();
  void txtContexts_Click();
  void txtContexts_MouseDown();
  void txtContexts_GotFocus();
  void chkContext_Click(int bit);

 private:
  static LRESULT CALLBACK ContextsProc(HWND h, UINT msg, WPARAM w, LPARAM l, UINT_PTR id, DWORD_PTR self);
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  bool OnCommand(UINT id) override;
  // The text boxes' notifications.
  void OnEditNotice(UINT id, UINT code);
  // Moved to a monitor of another scaling: the font and the layout follow.
  void Form_DpiChanged(UINT dpi, LPARAM suggested);
  // Resized by its side edges only: its one height.
  void Form_MinMaxInfo(MINMAXINFO& limits) const;
  static LRESULT SideEdgesOnly(LRESULT hit);
  bool CreateControls();
  void AddToolTip(const win::CWindow& control, const char* key);
  // Places the controls for the client width (0: the narrowest the captions allow).
  void Relayout(int width);
  void ShowContextNote();

  // What Apply came to: refused (the dialog stays open for a correction), closed with
  // nothing written, or written.
  enum class Applied { Refused, Closed, Written };
  Applied Apply(const modMain::InstalledExtension& extension, const modMain::PropertyChanges& changes);
  // The boxes' edits of the entry's properties.
  modMain::PropertyChanges Edits() const;
  bool Confirmed() const;
  void Warn(const std::wstring& text) const;

  void Closing() override { Form_Unload(); }
  void Forget() override;

  modMain::InstalledExtension extension_;
  std::function<void(bool renamed)> applied_;
  HWND tips_ = nullptr;
  win::CFont font_;
  win::CFocusMemory focus_;
  SIZE minSize_{};  // the client area's narrowest width and its one height
};
