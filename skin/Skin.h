#pragma once
// The skin: positions, sizes, colours, fonts and pictures of every element of
// the main window, once per process. Filled at start-up (skin/SkinLoader.h)
// on the GUI thread before any window or worker exists, read-only afterwards,
// so readers on any thread need no lock. Positions are pixels in the main
// window's client area; colours are ColorRef values.

#include "config/TextFields.h"
#include "skin/PixelImage.h"
#include "skin/SkinFont.h"

struct SkinMain {
  int panelHeight = 0;  // window height while the list is closed
  int panelEdge = 0;    // kept from the skin file; nothing draws with it
  PixelImage bitmap;    // background; its size is the window's open size
};

// An element drawn from one picture at a position: Progress (filled strip
// over empty strip), Indicator (eight frames, top to bottom) and the five
// buttons (released over pressed, already composited over the background).
struct SkinPicture {
  int x = 0;
  int y = 0;
  PixelImage bitmap;
};

// A box of text: CurrentFile and Status.
struct SkinTextBox {
  int x = 0;
  int y = 0;
  int w = 0;
  int h = 0;
  ColorRef color = 0;
  ColorRef bgColor = 0;
  SkinFont font;
};

// The list: a text box with colours for the selected row and the pictures of
// its scroll bar.
struct SkinDownloadList : SkinTextBox {
  ColorRef selColor = 0;
  ColorRef selBgColor = 0;
  PixelImage lineBitmap;    // 2 x 2 arrow cells: columns released/pressed, rows up/down
  PixelImage sliderBitmap;  // thumb: top cap, middle, bottom cap; its width is the bar's
  PixelImage railBitmap;    // track tile, repeated downwards
};

struct Skin {
  SkinMain main;
  SkinPicture progress;
  SkinTextBox currentFile;
  SkinPicture indicator;
  SkinTextBox status;
  SkinDownloadList downloadList;
  SkinPicture sysButton;
  SkinPicture minimize;
  SkinPicture close;
  SkinPicture open;
  SkinPicture skip;
};

// The process-wide skin record.
Skin& GetSkin();
