; The Morvex installer for 64-bit Windows. scripts/package-windows builds it:
;   makensis -DVERSION=x.y.z -DSTAGE=folder -DOUTFILE=setup.exe installer.nsi
; Installs the window and the command-line converter, a Start-menu entry, and
; Morvex in the "Open with" list of .gdb files, never as their default
; program: the mapping program keeps its files.
Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!define PRODUCT "Morvex"
!define PROGID "Morvex.gdb"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Morvex"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Install"
  SetShellVarContext all
  SetRegView 64
  SetOutPath "$INSTDIR"
  File "${STAGE}\morvex.exe"
  File "${STAGE}\morvex-convert.exe"
  File "${STAGE}\README.md"
  File "${STAGE}\LICENSE.txt"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\morvex.exe"

  ; "Open with": a ProgID of our own, listed under the extension's
  ; OpenWithProgids; the extension's default value is left alone.
  WriteRegStr HKLM "Software\Classes\${PROGID}" "" "GDB file"
  WriteRegStr HKLM "Software\Classes\${PROGID}\DefaultIcon" "" "$INSTDIR\morvex.exe,0"
  WriteRegStr HKLM "Software\Classes\${PROGID}\shell\open\command" "" '"$INSTDIR\morvex.exe" "%1"'
  WriteRegStr HKLM "Software\Classes\.gdb\OpenWithProgids" "${PROGID}" ""
  WriteRegStr HKLM "Software\Classes\Applications\morvex.exe\SupportedTypes" ".gdb" ""
  WriteRegStr HKLM "Software\Classes\Applications\morvex.exe" "FriendlyAppName" "${PRODUCT}"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "The Morvex developers"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\morvex.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext all
  SetRegView 64
  Delete "$INSTDIR\morvex.exe"
  Delete "$INSTDIR\morvex-convert.exe"
  Delete "$INSTDIR\README.md"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"

  DeleteRegValue HKLM "Software\Classes\.gdb\OpenWithProgids" "${PROGID}"
  ; The extension's keys go only when nothing at all is left in them: its
  ; default value is the mapping program's.
  DeleteRegKey /ifnosubkeys /ifnovalues HKLM "Software\Classes\.gdb\OpenWithProgids"
  DeleteRegKey /ifnosubkeys /ifnovalues HKLM "Software\Classes\.gdb"
  DeleteRegKey HKLM "Software\Classes\${PROGID}"
  DeleteRegKey HKLM "Software\Classes\Applications\morvex.exe"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
