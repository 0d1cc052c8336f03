; A small installer of the kind the system ships: before it writes its files,
; and its uninstaller before it removes them, the plug-in closes and ends the
; system's running programs.
;   makensis -DTARGET=x86-unicode|amd64-unicode -DPLUGIN_DIR=DIR
;            -DPAYLOAD=FILE -DOUT_FILE=FILE installer_script.nsi
Unicode true
Target ${TARGET}
!addplugindir /${TARGET} "${PLUGIN_DIR}"

Name "ZEL player"
OutFile "${OUT_FILE}"
InstallDir "$PROGRAMFILES\ZEL player"
RequestExecutionLevel user

Section
  zel_nsis::zel_install
  SetOutPath "$INSTDIR"
  File "${PAYLOAD}"
  WriteUninstaller "$INSTDIR\uninstall.exe"
SectionEnd

Section Uninstall
  zel_nsis::zel_uninstall
  Delete "$INSTDIR\${PAYLOAD_NAME}"
SectionEnd
