#pragma once
// Components form an ownership tree: an owner frees what it owns, the last
// created first, before it goes itself. The root of a program's tree is its
// application object, which every component can reach through its owners.
//
// Threading: user-interface thread only.

#include <memory>
#include <utility>
#include <vector>

namespace velloran {

class TApplication;

class TComponent {
 public:
  explicit TComponent(TComponent* owner) : owner_(owner) {}
  virtual ~TComponent() { DestroyComponents(); }
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return owner_; }

  // Creates a component owned by this one and returns it; it lives until this
  // component is destroyed or FreeComponent releases it.
  template <typename T, typename... Args>
  T& Create(Args&&... args) {
    auto component = std::make_unique<T>(this, std::forward<Args>(args)...);
    T& result = *component;
    components_.push_back(std::move(component));
    return result;
  }

  // Frees one owned component now. Returns false when this component does not own it.
  bool FreeComponent(TComponent& component);

  int ComponentCount() const { return static_cast<int>(components_.size()); }

  // The application at the root of the ownership tree, or none (tests build bare trees).
  virtual TApplication* Application() { return owner_ ? owner_->Application() : nullptr; }

 protected:
  // Frees every owned component, the last created first. Derived classes whose
  // own teardown must follow their components' call this first.
  void DestroyComponents();

 private:
  TComponent* owner_;
  std::vector<std::unique_ptr<TComponent>> components_;
};

}  // namespace velloran
