#include "framework/FileReplace.h"

#include <gtest/gtest.h>

#include <string>

namespace velloran {
namespace {

// The system's side, failing where the case says, and noting which steps ran.
class FakeSteps : public ReplaceSteps {
 public:
  FakeSteps(StepResult replace, StepResult move) : replace_(replace), move_(move) {}
  StepResult Replace() override {
    ran += "replace;";
    return replace_;
  }
  StepResult Move() override {
    ran += "move;";
    return move_;
  }
  std::string ran;

 private:
  StepResult replace_;
  StepResult move_;
};

// Error numbers that read as "I/O error N" on Windows and natively alike.
constexpr int UnableToMoveReplacement = 1176;
constexpr int UnableToMoveReplacement2 = 1177;
constexpr int SharingViolation = 32;
constexpr int UserMappedFile = 1224;

TEST(PutNewFileInPlace, KeepsTheNewFileOnlyWhenTheOldOneMayBeGone) {
  const StepResult done{};
  const StepResult missing{StepOutcome::TargetMissing, 2};
  const StepResult notMoved{StepOutcome::ReplacementNotMoved, UnableToMoveReplacement};
  const StepResult notMoved2{StepOutcome::ReplacementNotMoved, UnableToMoveReplacement2};
  const StepResult held{StepOutcome::Failed, SharingViolation};
  const StepResult mapped{StepOutcome::Failed, UserMappedFile};
  const std::string kept =
      "I/O error 32; the new file could not be put in place and was kept as "
      "C:\\Velloran\\servers.grd.new";
  struct Case {
    const char* name;
    StepResult replace;
    StepResult move;
    const char* ran;
    NewFileFate fate;
    std::string error;
  } cases[] = {
      {"replaced", done, held, "replace;", NewFileFate::InPlace, ""},
      {"first file moved", missing, done, "replace;move;", NewFileFate::InPlace, ""},
      // No old file, so nothing is lost: as if the save had not begun.
      {"first file not moved", missing, held, "replace;move;", NewFileFate::Remove, "I/O error 32"},
      {"replacement moved after all", notMoved, done, "replace;move;", NewFileFate::InPlace, ""},
      {"replacement 2 moved after all", notMoved2, done, "replace;move;", NewFileFate::InPlace, ""},
      {"replacement not moved", notMoved, held, "replace;move;", NewFileFate::Keep, kept},
      {"replacement 2 not moved", notMoved2, held, "replace;move;", NewFileFate::Keep, kept},
      {"replace refused", held, done, "replace;", NewFileFate::Remove, "I/O error 32"},
      {"replace refused otherwise", mapped, done, "replace;", NewFileFate::Remove,
       "I/O error 1224"},
  };
  for (const Case& c : cases) {
    FakeSteps steps(c.replace, c.move);
    ReplaceDecision decision = PutNewFileInPlace(steps, "C:\\Velloran\\servers.grd.new");
    EXPECT_EQ(steps.ran, c.ran) << c.name;
    EXPECT_EQ(decision.newFile, c.fate) << c.name;
    EXPECT_EQ(decision.error, c.error) << c.name;
  }
}

}  // namespace
}  // namespace velloran
