; Tessaro's installer for 64-bit Windows, built by scripts/package-windows.sh:
;   makensis -DVERSION=1.20 -DVERSION4=1.20.0.0 -DSTAGE=DIR -DLISTS=PREFIX
;            -DICON=tessaro.ico -DOUTFILE=setup.exe tessaro.nsi
; STAGE holds the files to install (the zip's contents); PREFIX.install.nsh
; and PREFIX.uninstall.nsh, made from that folder, put each of them in place
; and take each away again, so the uninstaller removes what was installed and
; nothing else (a file the user left in the folder stays, and so the folder).
; Both work silently with /S.

Target amd64-unicode
Unicode true
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tessaro"

Name "Tessaro ${VERSION}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES64\Tessaro"
BrandingText "Tessaro ${VERSION}"

VIProductVersion "${VERSION4}"
VIFileVersion "${VERSION4}"
VIAddVersionKey /LANG=1033 ProductName "Tessaro"
VIAddVersionKey /LANG=1033 ProductVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileVersion "${VERSION}"
VIAddVersionKey /LANG=1033 FileDescription "Tessaro ${VERSION} setup"
VIAddVersionKey /LANG=1033 CompanyName "Tessaro"
VIAddVersionKey /LANG=1033 LegalCopyright "Copyright (c) 2026 Tessaro developers, MIT license"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!insertmacro MUI_PAGE_LICENSE "${STAGE}\License.txt"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\README.txt"
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; For every user: the Start menu entry and the registry key are the machine's.
Function .onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

Function un.onInit
  SetRegView 64
  SetShellVarContext all
FunctionEnd

; $1: the first program in folder $0 that is running, or "".  Windows keeps
; a running program's file from being written or removed: setup would leave
; the old one in place (or the uninstaller leave it behind) and still end as
; if all went well.  The uninstaller itself, running in place, does not count.
!macro DEFINE_PROGRAM_RUNNING un
Function ${un}ProgramRunning
  StrCpy $1 ""
  ClearErrors
  FindFirst $2 $3 "$0\*.exe"
  ${DoWhile} $3 != ""
    ${If} $3 != "Uninstall.exe"
      ClearErrors
      FileOpen $4 "$0\$3" a
      ${If} ${Errors}
        StrCpy $1 $3
        ${Break}
      ${EndIf}
      FileClose $4
    ${EndIf}
    FindNext $2 $3
  ${Loop}
  FindClose $2
FunctionEnd
!macroend
!insertmacro DEFINE_PROGRAM_RUNNING ""
!insertmacro DEFINE_PROGRAM_RUNNING "un."

!macro STOP_WHEN_RUNNING
  ${If} $1 != ""
    MessageBox MB_ICONSTOP|MB_OK "$1 is running from $0.$\r$\nClose Tessaro's programs and try again." \
      /SD IDOK
    SetErrorLevel 2
    Abort
  ${EndIf}
!macroend

Section "Tessaro"
  ; Nothing is changed while a program of this installation or of the one
  ; before runs.
  StrCpy $0 "$INSTDIR"
  Call ProgramRunning
  !insertmacro STOP_WHEN_RUNNING
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 != ""
    Call ProgramRunning
    !insertmacro STOP_WHEN_RUNNING
  ${EndIf}

  ; A Tessaro installed before (any version, any folder) is removed first by
  ; its own uninstaller, in place (_?=) so that this waits for it: the key
  ; names one installation, and files of the old one that this one does not
  ; have would be left behind for good.
  ${If} $0 != ""
  ${AndIf} ${FileExists} "$0\Uninstall.exe"
    ExecWait '"$0\Uninstall.exe" /S _?=$0'
    Delete "$0\Uninstall.exe"
    RMDir "$0"
  ${EndIf}

  !include "${LISTS}.install.nsh"
  SetOutPath "$INSTDIR"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Tessaro.lnk" "$INSTDIR\tessaro.exe" "" "$INSTDIR\tessaro.exe" 0 \
    SW_SHOWNORMAL "" "Discover the network, run link tests, set up and program bases"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Tessaro"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Tessaro"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\tessaro.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

Section "Uninstall"
  StrCpy $0 "$INSTDIR"
  Call un.ProgramRunning
  !insertmacro STOP_WHEN_RUNNING
  !include "${LISTS}.uninstall.nsh"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir "$INSTDIR"
  Delete "$SMPROGRAMS\Tessaro.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
