; The installer of velmora, built by scripts/package with Debian's makensis.
; Defines: VERSION (3.10), EXE (the program), INI (the default sec.ini), ICON,
; OUTFILE, and TARGET (x86-unicode for the product, amd64-unicode for the
; 64-bit test build).
;
; It installs for the user who runs it, into a folder of theirs: the program
; keeps its settings in an "ini" folder beside itself, which it could not
; write under Program Files without administrator rights.

Target ${TARGET}
Unicode true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include "MUI2.nsh"
!include "FileFunc.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\velmora"

Name "velmora ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\velmora"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "velmora ${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\velmora.exe"

!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "Turkish"

!pragma warning disable 9100 ; no copyright line in the version block
VIProductVersion "${VERSION}.0.0"
VIAddVersionKey /LANG=${LANG_TURKISH} "ProductName" "velmora"
VIAddVersionKey /LANG=${LANG_TURKISH} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_TURKISH} "FileDescription" "velmora ${VERSION} kurulumu"
VIAddVersionKey /LANG=${LANG_TURKISH} "FileVersion" "${VERSION}"

Section "velmora" SectionProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "/oname=velmora.exe" "${EXE}"
  ; The user's extension table survives an update.
  SetOutPath "$INSTDIR\ini"
  SetOverwrite off
  File "/oname=sec.ini" "${INI}"
  SetOverwrite on
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortCut "$SMPROGRAMS\velmora.lnk" "$INSTDIR\velmora.exe"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "velmora"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\velmora.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Removes what the installer and the program put there, by name: anything
; else the user keeps in the folder stays, and so does the folder then.
Section "Uninstall"
  Delete "$INSTDIR\velmora.exe"
  Delete "$INSTDIR\ini\sec.ini"
  Delete "$INSTDIR\ini\sec.ini.bak"
  Delete "$INSTDIR\ini\aktif.ini"
  RMDir "$INSTDIR\ini"
  Delete "$SMPROGRAMS\velmora.lnk"
  Delete "$INSTDIR\uninstall.exe"
  RMDir "$INSTDIR"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
