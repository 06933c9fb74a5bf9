#pragma once
// Putting a finished new file in the place of the old one. The file-system
// steps are the system's (framework/FileAccess.cpp); which step follows which
// outcome, and what becomes of the new file when they fail, is decided here,
// apart from them, so that a failure of every step can be tried without one.
//
// The rule: a failure that left the old file as it was removes the new one;
// a failure after the old file may already be gone keeps the new one, the
// only copy left of what was saved, and says where it is.

#include <string>

namespace velloran {

enum class StepOutcome {
  Done,
  // There is no old file to replace (a first save).
  TargetMissing,
  // The old file was moved away but the new one could not follow it into its
  // place: the old one may be gone already.
  ReplacementNotMoved,
  // Any other failure: neither file was changed.
  Failed,
};

struct StepResult {
  StepOutcome outcome = StepOutcome::Done;
  // The system's error number when the step did not succeed.
  int error = 0;
};

// The two ways the system puts a new file in place.
class ReplaceSteps {
 public:
  virtual ~ReplaceSteps() = default;
  // Replaces the old file by the new one, which takes over the old one's
  // attributes and permissions.
  virtual StepResult Replace() = 0;
  // Moves the new file to the old one's name, replacing whatever is there.
  virtual StepResult Move() = 0;
};

enum class NewFileFate {
  // The new file is the file now.
  InPlace,
  // Nothing was changed: the new file is an unfinished attempt and goes.
  Remove,
  // The old file may be gone: the new one stays where it is, for the next start.
  Keep,
};

struct ReplaceDecision {
  NewFileFate newFile = NewFileFate::InPlace;
  // The error to raise; empty when the new file is in place.
  std::string error;
};

// Runs Steps for the new file at NewPath and says what to do with it.
ReplaceDecision PutNewFileInPlace(ReplaceSteps& steps, const std::string& newPath);

}  // namespace velloran
