// The main window on the sample doll, for widget tests: a scratch folder it works in, holding
// the sample doll, and the window with its loop not started (frames are driven by the test),
// the doll standing still at rotation 0 and shade 0.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <filesystem>
#include <memory>

#include "TestFiles.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "scene/Scene.h"
#include "scene/UnitForm.h"

class SampleDollWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& file : {ShapeFileName, TextureFileName})
      std::filesystem::copy_file(std::filesystem::path(KAVINEL_SAMPLES) / file, file);
    OpenWindow();
  }
  void TearDown() override {
    SetFileOutputFunctions(nullptr, nullptr);
    form.reset();
  }

  // Makes the window on the doll of the working folder, its loop not started, the doll
  // standing still at rotation 0 and shade 0.
  void OpenWindow() {
    form = std::make_unique<TFormMain>();
    QCoreApplication::removePostedEvents(form.get(), WM_RUNLOOP);
    // A new window's doll turns clockwise, and nothing is drawn yet: Turn→ stops it, and the
    // window shows its state again as it would have shown the doll standing still from the
    // start.
    TDoll& doll = Doll();
    doll.RotationOffset = 0;
    doll.ShadeLevel = 0;
    doll.Direction = DirectionClockwise;
    form->BtnTurnRightClick();
    ASSERT_EQ(doll.Direction, "");
    ASSERT_EQ(form->Scene->DrawnRotation, 0);
  }

  // The doll the window shows.
  TDoll& Doll() const { return form->Scene->Doll; }

  ScratchFolder folder{true};
  std::unique_ptr<TFormMain> form;
};

// Drags `urls` onto the paint box and drops them; returns whether the box took them. The
// drop is handled once the events are processed.
inline bool DragAndDrop(TPaintBox* box, const QList<QUrl>& urls) {
  QMimeData data;
  data.setUrls(urls);
  const QPoint middle(100, 100);
  QDragEnterEvent enter(middle, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(box, &enter);
  if (!enter.isAccepted()) return false;
  EXPECT_TRUE(box->ShowsDropFrame());
  QDropEvent drop(QPointF(middle), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(box, &drop);
  EXPECT_FALSE(box->ShowsDropFrame());
  QCoreApplication::processEvents();
  return drop.isAccepted();
}
