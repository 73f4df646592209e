; Tarnwick's installer: for the current user, with no administrator rights, into %LOCALAPPDATA%\Programs\Tarnwick,
; where the catalogue beside the program is the player's to edit. scripts/windows passes VERSION, PUBLISHER, STAGE
; (the folder to install), ICON, FILES (the uninstaller's list of the installed files) and OUTFILE.
Unicode true
; Debian's Wine runs 64-bit programs only.
Target amd64-unicode
ManifestDPIAware true
RequestExecutionLevel user
SetCompressor /SOLID lzma

!include "MUI2.nsh"
!include "FileFunc.nsh"
!include "LogicLib.nsh"

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Tarnwick"
!define CATALOGUE "zOrorOviz.csv"

Name "Tarnwick ${VERSION}"
Caption "Tarnwick ${VERSION} Setup"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\Tarnwick"
InstallDirRegKey HKCU "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER}"

VIProductVersion "${VERSION_QUAD}"
VIAddVersionKey "ProductName" "Tarnwick"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "Copyright 2024 ${PUBLISHER}. All rights reserved."
VIAddVersionKey "FileDescription" "Tarnwick ${VERSION} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_FINISHPAGE_RUN "$INSTDIR\Tarnwick.exe"
!define MUI_FINISHPAGE_RUN_TEXT "Start Tarnwick"
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Section "Tarnwick"
    SetOutPath "$INSTDIR"
    ; A catalogue already there is the player's: installing again keeps it.
    File /r /x "${CATALOGUE}" "${STAGE}/*.*"
    SetOverwrite off
    File "${STAGE}/${CATALOGUE}"
    SetOverwrite on
    WriteUninstaller "$INSTDIR\Uninstall.exe"

    CreateShortcut "$SMPROGRAMS\Tarnwick.lnk" "$INSTDIR\Tarnwick.exe" "" "$INSTDIR\Tarnwick.exe" 0 SW_SHOWNORMAL \
        "" "Quellvane Gear Chooser"

    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayName" "Tarnwick"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Tarnwick.exe,0"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
    WriteRegStr HKCU "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
    WriteRegStr HKCU "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoModify" 1
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "NoRepair" 1
    ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
    WriteRegDWORD HKCU "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

; Sets $R0 to 1 when the files $R1 and $R2 hold the same bytes, else to 0.
Function un.SameBytes
    StrCpy $R0 0
    ClearErrors
    FileOpen $R3 $R1 r
    IfErrors done
    FileOpen $R4 $R2 r
    IfErrors closeFirst
    FileSeek $R3 0 END $R5
    FileSeek $R4 0 END $R6
    IntCmp $R5 $R6 0 closeBoth closeBoth
    FileSeek $R3 0 SET
    FileSeek $R4 0 SET
    next:
        ClearErrors
        FileReadByte $R3 $R5
        IfErrors same
        FileReadByte $R4 $R6
        IntCmp $R5 $R6 next closeBoth closeBoth
    same:
    StrCpy $R0 1
    closeBoth:
    FileClose $R4
    closeFirst:
    FileClose $R3
    done:
FunctionEnd

Section "Uninstall"
    !include "${FILES}"

    ; The catalogue goes only as it was installed: one the player changed is the player's work and stays.
    InitPluginsDir
    File "/oname=$PLUGINSDIR\bundled.csv" "${STAGE}/${CATALOGUE}"
    StrCpy $R1 "$INSTDIR\${CATALOGUE}"
    StrCpy $R2 "$PLUGINSDIR\bundled.csv"
    Call un.SameBytes
    ${If} $R0 == 1
        Delete "$INSTDIR\${CATALOGUE}"
    ${ElseIf} ${FileExists} "$INSTDIR\${CATALOGUE}"
        MessageBox MB_OK|MB_ICONINFORMATION "Your changed catalogue stays in $INSTDIR." /SD IDOK
    ${EndIf}

    Delete "$INSTDIR\Uninstall.exe"
    ; Only when nothing is left in it: the player's own files stay.
    RMDir "$INSTDIR"
    Delete "$SMPROGRAMS\Tarnwick.lnk"
    DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
