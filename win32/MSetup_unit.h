#pragma once
// The settings dialog MSetup: the logo, an invitation and the web address;
// every click on them opens the address through the shell.
#include <windows.h>

#include <string>

namespace MSetup_unit {

struct TMSetup {
  HWND Handle = nullptr;
  HWND LogoImage = nullptr;
  HWND Label1 = nullptr;
  HWND Label2 = nullptr;
  HFONT Font = nullptr;
  HFONT Label1Font = nullptr;
  HFONT Label2Font = nullptr;
  HBITMAP Logo = nullptr;

  void CreateControls();
  void FormCreate();
  void LogoImageClick();
  void Label1Click();
  void Label2Click();
  void OpenSite();
};

inline TMSetup MSetup;

// Creates MSetup, hidden, centred on the screen; destroying it posts WM_QUIT.
HWND CreateMSetup();

// A static label's caption, and setting it so that the label fits its text.
std::string Caption(HWND label);
void SetCaption(HWND label, const std::string& caption);

}  // namespace MSetup_unit
