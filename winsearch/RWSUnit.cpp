#include "winsearch/RWSUnit.h"

namespace velloran {
namespace {

// A live tree can change under the walk (a window re-parented between two
// reads could lead the sibling chain in a circle); no desktop holds anywhere
// near this many windows, so the bound only ever stops such a loop.
constexpr long MaxWindowsPerWalk = 1L << 20;

bool Contains(const std::string& text, const std::string& filter) {
  return text.find(filter) != std::string::npos;
}

std::string ReadText(std::string text) {
  if (text.size() > WindowTree::TextBufferSize - 1) text.resize(WindowTree::TextBufferSize - 1);
  return LowerAscii(std::move(text));
}

bool Matches(const WindowTree& tree, WindowHandle window, const std::string& classFilter,
             const std::string& captionFilter) {
  if (classFilter.empty() && captionFilter.empty()) return false;
  if (!classFilter.empty() && !Contains(ReadText(tree.ClassName(window)), classFilter))
    return false;
  if (!captionFilter.empty() && !Contains(ReadText(tree.Text(window)), captionFilter)) return false;
  return true;
}

void Collect(const WindowTree& tree, WindowHandle parent, const std::string& classFilter,
             const std::string& captionFilter, hWndList& list, long& budget) {
  for (WindowHandle window = tree.FirstChild(parent); window != 0 && budget > 0;
       window = tree.NextSibling(window)) {
    --budget;
    if (Matches(tree, window, classFilter, captionFilter)) list.push_back(window);
    if (tree.FirstChild(window) != 0)
      Collect(tree, window, classFilter, captionFilter, list, budget);
  }
}

}  // namespace

std::string LowerAscii(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

void CollectChildWindows(const WindowTree& tree, WindowHandle parent,
                         const std::string& classFilter, const std::string& captionFilter,
                         hWndList& list) {
  long budget = MaxWindowsPerWalk;
  Collect(tree, parent, classFilter, captionFilter, list, budget);
}

int FindChildWindows(const WindowTree& tree, WindowHandle parent, const std::string& classFilter,
                     const std::string& captionFilter, hWndList& list) {
  list.clear();
  CollectChildWindows(tree, parent, LowerAscii(classFilter), LowerAscii(captionFilter), list);
  return static_cast<int>(list.size());
}

}  // namespace velloran
