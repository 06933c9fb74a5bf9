#include "framework/Component.h"

#include <algorithm>

namespace velloran {

bool TComponent::FreeComponent(TComponent& component) {
  auto it = std::find_if(components_.begin(), components_.end(),
                         [&](const auto& owned) { return owned.get() == &component; });
  if (it == components_.end()) return false;
  // Take it out of the list before it runs its destructor, so that nothing it
  // does while going can find it here.
  std::unique_ptr<TComponent> doomed = std::move(*it);
  components_.erase(it);
  return true;
}

void TComponent::DestroyComponents() {
  while (!components_.empty()) {
    std::unique_ptr<TComponent> last = std::move(components_.back());
    components_.pop_back();
  }
}

}  // namespace velloran
