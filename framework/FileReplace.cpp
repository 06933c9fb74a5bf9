#include "framework/FileReplace.h"

#include "framework/FileAccess.h"

namespace velloran {

ReplaceDecision PutNewFileInPlace(ReplaceSteps& steps, const std::string& newPath) {
  const StepResult replaced = steps.Replace();
  switch (replaced.outcome) {
    case StepOutcome::Done:
      return {};
    case StepOutcome::TargetMissing: {
      // A first file has no attributes to pass on: it is simply moved into place.
      const StepResult moved = steps.Move();
      if (moved.outcome == StepOutcome::Done) return {};
      return {NewFileFate::Remove, InOutErrorText(moved.error)};
    }
    case StepOutcome::ReplacementNotMoved: {
      const StepResult moved = steps.Move();
      if (moved.outcome == StepOutcome::Done) return {};
      return {NewFileFate::Keep, InOutErrorText(moved.error) +
                                     "; the new file could not be put in place and was kept as " +
                                     newPath};
    }
    case StepOutcome::Failed:
      break;
  }
  return {NewFileFate::Remove, InOutErrorText(replaced.error)};
}

}  // namespace velloran
