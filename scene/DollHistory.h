// The changes a run made to the doll's files, so that each can be taken back and put back
// again, in order, without ever deleting a file. The files are kept by their names in the
// doll's folder, so that the history follows the folder when it is renamed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class TDollHistory {
 public:
  // A change just made: the file at `path` was replaced and its earlier version kept at
  // `keptPath` in the same folder ("" when there was none: it was made). With `mayBeMissing`, the
  // doll does without the file, and taking back its making sets it aside. The changes that could
  // have been put back are forgotten.
  void Record(const std::string& path, const std::string& keptPath, bool mayBeMissing);

  // Takes back the last change, in the doll's folder `folder`: the file now in place is kept
  // under its next free backup name and the earlier version is put back (PutBackKeepingCurrent),
  // or, where there was none, the file is only kept under that name (SetAside). Returns the file's
  // name, or none when there is nothing to take back. A step that cannot be taken (its kept file is
  // gone, the folder cannot be written) raises an error naming the file; the folder and the history
  // stay as they were.
  std::optional<std::string> Undo(const std::string& folder);
  // Puts back the last change taken back, the same way; none when there is none.
  std::optional<std::string> Redo(const std::string& folder);

  void Clear();
  std::size_t UndoCount() const { return FDone; }
  std::size_t RedoCount() const { return FSteps.size() - FDone; }

 private:
  struct TStep {
    std::string FileName;
    std::string Before;  // where the version before the change is kept
    std::string After;   // where the changed version is kept once taken back
    bool MayBeMissing;
  };
  std::vector<TStep> FSteps;
  std::size_t FDone = 0;  // steps in effect: FSteps[0..FDone)
};
