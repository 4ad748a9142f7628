#include "DollHistory.h"

#include "framework/FileOutput.h"
#include "framework/TavoErrors.h"

namespace {

// Puts the version kept as `keptName` in place of `fileName`; returns where the version it
// replaces is kept.
std::string PutBack(const std::string& fileName, const std::string& keptName) {
  if (keptName.empty())
    throw ETavoError("ファイル \"" + fileName + "\" には戻せる前の版がありません");
  return PutBackKeepingCurrent(fileName, keptName);
}

}  // namespace

void TDollHistory::Record(const std::string& fileName, const std::string& keptName) {
  FSteps.resize(FDone);
  FSteps.push_back({fileName, keptName, ""});
  FDone = FSteps.size();
}

bool TDollHistory::Undo() {
  if (FDone == 0) return false;
  TStep& step = FSteps[FDone - 1];
  step.After = PutBack(step.FileName, step.Before);
  --FDone;
  return true;
}

bool TDollHistory::Redo() {
  if (FDone == FSteps.size()) return false;
  TStep& step = FSteps[FDone];
  step.Before = PutBack(step.FileName, step.After);
  ++FDone;
  return true;
}

void TDollHistory::Clear() {
  FSteps.clear();
  FDone = 0;
}
