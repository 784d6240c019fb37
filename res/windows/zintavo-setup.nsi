; The Windows installer of Zintavo (Debian's makensis builds it):
;   makensis -DVERSION=x.y.z -DBIN=<folder with zintavo.exe> -DOUT=<setup.exe> zintavo-setup.nsi
; Installs for the current user (%LOCALAPPDATA%\Programs\Zintavo), which needs
; no administrator, or, with /AllUsers or the choice on its first page, for
; every user (Program Files): a setup not yet elevated then starts itself
; again as an administrator. /S installs silently. A running copy is asked to close first, which saves
; its list. The uninstaller removes what was installed and nothing else: the
; logs, the journal and the settings stay.
; A 64-bit installer for a 64-bit program (and for Wine without 32-bit support).
Target amd64-unicode
!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define APP "Zintavo"
!define PUBLISHER "Vorrelind"
!define WINDOW_TITLE "Vorrelind - Zintavo"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${APP}"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_INSTDIR "${APP}"
!define MULTIUSER_USE_PROGRAMFILES64
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINSTALL_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh
; Started as the user who runs it: "just for me" asks no administrator.
RequestExecutionLevel user

Name "${APP} ${VERSION}"
OutFile "${OUT}"
SetCompressor /SOLID lzma
BrandingText "${PUBLISHER} ${APP} ${VERSION}"

; What Explorer shows on the setup's Details tab.
VIProductVersion "${VERSION}.0"
VIFileVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=1033 "FileDescription" "${APP} setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductName" "${APP}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "${PUBLISHER}"

!define MUI_ICON "../zintavo.ico"
!define MUI_UNICON "../zintavo.ico"
!define MUI_FINISHPAGE_RUN "$INSTDIR\zintavo.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Run ${APP}"

Page custom InstallModePage InstallModePageLeave
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; For every user from the command line without an administrator's rights:
; an elevated copy does the work (the uninstaller's in the same folder), and
; a silent caller waits for it.
!macro ElevateForAllUsers UN
  ${${UN}GetParameters} $0
  ClearErrors
  ${${UN}GetOptions} $0 "/AllUsers" $1
  ${IfNot} ${Errors}
    UserInfo::GetAccountType
    Pop $1
    ${If} $1 != "Admin"
    ${AndIf} $1 != "Power"
      !if "${UN}" == "un."
        StrCpy $0 "$0 _?=$INSTDIR"
      !endif
      ExecShellWait "runas" "$EXEPATH" "$0"
      Quit
    ${EndIf}
  ${EndIf}
!macroend

Function .onInit
  SetRegView 64
  !insertmacro ElevateForAllUsers ""
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro ElevateForAllUsers "un."
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

; For every user or just for me, asked of everyone: a choice of every user
; made without an administrator's rights starts the setup again elevated.
Var InstallModePage.AllUsers
Function InstallModePage
  !insertmacro MUI_HEADER_TEXT "Choose Users" "Choose for which users you want to install ${APP}."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateLabel} 0 2u 100% 20u "Install ${APP} for every user of this computer or just for you."
  Pop $0
  ${NSD_CreateRadioButton} 15u 30u -15u 10u "For &every user (asks for an administrator)"
  Pop $InstallModePage.AllUsers
  ${NSD_CreateRadioButton} 15u 46u -15u 10u "Just for &me"
  Pop $0
  ${If} $MultiUser.InstallMode == "AllUsers"
    ${NSD_Check} $InstallModePage.AllUsers
  ${Else}
    ${NSD_Check} $0
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function InstallModePageLeave
  ${NSD_GetState} $InstallModePage.AllUsers $0
  ${If} $0 <> ${BST_CHECKED}
    Call MultiUser.InstallMode.CurrentUser
  ${ElseIf} $MultiUser.Privileges == "Admin"
  ${OrIf} $MultiUser.Privileges == "Power"
    Call MultiUser.InstallMode.AllUsers
  ${Else}
    ; Declined elevation keeps this page up.
    ClearErrors
    ExecShell "runas" "$EXEPATH" "/AllUsers"
    ${IfNot} ${Errors}
      Quit
    ${EndIf}
    Abort
  ${EndIf}
FunctionEnd

; Asks a running copy to close (it saves its list first) and waits for it.
!macro CloseRunningCopy
  StrCpy $1 0
  ${Do}
    FindWindow $0 "#32770" "${WINDOW_TITLE}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
    Sleep 200
    IntOp $1 $1 + 1
  ${LoopUntil} $1 >= 50
!macroend

Section "Install"
  !insertmacro CloseRunningCopy
  SetOutPath "$INSTDIR"
  File "${BIN}\zintavo.exe"
  File "${BIN}\zintavo-log.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\zintavo.exe"
  ; The program reads InstallLocation to know it is installed: its logs then
  ; go to the per-user data folder instead of the program's own.
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\zintavo.exe"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /$MultiUser.InstallMode /S'
  ; The size Apps & features shows, in KiB.
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" "$0"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  !insertmacro CloseRunningCopy
  Delete "$SMPROGRAMS\${APP}.lnk"
  Delete "$INSTDIR\zintavo.exe"
  Delete "$INSTDIR\zintavo-log.exe"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: whatever else is there is the user's.
  RMDir "$INSTDIR"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
