#include "DollHistory.h"

#include <filesystem>

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

std::string NameOf(const std::string& path) {
  return std::filesystem::path(path).filename().string();
}

// PutBack on the files named `fileName` and `keptName` in `folder`; returns a name there.
std::string PutBackIn(const std::string& folder, const std::string& fileName,
                      const std::string& keptName, bool mayBeMissing) {
  const std::filesystem::path in(folder);
  return NameOf(PutBack((in / fileName).string(),
                        keptName.empty() ? std::string() : (in / keptName).string(), mayBeMissing));
}

}  // namespace

void TDollHistory::Record(const std::string& path, const std::string& keptPath, bool mayBeMissing) {
  FSteps.resize(FDone);
  FSteps.push_back({NameOf(path), NameOf(keptPath), "", mayBeMissing});
  FDone = FSteps.size();
}

std::optional<std::string> TDollHistory::Undo(const std::string& folder) {
  if (FDone == 0) return std::nullopt;
  TStep& step = FSteps[FDone - 1];
  step.After = PutBackIn(folder, step.FileName, step.Before, step.MayBeMissing);
  --FDone;
  return step.FileName;
}

std::optional<std::string> TDollHistory::Redo(const std::string& folder) {
  if (FDone == FSteps.size()) return std::nullopt;
  TStep& step = FSteps[FDone];
  step.Before = PutBackIn(folder, step.FileName, step.After, step.MayBeMissing);
  ++FDone;
  return step.FileName;
}

void TDollHistory::Clear() {
  FSteps.clear();
  FDone = 0;
}
