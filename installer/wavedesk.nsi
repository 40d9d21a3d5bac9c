; wavedesk-setup.exe: installs the VELNORA KX750 configuration utility and
; NXLIB32 for all users of the computer, and optionally the simulated
; adapter for trying the utility without the hardware.
;
; Built by scripts/installer.sh from the release preset's binaries:
;   makensis -DSRCDIR=<source folder> -DBINDIR=<binaries> -DOUTFILE=<setup.exe> wavedesk.nsi
;
; Command line (besides NSIS's own /S and /D=folder, which must come last):
;   /DEMO   selects "Simulated adapter (demonstration)", for silent installs.
;
; What stays after uninstalling: the adapter's own registry key with the
; user's profiles ("CustomParams\Configurations"), "CardCfgId" (without it
; the stored WEP keys cannot be deciphered) and the driver's values that
; mirror the selected profile. They are the user's data and the adapter's,
; not the utility's files, and a reinstall finds them there.
; With the simulator, its world and the stand-in driver's service and files
; go; the simulated adapter's installation (what `nxsim install` writes as
; Windows' records of an installed adapter, the adapter's own key among
; them) stays, as a real adapter's would. `nxsim remove` takes it away.

; ANSI: a Unicode installer does not start on Windows 95, 98 or Me.
Unicode false
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

Name "${PRODUCT}"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\${PUBLISHER}\KX750 Configuration Utility"
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
!include WinVer.nsh

!define MUI_ICON "${SRCDIR}/res/art/wavedesk.ico"
!define MUI_UNICON "${SRCDIR}/res/art/wavedesk.ico"
; Descriptions under the list, which leaves the components' names whole.
!define MUI_COMPONENTSPAGE_SMALLDESC
!define MUI_FINISHPAGE_RUN "$INSTDIR\wavedesk.exe"

!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "English"

; ---------------------------------------------------------------------------
; Shared by the installer and the uninstaller (the uninstaller's functions
; must carry the "un." prefix, so each is defined twice).

; Ends a running utility the way its own tray menu does: an open property
; sheet is cancelled first (the tray dialog's modal run cannot return while
; the sheet's runs, and a utility of an earlier release may be the one
; running), then "Exit" (WM_COMMAND 40004) goes to the tray dialog, the tool
; window titled with string 1. Waits at most 15 s for the process, so that
; its files are free to replace or delete.
!macro DEFINE_END_UTILITY UN
Function ${UN}EndUtility
  Push $0
  Push $1
  Push $2
  Push $3
  StrCpy $0 0 ; last window looked at
  StrCpy $2 0 ; the tray dialog
  ${Do}
    FindWindow $0 "" "${APP_TITLE}" 0 $0
    ${If} $0 = 0
      ${ExitDo}
    ${EndIf}
    System::Call "user32::GetWindowLongA(p r0, i -20) i .r1" ; GWL_EXSTYLE
    IntOp $1 $1 & 0x80 ; WS_EX_TOOLWINDOW
    ${If} $1 <> 0
      StrCpy $2 $0
    ${Else}
      System::Call "user32::PostMessageA(p r0, i 0x111, i 2, i 0)" ; WM_COMMAND IDCANCEL
    ${EndIf}
  ${Loop}
  ${If} $2 <> 0
    DetailPrint "Ending the running ${PRODUCT}"
    StrCpy $3 0
    System::Call "user32::GetWindowThreadProcessId(p r2, *i .r1)"
    System::Call "kernel32::OpenProcess(i 0x00100000, i 0, i r1) p .r3" ; SYNCHRONIZE
    System::Call "user32::PostMessageA(p r2, i 0x111, i ${ID_TRAY_EXIT}, i 0)"
    ${If} $3 <> 0
      System::Call "kernel32::WaitForSingleObject(p r3, i 15000) i .r1"
      System::Call "kernel32::CloseHandle(p r3)"
    ${Else}
      ; No handle to wait on: watch the window instead.
      StrCpy $3 0
      ${Do}
        System::Call "user32::IsWindow(p r2) i .r1"
        ${If} $1 = 0
          ${ExitDo}
        ${EndIf}
        Sleep 100
        IntOp $3 $3 + 1
      ${LoopUntil} $3 >= 150
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
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
    System::Call "advapi32::OpenSCManagerA(p 0, p 0, i 0xF003F) p .r1" ; SC_MANAGER_ALL_ACCESS
    ${If} $1 <> 0
      ; DELETE | SERVICE_STOP | SERVICE_QUERY_STATUS
      System::Call "advapi32::OpenServiceA(p r1, t r0, i 0x10024) p .r2"
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

; Removes the simulator: the stand-in driver's services and its world, the
; stand-in driver files and nxsim.exe. The simulated adapter's installation
; records stay as a real adapter's would: its own key holds the user's
; profiles and "CardCfgId".
!macro DEFINE_REMOVE_SIMULATOR UN
Function ${UN}RemoveSimulator
  DetailPrint "Removing the simulated adapter's world"
  DeleteRegKey HKLM "${SIM_WORLD_KEY}"
  Delete /REBOOTOK "$INSTDIR\NXPROTO.SYS"
  Delete /REBOOTOK "$INSTDIR\NXPROTO4.SYS"
  Delete /REBOOTOK "$INSTDIR\nxsim.exe"
FunctionEnd
!macroend

!insertmacro DEFINE_END_UTILITY ""
!insertmacro DEFINE_END_UTILITY "un."
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

; Runs nxsim with the given arguments, hidden; leaves its exit code (or
; "error" when it could not be started) on the stack.
!macro NXSIM ARGS
  nsExec::ExecToLog '"$INSTDIR\nxsim.exe" ${ARGS}'
!macroend

Section "-End a running utility"
  Call EndUtility
  ; The driver file may be about to be replaced, or the folder may differ
  ; from the one the service names; NXLIB32 registers it afresh.
  Push "NXPROTO"
  Call RemoveDriverService
  Push "NXPROTO4"
  Call RemoveDriverService
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
    SetErrorLevel 2
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

; ---------------------------------------------------------------------------
; The uninstaller.

Section "Uninstall"
  Call un.EndUtility
  Push "NXPROTO"
  Call un.RemoveDriverService
  Push "NXPROTO4"
  Call un.RemoveDriverService
  ${If} ${FileExists} "$INSTDIR\nxsim.exe"
    Call un.RemoveSimulator
  ${EndIf}

  Delete /REBOOTOK "$INSTDIR\wavedesk.exe"
  Delete /REBOOTOK "$INSTDIR\NXLIB32.dll"
  Delete "$INSTDIR\uninstall.exe"
  ; Only when empty: what the user put there stays.
  RMDir /REBOOTOK "$INSTDIR"
  ${un.GetParent} "$INSTDIR" $0
  ${If} $0 == "$PROGRAMFILES\${PUBLISHER}"
    RMDir "$0"
  ${EndIf}

  SetShellVarContext all
  Delete "$SMPROGRAMS\${START_MENU_FOLDER}\${PRODUCT}.lnk"
  RMDir "$SMPROGRAMS\${START_MENU_FOLDER}"

  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"
SectionEnd
