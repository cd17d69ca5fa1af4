#pragma once
// Geometry in twips, as the designs give it: 15 twips to a device-independent
// pixel (1440 / 96); Qt's high-DPI scaling handles the real screen.
#include <QtGlobal>

class QWidget;

namespace plat {

constexpr int kTwipsPerPixel = 15;

// Nearest pixel, halves away from zero.
int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);

// Left, top, width and height in twips (of the client area for a form).
struct TwipsBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  bool operator==(const TwipsBox&) const = default;
};

void SetTwipsGeometry(QWidget* w, const TwipsBox& box);
TwipsBox TwipsGeometry(const QWidget* w);
void SetTwipsPos(QWidget* w, int left, int top);
void SetTwipsSize(QWidget* w, int width, int height);

// Centres a top-level window on its screen (the designs' "centred").
void CentreOnScreen(QWidget* w);

// Keeps a top-level window, frame and all, on its screen's available area:
// a window larger than the area is made smaller (a fixed size gives way)
// and can be made no larger than the area, one that stands over an edge is
// moved in. Designs size windows for one
// screen; people have smaller ones, or scale them.
void FitOnScreen(QWidget* w);

}  // namespace plat
