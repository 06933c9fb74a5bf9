// The column layout in the current user's registry: one sub-key per column,
// named by the column's Name, with its display position, caption, colour,
// sort order, visibility and width.
#include "framework/Exception.h"
#include "grid/kstrgrid.h"

namespace velloran {
namespace {

[[noreturn]] void CannotOpen(const std::string& keyPath) {
  throw EKGridColumnsError("Can not open registry key \"" + keyPath + "\"");
}

}  // namespace

void DeleteRegKey(RegistryAccess& registry, std::string keyPath) {
  if (!keyPath.empty() && keyPath.back() == '\\') keyPath.pop_back();
  if (keyPath.empty()) return;
  if (!registry.OpenKey(keyPath, false)) return;
  std::vector<std::string> names = registry.GetKeyNames();
  registry.CloseKey();
  for (const std::string& name : names) DeleteRegKey(registry, keyPath + "\\" + name);
  registry.DeleteKey(keyPath);
}

void TKGridColumns::SaveToRegistry(const std::string& keyPath) {
  {
    std::unique_ptr<RegistryAccess> registry = grid_->OpenRegistry();
    DeleteRegKey(*registry, keyPath);
  }
  std::unique_ptr<RegistryAccess> registry = grid_->OpenRegistry();
  if (!registry->OpenKey(keyPath, true)) CannotOpen(keyPath);
  for (const auto& column : items_) {
    if (!registry->OpenKey(keyPath + "\\" + column->Name(), true)) CannotOpen(keyPath);
    registry->WriteInteger("Index", column->GridIndex());
    registry->WriteString("Caption", column->Caption());
    registry->WriteInteger("Color", column->Color());
    registry->WriteInteger("SortOrder", static_cast<std::int32_t>(column->SortOrder()));
    registry->WriteInteger("Visible", column->Visible() ? 1 : 0);
    registry->WriteInteger("Width", column->Width());
    registry->CloseKey();
  }
}

void TKGridColumns::LoadFromRegistry(const std::string& keyPath, int mode) {
  grid_->CheckNotSorting();
  if (mode == 2) Clear();
  std::unique_ptr<RegistryAccess> registry = grid_->OpenRegistry();
  if (!registry->OpenKey(keyPath, false)) return;
  std::vector<std::string> names = registry->GetKeyNames();
  struct LoadingMark {
    TKStringGrid& grid;
    explicit LoadingMark(TKStringGrid& g) : grid(g) { grid.loadingLayout_ = true; }
    ~LoadingMark() {
      grid.loadingLayout_ = false;
      grid.UpdateVisibleColumns();
    }
  } mark(*grid_);
  for (const std::string& name : names) {
    TKGridColumn* column = FindColumn(name);
    if (!column && (mode == 1 || mode == 2)) column = &AddColumn();
    if (!column) continue;
    if (!registry->OpenKey(keyPath + "\\" + name, false)) CannotOpen(keyPath);
    column->SetName(name);
    column->SetGridIndex(registry->ReadInteger("Index"));
    column->SetCaption(registry->ReadString("Caption"));
    column->SetColor(registry->ReadInteger("Color"));
    int order = registry->ReadInteger("SortOrder");
    column->SetSortOrder(order == 1   ? TColumnSorting::csAsc
                         : order == 2 ? TColumnSorting::csDsc
                                      : TColumnSorting::csNone);
    column->SetVisible(registry->ReadInteger("Visible") != 0);
    column->SetWidth(registry->ReadInteger("Width"));
    registry->CloseKey();
  }
}

}  // namespace velloran
