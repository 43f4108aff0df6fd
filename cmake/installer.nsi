; The Windows installer, unbank-VERSION-setup.exe, made by make dist (cmake/release.cmake):
;   makensis -DVERSION= -DPUBLISHER= -DCOPYRIGHT= -DRELEASE_DIR= -DICON= -DOUTFILE= installer.nsi
; It installs the release folder's files for all users into Program Files\UNBANK, adds a Start
; menu shortcut, offers to put the folder cli on the system PATH (checked) and to open .zp4 files
; with UNBANK (not checked), and registers its uninstaller in Apps & features. Installed again,
; it replaces the files in place. For scripted deployment: setup.exe /S installs silently, with
; /NOPATH leaving the PATH alone and /ASSOCIATE making the association; "uninstall.exe" /S
; removes it silently.
Unicode true
RequestExecutionLevel admin
SetCompressor /SOLID lzma

!include FileFunc.nsh
!include LogicLib.nsh
!include MUI2.nsh
!include Sections.nsh
!include StrFunc.nsh
!include WinMessages.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\UNBANK"
!define ENVIRONMENT_KEY "SYSTEM\CurrentControlSet\Control\Session Manager\Environment"
; The association's keys, as the program's own Associate writes them, for all users.
!define CLASSES "Software\Classes"
!define TYPE_KEY "QUMA.ZP-4"
!define SHCNE_ASSOCCHANGED 0x08000000

Name "UNBANK"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\UNBANK"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "UNBANK ${VERSION}"
VIProductVersion "${VERSION}.0"
VIAddVersionKey ProductName "UNBANK"
VIAddVersionKey ProductVersion "${VERSION}"
VIAddVersionKey FileVersion "${VERSION}"
VIAddVersionKey FileDescription "UNBANK ${VERSION} setup"
VIAddVersionKey CompanyName "${PUBLISHER}"
VIAddVersionKey LegalCopyright "${COPYRIGHT}"
VIAddVersionKey OriginalFilename "unbank-${VERSION}-setup.exe"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_COMPONENTSPAGE_NODESC
!insertmacro MUI_PAGE_LICENSE "${RELEASE_DIR}/LICENSE.txt"
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

${StrStr}
${UnStrRep}

Section "UNBANK" SECTION_PROGRAM
  SectionIn RO
  SetShellVarContext all
  SetOutPath "$INSTDIR"
  File "${RELEASE_DIR}/UNBANK.exe"
  File "${RELEASE_DIR}/README.txt"
  File "${RELEASE_DIR}/LICENSE.txt"
  ; The console programs have a folder of their own: Windows does not tell unbank.exe from
  ; UNBANK.exe.
  SetOutPath "$INSTDIR\cli"
  File "${RELEASE_DIR}/cli/unbank.exe"
  File "${RELEASE_DIR}/cli/mkbank.exe"
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\UNBANK.lnk" "$INSTDIR\UNBANK.exe"
  WriteUninstaller "$INSTDIR\uninstall.exe"
SectionEnd

Section "Put the command line (cli) on the system PATH" SECTION_PATH
  Call AddToPath
SectionEnd

Section /o "Open .zp4 files with UNBANK" SECTION_ASSOCIATE
  WriteRegStr HKLM "${CLASSES}\.zp4" "" "${TYPE_KEY}"
  WriteRegStr HKLM "${CLASSES}\${TYPE_KEY}" "" "ZP-4 File"
  WriteRegStr HKLM "${CLASSES}\${TYPE_KEY}\DefaultIcon" "" "$INSTDIR\UNBANK.exe,1"
  WriteRegStr HKLM "${CLASSES}\${TYPE_KEY}\Shell" "" ""
  WriteRegStr HKLM "${CLASSES}\${TYPE_KEY}\Shell\Open\command" "" '"$INSTDIR\UNBANK.exe" "%1"'
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
SectionEnd

; Apps & features, written last so that the size counts every file.
Section "-Register"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "UNBANK"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\UNBANK.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; The options of a silent install.
Function .onInit
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/NOPATH" $1
  ${IfNot} ${Errors}
    !insertmacro UnselectSection ${SECTION_PATH}
  ${EndIf}
  ClearErrors
  ${GetOptions} $0 "/ASSOCIATE" $1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SECTION_ASSOCIATE}
  ${EndIf}
FunctionEnd

; Appends $INSTDIR\cli to the system PATH unless it is there (an install over an older one). A
; PATH longer than this installer's strings (NSIS_MAX_STRLEN) is left alone: it could only be
; written back cut short.
Function AddToPath
  ClearErrors
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ${If} ${Errors}
    DetailPrint "The system PATH is too long to be changed here: add $INSTDIR\cli to it by hand."
    Return
  ${EndIf}
  ${StrStr} $1 ";$0;" ";$INSTDIR\cli;"
  ${If} $1 != ""
    Return
  ${EndIf}
  StrLen $1 "$0;$INSTDIR\cli"
  ${If} $1 >= ${NSIS_MAX_STRLEN}
    DetailPrint "The system PATH is too long to be changed here: add $INSTDIR\cli to it by hand."
    Return
  ${EndIf}
  StrCpy $1 $0 1 -1
  ${If} $0 == ""
  ${OrIf} $1 == ";"
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0$INSTDIR\cli"
  ${Else}
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$0;$INSTDIR\cli"
  ${EndIf}
  SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
FunctionEnd

Function un.RemoveFromPath
  ClearErrors
  ReadRegStr $0 HKLM "${ENVIRONMENT_KEY}" "Path"
  ${If} ${Errors}
    Return
  ${EndIf}
  ${UnStrRep} $1 ";$0;" ";$INSTDIR\cli;" ";"
  StrCpy $1 $1 "" 1 ; the two semicolons put around it
  StrCpy $1 $1 -1
  ${If} $1 != $0
    WriteRegExpandStr HKLM "${ENVIRONMENT_KEY}" "Path" "$1"
    SendMessage ${HWND_BROADCAST} ${WM_SETTINGCHANGE} 0 "STR:Environment" /TIMEOUT=5000
  ${EndIf}
FunctionEnd

; The association goes only while it still opens this program: another program's, made after
; ours, stays. The program's own Associate, run as administrator, writes the same keys.
Function un.RemoveAssociation
  ReadRegStr $0 HKLM "${CLASSES}\${TYPE_KEY}\Shell\Open\command" ""
  ${If} $0 != '"$INSTDIR\UNBANK.exe" "%1"'
    Return
  ${EndIf}
  DeleteRegKey HKLM "${CLASSES}\${TYPE_KEY}"
  ReadRegStr $0 HKLM "${CLASSES}\.zp4" ""
  ${If} $0 == "${TYPE_KEY}"
    DeleteRegKey HKLM "${CLASSES}\.zp4"
  ${EndIf}
  System::Call 'shell32::SHChangeNotify(i ${SHCNE_ASSOCCHANGED}, i 0, p 0, p 0)'
FunctionEnd

Section "Uninstall"
  SetShellVarContext all
  Call un.RemoveFromPath
  Call un.RemoveAssociation
  Delete "$SMPROGRAMS\UNBANK.lnk"
  Delete "$INSTDIR\cli\unbank.exe"
  Delete "$INSTDIR\cli\mkbank.exe"
  RMDir "$INSTDIR\cli"
  Delete "$INSTDIR\UNBANK.exe"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
