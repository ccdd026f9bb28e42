#pragma once

#include "functions/IZANMenuItemListener.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

// Colours of a soft key's texts.
inline constexpr std::uint32_t kPlainColour = 0xFFFFFF;
inline constexpr std::uint32_t kMarkedColour = 0xE1FE01;

// Kinds of item.
inline constexpr int kPlainItem = 0;         // a setting with a value, or an option with a caption
inline constexpr int kNameValueItem = 1;     // a choice between name and value
inline constexpr int kLeftRightItem = 2;     // a choice between left and right value

// One soft-key item of a function's menu. The user-interface thread changes
// it; a worker may change its colours (a setting the meter refused) while the
// panel reads them, so every access goes through the item's own short lock.
class CZANMenuItem {
public:
    struct Colours {
        std::uint32_t nameColour = kPlainColour;
        std::uint32_t valueColour = kMarkedColour;
        std::uint32_t leftColour = kPlainColour;
        std::uint32_t rightColour = kMarkedColour;
    };

    CZANMenuItem(int id, int key, IZANMenuItemListener* owner, int kind);
    CZANMenuItem(const CZANMenuItem&) = delete;
    CZANMenuItem& operator=(const CZANMenuItem&) = delete;

    // Gives the item new texts, key and kind, with the initial colours and no
    // highlight (an item added again under the same id).
    void Assign(int key, int kind, std::string caption, std::string name, std::string value,
                std::string leftValue, std::string rightValue);

    int GetId() const { return id; }
    int GetKey() const;
    int GetKind() const;
    IZANMenuItemListener* GetOwner() const { return owner; }

    // Two-way items flip their marked text; then the owner is told.
    void Press();
    // Marks the left value when `text` equals it, otherwise the right value.
    void ShowLeftRight(std::string_view text);
    // Marks the name when `text` equals it, otherwise the value.
    void ShowNameValue(std::string_view text);
    // The left value when it is marked, otherwise the right value.
    std::string ChosenLeftRight() const;
    // The name when it is marked, otherwise the value.
    std::string ChosenNameValue() const;

    std::string GetCaption() const;
    void SetCaption(std::string text);
    std::string GetName() const;
    void SetName(std::string text);
    std::string GetValue() const;
    void SetValue(std::string text);
    std::string GetLeftValue() const;
    void SetLeftValue(std::string text);
    std::string GetRightValue() const;
    void SetRightValue(std::string text);

    Colours GetColours() const;
    bool IsHighlighted() const;
    void SetHighlighted(bool on);

private:
    const int id;
    IZANMenuItemListener* const owner;
    mutable std::mutex mutex;
    int key;
    int kind;
    std::string caption;
    std::string name;
    std::string value;
    std::string leftValue;
    std::string rightValue;
    Colours colours;
    bool highlighted = false;
};
