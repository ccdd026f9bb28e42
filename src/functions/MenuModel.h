#pragma once

#include "functions/CZANMenuItem.h"
#include "functions/IZANMenuItemListener.h"

#include <map>
#include <span>
#include <string>
#include <vector>

namespace voltora::functions {

// One row of a function's menu table: the item's id, its soft key (0 to 5),
// its texts and its kind (kPlainItem, kNameValueItem, kLeftRightItem).
struct MenuItemSpec {
    int id;
    int key;
    const char* caption;
    const char* name;
    const char* value;
    const char* leftValue;
    const char* rightValue;
    int kind;
};

// The soft-key menu of one function: its items by id, and the page that puts
// some of them on the six soft keys. Pressing an item tells `owner`.
// User-interface thread only (the items lock themselves for the worker).
class MenuModel {
public:
    explicit MenuModel(IZANMenuItemListener* owner);
    MenuModel(const MenuModel&) = delete;
    MenuModel& operator=(const MenuModel&) = delete;

    // Adds an item; an item added again under its id is overwritten in
    // place, so a page that shows it keeps a valid entry.
    void Add(const MenuItemSpec& row);
    // Adds every row of a menu table, in order; the table's ids count from
    // `firstId` (a table shared by functions whose ids differ by an offset).
    void Build(std::span<const MenuItemSpec> rows, int firstId = 0);

    // Puts the listed items on their keys (ids without an item are skipped;
    // of two items on one key the later stays).
    void ShowPage(std::span<const int> ids);
    // Highlights item `id` after clearing the first highlighted item among
    // firstId ... lastId.
    void SelectOption(int firstId, int lastId, int id);

    // The item with this id, or null.
    CZANMenuItem* Item(int id);
    // The ids of all items, ascending.
    std::vector<int> ItemIds() const;
    // The item on soft key `key` (0 to 5), or null.
    CZANMenuItem* SoftKeyItem(int key);
    // Presses the item on soft key `key`, if there is one.
    void PressSoftKey(int key);

    // The texts of the item on soft key `key`; empty without an item.
    std::string SoftKeyCaption(int key);
    std::string SoftKeyName(int key);
    std::string SoftKeyValue(int key);
    std::string SoftKeyLeftValue(int key);
    std::string SoftKeyRightValue(int key);

private:
    IZANMenuItemListener* const owner_;
    std::map<int, CZANMenuItem> items_;
    std::map<int, CZANMenuItem*> page_;
};

}  // namespace voltora::functions
