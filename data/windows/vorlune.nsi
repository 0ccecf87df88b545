; Vorlune's Windows installer: per user, no administrator, into
; %LOCALAPPDATA%\Programs\Vorlune (writable, so Vorlune.ini beside the
; programs works), in English or Japanese by the Windows UI language. It makes
; Vorlune the user's screen saver and leaves an entry in Settings > Apps.
; scripts/package.sh builds it:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DSTAGE=<the zip's files>
;            -DICON=<vorlune.ico> -DOUTFILE=<setup.exe> vorlune.nsi
;
; Exit codes, the installer's and the uninstaller's alike: 0 done, 1 cancelled
; by the user, 2 failed (a file could not be written or removed, or the
; registry not written; the message or the details name the call and the
; system's reason). Never 0 with the old programs left in place.

Unicode true
Target amd64-unicode
SetCompressor /SOLID lzma
RequestExecutionLevel user
ManifestDPIAware true

!ifndef VERSION | STAGE | ICON | OUTFILE
  !error "define VERSION, STAGE, ICON and OUTFILE (scripts/package.sh does)"
!endif

!define PRODUCT Vorlune
!define PUBLISHER "The Vorlune developers"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Vorlune"
!define DESKTOP_KEY "Control Panel\Desktop"
!define SPI_SETSCREENSAVEACTIVE 17
; SPIF_UPDATEINIFILE | SPIF_SENDCHANGE: stored, and every running program told.
!define SPIF_STORE_AND_TELL 3
; The captions a full-screen run shows: the renderer's window and the shell's
; hidden run form.
!define RENDERER_CAPTION VorluneVC
!define RUN_CAPTION Vorlune_Main

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$LOCALAPPDATA\Programs\${PRODUCT}"
; An upgrade goes where the last install went.
InstallDirRegKey HKCU "${UNINSTALL_KEY}" InstallLocation
BrandingText " "

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include WinMessages.nsh

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_WELCOMEPAGE_TEXT "$(WelcomeText)"
!define MUI_PAGE_CUSTOMFUNCTION_SHOW FitNextButton
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_TEXT "$(OpenSettingsText)"
!define MUI_FINISHPAGE_RUN_FUNCTION OpenScreenSaverSettings
!insertmacro MUI_PAGE_FINISH
!define MUI_PAGE_CUSTOMFUNCTION_SHOW un.FitNextButton
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

; The first language is the one for every UI language without its own.
!insertmacro MUI_LANGUAGE English
!insertmacro MUI_LANGUAGE Japanese

LangString WelcomeText ${LANG_ENGLISH} "This installs the Vorlune screen saver for you (no administrator needed) and makes it your screen saver.$\r$\n$\r$\nIf Vorlune is installed already, it is updated and keeps its settings. A Vorlune running now is closed."
LangString WelcomeText ${LANG_JAPANESE} "Vorlune スクリーン セーバーをこのユーザーにインストールし（管理者の権限は要りません）、スクリーン セーバーに選びます。$\r$\n$\r$\nインストール済みの Vorlune は、設定をそのままに更新します。動いている Vorlune は終了します。"
LangString OpenSettingsText ${LANG_ENGLISH} "Open the Screen Saver Settings"
LangString OpenSettingsText ${LANG_JAPANESE} "スクリーン セーバーの設定を開く"
LangString FailedText ${LANG_ENGLISH} "Vorlune could not be installed:"
LangString FailedText ${LANG_JAPANESE} "Vorlune をインストールできませんでした:"
LangString UnFailedText ${LANG_ENGLISH} "Vorlune could not be uninstalled:"
LangString UnFailedText ${LANG_JAPANESE} "Vorlune をアンインストールできませんでした:"
LangString NotWrittenText ${LANG_ENGLISH} "could not be written."
LangString NotWrittenText ${LANG_JAPANESE} "書き込めませんでした。"
LangString ClosingText ${LANG_ENGLISH} "Closing the running Vorlune"
LangString ClosingText ${LANG_JAPANESE} "動いている Vorlune を終了しています"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductName "${PRODUCT}"
VIAddVersionKey /LANG=${LANG_ENGLISH} ProductVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileVersion "${VERSION}"
VIAddVersionKey /LANG=${LANG_ENGLISH} FileDescription "${PRODUCT} ${VERSION} setup"
VIAddVersionKey /LANG=${LANG_ENGLISH} CompanyName "${PUBLISHER}"
VIAddVersionKey /LANG=${LANG_ENGLISH} LegalCopyright "MIT licence, ${PUBLISHER}"

Var failedText

; Functions both the installer and the uninstaller call: NSIS wants the
; uninstaller's own copies, named un.*.
!macro SharedFunctions UN

; Fail <call> <file> <error code>: names what failed and the system's reason
; (none for code 0: NSIS keeps none for its own File and registry writes), in
; a message box unless silent, and ends with exit code 2.
Function ${UN}Fail
  Exch $2 ; the error code
  Exch
  Exch $1 ; the file
  Exch 2
  Exch $0 ; the call
  ; FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS
  System::Call 'kernel32::FormatMessageW(i 0x1200, p 0, i r2, i 0, w .r3, i ${NSIS_MAX_STRLEN}, p 0) i .r4'
  ${If} $2 == 0
    StrCpy $3 "$(NotWrittenText)"
  ${ElseIf} $4 == 0
    StrCpy $3 "error $2"
  ${EndIf}
  ; Without the line break the system ends its text with.
  ${Do}
    StrCpy $4 $3 1 -1
    ${If} $4 == "$\n"
    ${OrIf} $4 == "$\r"
      StrCpy $3 $3 -1
    ${Else}
      ${Break}
    ${EndIf}
  ${Loop}
  ; Nothing half written stays: a new program not yet in its place, and the
  ; folder where the install made nothing else.
  Delete "$INSTDIR\Vorlune.scr.new"
  Delete "$INSTDIR\Vorlune.dll.new"
  RMDir $INSTDIR
  DetailPrint "$failedText $0 $1: $3"
  MessageBox MB_OK|MB_ICONSTOP "$failedText$\r$\n$\r$\n$0 $1:$\r$\n$3" /SD IDOK
  SetErrorLevel 2
  Abort
FunctionEnd

; A full-screen run is asked to end: WM_CLOSE to the renderer's window, after
; which the shell ends by itself. Waits up to 15 s for both to go, then up to
; 3 s for the programs' files to be free of the processes that ended. A
; preview or a settings dialog holds Vorlune.scr without a window to find by
; caption: its file is moved aside instead (MoveAside).
Function ${UN}CloseRunningSaver
  Push $0
  Push $1
  Push $2
  StrCpy $1 0 ; tenths of a second waited
  StrCpy $2 0 ; the last window asked to close
  ${Do}
    FindWindow $0 "" "${RENDERER_CAPTION}"
    ${If} $0 != 0
    ${AndIf} $0 != $2
      ${If} $2 == 0
        DetailPrint "$(ClosingText)"
      ${EndIf}
      SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
      StrCpy $2 $0
    ${EndIf}
    ${If} $0 == 0
      FindWindow $0 "" "${RUN_CAPTION}"
      ${IfThen} $0 == 0 ${|} ${Break} ${|}
    ${EndIf}
    ${IfThen} $1 >= 150 ${|} ${Break} ${|}
    Sleep 100
    IntOp $1 $1 + 1
  ${Loop}
  ${If} $2 != 0
    StrCpy $1 0
    ${Do}
      Push "$INSTDIR\Vorlune.scr"
      Call ${UN}InUse
      Pop $0
      ${If} $0 == 0
        Push "$INSTDIR\Vorlune.dll"
        Call ${UN}InUse
        Pop $0
      ${EndIf}
      ${If} $0 == 0
      ${OrIf} $1 >= 30
        ${Break}
      ${EndIf}
      Sleep 100
      IntOp $1 $1 + 1
    ${Loop}
  ${EndIf}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; InUse <file>: 1 where the file is there and cannot be opened for writing
; (a program still running), else 0.
Function ${UN}InUse
  Exch $0
  Push $1
  ${If} ${FileExists} $0
    ClearErrors
    FileOpen $1 $0 a
    ${If} ${Errors}
      StrCpy $1 1
    ${Else}
      FileClose $1
      StrCpy $1 0
    ${EndIf}
  ${Else}
    StrCpy $1 0
  ${EndIf}
  Exch $1
  Exch
  Pop $0
FunctionEnd

; MoveAside <file> <folder>: a program that cannot be deleted because it
; runs (Windows lets a running program be renamed, never replaced or deleted)
; is moved to a name of its own in that folder, on the same drive (where it
; is not, MoveFileW says so and we fail). The next install or uninstall
; deletes what it moved into the programs' folder once it has ended; the
; user's temporary folder is the system's to clean.
Function ${UN}MoveAside
  Exch $1 ; the folder
  Exch
  Exch $0 ; the file
  Push $2
  Push $3
  Push $4
  ${GetFileName} $0 $2
  StrCpy $3 0
  ${Do}
    StrCpy $4 "$1\$2.$3.old"
    Delete $4
    ${IfNot} ${FileExists} $4
      ${Break}
    ${EndIf}
    IntOp $3 $3 + 1
  ${Loop}
  System::Call 'kernel32::MoveFileW(w r0, w r4) i .r2 ?e'
  Pop $3
  ${If} $2 == 0
    Push MoveFileW
    Push $0
    Push $3
    Call ${UN}Fail
  ${EndIf}
  DetailPrint "$0 -> $4"
  Pop $4
  Pop $3
  Pop $2
  Pop $0
  Pop $1
FunctionEnd

; Removes a file, or moves it aside (MoveAside) into the folder given when it runs.
Function ${UN}RemoveProgram
  Exch $1 ; the folder
  Exch
  Exch $0 ; the file
  Delete $0
  ${If} ${FileExists} $0
    Push $0
    Push $1
    Call ${UN}MoveAside
  ${EndIf}
  Pop $0
  Pop $1
FunctionEnd

!macroend
!insertmacro SharedFunctions ""
!insertmacro SharedFunctions "un."

; The Next button (Install, Uninstall) widened to its label, keeping its
; right edge: in Japanese, with IPAGothic or a large font, "インストール(I)" is
; wider than the button's dialog units and was clipped.
!macro FitNextButtonFunction UN
Function ${UN}FitNextButton
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Push $8
  Push $9
  GetDlgItem $0 $HWNDPARENT 1
  System::Call '*(i, i, i, i) p .r1' ; RECT
  System::Call 'user32::GetWindowRect(p r0, p r1)'
  System::Call 'user32::MapWindowPoints(p 0, p $HWNDPARENT, p r1, i 2)'
  System::Call '*$1(i .r2, i .r3, i .r4, i .r5)'
  ; the label's width in the button's font, plus the margins a button keeps
  System::Call 'user32::GetWindowTextW(p r0, w .r6, i ${NSIS_MAX_STRLEN})'
  System::Call 'user32::GetDC(p r0) p .r7'
  SendMessage $0 ${WM_GETFONT} 0 0 $8
  System::Call 'gdi32::SelectObject(p r7, p r8) p .r9'
  System::Call '*(i, i) p .r8' ; SIZE
  StrLen $9 $6
  System::Call 'gdi32::GetTextExtentPoint32W(p r7, w r6, i r9, p r8)'
  System::Call '*$8(i .r6, i)'
  System::Call 'user32::ReleaseDC(p r0, p r7)'
  System::Free $8
  IntOp $6 $6 + 16
  IntOp $9 $4 - $2
  ${If} $6 > $9
    IntOp $2 $4 - $6
    IntOp $5 $5 - $3
    System::Call 'user32::SetWindowPos(p r0, p 0, i r2, i r3, i r6, i r5, i 0x14)' ; SWP_NOZORDER | SWP_NOACTIVATE
  ${EndIf}
  System::Free $1
  Pop $9
  Pop $8
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend
!insertmacro FitNextButtonFunction ""
!insertmacro FitNextButtonFunction "un."

Function .onInit
  StrCpy $failedText "$(FailedText)"
FunctionEnd

Function un.onInit
  StrCpy $failedText "$(UnFailedText)"
FunctionEnd

Function OpenScreenSaverSettings
  Exec '"$SYSDIR\control.exe" desk.cpl,,@screensaver'
FunctionEnd

; PutProgram <name>: the new program, written beside the old one first and
; then put in its place, so that a program in use is never half replaced.
!macro PutProgram NAME
  ${If} ${FileExists} "$INSTDIR\${NAME}.new"
    System::Call 'kernel32::DeleteFileW(w "$INSTDIR\${NAME}.new") i .r0 ?e'
    Pop $1
    ${If} ${FileExists} "$INSTDIR\${NAME}.new"
      Push DeleteFileW
      Push "$INSTDIR\${NAME}.new"
      Push $1
      Call Fail
    ${EndIf}
  ${EndIf}
  ; Silent, NSIS answers its own Abort/Retry/Ignore on a write that failed
  ; with Ignore: a file written is one that is there now.
  ClearErrors
  File "/oname=${NAME}.new" "${STAGE}/${NAME}"
  ${If} ${Errors}
  ${OrIfNot} ${FileExists} "$INSTDIR\${NAME}.new"
    Push File
    Push "$INSTDIR\${NAME}.new"
    Push 0
    Call Fail
  ${EndIf}
!macroend
!macro PlaceProgram NAME
  Push "$INSTDIR\${NAME}"
  Push $INSTDIR
  Call RemoveProgram
  System::Call 'kernel32::MoveFileW(w "$INSTDIR\${NAME}.new", w "$INSTDIR\${NAME}") i .r0 ?e'
  Pop $1
  ${If} $0 == 0
    Push MoveFileW
    Push "$INSTDIR\${NAME}"
    Push $1
    Call Fail
  ${EndIf}
!macroend

; Deletes what an earlier run moved aside, where it has ended since.
!macro DeleteMovedAside
  FindFirst $0 $1 "$INSTDIR\*.old"
  ${DoWhile} $1 != ""
    Delete "$INSTDIR\$1"
    FindNext $0 $1
  ${Loop}
  FindClose $0
!macroend

Section
  SetOutPath $INSTDIR
  Call CloseRunningSaver
  !insertmacro DeleteMovedAside
  !insertmacro PutProgram Vorlune.scr
  !insertmacro PutProgram Vorlune.dll
  !insertmacro PlaceProgram Vorlune.scr
  !insertmacro PlaceProgram Vorlune.dll
  ; Vorlune.ini, the user's settings, is never written here: an upgrade keeps it.
  ClearErrors
  File "${STAGE}/README.txt"
  File "${STAGE}/LICENSE.txt"
  WriteUninstaller "$INSTDIR\Uninstall.exe"
  ${If} ${Errors}
    Push File
    Push "$INSTDIR\README.txt, LICENSE.txt, Uninstall.exe"
    Push 0
    Call Fail
  ${EndIf}

  ${GetSize} $INSTDIR "/S=0K" $0 $1 $2
  ; The user's screen saver, the timeout (ScreenSaveTimeOut) left as it is.
  ClearErrors
  WriteRegStr HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE "$INSTDIR\Vorlune.scr"
  WriteRegStr HKCU "${DESKTOP_KEY}" ScreenSaveActive 1
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayName "${PRODUCT}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayVersion "${VERSION}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" Publisher "${PUBLISHER}"
  WriteRegStr HKCU "${UNINSTALL_KEY}" DisplayIcon "$INSTDIR\Vorlune.scr,0"
  WriteRegStr HKCU "${UNINSTALL_KEY}" InstallLocation $INSTDIR
  WriteRegStr HKCU "${UNINSTALL_KEY}" UninstallString '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKCU "${UNINSTALL_KEY}" QuietUninstallString '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" EstimatedSize $0
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" NoModify 1
  WriteRegDWORD HKCU "${UNINSTALL_KEY}" NoRepair 1
  ${If} ${Errors}
    Push RegSetValueExW
    Push "HKCU\${DESKTOP_KEY}, HKCU\${UNINSTALL_KEY}"
    Push 0
    Call Fail
  ${EndIf}
  System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 1, p 0, i ${SPIF_STORE_AND_TELL})'
SectionEnd

Section Uninstall
  Call un.CloseRunningSaver
  ; Whether the user's screen saver is still ours, decided while the file is
  ; there to give its short (8.3) form: Windows may have stored either.
  ReadRegStr $5 HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE
  GetFullPathName /SHORT $0 "$INSTDIR\Vorlune.scr"
  GetFullPathName /SHORT $1 $5
  StrCpy $6 0
  ; StrCmp, behind ==, ignores case as Windows' paths do.
  ${If} $5 == ""
  ${ElseIf} $5 == "$INSTDIR\Vorlune.scr"
  ${OrIf} $5 == $0
    StrCpy $6 1
  ${ElseIf} $1 != ""
  ${AndIf} $1 == $0
    StrCpy $6 1
  ${EndIf}

  ; A program still running (a preview) is moved out of the folder, into the
  ; user's temporary folder, so that the folder can go.
  Push "$INSTDIR\Vorlune.scr"
  Push $TEMP
  Call un.RemoveProgram
  Push "$INSTDIR\Vorlune.dll"
  Push $TEMP
  Call un.RemoveProgram
  FindFirst $0 $1 "$INSTDIR\*.old"
  ${DoWhile} $1 != ""
    Push "$INSTDIR\$1"
    Push $TEMP
    Call un.RemoveProgram
    FindNext $0 $1
  ${Loop}
  FindClose $0
  Delete "$INSTDIR\Vorlune.ini"
  Delete "$INSTDIR\Vorlune.scr.new"
  Delete "$INSTDIR\Vorlune.dll.new"
  Delete "$INSTDIR\README.txt"
  Delete "$INSTDIR\LICENSE.txt"
  Delete "$INSTDIR\Uninstall.exe"
  RMDir $INSTDIR

  ${If} $6 == 1
    DeleteRegValue HKCU "${DESKTOP_KEY}" SCRNSAVE.EXE
    System::Call 'user32::SystemParametersInfoW(i ${SPI_SETSCREENSAVEACTIVE}, i 0, p 0, i ${SPIF_STORE_AND_TELL})'
  ${EndIf}
  DeleteRegKey HKCU "${UNINSTALL_KEY}"
SectionEnd
