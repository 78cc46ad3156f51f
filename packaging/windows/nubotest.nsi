; The Windows installer: the program and its data files together in one folder
; under Program Files (the program finds them beside itself), a Start-menu
; entry, and an uninstaller registered with Add/Remove Programs. /S installs
; and uninstalls without a window, for service scripts.
;
; Built by `cmake --build --preset mingw-i686 --target installer`, which
; passes VERSION, STAGE (the folder holding the files), ICON and OUTFILE.
Unicode true
SetCompressor /SOLID lzma
!include "MUI2.nsh"
!include "FileFunc.nsh"

!define UNINSTKEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\nubotest"
!define TITLE "NUBO Modem Installation Test"

Name "${TITLE}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\nubotest"
InstallDirRegKey HKLM "${UNINSTKEY}" "InstallLocation"
RequestExecutionLevel admin
BrandingText "${TITLE} ${VERSION}"
ManifestSupportedOS all

; The program's own version resource names no copyright either.
!pragma warning disable 9100
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=0 "ProductName" "${TITLE}"
VIAddVersionKey /LANG=0 "CompanyName" "NUBO"
VIAddVersionKey /LANG=0 "FileDescription" "${TITLE} setup"
VIAddVersionKey /LANG=0 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=0 "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\nubotest.exe"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
; The program's own languages; the user's UI language is chosen, else English.
!insertmacro MUI_LANGUAGE "English"
!insertmacro MUI_LANGUAGE "Czech"
!insertmacro MUI_LANGUAGE "Danish"
!insertmacro MUI_LANGUAGE "German"
!insertmacro MUI_LANGUAGE "Spanish"
!insertmacro MUI_LANGUAGE "Finnish"
!insertmacro MUI_LANGUAGE "French"
!insertmacro MUI_LANGUAGE "Italian"
!insertmacro MUI_LANGUAGE "Norwegian"
!insertmacro MUI_LANGUAGE "Dutch"
!insertmacro MUI_LANGUAGE "Polish"
!insertmacro MUI_LANGUAGE "Portuguese"
!insertmacro MUI_LANGUAGE "Russian"
!insertmacro MUI_LANGUAGE "Turkish"

Section
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${STAGE}/nubotest.exe"
  File "${STAGE}/nubotest.HLP"
  ; A site edits the modem description and the dial data: an upgrade keeps them.
  SetOverwrite off
  File "${STAGE}/nubotest.ini"
  File "${STAGE}/nubotest.dat"
  SetOverwrite on
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${TITLE}.lnk" "$INSTDIR\nubotest.exe"

  WriteRegStr HKLM "${UNINSTKEY}" "DisplayName" "${TITLE}"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTKEY}" "Publisher" "NUBO"
  WriteRegStr HKLM "${UNINSTKEY}" "DisplayIcon" "$INSTDIR\nubotest.exe,0"
  WriteRegStr HKLM "${UNINSTKEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTKEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTKEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTKEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTKEY}" "EstimatedSize" $0
SectionEnd

; Only what the installer put there, and the default log the program writes
; beside itself when it may: the folder goes only when that leaves it empty.
Section "Uninstall"
  SetShellVarContext all
  Delete "$SMPROGRAMS\${TITLE}.lnk"
  Delete "$INSTDIR\nubotest.exe"
  Delete "$INSTDIR\nubotest.HLP"
  Delete "$INSTDIR\nubotest.ini"
  Delete "$INSTDIR\nubotest.dat"
  Delete "$INSTDIR\nubotest.log"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTKEY}"
SectionEnd
