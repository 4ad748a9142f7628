// The tool window of a painting: the brush's colour, size and kind, the strokes taken back
// and put back, and the end of the painting. It shows the painting's brush and changes it; the main
// window wires up what else its buttons do, and its keys.
#pragma once

#include <QCursor>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <QWidget>
#include <functional>
#include <vector>

#include "PaintSession.h"
#include "framework/TavoBmp.h"

// The name the swatches give `colour`, or else its value, #rrggbb.
QString ColourName(Pixel24 colour);

// The pointer over the doll while painting: the outline of a brush `diameter` view pixels
// across, centred on the pointer's point, drawn with `pixelRatio` device pixels to a view pixel.
QCursor BrushCursor(int diameter, qreal pixelRatio);

class TPaintTools : public QWidget {
 public:
  struct TActions {
    std::function<void()> Changed;  // the brush changed
    std::function<void()> Undo;
    std::function<void()> Redo;
    std::function<void()> Done;  // the Done button, or the window closed
  };

  // A tool window of `owner` for the brush of `session`, hidden.
  TPaintTools(QWidget* owner, TPaintSession& session, TActions actions);

  std::vector<QToolButton*> Swatches;  // black first, then white and ten more
  QLabel* const CurrentColour;
  QPushButton* const OtherColour;
  std::vector<QToolButton*> Sizes;  // one for each of BrushDiameters
  QToolButton* const Brush;
  QToolButton* const Eraser;
  QToolButton* const Fill;
  QToolButton* const Mirror;
  QSlider* const Tolerance;  // how far a fill reaches
  QPushButton* const Undo;
  QPushButton* const Redo;
  QPushButton* const Done;

  // Shows the brush and whether a stroke can be taken back or put back.
  void ShowState();
  // Shows the window beside `main`'s frame, where the screen has room for it.
  void ShowBeside(const QWidget& main);

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void AddControls();
  QGridLayout* AddSwatches();
  void AddSizes();
  void ChooseColour(Pixel24 colour);
  void ChooseOtherColour();
  void ChooseDiameter(int diameter);
  void ChooseTool(TBrushTool tool);
  QHBoxLayout* ToleranceRow();

  TPaintSession& FSession;
  TActions FActions;
};
