// The About box: the program's name, version and maker, the disclaimer and the maker's
// home page. Modal, owned by the main window; loaded when shown, unloaded when closed.
#pragma once
#include <windows.h>

#include "win/Window.h"

class frmAbout : public win::CModalWindow {
 public:
  frmAbout() = default;
  ~frmAbout();
  frmAbout(const frmAbout&) = delete;
  frmAbout& operator=(const frmAbout&) = delete;

  // The About box that is loaded now, if any.
  static frmAbout* Current();

  // Creates the hidden box owned by owner and runs Form_Load. False when the window
  // could not be created.
  bool Load(HWND owner);
  // Shows the loaded box modally: the owner is disabled until the box closes.
  void ShowModal() { RunModal(Command1); }

  static constexpr COLORREF kBackColor = 0xE0E0E0;
  static constexpr COLORREF kLinkColor = 0xFF0000;  // blue

  // Controls, top to bottom.
  win::CWindow Image1, lblTitle;
  win::CWindow Label2, Label8, Label13;  // Version : <version>
  win::CWindow Label3, Label10, Label15;  // Author : <company name>
  win::CWindow Label4, Label11, Label16;  // Homepage : <address>
  win::CWindow txtMain, Label6, Command1;
  RECT Shape1{};  // the frame around the logo and the title

  // The link label under the pointer (drawn underlined), or nullptr.
  const win::CWindow* HotLink() const { return hot_; }

  // Window events
  void Form_Load();
  void Form_MouseMove();
  void Command1_Click();
  void Label16_Click();
  void Label16_MouseMove();
  void Label6_Click();
  void Label6_MouseMove();

 private:
  static LRESULT CALLBACK WindowProc(HWND h, UINT msg, WPARAM w, LPARAM l);
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l);
  bool CreateControls();
  void SetHotLink(const win::CWindow* link);
  void OpenMakerHome();
  void Paint();
  // Moved to a monitor of another scaling: fonts, places and the logo follow.
  void Form_DpiChanged(UINT dpi, LPARAM suggested);
  void ShowLogo();
  void Forget() override;

  HBRUSH backBrush_ = nullptr;
  win::CFont font_, titleFont_{FW_BOLD, false, 150}, hotFont_{FW_NORMAL, true};
  HBITMAP logo_ = nullptr;
  const win::CWindow* hot_ = nullptr;
  win::CFocusMemory focus_;
};
