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

  // Window events
  void Form_Load();
  void Command1_Click();
  void Label16_Click();
  void Label6_Click();

 private:
  LRESULT OnMessage(UINT msg, WPARAM w, LPARAM l) override;
  bool OnCommand(UINT id) override;
  bool CreateControls();
  void OpenMakerHome();
  void Paint();
  // The colours of a static or the read-only text box: the box's own, or the window's.
  HBRUSH ControlColors(HDC dc, HWND control) const;
  // Moved to a monitor of another scaling: fonts, places and the logo follow.
  void Form_DpiChanged(UINT dpi, LPARAM suggested);
  void ShowLogo();
  void Forget() override;

  HBRUSH backBrush_ = nullptr;
  win::CFont font_, titleFont_{FW_BOLD, false, 150};
  HBITMAP logo_ = nullptr;
  win::CFocusMemory focus_;
};
