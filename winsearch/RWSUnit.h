#pragma once
// Finds windows below a parent whose class name and/or text contain given
// words, ignoring case, in depth-first pre-order: a window before its own
// children, its children before its next sibling. Only reads the tree.

#include <string>
#include <vector>

#include "winsearch/WindowTree.h"

namespace velloran {

using hWndList = std::vector<WindowHandle>;

// Empties List, walks every window below Parent and appends those that match.
// An empty filter is not tested; with both empty nothing matches. Returns the
// number of handles in List.
int FindChildWindows(const WindowTree& tree, WindowHandle parent, const std::string& classFilter,
                     const std::string& captionFilter, hWndList& list);

// The walk itself; expects filters already lower-cased (A-Z only).
void CollectChildWindows(const WindowTree& tree, WindowHandle parent,
                         const std::string& classFilter, const std::string& captionFilter,
                         hWndList& list);

// Lower-cases the letters A to Z only; every other byte stays as it is.
std::string LowerAscii(std::string text);

}  // namespace velloran
