; The setup program: installs Huemix and its screen saver for the current user (no
; administrator needed) or for all users, offers the screen saver, and registers an
; uninstaller that removes everything it made. scripts/package.sh compiles it:
;
;   makensis -DVERSION=1.0.0 -DFILES=<folder> -DICON=<file.ico> -DOUTFILE=<setup.exe> huemix.nsi
;
; FILES holds huemix.exe, huemix.scr and README.txt. The compiler copies their file
; times into the setup program, so package.sh gives them one fixed time first.
;
; Command line: /S silent, /D=FOLDER the installation folder (last, unquoted),
; /ALLUSERS for all users, /CURRENTUSER for the current user only (the default).

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
; asInvoker: the default, per-user installation asks for no administrator. The
; all-users choice starts the setup program again, elevated.
RequestExecutionLevel user
ManifestSupportedOS all
ManifestDPIAware true

!define PRODUCT "Huemix"
!define PUBLISHER "Korvane"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Huemix"
!define SAVER_KEY "Software\Korvane\Huemix\Screen Saver"
!define DESKTOP_KEY "Control Panel\Desktop"
; SystemParametersInfo: SPI_SETSCREENSAVEACTIVE, written to the user's profile and
; announced to every window (SPIF_UPDATEINIFILE | SPIF_SENDCHANGE).
!define SPI_SETSCREENSAVEACTIVE 17
!define SPIF_SAVE_AND_TELL 3

Name "${PRODUCT}"
OutFile "${OUTFILE}"
Icon "${ICON}"
UninstallIcon "${ICON}"
BrandingText "${PRODUCT} ${VERSION}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
ShowInstDetails nevershow
ShowUninstDetails nevershow

VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "InternalName" "huemix-${VERSION}-setup"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) 2026 ${PUBLISHER}"
VIAddVersionKey /LANG=1033 "OriginalFilename" "huemix-${VERSION}-setup.exe"
VIAddVersionKey /LANG=1033 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_COMPONENTSPAGE_NODESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\huemix.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Huemix"

Var AllUsers        ; 1: for every user of the computer
Var DefaultDir      ; 1: no /D= was given, the folder follows the choice
Var RadioMe
Var RadioAll

Page custom ModePage ModePageLeave
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; ---- a running Huemix ------------------------------------------------------------

; A running huemix.exe or huemix.scr cannot be opened for writing: it is reported, and
; nothing is changed until it has ended (silent: the run ends with exit code 2).
!macro RUNNING_CHECK PREFIX
; 1 on the stack when the file on the stack exists and is in use.
Function ${PREFIX}InUse
  Exch $0
  Push $1
  StrCpy $1 0
  ${If} ${FileExists} "$0"
    ClearErrors
    FileOpen $0 "$0" a
    ${If} ${Errors}
      StrCpy $1 1
    ${Else}
      FileClose $0
    ${EndIf}
  ${EndIf}
  StrCpy $0 $1
  Pop $1
  Exch $0
FunctionEnd

Function ${PREFIX}RefuseWhileRunning
  retry:
  Push "$INSTDIR\huemix.exe"
  Call ${PREFIX}InUse
  Pop $0
  Push "$INSTDIR\huemix.scr"
  Call ${PREFIX}InUse
  Pop $1
  ${If} $0 == 1
  ${OrIf} $1 == 1
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "${PRODUCT} or its screen saver is running. Close it, then choose Retry." /SD IDCANCEL IDRETRY retry
    Abort "${PRODUCT} is running; nothing was changed."
  ${EndIf}
FunctionEnd
!macroend
!insertmacro RUNNING_CHECK ""
!insertmacro RUNNING_CHECK "un."

; ---- who the installation is for ------------------------------------------------

; The folder and the registry root of the choice; an earlier installation of the
; same kind is upgraded where it lies.
Function ApplyMode
  ${If} $AllUsers == 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ${If} $DefaultDir == 1
    ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
    ${If} $0 != ""
      StrCpy $INSTDIR $0
    ${ElseIf} $AllUsers == 1
      StrCpy $INSTDIR "$PROGRAMFILES64\${PRODUCT}"
    ${Else}
      StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
    ${EndIf}
  ${EndIf}
FunctionEnd

; Starts this setup program again, elevated, for all users and waits for it. True
; (no error flag) when it ran and registered the installation.
Function RunElevated
  ${GetParameters} $0
  ClearErrors
  ExecShellWait "runas" "$EXEPATH" "/ALLUSERS $0"
  IfErrors done
  SetRegView 64
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $0 != "${VERSION}"
    SetErrors
  ${EndIf}
  done:
FunctionEnd

Function .onInit
  SetRegView 64
  StrCpy $DefaultDir 0
  ${If} $INSTDIR == "$LOCALAPPDATA\Programs\${PRODUCT}"
    StrCpy $DefaultDir 1
  ${EndIf}
  ${GetParameters} $R0
  StrCpy $AllUsers 0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
  ${EndIf}
  ; A silent installation for all users without the rights elevates at once.
  ${If} $AllUsers == 1
  ${AndIf} ${Silent}
    Call IsAdmin
    Pop $0
    ${If} $0 != 1
      Call RunElevated
      ${If} ${Errors}
        SetErrorLevel 2
      ${EndIf}
      Quit
    ${EndIf}
  ${EndIf}
  Call ApplyMode
FunctionEnd

; 1 on the stack when this process has an administrator's rights.
Function IsAdmin
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    Push 1
  ${Else}
    Push 0
  ${EndIf}
FunctionEnd

; The first page: for me, or for everyone. Skipped when the command line chose.
Function ModePage
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/ALLUSERS" $R1
  ${IfNot} ${Errors}
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Choose Users" "Choose for whom to install ${PRODUCT} ${VERSION}."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 0 100% 24u "Install ${PRODUCT} and its screen saver:"
  Pop $0
  ${NSD_CreateRadioButton} 10u 30u 280u 12u "Just for me (recommended; no administrator needed)"
  Pop $RadioMe
  ${NSD_CreateRadioButton} 10u 46u 280u 12u "For all users of this computer (asks for an administrator)"
  Pop $RadioAll
  ${If} $AllUsers == 1
    ${NSD_Check} $RadioAll
  ${Else}
    ${NSD_Check} $RadioMe
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ModePageLeave
  ${NSD_GetState} $RadioAll $0
  ${If} $0 == ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  ${If} $AllUsers == 1
    Call IsAdmin
    Pop $0
    ${If} $0 != 1
      HideWindow
      Call RunElevated
      ${If} ${Errors}
        BringToFront
        MessageBox MB_OK|MB_ICONEXCLAMATION "${PRODUCT} was not installed for all users: that needs an administrator."
        Abort
      ${EndIf}
      Quit
    ${EndIf}
  ${EndIf}
  Call ApplyMode
FunctionEnd

; ---- what is installed ------------------------------------------------------------

Section "${PRODUCT} and its screen saver" SecProgram
  SectionIn RO
  Call RefuseWhileRunning
  ; The folder that holds ours is removed with it only when the installer made it.
  ${GetParent} "$INSTDIR" $1
  StrCpy $2 0
  ${IfNot} ${FileExists} "$1\*.*"
    StrCpy $2 1
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${FILES}\huemix.exe"
  File "${FILES}\huemix.scr"
  File "${FILES}\README.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\huemix.exe" "" "$INSTDIR\huemix.exe" 0

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\huemix.exe,0"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  ${If} $2 == 1
    WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "MadeParentFolder" 1
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section /o "A shortcut on the desktop" SecDesktop
  CreateShortcut "$DESKTOP\${PRODUCT}.lnk" "$INSTDIR\huemix.exe" "" "$INSTDIR\huemix.exe" 0
SectionEnd

; As the system's Screen Saver Settings choose a saver: the path in SCRNSAVE.EXE and
; screen saving on; the wait stays as the user set it.
Section "Use ${PRODUCT} as my screen saver" SecSaver
  WriteRegStr HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE" "$INSTDIR\huemix.scr"
  System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_SAVE_AND_TELL})"
SectionEnd

; ---- the uninstaller --------------------------------------------------------------

Function un.onInit
  SetRegView 64
  ; Installed for all users when the machine-wide entry names this folder.
  StrCpy $AllUsers 0
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
    UserInfo::GetAccountType
    Pop $0
    ${If} $0 != "Admin"
      ${GetParameters} $0
      ClearErrors
      ExecShellWait "runas" "$EXEPATH" "$0 _?=$INSTDIR"
      ${If} ${Errors}
        SetErrorLevel 2
      ${EndIf}
      Quit
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.RefuseWhileRunning
  ; Huemix as the current screen saver: that choice is turned off.
  ReadRegStr $0 HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
  ${If} $0 == "$INSTDIR\huemix.scr"
    DeleteRegValue HKCU "${DESKTOP_KEY}" "SCRNSAVE.EXE"
    System::Call "user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_SAVE_AND_TELL})"
  ${EndIf}
  ; The saver's settings stay unless the user says otherwise (silent: they stay).
  MessageBox MB_YESNO|MB_ICONQUESTION "Remove the screen saver's settings too?" /SD IDNO IDNO keepSettings
    DeleteRegKey HKCU "${SAVER_KEY}"
    DeleteRegKey /ifempty HKCU "Software\Korvane\Huemix"
    DeleteRegKey /ifempty HKCU "Software\Korvane"
  keepSettings:

  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  Delete "$DESKTOP\${PRODUCT}.lnk"
  Delete "$INSTDIR\huemix.exe"
  Delete "$INSTDIR\huemix.scr"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  ReadRegDWORD $0 SHCTX "${UNINSTALL_KEY}" "MadeParentFolder"
  ${If} $0 == 1
    ${GetParent} "$INSTDIR" $1
    RMDir "$1"
  ${EndIf}
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  ; A fresh profile has no list of uninstallers until the first installation.
  DeleteRegKey /ifempty SHCTX "Software\Microsoft\Windows\CurrentVersion\Uninstall"
SectionEnd
