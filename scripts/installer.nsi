; The Windows installer, built by scripts/package.sh:
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DSTAGE=dir -DOUTFILE=file installer.nsi
; STAGE holds the files of the portable folder. The program keeps its settings
; and outputs next to itself, so the default is a per-user install (the user's
; own programs folder, writable); /AllUsers or the first page installs for
; everyone under Program Files.
Unicode true
SetCompressor /SOLID lzma
!include MUI2.nsh
!include LogicLib.nsh

!define PRODUCT "Imprinta"
!define PUBLISHER "Imprinta 项目"
!define UNINST_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Imprinta"
!define UNINSTALLER "Uninstall.exe"
!define EXPORT_FILE "公众号Brightquill 关注获取更多项目和软件.png"

!define MULTIUSER_EXECUTIONLEVEL Highest
!define MULTIUSER_MUI
!define MULTIUSER_INSTALLMODE_COMMANDLINE
!define MULTIUSER_INSTALLMODE_DEFAULT_CURRENTUSER
!define MULTIUSER_INSTALLMODE_INSTDIR "${PRODUCT}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_KEY "${UNINST_KEY}"
!define MULTIUSER_INSTALLMODE_INSTDIR_REGISTRY_VALUENAME "InstallLocation"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_KEY "${UNINST_KEY}"
!define MULTIUSER_INSTALLMODE_DEFAULT_REGISTRY_VALUENAME "InstallLocation"
!include MultiUser.nsh

Name "${PRODUCT} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
ShowInstDetails show
ShowUninstDetails show
VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=2052 "ProductName" "${PRODUCT}"
VIAddVersionKey /LANG=2052 "FileDescription" "${PRODUCT} 安装程序"
VIAddVersionKey /LANG=2052 "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=2052 "LegalCopyright" "Copyright (C) 2026 Imprinta 项目"

!define MUI_ICON "${ICON}"
!define MUI_UNICON "${ICON}"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Imprinta.exe"
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\使用说明.txt"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "查看使用说明"
!define MUI_FINISHPAGE_SHOWREADME_NOTCHECKED

!insertmacro MULTIUSER_PAGE_INSTALLMODE
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; A folder given with /D wins over the mode's default and an earlier install's.
Var ChosenDir
Function .onInit
  StrCpy $ChosenDir $INSTDIR
  !insertmacro MULTIUSER_INIT
  ${If} $ChosenDir != ""
    StrCpy $INSTDIR $ChosenDir
  ${EndIf}
FunctionEnd

Function un.onInit
  !insertmacro MULTIUSER_UNINIT
FunctionEnd

; Nothing is written before both checks pass, so a refused install leaves the
; folder as it was.
Function CheckTarget
  ${If} ${FileExists} "$INSTDIR\Imprinta.exe"
    ClearErrors
    FileOpen $0 "$INSTDIR\Imprinta.exe" a
    ${If} ${Errors}
      MessageBox MB_OK|MB_ICONSTOP "Imprinta 正在运行 ($INSTDIR)。请先关闭它, 再运行安装程序。" /SD IDOK
      SetErrorLevel 3
      Quit
    ${EndIf}
    FileClose $0
  ${EndIf}
  ClearErrors
  CreateDirectory "$INSTDIR"
  FileOpen $0 "$INSTDIR\.imprinta-probe" w
  ${If} ${Errors}
    MessageBox MB_OK|MB_ICONSTOP "无法写入文件夹 $INSTDIR 。请换一个文件夹, 或以管理员身份为所有用户安装。" /SD IDOK
    SetErrorLevel 4
    Quit
  ${EndIf}
  FileClose $0
  Delete "$INSTDIR\.imprinta-probe"
FunctionEnd

Section "Imprinta (必需)" SecMain
  SectionIn RO
  Call CheckTarget
  SetOutPath "$INSTDIR"
  SetOverwrite on
  File "${STAGE}\Imprinta.exe"
  File "${STAGE}\SkinH_QX.dll"
  File "${STAGE}\tutorial.html"
  File "${STAGE}\使用说明.txt"
  ; The fonts free for commercial use, with their licences: the program loads
  ; them from here for itself; they are not installed into the system.
  File /r "${STAGE}\fonts"
  ; The user's own: an existing settings file, template picture or template
  ; is never replaced (a reinstall or an update keeps them).
  SetOverwrite off
  File "${STAGE}\pz.ini"
  File "${STAGE}\1.png"
  File /r "${STAGE}\模板"
  SetOverwrite on
  SetOutPath "$INSTDIR"  ; the shortcuts' working folder
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"

  CreateDirectory "$SMPROGRAMS\Imprinta"
  CreateShortcut "$SMPROGRAMS\Imprinta\Imprinta.lnk" "$INSTDIR\Imprinta.exe"
  CreateShortcut "$SMPROGRAMS\Imprinta\使用说明.lnk" "$INSTDIR\使用说明.txt"
  CreateShortcut "$SMPROGRAMS\Imprinta\卸载 Imprinta.lnk" "$INSTDIR\${UNINSTALLER}" "/$MultiUser.InstallMode"

  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayName" "${PRODUCT}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINST_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINST_KEY}" "DisplayIcon" "$INSTDIR\Imprinta.exe"
  WriteRegStr SHCTX "${UNINST_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINST_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}" /$MultiUser.InstallMode'
  WriteRegStr SHCTX "${UNINST_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /$MultiUser.InstallMode /S'
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "NoRepair" 1
  WriteRegDWORD SHCTX "${UNINST_KEY}" "EstimatedSize" ${SIZE_KB}
SectionEnd

Section "桌面快捷方式" SecDesktop
  SetOutPath "$INSTDIR"
  CreateShortcut "$DESKTOP\Imprinta.lnk" "$INSTDIR\Imprinta.exe"
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecMain} "程序、使用说明、示例模板和设置。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecDesktop} "在桌面上放一个 Imprinta 快捷方式。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

; Removes what the installer put there; the user's settings, templates and
; outputs only when the user says so (a silent uninstall keeps them).
Section "Uninstall"
  Delete "$INSTDIR\Imprinta.exe"
  Delete "$INSTDIR\SkinH_QX.dll"
  Delete "$INSTDIR\tutorial.html"
  Delete "$INSTDIR\使用说明.txt"
  ; Only the fonts it brought: a font of the user's in the folder stays.
  Delete "$INSTDIR\fonts\wqy-microhei.ttf"
  Delete "$INSTDIR\fonts\LXGWWenKai-Regular.ttf"
  Delete "$INSTDIR\fonts\LXGWWenKai-Bold.ttf"
  Delete "$INSTDIR\fonts\字体说明.txt"
  Delete "$INSTDIR\fonts\licences\Apache-2.0.txt"
  Delete "$INSTDIR\fonts\licences\文泉驿微米黑-版权与许可.txt"
  Delete "$INSTDIR\fonts\licences\霞鹜文楷-版权与许可.txt"
  RMDir "$INSTDIR\fonts\licences"
  RMDir "$INSTDIR\fonts"
  Delete "$INSTDIR\${UNINSTALLER}"
  MessageBox MB_YESNO|MB_ICONQUESTION "是否同时删除你的设置 pz.ini、模板文件夹“模板”、批量输出“批量目录”、底图 1.png 和导出的图片?$\n选“否”则保留它们。" /SD IDNO IDNO keep
    Delete "$INSTDIR\pz.ini"
    Delete "$INSTDIR\1.png"
    Delete "$INSTDIR\${EXPORT_FILE}"
    RMDir /r "$INSTDIR\模板"
    RMDir /r "$INSTDIR\批量目录"
  keep:
  RMDir "$INSTDIR"

  Delete "$SMPROGRAMS\Imprinta\Imprinta.lnk"
  Delete "$SMPROGRAMS\Imprinta\使用说明.lnk"
  Delete "$SMPROGRAMS\Imprinta\卸载 Imprinta.lnk"
  RMDir "$SMPROGRAMS\Imprinta"
  Delete "$DESKTOP\Imprinta.lnk"
  DeleteRegKey SHCTX "${UNINST_KEY}"
SectionEnd
