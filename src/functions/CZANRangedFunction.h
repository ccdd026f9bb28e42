#pragma once

#include "functions/CZANFunction.h"
#include "functions/MenuModel.h"
#include "functions/MenuOption.h"

#include <span>

// The common ground of the functions with a range menu, an optional speed
// menu ("Slow", "Middle", "Fast") and a relative value: DC and AC voltage,
// DC and AC current, capacitance. Each function names its commands and its
// soft-key ids; the range and speed choices, their apply handlers, the
// relative value and the reading texts work alike for all of them.
class CZANRangedFunction : public CZANFunction {
public:
    // The meter commands of one function.
    struct Commands {
        void (*setRange)(const std::string&);
        int (*queryRange)(std::string&);
        std::string (*queryRangeAuto)();
        void (*setSpeed)(const std::string&);  // nullptr: no speed menu
        std::string (*querySpeed)();
        void (*setNull)(const std::string&);
        std::string (*queryNull)();
        void (*setNullValue)(const std::string&);
        std::string (*queryNullValue)();
        double relLimit;  // the relative value is clamped to [-relLimit, relLimit]
    };

    // The soft-key ids of one function. The range options run from
    // rangeAuto to rangeLast, the speed options ("Slow", "Middle", "Fast")
    // from speedSlow to speedSlow + 2; speedItem is 0 without a speed menu.
    struct MenuIds {
        int rangeItem;
        int speedItem;
        int relItem;
        int rangeAuto;
        int rangeLast;
        int speedSlow;
    };

    // A range label's unit prefix: the first rule whose text the label
    // contains gives it.
    struct PrefixRule {
        const char* text;
        const char* prefix;
    };

    // What else tells one function from another: its menu table, the labels
    // of its range options, its units, the range it starts on and how a
    // range label gives the unit prefix.
    struct Profile {
        std::span<const voltora::functions::MenuItemSpec> menu;
        std::span<const voltora::functions::MenuOption> rangeOptions;
        const char* unit;          // the display's unit without prefix ("VDC")
        const char* baseUnit;      // the views' unit ("V")
        const char* initialRange;  // before the meter's settings are read
        std::span<const PrefixRule> prefixRules;
        const char* otherPrefix;   // when no rule applies
    };

    // Builds the menu, creates the worker, sets the start values and
    // registers "Rel", "Range" and (with a speed menu) "Speed", then the
    // function's own settings.
    void Initialise() override;
    // Reads back the range, speed, the function's own settings, the
    // relative value and the math information, in this order.
    void LoadSettings() override;
    // The items show the settings read back; the root page is shown.
    void Activate() override;
    void SetRangeText(const std::string& text) override;
    std::string GetBaseUnit() override;
    bool FetchReading() override;
    std::string GetValueText() override;
    std::string GetUnitText() override;
    std::string GetRangeModeText() override;
    bool UpdateAutoRange() override;
    std::string GetRangeText() override;
    void SetRelValue(const std::string& text) override;
    // The standard worker; capacitance runs the quiet one.
    void StartWorker() override;
    // Apply handler of "Rel" (worker).
    virtual void ApplyRel();

    void SetRangeMode(const std::string& text);
    std::string GetSpeed() const { return speed.Get(); }

protected:
    CZANRangedFunction(IFrontPanel* panel, const char* name, const Commands& commands,
                       const MenuIds& ids, const Profile& profile);

    // The settings some functions have besides range, speed and relative
    // value (a filter, the input impedance): registered in Initialise, read
    // back in LoadSettings, shown in Activate.
    virtual void RegisterOwnSettings() {}
    virtual void LoadOwnSettings() {}
    virtual void ShowOwnSettings() {}

    // Reads the range mode, the range and (with a speed menu) the speed
    // back from the meter, in this order.
    void LoadRangeAndSpeed();
    // Reads the relative-value state and value back from the meter.
    void LoadRel();

    // The keys shared by all of them: the speed menu, "Rel", and a chosen
    // range or speed option. False for any other id.
    bool OnCommonMenuItem(int id);
    virtual void ShowRootPage() = 0;
    // The page shown once a range option is chosen.
    virtual void ShowPageAfterRangeChoice(int id);

    // Apply handlers of "Range" and "Speed" (worker).
    void ApplyRange();
    void ApplySpeed();

    // The reading as the display shows it; `reading` is neither "Overload"
    // nor "$INIT$".
    std::string FormatValue(const std::string& reading);
    // Digits of a formatted reading: 7 at the fast and middle speeds, else 8.
    virtual int ReadingDigits();
    static bool IsPlaceholderReading(const std::string& reading);

    voltora::functions::SharedText rangeMode;
    voltora::functions::SharedText rangeText;
    std::string unit;
    voltora::functions::SharedText unitPrefix;
    voltora::functions::SharedText speed;

private:
    // The range and speed items show the meter's settings, and the matching
    // options are marked.
    void ShowRangeAndSpeed();

    Commands commands_;
    MenuIds ids_;
    Profile profile_;
};
