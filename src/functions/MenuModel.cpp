#include "functions/MenuModel.h"

namespace voltora::functions {

MenuModel::MenuModel(IZANMenuItemListener* owner) : owner_(owner) {}

void MenuModel::Add(const MenuItemSpec& row)
{
    auto [it, inserted] = items_.try_emplace(row.id, row.id, row.key, owner_, row.kind);
    (void)inserted;
    it->second.Assign(row.key, row.kind, row.caption, row.name, row.value, row.leftValue, row.rightValue);
}

void MenuModel::Build(std::span<const MenuItemSpec> rows, int firstId)
{
    for (MenuItemSpec row : rows) {
        row.id += firstId;
        Add(row);
    }
}

void MenuModel::ShowPage(std::span<const int> ids)
{
    page_.clear();
    for (const int id : ids) {
        if (CZANMenuItem* item = Item(id)) {
            page_[item->GetKey()] = item;
        }
    }
}

void MenuModel::SelectOption(int firstId, int lastId, int id)
{
    for (int option = firstId; option <= lastId; ++option) {
        CZANMenuItem* item = Item(option);
        if (item != nullptr && item->IsHighlighted()) {
            item->SetHighlighted(false);
            break;
        }
    }
    if (CZANMenuItem* chosen = Item(id)) {
        chosen->SetHighlighted(true);
    }
}

CZANMenuItem* MenuModel::Item(int id)
{
    const auto it = items_.find(id);
    return it == items_.end() ? nullptr : &it->second;
}

std::vector<int> MenuModel::ItemIds() const
{
    std::vector<int> ids;
    ids.reserve(items_.size());
    for (const auto& entry : items_) {
        ids.push_back(entry.first);
    }
    return ids;
}

CZANMenuItem* MenuModel::SoftKeyItem(int key)
{
    const auto it = page_.find(key);
    return it == page_.end() ? nullptr : it->second;
}

void MenuModel::PressSoftKey(int key)
{
    if (CZANMenuItem* item = SoftKeyItem(key)) {
        item->Press();
    }
}

std::string MenuModel::SoftKeyCaption(int key)
{
    const CZANMenuItem* item = SoftKeyItem(key);
    return item == nullptr ? std::string() : item->GetCaption();
}

std::string MenuModel::SoftKeyName(int key)
{
    const CZANMenuItem* item = SoftKeyItem(key);
    return item == nullptr ? std::string() : item->GetName();
}

std::string MenuModel::SoftKeyValue(int key)
{
    const CZANMenuItem* item = SoftKeyItem(key);
    return item == nullptr ? std::string() : item->GetValue();
}

std::string MenuModel::SoftKeyLeftValue(int key)
{
    const CZANMenuItem* item = SoftKeyItem(key);
    return item == nullptr ? std::string() : item->GetLeftValue();
}

std::string MenuModel::SoftKeyRightValue(int key)
{
    const CZANMenuItem* item = SoftKeyItem(key);
    return item == nullptr ? std::string() : item->GetRightValue();
}

}  // namespace voltora::functions
