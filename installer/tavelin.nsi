; The Tavelin Player installer: a per-user install that needs no administrator rights.
; The program goes to %LOCALAPPDATA%\Programs\Tavelin, a folder the user can write, so
; the library Tavelin.ini beside Tavelin.exe can be written there.
;
; makensis -INPUTCHARSET UTF8 -DVERSION=9.3.235.2 -DPROGRAM_DIR=<folder holding
;   Tavelin.exe, data.dat, Tavelin.chm> -DICON=<tavelin.ico> -DOUT_FILE=<setup.exe> tavelin.nsi

!ifndef VERSION | PROGRAM_DIR | ICON | OUT_FILE
  !error "VERSION, PROGRAM_DIR, ICON and OUT_FILE must be defined"
!endif

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!define PRODUCT "Tavelin Player"
!define PUBLISHER "Tavelin"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tavelin"
!define SHORTCUT "$SMPROGRAMS\Tavelin Player.lnk"

Name "${PRODUCT}"
Caption "${PRODUCT} ${VERSION} 安装"
UninstallCaption "${PRODUCT} ${VERSION} 卸载"
OutFile "${OUT_FILE}"
InstallDir "$LOCALAPPDATA\Programs\Tavelin"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
ShowInstDetails show
ShowUninstDetails show

!include "MUI2.nsh"
!include "LogicLib.nsh"
!include "FileFunc.nsh"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tavelin.exe"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}"
VIFileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "${PUBLISHER}"

; The installer is a 64-bit program like Tavelin.exe: 32-bit Windows refuses to start it.
Function .onInit
  SetShellVarContext current
FunctionEnd

Section "Tavelin Player" SecProgram
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${PROGRAM_DIR}\Tavelin.exe"
  File "${PROGRAM_DIR}\data.dat"
  File "${PROGRAM_DIR}\Tavelin.chm"
  WriteUninstaller "$INSTDIR\uninst.exe"

  CreateShortcut "${SHORTCUT}" "$INSTDIR\Tavelin.exe" "" "$INSTDIR\Tavelin.exe" 0

  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tavelin.exe,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninst.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninst.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  IntFmt $0 "0x%08X" $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" "$0"
SectionEnd

; Removes the .swf association under one root's Software\Classes, but only when its
; command starts this install's Tavelin.exe: an association made by another copy of the
; program, or by another program, stays.
!macro RemoveAssociation ROOT
  !define CLASS_KEY "Software\Classes\ShockwaveFlash.ShockwaveFlash"
  ClearErrors
  ReadRegStr $0 ${ROOT} "${CLASS_KEY}\shell\Tavelin&F\command" ""
  ${If} $0 == "$INSTDIR\Tavelin.exe %1"
    DeleteRegKey ${ROOT} "${CLASS_KEY}\shell\Tavelin&F"
    ReadRegStr $1 ${ROOT} "${CLASS_KEY}\shell" ""
    ${If} $1 == "Tavelin&F"
      DeleteRegValue ${ROOT} "${CLASS_KEY}\shell" ""
    ${EndIf}
    ReadRegStr $1 ${ROOT} "${CLASS_KEY}\DefaultIcon" ""
    ${If} $1 == "$INSTDIR\Tavelin.exe,0"
      DeleteRegKey ${ROOT} "${CLASS_KEY}\DefaultIcon"
    ${EndIf}
    DeleteRegKey /ifempty ${ROOT} "${CLASS_KEY}\shell"
    DeleteRegKey /ifempty ${ROOT} "${CLASS_KEY}"
    ; With the class gone, .swf would name nothing: it goes too.
    ClearErrors
    EnumRegKey $1 ${ROOT} "${CLASS_KEY}" 0
    ${If} ${Errors}
      ReadRegStr $2 ${ROOT} "Software\Classes\.swf" ""
      ${If} $2 == "ShockwaveFlash.ShockwaveFlash"
        DeleteRegKey ${ROOT} "Software\Classes\.swf"
      ${EndIf}
    ${EndIf}
  ${EndIf}
  !undef CLASS_KEY
!macroend

Function un.onInit
  SetShellVarContext current
FunctionEnd

Section "Uninstall"
  ; The library is the user's work: kept unless the user says otherwise, and always kept
  ; by a silent uninstall.
  ${If} ${FileExists} "$INSTDIR\Tavelin.ini"
    MessageBox MB_YESNO|MB_ICONQUESTION "是否保留媒体库（Tavelin.ini）？$\n选择“否”将删除媒体库。" /SD IDYES IDYES keep
    Delete "$INSTDIR\Tavelin.ini"
    keep:
  ${EndIf}

  !insertmacro RemoveAssociation HKCU
  SetRegView 64
  !insertmacro RemoveAssociation HKLM

  Delete "$INSTDIR\Tavelin.exe"
  Delete "$INSTDIR\data.dat"
  Delete "$INSTDIR\Tavelin.chm"
  Delete "$INSTDIR\Tavelin.ini.new"
  Delete "$INSTDIR\uninst.exe"
  RMDir "$INSTDIR"
  Delete "${SHORTCUT}"
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
