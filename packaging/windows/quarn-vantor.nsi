; The Windows installer of Quarn Vantor (scripts/package-windows.sh passes the defines):
;   DIST     the folder to install (build-windows/dist)
;   FILES    an include listing its files: the macros InstallFiles and RemoveFiles
;   ICON     quarn-vantor.ico
;   VERSION  "1.0-beta", OUTFILE, SIZE_KB
; Installs for all users into Program Files when elevated, else for the current user into
; %LOCALAPPDATA%\Programs. Silent with /S. The uninstaller removes what was installed and leaves
; the user's setting (the key "Software\Quarn Vantor") and extracted files alone.
Unicode true
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel highest
SetCompressor /SOLID lzma

!include MUI2.nsh
!include LogicLib.nsh

!define APP "Quarn Vantor"
!define EXE "quarn-vantor.exe"
!define PUBLISHER "The Quarn Vantor developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\QuarnVantor"
!define VERB_KEY "Software\Classes\SystemFileAssociations\.csc\shell\QuarnVantor"
!define APP_KEY "Software\Classes\Applications\${EXE}"

Name "${APP}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${APP}"
BrandingText "${APP} ${VERSION}"
VIProductVersion "1.0.0.0"
VIAddVersionKey /LANG=1033 ProductName "${APP}"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=1033 FileDescription "${APP} ${VERSION} Setup"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright (c) 2026 ${PUBLISHER} (MIT License)"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\${EXE}"
!define MUI_FINISHPAGE_RUN_TEXT "Start ${APP}"
!insertmacro MUI_PAGE_LICENSE "${DIST}/LICENSE.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

!include "${FILES}"

Var AllUsers

!macro ChooseScope
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $AllUsers 1
    SetShellVarContext all
  ${Else}
    StrCpy $AllUsers 0
    SetShellVarContext current
  ${EndIf}
!macroend

Function .onInit
  !insertmacro ChooseScope
  ${If} $AllUsers == 0
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${APP}"
  ${EndIf}
  ; A second install goes where the first one is.
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    StrCpy $INSTDIR $0
  ${EndIf}
FunctionEnd

Section "Install"
  SetOutPath "$INSTDIR"
  !insertmacro InstallFiles
  WriteUninstaller "$INSTDIR\uninstall.exe"

  ; Started from here, the program finds its working folder unwritable and uses Documents.
  CreateShortCut "$SMPROGRAMS\${APP}.lnk" "$INSTDIR\${EXE}" "" "$INSTDIR\${EXE}" 0 SW_SHOWNORMAL "" \
    "Browse, play and extract the sounds of Quarnhold"

  ; "Open with Quarn Vantor" on *.csc files, and the program in their "Open with" list.
  WriteRegStr SHCTX "${VERB_KEY}" "" "Open with ${APP}"
  WriteRegStr SHCTX "${VERB_KEY}" "Icon" '"$INSTDIR\${EXE}",0'
  WriteRegStr SHCTX "${VERB_KEY}\command" "" '"$INSTDIR\${EXE}" "%1"'
  WriteRegStr SHCTX "${APP_KEY}" "FriendlyAppName" "${APP}"
  WriteRegStr SHCTX "${APP_KEY}\SupportedTypes" ".csc" ""
  WriteRegStr SHCTX "${APP_KEY}\shell\open\command" "" '"$INSTDIR\${EXE}" "%1"'

  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${EXE}",0'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" ${SIZE_KB}
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'  ; SHCNE_ASSOCCHANGED
SectionEnd

Function un.onInit
  ; The scope it was installed in: all users when the machine's entry names this folder.
  SetShellVarContext all
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != $INSTDIR
    SetShellVarContext current
  ${EndIf}
FunctionEnd

Section "Uninstall"
  !insertmacro RemoveFiles
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${APP}.lnk"
  DeleteRegKey SHCTX "${VERB_KEY}"
  DeleteRegKey /ifempty SHCTX "Software\Classes\SystemFileAssociations\.csc\shell"
  DeleteRegKey /ifempty SHCTX "Software\Classes\SystemFileAssociations\.csc"
  DeleteRegKey SHCTX "${APP_KEY}"
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
  System::Call 'shell32::SHChangeNotify(i 0x08000000, i 0, p 0, p 0)'
SectionEnd
