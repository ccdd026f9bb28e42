#include "functions/CZANMenuItem.h"

#include <utility>

namespace {

std::uint32_t Other(std::uint32_t colour)
{
    return colour == kMarkedColour ? kPlainColour : kMarkedColour;
}

}  // namespace

CZANMenuItem::CZANMenuItem(int itemId, int softKey, IZANMenuItemListener* listener, int itemKind)
    : id(itemId), owner(listener), key(softKey), kind(itemKind)
{
}

void CZANMenuItem::Assign(int newKey, int newKind, std::string newCaption, std::string newName,
                          std::string newValue, std::string newLeftValue,
                          std::string newRightValue)
{
    std::lock_guard<std::mutex> guard(mutex);
    key = newKey;
    kind = newKind;
    caption = std::move(newCaption);
    name = std::move(newName);
    value = std::move(newValue);
    leftValue = std::move(newLeftValue);
    rightValue = std::move(newRightValue);
    colours = Colours{};
    highlighted = false;
}

int CZANMenuItem::GetKey() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return key;
}

int CZANMenuItem::GetKind() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return kind;
}

void CZANMenuItem::Press()
{
    {
        std::lock_guard<std::mutex> guard(mutex);
        if (kind == kNameValueItem) {
            colours.nameColour = Other(colours.nameColour);
            colours.valueColour = Other(colours.valueColour);
        } else if (kind == kLeftRightItem) {
            colours.leftColour = Other(colours.leftColour);
            colours.rightColour = Other(colours.rightColour);
        }
    }
    // The owner runs without the item's lock: it reads the item again.
    if (owner != nullptr) {
        owner->OnMenuItem(id);
    }
}

void CZANMenuItem::ShowLeftRight(std::string_view text)
{
    std::lock_guard<std::mutex> guard(mutex);
    const bool left = text == leftValue;
    colours.leftColour = left ? kMarkedColour : kPlainColour;
    colours.rightColour = left ? kPlainColour : kMarkedColour;
}

void CZANMenuItem::ShowNameValue(std::string_view text)
{
    std::lock_guard<std::mutex> guard(mutex);
    const bool isName = text == name;
    colours.nameColour = isName ? kMarkedColour : kPlainColour;
    colours.valueColour = isName ? kPlainColour : kMarkedColour;
}

std::string CZANMenuItem::ChosenLeftRight() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return colours.leftColour == kMarkedColour ? leftValue : rightValue;
}

std::string CZANMenuItem::ChosenNameValue() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return colours.nameColour == kMarkedColour ? name : value;
}

#define VOLTORA_ITEM_TEXT(Getter, Setter, member)          \
    std::string CZANMenuItem::Getter() const               \
    {                                                      \
        std::lock_guard<std::mutex> guard(mutex);          \
        return member;                                     \
    }                                                      \
    void CZANMenuItem::Setter(std::string text)            \
    {                                                      \
        std::lock_guard<std::mutex> guard(mutex);          \
        member = std::move(text);                          \
    }

VOLTORA_ITEM_TEXT(GetCaption, SetCaption, caption)
VOLTORA_ITEM_TEXT(GetName, SetName, name)
VOLTORA_ITEM_TEXT(GetValue, SetValue, value)
VOLTORA_ITEM_TEXT(GetLeftValue, SetLeftValue, leftValue)
VOLTORA_ITEM_TEXT(GetRightValue, SetRightValue, rightValue)

#undef VOLTORA_ITEM_TEXT

CZANMenuItem::Colours CZANMenuItem::GetColours() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return colours;
}

bool CZANMenuItem::IsHighlighted() const
{
    std::lock_guard<std::mutex> guard(mutex);
    return highlighted;
}

void CZANMenuItem::SetHighlighted(bool on)
{
    std::lock_guard<std::mutex> guard(mutex);
    highlighted = on;
}
