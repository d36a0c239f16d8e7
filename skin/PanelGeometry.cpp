#include "skin/PanelGeometry.h"

#include <algorithm>

PanelRect CurrentFilePanelRect(const Skin& skin) {
  const SkinTextBox& box = skin.currentFile;
  return {box.x, box.y, box.w, box.h};
}

PanelRect StatusPanelRect(const Skin& skin) {
  const SkinTextBox& box = skin.status;
  return {box.x, box.y, box.w, box.h};
}

PanelRect ProgressPanelRect(const Skin& skin) {
  const SkinPicture& bar = skin.progress;
  return {bar.x, bar.y, bar.bitmap.Width(), bar.bitmap.Height() / 2};
}

PanelRect IndicatorPanelRect(const Skin& skin) {
  const SkinPicture& indicator = skin.indicator;
  return {indicator.x, indicator.y, indicator.bitmap.Width(),
          indicator.bitmap.Height() / kIndicatorFrames};
}

int ProgressFilledWidth(int percent, int barWidth) {
  return std::clamp(percent, 0, 100) * (barWidth / 100);
}

int IndicatorFrameTop(int frame, int pictureHeight) {
  return std::clamp(frame, 0, kIndicatorFrames - 1) * (pictureHeight / kIndicatorFrames);
}

int CentredTextLeft(int boxX, int boxWidth, int textWidth) {
  return boxX + (boxWidth - textWidth) / 2;
}
