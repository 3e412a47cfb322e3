; The Windows installer Pellmar-setup.exe (makensis, run by tools/package-windows.sh with
; -DVERSION=, -DBINDIR= the folder of the built programs, -DOUTFILE=). It puts the programs into
; Program Files\Pellmar, adds a Start menu entry, an entry under Add/Remove Programs and, when
; ticked (the default, also for /S), the machine-wide autostart value "PellmarTray" that the tray
; program's own checkbox reads and writes. The uninstaller first ends a running Pellmar through
; qmRemove, then removes what the installer made; each user's data folder and backups stay.

Unicode true
; A 64-bit installer: it sees the 64-bit Program Files and registry, as Pellmar.exe does.
Target amd64-unicode
SetCompressor /SOLID lzma

!include "LogicLib.nsh"
!include "FileFunc.nsh"
!include "MUI2.nsh"

!define PRODUCT "Pellmar"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Pellmar"

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\${PRODUCT}"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
RequestExecutionLevel admin
ManifestDPIAware true

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "Quenmarsh"
VIAddVersionKey "FileDescription" "${PRODUCT} setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "LegalCopyright" "Quenmarsh"

!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; A running Pellmar (or pellmard) holds its programs open; it is asked to end as its "Exit" does.
!macro EndRunningPellmar
  ${If} ${FileExists} "$INSTDIR\qmRemove.exe"
    ExecWait '"$INSTDIR\qmRemove.exe" /T: Pellmar'
  ${EndIf}
!macroend

Function .onInit
  SetShellVarContext all
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 != "admin"
    MessageBox MB_ICONSTOP|MB_OK "Installing ${PRODUCT} needs administrator rights." /SD IDOK
    SetErrorLevel 740
    Quit
  ${EndIf}
FunctionEnd

Section "${PRODUCT}" SecProgram
  SectionIn RO
  !insertmacro EndRunningPellmar
  SetOutPath "$INSTDIR"
  File "${BINDIR}/Pellmar.exe"
  File "${BINDIR}/pellmard.exe"
  File "${BINDIR}/pellmarctl.exe"
  File "${BINDIR}/qmUpdate.exe"
  File "${BINDIR}/qmRemove.exe"
  File "${BINDIR}/sqlite3.dll"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\${PRODUCT}.lnk" "$INSTDIR\Pellmar.exe"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Quenmarsh"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Pellmar.exe"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
  ; Left unticked on a reinstall, an earlier entry goes; the next section writes it when ticked.
  DeleteRegValue HKLM "${RUN_KEY}" "PellmarTray"
SectionEnd

Section "Automatically start Pellmar when Windows is Started" SecAutostart
  ; The very text the tray program writes, so its checkbox shows the entry as its own.
  WriteRegStr HKLM "${RUN_KEY}" "PellmarTray" '"$INSTDIR\Pellmar.exe"'
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "The tray program, the headless host pellmard, the command line pellmarctl, the updater and the uninstall helper."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "Starts Pellmar for every user at logon (the configuration window's checkbox changes it later)."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function un.onInit
  SetShellVarContext all
FunctionEnd

Section "Uninstall"
  ; Before any file goes: a program still running would keep its files, and its session would
  ; not store what it holds.
  !insertmacro EndRunningPellmar
  Delete /REBOOTOK "$INSTDIR\Pellmar.exe"
  Delete /REBOOTOK "$INSTDIR\pellmard.exe"
  Delete /REBOOTOK "$INSTDIR\pellmarctl.exe"
  Delete /REBOOTOK "$INSTDIR\qmUpdate.exe"
  Delete /REBOOTOK "$INSTDIR\qmRemove.exe"
  Delete /REBOOTOK "$INSTDIR\sqlite3.dll"
  ; The updater's downloads: program files that an update could not put in place.
  RMDir /r "$INSTDIR\Tmp"
  Delete "$INSTDIR\VersionInfo.ini"
  Delete "$INSTDIR\Uninstall.exe"
  ; Only an emptied folder goes: nothing the user put there is removed.
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\${PRODUCT}.lnk"
  DeleteRegValue HKLM "${RUN_KEY}" "PellmarTray"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
