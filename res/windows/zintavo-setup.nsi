; The Windows installer of Zintavo (Debian's makensis builds it):
;   makensis -DVERSION=x.y.z -DBIN=<folder with zintavo.exe> -DOUT=<setup.exe> zintavo-setup.nsi
; Installs for the current user (%LOCALAPPDATA%\Programs\Zintavo) or, with
; /AllUsers or the choice on its first page, for every user (Program Files).
; /S installs silently. A running copy is asked to close first, which saves
; its list. The uninstaller removes what was installed and nothing else: the
; logs, the journal and the settings stay.
; A 64-bit installer for a 64-bit program (and for Wine without 32-bit support).
Target amd64-unicode
!include MUI2.nsh
!include LogicLib.nsh

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

Name "${APP} ${VERSION}"
OutFile "${OUT}"
SetCompressor /SOLID lzma
BrandingText "${PUBLISHER} ${APP} ${VERSION}"

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Function .onInit
  SetRegView 64
  !insertmacro MULTIUSER_INIT
FunctionEnd

Function un.onInit
  SetRegView 64
  !insertmacro MULTIUSER_UNINIT
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
