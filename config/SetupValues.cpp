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

bool SaveSetupValues(const SetupValues& values) {
  // Every value is written even after a failure, so what can be saved is.
  bool saved = true;
  saved &= TryWriteSetting("CACHE", "SAVE_DIR", values.m_strSaveDir);
  saved &= TryWriteSettingInt("CACHE", "WITH_DIR", values.m_bWithDir);
  saved &= TryWriteSetting("PLAY", "WINAMP_PATH", values.m_strWinampPath);
  saved &= TryWriteSetting("GENERAL", "LANGUAGE", values.m_strLanguage);
  saved &= TryWriteSettingInt("PLAY", "AUTO_CLEAR", values.m_bAutoClear);
  saved &= TryWriteSettingInt("PLAY", "AUTO_PLAY", values.m_bAutoPlay);
  saved &= TryWriteSettingInt("GENERAL", "CONTINUE_AFTER_ERROR", values.m_bContinueAfterError);
  saved &= TryWriteSettingInt("DISP", "MINIMIZE_START", values.m_bMinimizeStart);
  saved &= TryWriteSetting("SITE", "PROXY", values.m_strProxy);
  saved &= TryWriteSettingInt("SITE", "PROXY_MODE", values.m_nProxyMode);
  saved &= TryWriteSettingInt("DISP", "AUTO_CLOSE", values.m_bAutoClose);
  saved &= TryWriteSettingInt("DISP", "TRAY_MINIMIZE", values.m_bTrayMinimize);
  return saved;
}
