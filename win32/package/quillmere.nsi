; The setup program: puts quillmere.scr into the system folder, makes it the
; chosen screensaver and registers an uninstaller. Built by the cross build's
; target `setup`, which passes VERSION, SCR (the .scr to ship), ICON, LICENSE
; (the licence text, CRLF) and OUTFILE.
Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
; No build-machine dates in the setup program: installed files are dated
; when they are installed.
SetDateSave off
RequestExecutionLevel admin

!include MUI2.nsh
!include LogicLib.nsh
!include x64.nsh

!define PRODUCT "Quillmere Screensaver"
!define DESKTOP_KEY "Control Panel\Desktop"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuillmereScreensaver"
; SystemParametersInfo(SPI_SETSCREENSAVEACTIVE, TRUE, 0,
;                      SPIF_UPDATEINIFILE | SPIF_SENDCHANGE)
!define SET_SAVER_ACTIVE 'user32::SystemParametersInfoW(i 17, i 1, p 0, i 3)'

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PRODUCT}"
BrandingText "Quillmere ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "${PRODUCT}"
VIAddVersionKey CompanyName "Quillmere"
VIAddVersionKey FileDescription "${PRODUCT} ${VERSION} Setup"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey LegalCopyright "Copyright (c) 2026 the Quillmere authors"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!insertmacro MUI_PAGE_WELCOME
; Nothing to agree to: the licence grants, it asks nothing in return.
!define MUI_PAGE_HEADER_TEXT "Licence"
!define MUI_PAGE_HEADER_SUBTEXT "The terms on which Quillmere Screensaver is yours to use and pass on."
!define MUI_LICENSEPAGE_TEXT_TOP "Quillmere is free software under the MIT licence."
!define MUI_LICENSEPAGE_TEXT_BOTTOM \
  "Anyone may use, copy, change and pass it on, as long as this notice goes with it."
!define MUI_LICENSEPAGE_BUTTON $(^NextBtn)
!insertmacro MUI_PAGE_LICENSE "${LICENSE}"
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "Open the Screen Saver settings"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenSaverSettings
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE English

Var SaverDir

; The system folder as Windows itself names it. A 32-bit program's $SYSDIR
; is redirected to SysWOW64 on 64-bit Windows, but SCRNSAVE.EXE is read by
; 64-bit Windows, so there it must name SysWOW64 outright.
!macro FindSaverDir
  ${If} ${RunningX64}
    StrCpy $SaverDir "$WINDIR\SysWOW64"
  ${Else}
    StrCpy $SaverDir $SYSDIR
  ${EndIf}
!macroend

Function OpenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

; A running saver (the Screen Saver settings run the installed file as their
; preview) keeps its file from being overwritten or deleted, but not from
; being renamed: it is moved aside, where the settings no longer list it, to
; be deleted at the next restart, which need not be soon.
!macro MoveSaverAside
  Delete "$SaverDir\quillmere.scr.old"
  Rename "$SaverDir\quillmere.scr" "$SaverDir\quillmere.scr.old"
  Delete /REBOOTOK "$SaverDir\quillmere.scr.old"
  SetRebootFlag false
!macroend

; Puts our quillmere.scr in place of any installed one.
Function ReplaceSaver
  SetOverwrite try
  ClearErrors
  File "${SCR}"
  ${If} ${Errors}
    !insertmacro MoveSaverAside
    ClearErrors
    File "${SCR}"
    ${If} ${Errors}
      SetErrorLevel 2
      Abort "$SaverDir\quillmere.scr is in use and cannot be replaced."
    ${EndIf}
  ${EndIf}
  SetOverwrite on
FunctionEnd

Section
  !insertmacro FindSaverDir
  SetOutPath $SaverDir
  Call ReplaceSaver

  ; The Screen Saver settings store the short 8.3 path.
  GetFullPathName /SHORT $0 "$SaverDir\quillmere.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" $0
  WriteRegStr HKCU "${DESKTOP_KEY}" "ScreenSaveActive" "1"
  System::Call '${SET_SAVER_ACTIVE}'

  SetOutPath $INSTDIR
  File /oname=license.txt "${LICENSE}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quillmere"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$SaverDir\quillmere.scr"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "URLInfoAbout" "http://www.quillmere.example/"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section Uninstall
  !insertmacro FindSaverDir
  ; A saver chosen since ours stays chosen. ScreenSaveActive stays as it is:
  ; Windows locks an idle PC only while it is on, whichever saver is chosen.
  ReadRegStr $1 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $1 != ""
    GetFullPathName /SHORT $1 $1
    GetFullPathName /SHORT $2 "$SaverDir\quillmere.scr"
    ${If} $1 != ""
    ${AndIf} $1 == $2
      DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    ${EndIf}
  ${EndIf}

  ; The file a reinstall moved aside, if still there, then ours.
  Delete /REBOOTOK "$SaverDir\quillmere.scr.old"
  Delete "$SaverDir\quillmere.scr"
  ${If} ${FileExists} "$SaverDir\quillmere.scr"
    !insertmacro MoveSaverAside
    Delete /REBOOTOK "$SaverDir\quillmere.scr"
  ${EndIf}
  SetRebootFlag false
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
  Delete "$INSTDIR\license.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
SectionEnd
