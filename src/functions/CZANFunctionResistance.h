#pragma once

#include "functions/CZANFunction.h"

// The meter operations one resistance function sends: the 2-wire and the
// 4-wire function differ only in these ("RES:..." or "FRES:...").
struct ResistanceCommands {
    void (*setRange)(const std::string& label);
    std::string (*queryRangeAuto)();
    int (*queryRange)(std::string& label);
    void (*setSpeed)(const std::string& label);
    std::string (*querySpeed)();
    void (*setNull)(const std::string& label);
    std::string (*queryNull)();
    void (*setNullValue)(const std::string& value);
    std::string (*queryNullValue)();
};

// The behaviour shared by the 2-wire and 4-wire resistance functions: ranges
// 200 ohm to 100 Mohm over two range pages, speed and relative value. The
// soft-key items take 16 consecutive ids from `firstItemId`, in the order of
// ItemOffset. Subclasses pass their display name, first id and commands.
class CZANFunctionResistance : public CZANFunction {
public:
    // Position of each soft-key item after the first id.
    enum ItemOffset : int {
        kRangeItemOffset = 0,
        kSpeedItemOffset,
        kRelItemOffset,
        kRangeAutoOffset,
        kRange200OhmOffset,
        kRange2kOhmOffset,
        kRange20kOhmOffset,
        kRange200kOhmOffset,
        kRangeOtherOffset,   // "other->": the second range page
        kRange2MOhmOffset,
        kRange10MOhmOffset,
        kRange100MOhmOffset,
        kRangeBackOffset,    // "<-other": back to the first range page
        kSpeedSlowOffset,
        kSpeedMiddleOffset,
        kSpeedFastOffset,
    };

    // Whether the ids of a subclass's ItemId enum follow ItemOffset.
    template <class Function>
    static constexpr bool HasItemLayout()
    {
        constexpr int first = Function::kRangeItem;
        return Function::kSpeedItem == first + kSpeedItemOffset && Function::kRelItem == first + kRelItemOffset &&
               Function::kRangeAuto == first + kRangeAutoOffset &&
               Function::kRange200Ohm == first + kRange200OhmOffset &&
               Function::kRange2kOhm == first + kRange2kOhmOffset &&
               Function::kRange20kOhm == first + kRange20kOhmOffset &&
               Function::kRange200kOhm == first + kRange200kOhmOffset &&
               Function::kRangeOther == first + kRangeOtherOffset &&
               Function::kRange2MOhm == first + kRange2MOhmOffset &&
               Function::kRange10MOhm == first + kRange10MOhmOffset &&
               Function::kRange100MOhm == first + kRange100MOhmOffset &&
               Function::kRangeBack == first + kRangeBackOffset &&
               Function::kSpeedSlow == first + kSpeedSlowOffset &&
               Function::kSpeedMiddle == first + kSpeedMiddleOffset &&
               Function::kSpeedFast == first + kSpeedFastOffset;
    }

    // Stops the worker (again) in case a subclass has not done so.
    ~CZANFunctionResistance() override;

    void OnMenuItem(int id) override;
    void Initialise() override;
    void LoadSettings() override;
    void Activate() override;
    bool FetchReading() override;
    std::string GetValueText() override;
    std::string GetRangeModeText() override;
    bool UpdateAutoRange() override;
    void SetRangeText(const std::string& text) override;
    std::string GetRangeText() override;
    std::string GetBaseUnit() override;
    std::string GetUnitText() override;
    void SetRelValue(const std::string& text) override;
    void StartWorker() override;
    // Apply handler of "Rel" (worker).
    virtual void ApplyRel();

    void SetRangeMode(const std::string& text);
    std::string GetSpeed() const { return speed.Get(); }

protected:
    CZANFunctionResistance(IFrontPanel* panel, std::string displayName, int firstItemId,
                           const ResistanceCommands& commands);

private:
    int Id(ItemOffset offset) const { return firstItemId + offset; }
    // The item id of the range or speed option labelled `label`, 0 if none.
    int RangeOptionFor(const std::string& label) const;
    int SpeedOptionFor(const std::string& label) const;
    void ApplyRange();
    void ApplySpeed();
    void ShowRootPage();
    void ShowFirstRangePage();

    const int firstItemId;
    const ResistanceCommands commands;
    voltora::functions::SharedText rangeMode;
    voltora::functions::SharedText rangeText;
    std::string unit;
    voltora::functions::SharedText unitPrefix;
    voltora::functions::SharedText speed;
};
