#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The texts and rules of the math view, computed from numbers and texts so
// that they are tested without the dialog.
namespace voltora::views {

// The reference resistances of the dBm scale, in ohms, in list order.
inline constexpr std::array<const char*, 17> kReferenceResistances = {
    "50",  "75",  "93",  "110", "124", "125",  "135",  "150", "250",
    "300", "500", "600", "800", "900", "1000", "1200", "8000"};

// The prefixes of the relative value (an empty entry for none, index 4)
// and of the limits (the first seven of the scale prefixes, " " for none).
inline constexpr std::array<const char*, 8> kRelValuePrefixes = {"p", "n", "u", "m", "", "k", "M", "G"};
inline constexpr std::array<const char*, 7> kLimitPrefixes = {"p", "n", "u", "m", " ", "k", "M"};

// ---- Statistics ------------------------------------------------------------

// The number of decimals of the minimum, maximum and span: the characters
// after the first "." of the panel's value text, 3 when it has none. The
// average and the standard deviation get one more.
int StatisticDecimals(std::string_view valueText);

// One statistic as shown: "Overload" (or "open" for the diode and
// continuity functions), otherwise the number scaled by the prefix the unit
// text suggests, normalised into 1 ... 1000 between the prefixes n and M,
// printed with `decimals` decimals and its prefix letter ("756.45000m",
// "0.000n"); at most 31 characters.
std::string FormatStatistic(std::string_view text, int decimals, std::string_view functionName,
                            std::string_view unitText);

// ---- Relative value ----------------------------------------------------------

// What the relative-value field shows for the meter's relative value:
// the prefix entry and the scaled number ("%8f").
struct RelValueDisplay {
    int prefixIndex = 4;
    std::string text;
};
RelValueDisplay RelValueForDisplay(std::string_view valueText);

// The text handed to the function: the typed number times the factor of
// the prefix entry (1e-12 ... 1e9), "%.12f".
std::string RelValueText(double typed, int prefixIndex);

// ---- Limits --------------------------------------------------------------------

// The edit text and prefix entry of a limit: EngineeringText without its
// prefix letter, and the prefix index (4: none).
struct LimitDisplay {
    std::string text;
    int prefixIndex = 4;
};
LimitDisplay LimitForDisplay(double limit);

// A typed limit: the edit text followed by the prefix, spaces removed, read
// by ParseTypedValue; nothing when its magnitude is above 1e8 or below
// 1e-12 (0 included).
std::optional<double> TypedLimit(std::string_view editText, std::string_view prefix);

// ---- dB/dBm group -----------------------------------------------------------------

// Which controls of the dB/dBm group are enabled.
struct DbControls {
    bool scaleCheck = false;     // 1059, the check box in the group caption
    bool dbRadio = false;        // 1060
    bool dbmRadio = false;       // 1061
    bool referenceList = false;  // 1068, reference resistance
    bool referenceSet = false;   // 1066
    bool dbReferenceEdit = false;  // 1064
    bool dbReferenceSet = false;   // 1067
    bool measureReference = false; // 1069

    friend bool operator==(const DbControls&, const DbControls&) = default;
};

// The group as a function's record leaves it (available, mode, unit text).
DbControls DbControlsForRecord(int available, int mode, std::string_view unitText);
// The group after the check box changed (the check box stays enabled).
DbControls DbControlsForState(int state, std::string_view unitText);

}  // namespace voltora::views
