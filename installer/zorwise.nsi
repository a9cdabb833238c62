; The Zorwise installer. makensis gets from the build:
;   BIN      the folder holding the built programs and libraries
;   VERSION  the product version, for the uninstall entry
;   OUTFILE  the installer to write
;   WIN64    defined for the x86_64 build (64-bit programs, 64-bit Program Files)
; Command line (besides NSIS's own /S and /D=dir):
;   setup:      /DEMO        also install the "Simulated board (demo)" component
;   uninstall:  /REMOVEDATA  also remove INFO.DAT and History.csv (the user's data); kept otherwise

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh

!ifdef WIN64
  Target amd64-unicode
!else
  Target x86-ansi
!endif

!define PRODUCT "Zorwise"
!define SERVICE "ZOR2 Service"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Zorwise"
!define RUN_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\Run"
!define RUNONCE_KEY "SOFTWARE\Microsoft\Windows\CurrentVersion\RunOnce"
; The notification-area companion: its Run value and its hidden window's class.
!define COMPANION_RUN "Zor2Tray"
!define COMPANION_CLASS "Zorwise.Zor2Tray"
; Seconds to wait for the service to reach a state.
!define SERVICE_WAIT 20

Name "${PRODUCT}"
OutFile "${OUTFILE}"
!ifdef WIN64
  InstallDir "$PROGRAMFILES64\${PRODUCT}"
!else
  InstallDir "$PROGRAMFILES\${PRODUCT}"
!endif
RequestExecutionLevel admin
SetCompressor /SOLID lzma
ShowInstDetails show
ShowUninstDetails show

!define MUI_COMPONENTSPAGE_SMALLDESC
!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; ---- The service, through the advisory API (no plugin beyond System) ---------------------------

!macro ServiceState un
; Opens the service with the access on the stack: $1 its handle (0 when it failed), $9 the
; manager's. CloseZorService closes both.
Function ${un}OpenZorService
  Exch $3
  StrCpy $1 0
  System::Call 'advapi32::OpenSCManager(p 0, p 0, i 1) p.r9'  ; SC_MANAGER_CONNECT
  ${If} $9 P<> 0
    System::Call 'advapi32::OpenService(p r9, t "${SERVICE}", i r3) p.r1'
  ${EndIf}
  Pop $3
FunctionEnd

Function ${un}CloseZorService
  ${If} $1 P<> 0
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  ${If} $9 P<> 0
    System::Call 'advapi32::CloseServiceHandle(p r9)'
  ${EndIf}
FunctionEnd

; Leaves the service's state in $0 (0 when it is not installed or cannot be read).
Function ${un}ServiceState
  Push $1
  Push $2
  Push $3
  StrCpy $0 0
  System::Call 'advapi32::OpenSCManager(p 0, p 0, i 1) p.r1'  ; SC_MANAGER_CONNECT
  ${If} $1 P<> 0
    System::Call 'advapi32::OpenService(p r1, t "${SERVICE}", i 4) p.r2'  ; SERVICE_QUERY_STATUS
    ${If} $2 P<> 0
      System::Call '*(i,i,i,i,i,i,i) p.r3'
      System::Call 'advapi32::QueryServiceStatus(p r2, p r3) i.r0'
      ${If} $0 <> 0
        System::Call '*$3(i,i.r0)'
      ${EndIf}
      System::Free $3
      System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
FunctionEnd

; Waits up to SERVICE_WAIT seconds for the state on the stack; leaves the last state in $0.
Function ${un}WaitServiceState
  Exch $4
  Push $5
  StrCpy $5 0
  ${Do}
    Call ${un}ServiceState
    ${IfThen} $0 = $4 ${|} ${ExitDo} ${|}
    ; Waiting for it to run: a service that stopped again has failed its start.
    ${If} $4 = 4
    ${AndIf} $0 = 1
      ${ExitDo}
    ${EndIf}
    ${IfThen} $5 >= ${SERVICE_WAIT}0 ${|} ${ExitDo} ${|}
    Sleep 100
    IntOp $5 $5 + 1
  ${Loop}
  Pop $5
  Pop $4
FunctionEnd

; Stops the service when it runs and waits until it has.
Function ${un}StopService
  Call ${un}ServiceState
  ${If} $0 <> 0
  ${AndIf} $0 <> 1
    DetailPrint "Stopping ${SERVICE}"
    ; Through the service manager: a program run by name could be one planted in the setup's
    ; folder or its current one.
    Push 0x20  ; SERVICE_STOP
    Call ${un}OpenZorService
    ${If} $1 P<> 0
      System::Call '*(i,i,i,i,i,i,i) p.r2'
      System::Call 'advapi32::ControlService(p r1, i 1, p r2) i.r0'  ; SERVICE_CONTROL_STOP
      System::Free $2
    ${EndIf}
    Call ${un}CloseZorService
    Push 1
    Call ${un}WaitServiceState
  ${EndIf}
FunctionEnd
!macroend
!insertmacro ServiceState ""
!insertmacro ServiceState "un."

; Points an existing service at this folder's program: installed before in another folder, it
; would run the old program on the old folder's INFO.DAT ("-i" leaves an existing service alone).
Function PointServiceHere
  Push 2  ; SERVICE_CHANGE_CONFIG
  Call OpenZorService
  ${If} $1 P<> 0
    System::Call 'advapi32::ChangeServiceConfig(p r1, i -1, i -1, i -1, t `"$INSTDIR\Zor2Svr.exe"`, p 0, p 0, p 0, p 0, p 0, p 0) i.r0'
    ${If} $0 = 0
      DetailPrint "${SERVICE} could not be pointed at $INSTDIR"
    ${EndIf}
  ${EndIf}
  Call CloseZorService
FunctionEnd

; Administrators and SYSTEM full control, users read and execute, nothing inherited: wherever the
; folder is (C:\Zorwise inherits "users may create files"), no user may replace the service's
; program, which runs as SYSTEM, or plant a library it would load.
!define FOLDER_ACCESS "O:BAD:PAI(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)"
Function SecureFolder
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptor(t "${FOLDER_ACCESS}", i 1, *p .r1, p 0) i.r0'
  StrCpy $2 1
  ${If} $0 <> 0
    System::Call 'advapi32::GetSecurityDescriptorOwner(p r1, *p .r3, *i .r4) i.r0'
    System::Call 'advapi32::GetSecurityDescriptorDacl(p r1, *i .r4, *p .r5, *i .r6) i.r0'
    ; SE_FILE_OBJECT; owner, DACL, protected DACL
    System::Call 'advapi32::SetNamedSecurityInfo(t "$INSTDIR", i 1, i 0x80000005, p r3, p 0, p r5, p 0) i.r2'
    System::Call 'kernel32::LocalFree(p r1)'
  ${EndIf}
  ${If} $2 <> 0
    MessageBox MB_OK|MB_ICONSTOP "The access to $INSTDIR could not be restricted to administrators (error $2). Zorwise was not installed." /SD IDOK
    Abort
  ${EndIf}
FunctionEnd

; Asks the service manager to start the service; $0 is non-zero when the request was taken.
Function StartService
  Push $1
  Push $2
  StrCpy $0 0
  System::Call 'advapi32::OpenSCManager(p 0, p 0, i 1) p.r1'
  ${If} $1 P<> 0
    System::Call 'advapi32::OpenService(p r1, t "${SERVICE}", i 0x10) p.r2'  ; SERVICE_START
    ${If} $2 P<> 0
      System::Call 'advapi32::StartService(p r2, i 0, p 0) i.r0'
      System::Call 'advapi32::CloseServiceHandle(p r2)'
    ${EndIf}
    System::Call 'advapi32::CloseServiceHandle(p r1)'
  ${EndIf}
  Pop $2
  Pop $1
FunctionEnd

; ---- Files --------------------------------------------------------------------------------------

; A library of the board maker: installed only where none is (or where an earlier install put
; its own), and remembered, so that the uninstaller takes away only what it put there.
; Closes the companion of this session (its window takes WM_CLOSE and removes its icon), so that
; its program can be replaced or removed. A companion in another session keeps running until logoff.
!macro CloseCompanion un
Function ${un}CloseCompanion
  ${For} $R9 1 50
    FindWindow $0 "${COMPANION_CLASS}"
    ${If} $0 = 0
      ${Break}
    ${EndIf}
    SendMessage $0 ${WM_CLOSE} 0 0 /TIMEOUT=2000
    Sleep 100
  ${Next}
FunctionEnd
!macroend
!insertmacro CloseCompanion ""
!insertmacro CloseCompanion "un."

!macro DemoFile name
  ReadRegDWORD $0 HKLM "${UNINST_KEY}" "Demo ${name}"
  ${If} ${FileExists} "$INSTDIR\${name}"
  ${AndIf} $0 <> 1
    DetailPrint "Kept the existing ${name}"
  ${Else}
    File "${BIN}\${name}"
    WriteRegDWORD HKLM "${UNINST_KEY}" "Demo ${name}" 1
  ${EndIf}
!macroend

!macro RemoveDemoFile name
  ClearErrors
  ReadRegDWORD $0 HKLM "${UNINST_KEY}" "Demo ${name}"
  ${If} $0 = 1
    Delete "$INSTDIR\${name}"
  ${EndIf}
!macroend

Section "Zorwise" SecMain
  SectionIn RO
  SetOutPath "$INSTDIR"
  Call SecureFolder
  ; An update in place: the running service and companion hold their programs open.
  Call StopService
  Call CloseCompanion
  SetOverwrite on
  !include "${FILES_NSH}"
  WriteUninstaller "$INSTDIR\Uninstall.exe"

  WriteRegStr HKLM "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINST_KEY}" "Publisher" "${PRODUCT}"
  WriteRegStr HKLM "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINST_KEY}" "UninstallString" '"$INSTDIR\Uninstall.exe"'
  WriteRegStr HKLM "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\Uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINST_KEY}" "NoRepair" 1

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${PRODUCT}"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Zorwise.lnk" "$INSTDIR\zor2.exe"
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Zorwise Help.lnk" "$INSTDIR\zor2_eng.chm"
  ; zorstat is a console program (its text output is what it prints in a console): started
  ; minimised, its console stays a moment in the taskbar instead of flashing over the desktop.
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Energy report.lnk" "$INSTDIR\zorstat.exe" "--report" \
    "$INSTDIR\zor2.exe" 0 SW_SHOWMINIMIZED
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Uninstall Zorwise.lnk" "$INSTDIR\Uninstall.exe"
  ; Started from here it also brings back an icon the user hid.
  CreateShortCut "$SMPROGRAMS\${PRODUCT}\Zorwise notification icon.lnk" "$INSTDIR\Zor2Tray.exe"
  ; The companion asks for no elevation: from the machine's Run key it starts at every user's
  ; logon, as that user.
  WriteRegStr HKLM "${RUN_KEY}" "${COMPANION_RUN}" '"$INSTDIR\Zor2Tray.exe" --logon'
SectionEnd

Section /o "Simulated board (demo)" SecDemo
  SetOutPath "$INSTDIR"
  !insertmacro DemoFile "hwk.dll"
  !insertmacro DemoFile "Clockvane.dll"
  !insertmacro DemoFile "SF.DLL"
  !insertmacro DemoFile "simboard.exe"
SectionEnd

; Last, so that the board's libraries are in place when the service first starts.
Section "-Service"
  DetailPrint "Installing ${SERVICE}"
  nsExec::ExecToLog '"$INSTDIR\Zor2Svr.exe" -i'
  Pop $0
  Call PointServiceHere
  DetailPrint "Starting ${SERVICE}"
  Call StartService
  Push 4
  Call WaitServiceState
  ${If} $0 = 4
    DetailPrint "${SERVICE} is running"
  ${Else}
    DetailPrint "${SERVICE} did not start (state $0): see Satae.log in $INSTDIR"
  ${EndIf}
SectionEnd

LangString DESC_Main ${LANG_ENGLISH} "The Zorwise window, the ZOR2 Service, skins, help and helpers."
LangString DESC_Demo ${LANG_ENGLISH} "A simulated board in place of the board maker's hwk.dll, Clockvane.dll and SF.DLL, to try Zorwise without a Zorwise board. Libraries already in the folder are kept."
!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} $(DESC_Main)
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDemo} $(DESC_Demo)
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/DEMO" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecDemo}
  ${EndIf}
FunctionEnd

; ---- Uninstall ----------------------------------------------------------------------------------

Section "Uninstall"
  ; The user's own power plan and time-outs back and the firmware's saving off, while zor2 and the
  ; board's libraries are still there.
  DetailPrint "Giving back the power settings"
  ExecWait '"$INSTDIR\zor2.exe" restore'
  Call un.StopService
  DetailPrint "Removing ${SERVICE}"
  ; By the service manager, so that the service goes even when its program is missing.
  Push 0x10000  ; DELETE
  Call un.OpenZorService
  ${If} $1 P<> 0
    System::Call 'advapi32::DeleteService(p r1) i.r0'
  ${EndIf}
  Call un.CloseZorService
  ; The service manager deletes the entry once no handle to it is left.
  Push 0
  Call un.WaitServiceState

  ; zor2 writes its logon start in the 32-bit view, whichever program wrote it.
  SetRegView 32
  DeleteRegValue HKLM "${RUN_KEY}" "ZOR2"
  DeleteRegValue HKLM "${RUNONCE_KEY}" "ZOR2"
  SetRegView lastused
  DeleteRegValue HKLM "${RUN_KEY}" "${COMPANION_RUN}"
  Call un.CloseCompanion

  !include "${UNFILES_NSH}"
  !insertmacro RemoveDemoFile "hwk.dll"
  !insertmacro RemoveDemoFile "Clockvane.dll"
  !insertmacro RemoveDemoFile "SF.DLL"
  !insertmacro RemoveDemoFile "simboard.exe"
  ; What the programs leave beside themselves: the service's log, the demo board's state, the
  ; updates (their packages, the old files, a journal) and the temporary files of a killed write.
  Delete "$INSTDIR\Satae.log"
  Delete "$INSTDIR\SimBoard.bin"
  RMDir /r "$INSTDIR\Updates"
  Delete "$INSTDIR\Update.journal"
  Delete "$INSTDIR\*.old"
  Delete "$INSTDIR\*.new"
  Delete "$INSTDIR\*.del"
  Delete "$INSTDIR\*.tmp"
  Delete "$INSTDIR\Uninstall.exe"

  ; INFO.DAT and History.csv hold the user's totals, settings and history: kept unless asked for.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/REMOVEDATA" $R1
  ${If} ${Errors}
    MessageBox MB_YESNO|MB_DEFBUTTON2 "Also remove INFO.DAT and History.csv, your energy-saving totals, settings and history?" \
        /SD IDNO IDNO keep_data
  ${EndIf}
  Delete "$INSTDIR\INFO.DAT"
  Delete "$INSTDIR\History.csv"
  keep_data:
  RMDir "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\${PRODUCT}\Zorwise.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Zorwise Help.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Energy report.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Uninstall Zorwise.lnk"
  Delete "$SMPROGRAMS\${PRODUCT}\Zorwise notification icon.lnk"
  RMDir "$SMPROGRAMS\${PRODUCT}"
  DeleteRegKey HKLM "${UNINST_KEY}"
SectionEnd
