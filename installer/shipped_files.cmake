# The product's own files in the program folder, by target and file name: what the installer puts
# there and removes, and the only files an update package may replace. The board maker's libraries
# (and the demo board standing in for them) are not among them.
set(ZOR_SHIPPED_FILES
  Zor2Svr Zor2Svr.exe
  zor2 zor2.exe
  Zor2Tray Zor2Tray.exe
  relaunch ReLaunch.exe
  updexe Updexe.exe
  zorstat zorstat.exe
  zor_skin_ENG ENG.dll  zor_skin_SC SC.dll  zor_skin_TC TC.dll
  zor_skin_AdvEng AdvEng.dll  zor_skin_AdvSC AdvSC.dll  zor_skin_AdvTC AdvTC.dll
  zor_skin_res res.dll
  zor_help zor2_eng.chm)
