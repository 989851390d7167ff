; Stowly's per-user installer and uninstaller (NSIS 3).
;   makensis -DVERSION=4.0.0 -DSTAGE=<folder with stowly.exe and stowly.chm>
;            -DICON=<stowly.ico> -DOUTFILE=<setup.exe> stowly.nsi
; Stowly keeps its settings ("stowly.ini") and its quick closet ("QuickClean.qvr",
; the folders "QuickClean" and "AllUsers") beside itself, so it goes into a folder
; the user can write, and the installer needs no administrator rights.
; Stowly is a 64-bit program; a 64-bit installer also sees the same registry view.
Target amd64-unicode
ManifestDPIAware true
SetCompressor /SOLID lzma
RequestExecutionLevel user

!include LogicLib.nsh
!include MUI2.nsh
!include StrFunc.nsh
${StrStr}

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Stowly"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"

Name "Stowly"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Stowly"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Stowly ${VERSION}"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=1033 "ProductName" "Stowly"
VIAddVersionKey /LANG=1033 "CompanyName" "Orvenko, Inc."
VIAddVersionKey /LANG=1033 "FileDescription" "Stowly Setup"
VIAddVersionKey /LANG=1033 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=1033 "LegalCopyright" "Copyright (C) Orvenko, Inc."

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\stowly.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Stowly"
!define MUI_DIRECTORYPAGE_TEXT_TOP "Stowly keeps its settings and your cleaned desktop in its own folder. Choose a folder you can write to, outside the desktop."
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; Stowly refuses to run from a folder on a desktop (a clean would move it into its
; own closet): any folder named Desktop on the way, as the program itself checks.
Function .onVerifyInstDir
  ${StrStr} $0 "$INSTDIR\" "\Desktop\"
  ${If} $0 != ""
    Abort
  ${EndIf}
FunctionEnd

Section "Stowly"
  ${StrStr} $0 "$INSTDIR\" "\Desktop\"
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONSTOP "Stowly cannot run from a folder on the desktop:$\r$\n$INSTDIR$\r$\n$\r$\nPlease choose another folder." /SD IDOK
    SetErrorLevel 2
    Quit
  ${EndIf}
  SetOutPath "$INSTDIR"
  File "${STAGE}\stowly.exe"
  File "${STAGE}\stowly.chm"
  WriteUninstaller "$INSTDIR\uninstall.exe"
  CreateShortcut "$SMPROGRAMS\Stowly.lnk" "$INSTDIR\stowly.exe" "" "$INSTDIR\stowly.exe" 0 SW_SHOWNORMAL "" "Empty the desktop and put it back"

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Stowly"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "Orvenko, Inc."
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\stowly.exe"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  SectionGetSize 0 $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; $0 := 1 when the folder on the stack holds any item, else 0 (also when it is missing).
Function un.HoldsItems
  Exch $R0
  Push $R1
  Push $R2
  StrCpy $0 0
  ClearErrors
  FindFirst $R1 $R2 "$R0\*.*"
  ${DoUntil} $R2 == ""
    ${If} $R2 != "."
    ${AndIf} $R2 != ".."
      StrCpy $0 1
      ${Break}
    ${EndIf}
    FindNext $R1 $R2
  ${Loop}
  FindClose $R1
  Pop $R2
  Pop $R1
  Pop $R0
FunctionEnd

; While the quick closet holds items, the user's desktop is in there: say so, and
; where, before anything is removed. The closet itself is never touched.
Function un.onInit
  Push "$INSTDIR\QuickClean"
  Call un.HoldsItems
  StrCpy $1 $0
  Push "$INSTDIR\AllUsers"
  Call un.HoldsItems
  ${If} $0 == 1
  ${OrIf} $1 == 1
    MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "Your desktop is still in Stowly's quick closet:$\r$\n$\r$\n$INSTDIR\QuickClean$\r$\n$INSTDIR\AllUsers$\r$\n$\r$\nRestore it with Stowly before you remove the program. The uninstaller leaves these folders and the key file QuickClean.qvr where they are, so you can also move the items back by hand.$\r$\n$\r$\nRemove Stowly now?" /SD IDYES IDYES remove
    Abort
    remove:
  ${EndIf}
FunctionEnd

; The start-at-logon value "Stowly", when it starts this copy (the program writes
; its folder in upper case; another copy's entry stays). Under HKLM a user without
; administrator rights may not remove it: that is said, not hidden.
!macro RemoveRunEntry ROOT
  ClearErrors
  ReadRegStr $0 ${ROOT} "${RUN_KEY}" "Stowly"
  ${IfNot} ${Errors}
    StrCpy $1 $0 1
    ${If} $1 == '"'
      StrCpy $0 $0 "" 1
      StrCpy $0 $0 -1
    ${EndIf}
    ${If} $0 == "$INSTDIR\stowly.exe"
      ClearErrors
      DeleteRegValue ${ROOT} "${RUN_KEY}" "Stowly"
      ${If} ${Errors}
        DetailPrint "The start-up entry under ${ROOT} could not be removed; an administrator may remove the value Stowly under ${ROOT}\${RUN_KEY}."
      ${EndIf}
    ${EndIf}
  ${EndIf}
!macroend

Section "Uninstall"
  ; A running copy holds its program file: stop before anything else changes.
  retry:
  ClearErrors
  Delete "$INSTDIR\stowly.exe"
  ${If} ${Errors}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "Stowly is still running. Exit it, then click Retry." /SD IDCANCEL IDRETRY retry
    Abort "Stowly is still running; nothing was removed."
  ${EndIf}
  !insertmacro RemoveRunEntry HKCU
  !insertmacro RemoveRunEntry HKLM
  Delete "$INSTDIR\stowly.chm"
  ; The update check's downloaded version page, should a run have left it.
  Delete "$INSTDIR\stowly.dll"
  Delete "$SMPROGRAMS\Stowly.lnk"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
  Delete "$INSTDIR\uninstall.exe"
  ; Settings, closets, key files and wallpaper copies are the user's: the folder
  ; goes only when nothing of theirs is left in it.
  RMDir "$INSTDIR"
  ${If} ${FileExists} "$INSTDIR\*.*"
    DetailPrint "Your settings and closets stay in $INSTDIR."
  ${EndIf}
SectionEnd
