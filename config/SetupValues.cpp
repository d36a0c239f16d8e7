#include "config/SetupValues.h"

#include "config/Settings.h"

SetupValues LoadSetupValues() {
  SetupValues values;
  values.m_strSaveDir = ReadSetting("CACHE", "SAVE_DIR", -1);
  values.m_bWithDir = ReadSettingInt("CACHE", "WITH_DIR", -1);
  values.m_strWinampPath = ReadSetting("PLAY", "WINAMP_PATH", -1);
  values.m_strLanguage = ReadSetting("GENERAL", "LANGUAGE", -1);
  values.m_bAutoClear = ReadSettingInt("PLAY", "AUTO_CLEAR", -1);
  values.m_bAutoPlay = ReadSettingInt("PLAY", "AUTO_PLAY", -1);
  values.m_bContinueAfterError = ReadSettingInt("GENERAL", "CONTINUE_AFTER_ERROR", -1);
  values.m_bMinimizeStart = ReadSettingInt("DISP", "MINIMIZE_START", -1);
  values.m_bAutoClose = ReadSettingInt("DISP", "AUTO_CLOSE", -1);
  values.m_bTrayMinimize = ReadSettingInt("DISP", "TRAY_MINIMIZE", -1);
  values.m_strProxy = ReadSetting("SITE", "PROXY", -1);
  values.m_nProxyMode = ReadSettingInt("SITE", "PROXY_MODE", -1);
  return values;
}

void SaveSetupValues(const SetupValues& values) {
  WriteSetting("CACHE", "SAVE_DIR", values.m_strSaveDir);
  WriteSettingInt("CACHE", "WITH_DIR", values.m_bWithDir);
  WriteSetting("PLAY", "WINAMP_PATH", values.m_strWinampPath);
  WriteSetting("GENERAL", "LANGUAGE", values.m_strLanguage);
  WriteSettingInt("PLAY", "AUTO_CLEAR", values.m_bAutoClear);
  WriteSettingInt("PLAY", "AUTO_PLAY", values.m_bAutoPlay);
  WriteSettingInt("GENERAL", "CONTINUE_AFTER_ERROR", values.m_bContinueAfterError);
  WriteSettingInt("DISP", "MINIMIZE_START", values.m_bMinimizeStart);
  WriteSetting("SITE", "PROXY", values.m_strProxy);
  WriteSettingInt("SITE", "PROXY_MODE", values.m_nProxyMode);
  WriteSettingInt("DISP", "AUTO_CLOSE", values.m_bAutoClose);
  WriteSettingInt("DISP", "TRAY_MINIMIZE", values.m_bTrayMinimize);
}
