; wavedesk-setup.exe: installs the VELNORA KX750 configuration utility and
; NXLIB32 for all users of the computer, and optionally the simulated
; adapter for trying the utility without the hardware.
;
; Built by scripts/installer.sh from the release preset's binaries:
;   makensis -DSRCDIR=<source folder> -DBINDIR=<binaries> -DOUTFILE=<setup.exe> wavedesk.nsi
; -DAMD64 makes the same installer for 64-bit Windows around 64-bit
; binaries. It never ships: the tests run it on machines that cannot run
; 32-bit programs. -DTEST_SEAMS adds the tests' stand-in for what Wine
; cannot be made to answer: a non-empty WD_SETUP_ACCOUNT_TYPE in the
; environment replaces the account type the rights check reads (Wine's
; user is always an administrator).
;
; Command line (besides NSIS's own /S and /D=folder, which must come last):
;   /DEMO   selects "Simulated adapter (demonstration)", for silent installs.
;
; Exit codes, of setup and of the uninstaller when it runs in place
; (uninstall.exe /S _?=<its folder>; started otherwise it copies itself away
; and returns at once):
;   0     done
;   3010  done; files in use are removed when Windows restarts
;   1     cancelled by the user
;   2     failed (a message said why)
;   5     the user is no administrator; nothing was changed
;   32    a running utility did not end when asked; nothing was changed
;
; One installation at a time: setup finds an earlier one through its
; uninstall entry ("InstallLocation") and installs over it in its folder,
; or removes it first when another folder is chosen. An uninstaller removes
; only what its own installation put in place.
;
; What stays after uninstalling: the user's data in the adapter's own key,
; the profiles ("CustomParams\Configurations"), "CardCfgId" (without it the
; stored WEP keys cannot be deciphered) and the driver's values that mirror
; the selected profile; a reinstall finds them there. With the simulator,
; the simulated installation goes (`nxsim remove keep-profiles`: device
; node, Services\DOVIZ, DOVIZ.sys, the world, the NT 4.0 card), leaving the
; adapter's own key only when it holds such data.

!ifdef AMD64
  Target amd64-unicode
!else
  ; ANSI: a Unicode installer does not start on Windows 95, 98 or Me.
  Unicode false
!endif
SetCompressor /SOLID lzma
RequestExecutionLevel admin

!ifndef SRCDIR | BINDIR | OUTFILE
  !error "define SRCDIR, BINDIR and OUTFILE (scripts/installer.sh does)"
!endif

; Version and publisher from the header the version resources are made of;
; the window title from the utility's string table; the simulator's names
; from the header the stand-in driver and nxsim share.
!searchparse /file "${SRCDIR}/res/version.h" "#define WD_VERSION_MAJOR " V_MAJOR
!searchparse /file "${SRCDIR}/res/version.h" "#define WD_VERSION_MINOR " V_MINOR
!searchparse /file "${SRCDIR}/res/version.h" "#define WD_VERSION_PATCH " V_PATCH
!searchparse /file "${SRCDIR}/res/version.h" "#define WD_VERSION_BUILD " V_BUILD
!searchparse /file "${SRCDIR}/res/version.h" '#define WD_COMPANY_NAME "' PUBLISHER '"'
!searchparse /file "${SRCDIR}/res/version.h" '#define WD_PRODUCT_NAME "' PRODUCT '"'
!searchparse /file "${SRCDIR}/res/strings.rc" 'IDS_APP_TITLE "' APP_TITLE '"'
!searchparse /file "${SRCDIR}/res/resource.h" "#define ID_TRAY_EXIT " ID_TRAY_EXIT
!searchparse /file "${SRCDIR}/sim/SimWorld.h" '#define NX_SIM_WORLD_KEY "' SIM_WORLD_KEY_C '"'
!searchparse /file "${SRCDIR}/sim/SimWorld.h" '#define NX_SIM_NET_CFG_INSTANCE_ID "' SIM_NET_CFG_ID '"'
!searchparse /file "${SRCDIR}/sim/SimWorld.h" '#define NX_SIM_NT4_SERVICE_NAME "' SIM_NT4_SERVICE '"'
!searchparse /file "${SRCDIR}/sim/SimWorld.h" '#define NX_SIM_ADAPTER_DESCRIPTION "' ADAPTER_DESCRIPTION '"'
!searchreplace SIM_WORLD_KEY "${SIM_WORLD_KEY_C}" "\\" "\"

!define VERSION "${V_MAJOR}.${V_MINOR}.${V_PATCH}.${V_BUILD}"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\wavedesk"
; HKLM, not HKCU: the utility is installed for the computer, so it starts
; for every user who logs on, and the uninstaller (run by whichever
; administrator) can remove the value; it could not reach other users' HKCU.
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "wavedesk"
!define START_MENU_FOLDER "${PUBLISHER}"
!define NET_CLASS_KEY "System\CurrentControlSet\Control\Class\{4D36E972-E325-11CE-BFC1-08002BE10318}"
!define NT4_PARAMETERS_KEY "System\CurrentControlSet\Services\${SIM_NT4_SERVICE}\Parameters"
!define SERVICES_KEY "System\CurrentControlSet\Services"

; System::Call names the entry point whose text is as wide as the
; installer's own strings ("t"): the ANSI one in the ANSI installer.
!if ${NSIS_CHAR_SIZE} > 1
  !define AW W
!else
  !define AW A
!endif
!ifdef AMD64
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else
  !define PROGRAM_FILES "$PROGRAMFILES"
!endif

; Exit codes (see the top).
!define EXIT_FAILED 2
!define EXIT_NOT_ADMIN 5
!define EXIT_UTILITY_RUNS 32
!define EXIT_RESTART_NEEDED 3010

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "${PROGRAM_FILES}\${PUBLISHER}\KX750 Configuration Utility"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "${PUBLISHER} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show

VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${PRODUCT}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "FileDescription" "${PRODUCT} Setup"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "ProductVersion" "${VERSION}"

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include Sections.nsh
!include StrFunc.nsh
!include WinVer.nsh

${UnStrStr}

!define MUI_ICON "${SRCDIR}/res/art/wavedesk.ico"
!define MUI_UNICON "${SRCDIR}/res/art/wavedesk.ico"
; Descriptions under the list, which leaves the components' names whole.
!define MUI_COMPONENTSPAGE_SMALLDESC
; The finish page offers to start the utility, and to restart Windows
; instead when files in use could only be scheduled to be replaced.
!define MUI_FINISHPAGE_RUN "$INSTDIR\wavedesk.exe"

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

Var endResult      ; what EndUtility did: "none", "ended" or "running"
Var endedUtility   ; 1 when setup ended a running utility
Var driverServices ; the driver services this installation may own, blank-separated

; ---------------------------------------------------------------------------
; Shared by the installer and the uninstaller (the uninstaller's functions
; must carry the "un." prefix, so each is defined twice).

; Ends a running utility the way its tray menu does: "Exit" (WM_COMMAND
; 40004) to the tray dialog, which closes an open property sheet first and
; then ends the program. The tray dialog is the tool window titled with
; string 1; the sheet bears the same title but is no tool window, and is
; left to the utility. Waits at most 15 s for the process, so that its files
; are free to replace or delete. Sets $endResult.
!macro DEFINE_END_UTILITY UN
Function ${UN}EndUtility
  Push $0
  Push $1
  Push $2
  Push $3
  Push $4
  StrCpy $0 0 ; the window the search goes on after
  StrCpy $2 0 ; the tray dialog
  StrCpy $4 0 ; searches started again
  ${Do}
    FindWindow $1 "" "${APP_TITLE}" 0 $0
    ${If} $1 = 0
      ${If} $0 = 0
        ${ExitDo}
      ${EndIf}
      ; A search that goes on after a window destroyed meanwhile finds
      ; nothing: then it starts again from the top.
      System::Call "user32::IsWindow(p r0) i .r3"
      ${If} $3 <> 0
      ${OrIf} $4 >= 20
        ${ExitDo}
      ${EndIf}
      IntOp $4 $4 + 1
      StrCpy $0 0
      ${Continue}
    ${EndIf}
    System::Call "user32::GetWindowLong${AW}(p r1, i -20) i .r3" ; GWL_EXSTYLE
    IntOp $3 $3 & 0x80 ; WS_EX_TOOLWINDOW
    ${If} $3 <> 0
      StrCpy $2 $1
      ${ExitDo}
    ${EndIf}
    StrCpy $0 $1
  ${Loop}

  StrCpy $endResult "none"
  ${If} $2 <> 0
    DetailPrint "Ending the running ${PRODUCT}"
    StrCpy $3 0
    System::Call "user32::GetWindowThreadProcessId(p r2, *i .r1)"
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r3" ; SYNCHRONIZE
    System::Call "user32::PostMessage${AW}(p r2, i 0x111, p ${ID_TRAY_EXIT}, p 0)"
    StrCpy $endResult "running"
    ${If} $3 <> 0
      System::Call "kernel32::WaitForSingleObject(p r3, i 15000) i .r1"
      System::Call "kernel32::CloseHandle(p r3)"
      ${If} $1 = 0 ; WAIT_OBJECT_0
        StrCpy $endResult "ended"
      ${EndIf}
    ${Else}
      ; No handle to wait on: watch the window instead.
      StrCpy $3 0
      ${Do}
        System::Call "user32::IsWindow(p r2) i .r1"
        ${If} $1 = 0
          StrCpy $endResult "ended"
          ${ExitDo}
        ${EndIf}
        Sleep 100
        IntOp $3 $3 + 1
      ${LoopUntil} $3 >= 150
    ${EndIf}
  ${EndIf}
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend

; Ends a running utility; one that does not end is reported, and the user
; may end it and retry, or stop with nothing changed (silent: exit code 32).
!macro END_UTILITY_OR_STOP UN STOPPED
  ${Do}
    Call ${UN}EndUtility
    ${If} $endResult != "running"
      ${ExitDo}
    ${EndIf}
    DetailPrint "The running ${PRODUCT} did not end"
    ${If} ${Cmd} `MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION "The running ${PRODUCT} did not end when asked to. End it (Exit in its menu in the notification area, or wavedesk.exe in the Task Manager), then choose Retry.$\n$\nCancel stops ${STOPPED}" /SD IDCANCEL IDCANCEL`
      SetErrorLevel ${EXIT_UTILITY_RUNS}
      Abort
    ${EndIf}
  ${Loop}
!macroend

; Pushes 1 when the file PATH lies directly in FOLDER, else 0. Either may be
; in short (8.3) form, as NXLIB32 writes its driver's path; "\??\" in front,
; as the service manager may keep a path, is passed over.
; Stack: FOLDER, then PATH on top.
!macro DEFINE_IN_FOLDER UN
Function ${UN}InFolder
  Exch $R0 ; path
  Exch
  Exch $R1 ; folder
  Push $R2
  StrCpy $R2 $R0 4
  ${If} $R2 == "\??\"
    StrCpy $R0 $R0 "" 4
  ${EndIf}
  !insertmacro GetParentCall "$R0" $R0
  ${If} $R0 == $R1 ; NSIS compares text without regard to case
    StrCpy $R0 1
  ${Else}
    ; Once more in short form, when both folders exist.
    ClearErrors
    GetFullPathName /SHORT $R0 $R0
    GetFullPathName /SHORT $R1 $R1
    ${If} ${Errors}
    ${OrIf} $R0 == ""
    ${OrIf} $R0 != $R1
      StrCpy $R0 0
    ${Else}
      StrCpy $R0 1
    ${EndIf}
  ${EndIf}
  Pop $R2
  Pop $R1
  Exch $R0
FunctionEnd
!macroend

; Pushes 1 when the kernel-driver service named on the stack is this
; installation's: its driver file lies in the installation's folder, which
; is where NXLIB32 registers it from. Another program's service of the same
; name (another NXLIB32 user's) is not.
!macro DEFINE_IS_OWN_SERVICE UN
Function ${UN}IsOwnService
  Exch $0 ; service name
  Push $1
  ClearErrors
  ReadRegStr $1 HKLM "${SERVICES_KEY}\$0" "ImagePath"
  ${If} ${Errors}
  ${OrIf} $1 == ""
    StrCpy $0 0
  ${Else}
    Push $INSTDIR
    Push $1
    Call ${UN}InFolder
    Pop $0
  ${EndIf}
  Pop $1
  Exch $0
FunctionEnd
!macroend

; Stops and deletes the kernel-driver service named on the stack, if there
; is one. NXLIB32 registers it on demand with the driver file beside the
; library, and registers it again when it is missing; so removing it frees
; the file and never leaves a service pointing at a folder that is gone.
!macro DEFINE_REMOVE_SERVICE UN
Function ${UN}RemoveDriverService
  Exch $0 ; service name
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  ${If} ${IsNT}
    System::Call "advapi32::OpenSCManager${AW}(p 0, p 0, i 0xF003F) p .r1" ; SC_MANAGER_ALL_ACCESS
    ${If} $1 <> 0
      ; DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS
      System::Call "advapi32::OpenService${AW}(p r1, t r0, i 0x10024) p .r2"
      ${If} $2 <> 0
        DetailPrint "Stopping and removing the $0 service"
        System::Call "*(&i28) p .r3" ; SERVICE_STATUS
        System::Call "advapi32::ControlService(p r2, i 1, p r3) i" ; SERVICE_CONTROL_STOP
        StrCpy $4 0
        ${Do}
          System::Call "advapi32::QueryServiceStatus(p r2, p r3) i .r5"
          ${If} $5 = 0
            ${ExitDo}
          ${EndIf}
          System::Call "*$3(i, i .r5)" ; dwCurrentState
          ${If} $5 = 1 ; SERVICE_STOPPED
            ${ExitDo}
          ${EndIf}
          Sleep 100
          IntOp $4 $4 + 1
        ${LoopUntil} $4 >= 100
        System::Free $3
        System::Call "advapi32::DeleteService(p r2) i .r5"
        ${If} $5 = 0
          DetailPrint "The $0 service could not be removed"
        ${EndIf}
        System::Call "advapi32::CloseServiceHandle(p r2)"
      ${EndIf}
      System::Call "advapi32::CloseServiceHandle(p r1)"
    ${EndIf}
  ${EndIf}
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend

; Removes the simulator: the simulated installation (nxsim keeps the user's
; profiles, "CardCfgId" and the driver values in the adapter's own key),
; then the stand-in driver files and nxsim.exe. Files in use are removed
; when Windows restarts.
!macro DEFINE_REMOVE_SIMULATOR UN
Function ${UN}RemoveSimulator
  Push $0
  DetailPrint "Removing the simulated adapter"
  nsExec::ExecToLog '"$INSTDIR\nxsim.exe" remove keep-profiles'
  Pop $0
  ${If} $0 != 0
    DetailPrint "The simulated adapter was not removed completely (nxsim remove: $0)"
  ${EndIf}
  DeleteRegKey HKLM "${SIM_WORLD_KEY}"
  Delete /REBOOTOK "$INSTDIR\NXPROTO.SYS"
  Delete /REBOOTOK "$INSTDIR\NXPROTO4.SYS"
  Delete /REBOOTOK "$INSTDIR\nxsim.exe"
  Pop $0
FunctionEnd
!macroend

; Setup and the uninstaller change what belongs to the computer (HKLM,
; Program Files, services): on the NT family a user who is no administrator
; gets pieces of it done and the rest refused. One message, then stop
; (silent: exit code 5).
!macro CHECK_RIGHTS MESSAGE
  ${If} ${IsNT}
    UserInfo::GetAccountType
    Pop $0
    !ifdef TEST_SEAMS
      ReadEnvStr $1 WD_SETUP_ACCOUNT_TYPE
      ${If} $1 != ""
        StrCpy $0 $1
      ${EndIf}
    !endif
    ${If} $0 != "Admin"
      MessageBox MB_OK|MB_ICONSTOP "${MESSAGE}" /SD IDOK
      SetErrorLevel ${EXIT_NOT_ADMIN}
      Abort
    ${EndIf}
  ${EndIf}
!macroend

!insertmacro DEFINE_END_UTILITY ""
!insertmacro DEFINE_END_UTILITY "un."
!insertmacro DEFINE_IN_FOLDER ""
!insertmacro DEFINE_IN_FOLDER "un."
!insertmacro DEFINE_IS_OWN_SERVICE ""
!insertmacro DEFINE_IS_OWN_SERVICE "un."
!insertmacro DEFINE_REMOVE_SERVICE ""
!insertmacro DEFINE_REMOVE_SERVICE "un."
!insertmacro DEFINE_REMOVE_SIMULATOR ""
!insertmacro DEFINE_REMOVE_SIMULATOR "un."

; ---------------------------------------------------------------------------
; The installer.

; The driver's values in the adapter key mirror the user's selected profile;
; `nxsim install` writes a new installation's values there. They are kept
; across it, so that a reinstall loads the profile as it was.
; "=" marks a value that was there (it may be empty).
!macro FOR_EACH_DRIVER_VALUE MACRO KEY TAG
  !insertmacro ${MACRO} "${KEY}" ${TAG} TurboEnable
  !insertmacro ${MACRO} "${KEY}" ${TAG} ssid
  !insertmacro ${MACRO} "${KEY}" ${TAG} defaultKey
  !insertmacro ${MACRO} "${KEY}" ${TAG} key0
  !insertmacro ${MACRO} "${KEY}" ${TAG} key1
  !insertmacro ${MACRO} "${KEY}" ${TAG} key2
  !insertmacro ${MACRO} "${KEY}" ${TAG} key3
  !insertmacro ${MACRO} "${KEY}" ${TAG} keyLength0
  !insertmacro ${MACRO} "${KEY}" ${TAG} keyLength1
  !insertmacro ${MACRO} "${KEY}" ${TAG} keyLength2
  !insertmacro ${MACRO} "${KEY}" ${TAG} keyLength3
  !insertmacro ${MACRO} "${KEY}" ${TAG} uniqKeyLength
  !insertmacro ${MACRO} "${KEY}" ${TAG} uniqKey
  !insertmacro ${MACRO} "${KEY}" ${TAG} bssType
  !insertmacro ${MACRO} "${KEY}" ${TAG} sleepMode
  !insertmacro ${MACRO} "${KEY}" ${TAG} privacyInvoked
  !insertmacro ${MACRO} "${KEY}" ${TAG} NetworkAddress
!macroend
!macro DECLARE_KEPT KEY TAG NAME
  Var kept_${TAG}_${NAME}
!macroend
!macro KEEP_VALUE KEY TAG NAME
  ClearErrors
  ReadRegStr $0 HKLM "${KEY}" "${NAME}"
  ${If} ${Errors}
    StrCpy $kept_${TAG}_${NAME} ""
  ${Else}
    StrCpy $kept_${TAG}_${NAME} "=$0"
  ${EndIf}
!macroend
!macro RESTORE_VALUE KEY TAG NAME
  StrCpy $0 $kept_${TAG}_${NAME} 1
  ${If} $0 == "="
    StrCpy $0 $kept_${TAG}_${NAME} "" 1
    WriteRegStr HKLM "${KEY}" "${NAME}" $0
  ${EndIf}
!macroend
!insertmacro FOR_EACH_DRIVER_VALUE DECLARE_KEPT "" xp
!insertmacro FOR_EACH_DRIVER_VALUE DECLARE_KEPT "" nt4

Var simulatedKey ; the simulated adapter's class key instance, "" when none
Var realAdapter  ; 1 when an adapter that is not the simulated one is installed

; Looks through the network class key: the simulated adapter's instance is
; the one with the simulator's NetCfgInstanceId; any other instance with the
; adapter's description is a real adapter.
Function FindAdapters
  Push $0
  Push $1
  Push $2
  StrCpy $simulatedKey ""
  StrCpy $realAdapter 0
  StrCpy $0 0
  ${Do}
    EnumRegKey $1 HKLM "${NET_CLASS_KEY}" $0
    ${If} $1 == ""
      ${ExitDo}
    ${EndIf}
    ReadRegStr $2 HKLM "${NET_CLASS_KEY}\$1" "NetCfgInstanceID"
    ${If} $2 == "${SIM_NET_CFG_ID}"
      StrCpy $simulatedKey "${NET_CLASS_KEY}\$1"
    ${Else}
      ReadRegStr $2 HKLM "${NET_CLASS_KEY}\$1" "DriverDesc"
      ${If} $2 == "${ADAPTER_DESCRIPTION}"
        StrCpy $realAdapter 1
      ${EndIf}
    ${EndIf}
    IntOp $0 $0 + 1
  ${Loop}
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

; An earlier installation in another folder is removed by its own
; uninstaller first, so that one installation remains: left there, its
; uninstaller would later take away the names both share (Run value,
; uninstall entry, shortcut). One in the chosen folder is installed over.
Function RemoveEarlierInstallation
  Push $0
  Push $1
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} ${Errors}
  ${OrIf} $0 == ""
    Goto done
  ${EndIf}
  Push $INSTDIR
  Push "$0\uninstall.exe"
  Call InFolder
  Pop $1
  ${If} $1 = 1
    DetailPrint "Installing over the earlier installation in $0"
    Goto done
  ${EndIf}
  ${IfNot} ${FileExists} "$0\uninstall.exe"
    DetailPrint "The earlier installation in $0 has no uninstaller; its entries are replaced"
    Goto done
  ${EndIf}
  DetailPrint "Removing the earlier installation in $0"
  ClearErrors
  ExecWait '"$0\uninstall.exe" /S _?=$0' $1
  ${If} ${Errors}
  ${OrIf} $1 <> 0
  ${AndIf} $1 <> ${EXIT_RESTART_NEEDED}
    MessageBox MB_OK|MB_ICONSTOP "The earlier installation of ${PRODUCT} in $0 could not be removed (its uninstaller ended with $1). Remove it, then run Setup again." /SD IDOK
    SetErrorLevel ${EXIT_FAILED}
    Abort
  ${EndIf}
  ${If} $1 = ${EXIT_RESTART_NEEDED}
    SetRebootFlag true
  ${EndIf}
  ; Run in place, the uninstaller cannot delete itself.
  Delete "$0\uninstall.exe"
  RMDir "$0"
  ${GetParent} "$0" $1
  ${If} $1 == "${PROGRAM_FILES}\${PUBLISHER}"
    RMDir "$1"
  ${EndIf}
done:
  Pop $1
  Pop $0
FunctionEnd

; The driver service named on the stack: this installation's when there is
; none yet, or when its driver file lies in the install folder (an
; installation there registered it; it goes, NXLIB32 registers it afresh
; for the files about to be put in place). Another program's is left alone
; and not claimed, so that neither setup nor the uninstaller touches it.
Function ClaimDriverService
  Exch $0 ; service name
  Push $1
  ClearErrors
  EnumRegValue $1 HKLM "${SERVICES_KEY}\$0" 0
  ${If} ${Errors}
    StrCpy $1 1
  ${Else}
    Push $0
    Call IsOwnService
    Pop $1
    ${If} $1 = 1
      Push $0
      Call RemoveDriverService
    ${Else}
      DetailPrint "The $0 service belongs to another program; it is left alone"
    ${EndIf}
  ${EndIf}
  ${If} $1 = 1
    ${If} $driverServices == ""
      StrCpy $driverServices $0
    ${Else}
      StrCpy $driverServices "$driverServices $0"
    ${EndIf}
  ${EndIf}
  Pop $1
  Pop $0
FunctionEnd

; Runs nxsim with the given arguments, hidden; leaves its exit code (or
; "error" when it could not be started) on the stack.
!macro NXSIM ARGS
  nsExec::ExecToLog '"$INSTDIR\nxsim.exe" ${ARGS}'
!macroend

Section "-Prepare"
  ; Before anything is written: a utility that does not end stops setup
  ; with nothing changed.
  !insertmacro END_UTILITY_OR_STOP "" "Setup, which has changed nothing."
  ${If} $endResult == "ended"
    StrCpy $endedUtility 1
  ${EndIf}
  Call RemoveEarlierInstallation
  StrCpy $driverServices ""
  Push "NXPROTO"
  Call ClaimDriverService
  Push "NXPROTO4"
  Call ClaimDriverService
SectionEnd

Section "!${PRODUCT}" SecUtility
  SectionIn RO
  SetOutPath "$INSTDIR"
  File "${BINDIR}/wavedesk.exe"
  File "${BINDIR}/NXLIB32.dll"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateDirectory "$SMPROGRAMS\${START_MENU_FOLDER}"
  CreateShortCut "$SMPROGRAMS\${START_MENU_FOLDER}\${PRODUCT}.lnk" "$INSTDIR\wavedesk.exe" \
                 "" "$INSTDIR\wavedesk.exe" 0

  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" '"$INSTDIR\wavedesk.exe"'

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\wavedesk.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMajor" ${V_MAJOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "VersionMinor" ${V_MINOR}
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ; The driver services that were free or this installation's when it was
  ; made: the only ones its uninstaller may remove.
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DriverServices" "$driverServices"
SectionEnd

Section /o "Simulated adapter (demonstration)" SecDemo
  Call FindAdapters
  ${If} $realAdapter = 1
    ; nxsim would write its own installation over the adapter's.
    MessageBox MB_OK|MB_ICONINFORMATION \
      "A ${ADAPTER_DESCRIPTION} is installed on this computer. The simulated adapter is only for trying the utility without one; it was not installed." \
      /SD IDOK
    DetailPrint "Simulated adapter not installed: a real adapter is present"
    Return
  ${EndIf}

  SetOutPath "$INSTDIR"
  File "${BINDIR}/NXPROTO.SYS"
  File "${BINDIR}/NXPROTO4.SYS"
  File "${BINDIR}/nxsim.exe"

  ${If} $simulatedKey != ""
    !insertmacro FOR_EACH_DRIVER_VALUE KEEP_VALUE "$simulatedKey" xp
  ${EndIf}
  !insertmacro FOR_EACH_DRIVER_VALUE KEEP_VALUE "${NT4_PARAMETERS_KEY}" nt4

  DetailPrint "Installing the simulated adapter"
  !insertmacro NXSIM "install"
  Pop $0
  ${If} $0 != 0
    SetErrorLevel ${EXIT_FAILED}
    MessageBox MB_OK|MB_ICONEXCLAMATION "The simulated adapter could not be installed (nxsim: $0)." /SD IDOK
    Return
  ${EndIf}
  ; A living world to look at: networks to choose from, a drifting signal,
  ; traffic. Without it the installation's plain world stays, which works.
  !insertmacro NXSIM "demo"
  Pop $0
  ${If} $0 != 0
    DetailPrint "The simulated world stays as installed (nxsim demo: $0)"
  ${EndIf}

  Call FindAdapters
  ${If} $simulatedKey != ""
    !insertmacro FOR_EACH_DRIVER_VALUE RESTORE_VALUE "$simulatedKey" xp
  ${EndIf}
  !insertmacro FOR_EACH_DRIVER_VALUE RESTORE_VALUE "${NT4_PARAMETERS_KEY}" nt4
SectionEnd

Section "-Finish"
  ; Installed again without the simulator that an earlier install added.
  ${IfNot} ${SectionIsSelected} ${SecDemo}
  ${AndIf} ${FileExists} "$INSTDIR\nxsim.exe"
    Call RemoveSimulator
  ${EndIf}
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $0
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecUtility} \
    "The utility, in the notification area from log-on, and NXLIB32, the library it reaches the adapter through."
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDemo} \
    "A simulator for trying the utility without the hardware; its stand-in driver is not the adapter's protocol driver."
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  !insertmacro CHECK_RIGHTS \
    "Setup needs administrator rights: ${PRODUCT} is installed for every user of this computer. Log on as an administrator and run Setup again."
  StrCpy $endedUtility 0
  ${IfNot} ${IsNT}
    ; The stand-in is an NT kernel driver; the 95 family has no use for it.
    !insertmacro UnselectSection ${SecDemo}
    SectionSetText ${SecDemo} ""
  ${Else}
    ${GetParameters} $0
    ClearErrors
    ${GetOptions} $0 "/DEMO" $1
    ${IfNot} ${Errors}
      !insertmacro SelectSection ${SecDemo}
    ${EndIf}
  ${EndIf}
FunctionEnd

; A silent run reports a restart still to come in its exit code (the
; finish page offers it in an interactive one), and starts the utility it
; ended again (the finish page offers that too).
Function .onInstSuccess
  ${If} ${Silent}
    ${If} ${RebootFlag}
      SetErrorLevel ${EXIT_RESTART_NEEDED}
    ${EndIf}
    ${If} $endedUtility = 1
      Exec '"$INSTDIR\wavedesk.exe"'
    ${EndIf}
  ${EndIf}
FunctionEnd

; ---------------------------------------------------------------------------
; The uninstaller.

Var ownEntry ; 1 when the uninstall entry is this installation's (or there is none)

!macro UN_REMOVE_OWN_SERVICE NAME
  ${UnStrStr} $0 " $driverServices " " ${NAME} "
  ${If} $0 != ""
    Push "${NAME}"
    Call un.IsOwnService
    Pop $0
    ${If} $0 = 1
      Push "${NAME}"
      Call un.RemoveDriverService
    ${EndIf}
  ${EndIf}
!macroend

Function un.onInit
  !insertmacro CHECK_RIGHTS \
    "Removing ${PRODUCT} needs administrator rights. Log on as an administrator and run it again."
FunctionEnd

Section "Uninstall"
  !insertmacro END_UTILITY_OR_STOP "un." "the removal, which has removed nothing."

  ; The shared names (uninstall entry, shortcut, Run value) are this
  ; installation's only while they name its folder: an uninstaller left
  ; behind in another folder must not take the current installation's away.
  StrCpy $ownEntry 1
  StrCpy $driverServices ""
  ClearErrors
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${IfNot} ${Errors}
    Push $INSTDIR
    Push "$0\uninstall.exe"
    Call un.InFolder
    Pop $ownEntry
  ${EndIf}
  ${If} $ownEntry = 1
    ReadRegStr $driverServices HKLM "${UNINSTALL_KEY}" "DriverServices"
  ${EndIf}

  ; Only the driver services this installation claimed, and only while
  ; their driver file is still its own.
  !insertmacro UN_REMOVE_OWN_SERVICE NXPROTO
  !insertmacro UN_REMOVE_OWN_SERVICE NXPROTO4

  ${If} ${FileExists} "$INSTDIR\nxsim.exe"
    ${If} $ownEntry = 1
      Call un.RemoveSimulator
    ${Else}
      Delete /REBOOTOK "$INSTDIR\NXPROTO.SYS"
      Delete /REBOOTOK "$INSTDIR\NXPROTO4.SYS"
      Delete /REBOOTOK "$INSTDIR\nxsim.exe"
    ${EndIf}
  ${EndIf}

  Delete /REBOOTOK "$INSTDIR\wavedesk.exe"
  Delete /REBOOTOK "$INSTDIR\NXLIB32.dll"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: what the user put there stays. A folder that still
  ; holds files scheduled to go is scheduled with them.
  ${If} ${RebootFlag}
    RMDir /REBOOTOK "$INSTDIR"
  ${Else}
    RMDir "$INSTDIR"
  ${EndIf}
  ${un.GetParent} "$INSTDIR" $0
  ${If} $0 == "${PROGRAM_FILES}\${PUBLISHER}"
    RMDir "$0"
  ${EndIf}

  ${If} $ownEntry = 1
    SetShellVarContext all
    Delete "$SMPROGRAMS\${START_MENU_FOLDER}\${PRODUCT}.lnk"
    RMDir "$SMPROGRAMS\${START_MENU_FOLDER}"
    DeleteRegKey HKLM "${UNINSTALL_KEY}"
  ${EndIf}
  ReadRegStr $0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $0 == '"$INSTDIR\wavedesk.exe"'
    DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${EndIf}

  ${If} ${RebootFlag}
    ${If} ${Silent}
      SetErrorLevel ${EXIT_RESTART_NEEDED}
    ${ElseIf} ${Cmd} `MessageBox MB_YESNO|MB_ICONQUESTION "Some files of ${PRODUCT} are in use. They are removed when Windows restarts.$\n$\nRestart now?" IDYES`
      Reboot
    ${EndIf}
  ${EndIf}
SectionEnd
