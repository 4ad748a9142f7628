#include "DollHistory.h"

#include "framework/FileOutput.h"
#include "framework/TavoErrors.h"
#include "framework/Translation.h"

namespace {

// Puts the version kept as `keptName` in place of `fileName`, or where there was none before
// the change, sets the file aside when the doll does without it; returns where the version
// it replaces is kept.
std::string PutBack(const std::string& fileName, const std::string& keptName, bool mayBeMissing) {
  if (keptName.empty() && mayBeMissing) return SetAside(fileName);
  if (keptName.empty())
    throw ETavoError(
        Tr("DollHistory", "ファイル \"%1\" には戻せる前の版がありません").Arg(fileName));
  return PutBackKeepingCurrent(fileName, keptName);
}

}  // namespace

void TDollHistory::Record(const std::string& fileName, const std::string& keptName,
                          bool mayBeMissing) {
  FSteps.resize(FDone);
  FSteps.push_back({fileName, keptName, "", mayBeMissing});
  FDone = FSteps.size();
}

std::optional<std::string> TDollHistory::Undo() {
  if (FDone == 0) return std::nullopt;
  TStep& step = FSteps[FDone - 1];
  step.After = PutBack(step.FileName, step.Before, step.MayBeMissing);
  --FDone;
  return step.FileName;
}

std::optional<std::string> TDollHistory::Redo() {
  if (FDone == FSteps.size()) return std::nullopt;
  TStep& step = FSteps[FDone];
  step.Before = PutBack(step.FileName, step.After, step.MayBeMissing);
  ++FDone;
  return step.FileName;
}

void TDollHistory::Clear() {
  FSteps.clear();
  FDone = 0;
}
