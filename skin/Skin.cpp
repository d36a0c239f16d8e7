#include "skin/Skin.h"

Skin& GetSkin() {
  static Skin skin;
  return skin;
}
