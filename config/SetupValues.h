#pragma once
// The settings the setup sheet edits, held while the sheet is open. They are
// read from the settings store when the sheet opens and written back, every
// one of them, only when it is closed with OK.

#include <cstdint>
#include <string>

struct SetupValues {
  std::string m_strSaveDir;                // CACHE/SAVE_DIR
  std::int32_t m_bWithDir = 0;             // CACHE/WITH_DIR
  std::string m_strWinampPath;             // PLAY/WINAMP_PATH
  std::string m_strLanguage;               // GENERAL/LANGUAGE
  std::int32_t m_bAutoClear = 0;           // PLAY/AUTO_CLEAR
  std::int32_t m_bAutoPlay = 0;            // PLAY/AUTO_PLAY
  std::int32_t m_bContinueAfterError = 0;  // GENERAL/CONTINUE_AFTER_ERROR
  std::int32_t m_bMinimizeStart = 0;       // DISP/MINIMIZE_START
  std::int32_t m_bAutoClose = 0;           // DISP/AUTO_CLOSE
  std::int32_t m_bTrayMinimize = 0;        // DISP/TRAY_MINIMIZE
  std::string m_strProxy;                  // SITE/PROXY, "host:port"
  std::int32_t m_nProxyMode = 1;  // SITE/PROXY_MODE: 0 direct, 2 named proxy, else system setting
};

// Reads the values, whole, in a fixed order (save folder, directory tree,
// player, language, clear, play, continue, minimise, close, tray, proxy,
// proxy mode). A key the file lacks gets its default written as it is read.
SetupValues LoadSetupValues();

// Writes every value, changed or not, in the order save folder, directory
// tree, player, language, clear, play, continue, minimise, proxy, proxy mode,
// close, tray. False when any of them did not reach the settings file.
bool SaveSetupValues(const SetupValues& values);
