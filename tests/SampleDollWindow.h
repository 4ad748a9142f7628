// The main window on the sample doll, for widget tests: a scratch folder it works in, holding
// the sample doll, and the window with its loop not started (frames are driven by the test),
// the doll standing still at rotation 0 and shade 0.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <filesystem>
#include <memory>

#include "TestFiles.h"
#include "doll/ShapeProfile.h"
#include "framework/FileOutput.h"
#include "scene/UnitForm.h"

class SampleDollWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const std::string& file : {ShapeFileName, TextureFileName})
      std::filesystem::copy_file(std::filesystem::path(KAVINEL_SAMPLES) / file, file);
    Direction.clear();
    RotationOffset = 0;
    ShadeLevel = 0;
    form = std::make_unique<TFormMain>();
    QCoreApplication::removePostedEvents(form.get(), WM_RUNLOOP);
  }
  void TearDown() override {
    SetFileOutputFunctions(nullptr, nullptr);
    form.reset();
  }

  ScratchFolder folder{true};
  std::unique_ptr<TFormMain> form;
};
