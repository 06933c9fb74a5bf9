#include "framework/Component.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace velloran {
namespace {

class Recorder : public TComponent {
 public:
  Recorder(TComponent* owner, std::string name, std::vector<std::string>& log)
      : TComponent(owner), name_(std::move(name)), log_(log) {}
  ~Recorder() override {
    DestroyComponents();
    log_.push_back(name_);
  }

 private:
  std::string name_;
  std::vector<std::string>& log_;
};

TEST(Component, OwnerFreesWhatItOwnsLastCreatedFirstAndDeepestFirst) {
  std::vector<std::string> log;
  {
    Recorder root(nullptr, "root", log);
    auto& a = root.Create<Recorder>("a", log);
    a.Create<Recorder>("a1", log);
    a.Create<Recorder>("a2", log);
    root.Create<Recorder>("b", log);
    EXPECT_EQ(root.ComponentCount(), 2);
  }
  EXPECT_EQ(log, (std::vector<std::string>{"b", "a2", "a1", "a", "root"}));
}

TEST(Component, FreeComponentReleasesOnlyWhatItOwns) {
  std::vector<std::string> log;
  Recorder root(nullptr, "root", log);
  Recorder other(nullptr, "other", log);
  auto& a = root.Create<Recorder>("a", log);
  auto& stranger = other.Create<Recorder>("stranger", log);
  EXPECT_FALSE(root.FreeComponent(stranger));
  EXPECT_TRUE(root.FreeComponent(a));
  EXPECT_EQ(log, (std::vector<std::string>{"a"}));
  EXPECT_EQ(root.ComponentCount(), 0);
  EXPECT_EQ(other.ComponentCount(), 1);
}

TEST(Component, ReachesNoApplicationWithoutOne) {
  std::vector<std::string> log;
  Recorder root(nullptr, "root", log);
  EXPECT_EQ(root.Create<Recorder>("a", log).Application(), nullptr);
}

}  // namespace
}  // namespace velloran
