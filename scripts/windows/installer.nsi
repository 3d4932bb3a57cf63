; Per-user installer of Brindle, made by package.sh:
;   makensis -DVERSION=<v> -DSTAGE=<folder with the files> -DFILES=<uninstall list> -DOUTFILE=<exe> installer.nsi
; It installs into %LOCALAPPDATA%\Programs\Brindle, a folder the user may write to, so that
; Brindle keeps its configuration, backups and run log beside the program. No administrator
; rights are needed. The uninstaller removes only the files it installed: what Brindle wrote
; there (configuration, backups of address.dat) stays.
; 64-bit like the programs (and Wine here runs no 32-bit code).
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user

!define APP "Brindle"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Brindle"

Name "${APP} ${VERSION}"
OutFile "${OUTFILE}"
Icon "${STAGE}\..\brindle.ico"
UninstallIcon "${STAGE}\..\brindle.ico"
InstallDir "$LOCALAPPDATA\Programs\${APP}"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
VIProductVersion "${FILE_VERSION}"
VIAddVersionKey "ProductName" "${APP}"
VIAddVersionKey "FileDescription" "${APP} ${VERSION} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "See licenses\ in the program folder"

Page directory
Page instfiles
UninstPage uninstConfirm
UninstPage instfiles

Section "Brindle"
  SetShellVarContext current
  SetOutPath "$INSTDIR"
  File /r "${STAGE}\*.*"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateDirectory "$SMPROGRAMS\${APP}"
  CreateShortcut "$SMPROGRAMS\${APP}\${APP}.lnk" "$INSTDIR\brindle.exe" "" "$INSTDIR\brindle.exe" 0
  CreateShortcut "$SMPROGRAMS\${APP}\${APP} backups.lnk" "$INSTDIR\brindle-backups.exe" "" \
    "$INSTDIR\brindle-backups.exe" 0
  CreateShortcut "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk" "$INSTDIR\uninstall.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${APP}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\brindle.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Section "Uninstall"
  SetShellVarContext current
  !include "${FILES}"
  Delete "$SMPROGRAMS\${APP}\${APP}.lnk"
  Delete "$SMPROGRAMS\${APP}\${APP} backups.lnk"
  Delete "$SMPROGRAMS\${APP}\Uninstall ${APP}.lnk"
  RMDir "$SMPROGRAMS\${APP}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  ; The uninstaller goes last: until it is gone the uninstall can be run again, and whoever
  ; waits for it to finish can watch for it.
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"  ; only when empty: the user's files stay
SectionEnd
