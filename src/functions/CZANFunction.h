#pragma once

#include "functions/AcquisitionWorker.h"
#include "functions/CZANMenuItem.h"
#include "functions/IFrontPanel.h"
#include "functions/ITemperatureDisplay.h"
#include "functions/IZANMenuItemListener.h"
#include "functions/MathInfo.h"
#include "functions/MenuModel.h"
#include "functions/PendingSettings.h"
#include "functions/SharedText.h"
#include "functions/StatisticsBlock.h"
#include "functions/WorkerKind.h"
#include "platform/Clock.h"
#include "platform/CriticalSection.h"

#include <boost/function.hpp>

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <mutex>
#include <span>
#include <string>
#include <vector>

// The base of every measurement function. It is a front over members that
// each do one job: the soft-key menu (MenuModel), the settings the user
// changed and the worker sends (PendingSettings) and the thread that polls
// the meter (AcquisitionWorker); it keeps the relative value and the
// statistics itself, and defines what one worker cycle does.
//
// Threads. The user-interface thread calls everything except what is marked
// "worker". The worker holds the cycle lock for each whole cycle; the
// user-interface thread takes it (with the pause request set, see
// PauseGuard) for the commands it sends while the worker may run. Texts that
// both threads use are SharedText members or are copied under short locks of
// their own.
//
// Subclasses: the constructor passes the panel and the display name; the
// destructor calls StopWorker() first (the worker calls virtual operations,
// so it must be stopped while the whole object still exists).
class CZANFunction : public IZANMenuItemListener {
public:
    CZANFunction(IFrontPanel* panel, std::string displayName);
    // Stops and joins the worker if a subclass has not done so already.
    virtual ~CZANFunction();
    CZANFunction(const CZANFunction&) = delete;
    CZANFunction& operator=(const CZANFunction&) = delete;

    // ---- Virtual operations, in their declared order -------------------
    void OnMenuItem(int id) override = 0;
    // Base part: the worker may run (no stop or pause asked for), relState
    // "Off", relValue "0.000". Subclasses then build the menu,
    // StartWorker, set their defaults and RegisterSetting each key.
    virtual void Initialise();
    // Base part (subclasses read their settings first, then call it): clears
    // the pending marks, reads the limits, publishes the relative value and
    // waits (bounded) for the meter to hold a reading.
    virtual void LoadSettings();
    virtual void Activate() = 0;
    // Worker: one reading fetch; false ends the worker. Base: true.
    virtual bool FetchReading();
    // Worker: runs the handler of every key marked since, in byte-wise key
    // order, once per cycle and mark.
    virtual void ApplyPendingSettings();
    virtual void SetReadingText(const std::string& text);
    virtual std::string GetReadingText();
    virtual std::string GetValueText() = 0;
    virtual std::string GetRangeModeText() = 0;
    // Worker: re-reads the range while ranging automatically; false ends the worker.
    virtual bool UpdateAutoRange();
    virtual void SetRangeText(const std::string& text) = 0;
    virtual std::string GetRangeText() = 0;
    virtual std::string GetBaseUnit() = 0;
    virtual std::string GetUnitText() = 0;
    virtual void Idle();
    // Worker: reads the meter's statistics into the statistics block. A reply
    // with fewer than four fields keeps the previous block (returns false).
    virtual bool FetchStatistics();
    virtual void SetRelValue(const std::string& text);
    virtual bool LoadMathInfo();
    virtual voltora::functions::MathInfo GetMathInfo();
    virtual void SetMathMode(int state);
    virtual void SetMathUnitText(const std::string& text);
    virtual void SetMathDbReference(int reference);
    virtual void SetMathDbmReference(int reference);
    virtual void SetMathReferenceAuto(int state);
    // Keys 0 to 5 press the item on that soft key; 6 to 9 are the arrows.
    virtual void PressKey(int key);
    virtual bool IsEntryActive();
    virtual std::string GetEntryText();
    virtual int GetEntryCursor();
    // Creates the worker, suspended (subclasses: StartWorkerOfKind).
    virtual void StartWorker() = 0;
    // The temperature display of a function that has one; null otherwise.
    virtual voltora::functions::ITemperatureDisplay* TemperatureDisplay() { return nullptr; }

    // ---- Menu ----------------------------------------------------------
    // Adds one item (as a row of the menu table would).
    void AddMenuItem(int id, int key, const std::string& caption, const std::string& itemName,
                     const std::string& value, const std::string& leftValue,
                     const std::string& rightValue, int kind);
    // Puts the listed items on their keys (ids without an item are skipped;
    // of two items on one key the later stays).
    void ShowPage(int count, const int* ids);
    void ShowPage(std::initializer_list<int> ids);
    // Highlights item `id` after clearing the first highlighted item among
    // firstId ... lastId.
    void SelectOption(int firstId, int lastId, int id);
    // The item with this id, or null.
    CZANMenuItem* Item(int id);
    // The ids of all items, ascending.
    std::vector<int> ItemIds() const;
    // The item on soft key `key` (0 to 5), or null.
    CZANMenuItem* GetSoftKeyItem(int key);
    std::string GetSoftKeyCaption(int key);
    std::string GetSoftKeyName(int key);
    std::string GetSoftKeyValue(int key);
    std::string GetSoftKeyLeftValue(int key);
    std::string GetSoftKeyRightValue(int key);

    // ---- Pending settings ------------------------------------------------
    // Adds 1 atomically to the counter of `key`; unknown keys are ignored.
    void MarkPending(const std::string& key);
    // Sets every counter to 0 (while the worker is suspended).
    void ClearPending();
    // The counter of `key` (0 for unknown keys).
    int GetPendingCount(const std::string& key) const;

    // ---- Relative value, statistics --------------------------------------
    // Hands relState and relValue to the panel (from the worker without
    // waiting for the panel's thread), then restarts the elapsed-time origin.
    void PublishRel();
    std::string GetRelState() const { return relState.Get(); }
    std::string GetRelValue() const { return relValue.Get(); }
    // A copy of the statistics block.
    voltora::functions::StatisticsBlock GetStatistics() const;

    // ---- Commands the user-interface thread sends itself -----------------
    void SetSamplesPerTrigger(const std::string& text);
    void SetTrendMode(const std::string& text);

    // ---- Worker control ----------------------------------------------------
    // Waits until the worker is between cycles, then suspends it: once this
    // has returned the worker sends nothing until ResumeWorker.
    void SuspendWorker();
    // Resumes the worker; a worker that has ended is replaced by a new one.
    void ResumeWorker();
    // Ends the worker, wakes and joins it. Not with the cycle lock held.
    void StopWorker();
    // The worker ends after its current cycle; nothing is waited for (the
    // panel closing while a cycle may still be under way).
    void RequestWorkerStop() { worker.RequestStop(); }
    // Whether the worker is to go on running (cleared by RequestWorkerStop and StopWorker).
    bool IsWorkerRunRequested() const { return worker.IsRunRequested(); }
    // Whether the user-interface thread has asked for the cycle lock.
    bool IsPauseRequested() const { return worker.IsPauseRequested(); }
    // Held by the worker for each whole cycle (PauseGuard takes it).
    voltora::platform::CriticalSection& CycleLock() { return worker.CycleLock(); }
    // Whether the worker thread exists and has not ended.
    bool IsWorkerRunning() const;
    // Whether the worker is stopped at its suspension point (tests).
    bool IsWorkerParked() const;
    // The panel handled WM_PANEL_READING: the next reading may be announced.
    void AcknowledgeReading();
    // Milliseconds of the process clock from which the trend's elapsed time counts.
    std::uint32_t GetElapsedOrigin() const { return elapsedOrigin.load(); }
    // The trend's elapsed time counts afresh from now (the readings were cleared).
    void RestartElapsedTime() { elapsedOrigin = voltora::platform::ProcessClockMs(); }
    // Readings fetched by this function's workers so far (only ever grows):
    // a count that moved since a moment means a reading fetched after it.
    std::uint32_t ReadingCount() const { return worker.ReadingCount(); }
    // The shortest time from the start of one worker cycle to the start of
    // the next, for this function (taken from the default when created).
    void SetPollFloor(unsigned milliseconds) { worker.SetPollFloor(milliseconds); }
    unsigned PollFloor() const { return worker.PollFloor(); }
    // The poll floor of functions created from now on (kDefaultPollFloorMs).
    static void SetDefaultPollFloor(unsigned milliseconds);
    static unsigned DefaultPollFloor();
    // A few tens of updates a second are all a display can show; a real
    // meter measures 5 to 150 readings a second.
    static constexpr unsigned kDefaultPollFloorMs = voltora::functions::AcquisitionWorker::kDefaultPollFloorMs;
    // Upper bound of LoadSettings' wait for a stored reading (default 5000 ms).
    void SetDataPointsWaitLimit(unsigned milliseconds) { dataPointsWaitLimitMs = milliseconds; }

    // Sets the pause request and takes the cycle lock for the user-interface
    // thread's own commands; releases both at the end.
    class PauseGuard {
    public:
        explicit PauseGuard(CZANFunction& function) : guard_(function.worker) {}

    private:
        voltora::functions::AcquisitionWorker::PauseGuard guard_;
    };

    voltora::functions::SharedText name;  // display name ("DC Voltage", ...)

protected:
    using ApplyHandler = voltora::functions::PendingSettings::ApplyHandler;
    using TextQuery = std::string (*)();
    using TextCommand = void (*)(const std::string&);

    // Builds the menu from the function's menu table (ids counted from `firstId`).
    void BuildMenu(std::span<const voltora::functions::MenuItemSpec> rows, int firstId = 0)
    {
        menu.Build(rows, firstId);
    }

    // Registers setting `key` with counter 0 and its apply handler (in
    // Initialise, before the worker first runs).
    void RegisterSetting(const std::string& key, ApplyHandler handler);

    // Creates the worker of `kind`, suspended. `fetch` replaces FetchReading
    // in the cycle (the temperature kind polls two values).
    void StartWorkerOfKind(voltora::functions::WorkerKind kind, boost::function<bool()> fetch = {});

    // Worker: queues WM_PANEL_READING unless one of this function's is still unhandled.
    void PostReadingMessage();
    // Queues a message for the panel (WM_PANEL_DISPLAY, WM_PANEL_SOFTKEYS).
    void PostPanelMessage(int message);
    IFrontPanel* Panel() const { return panel; }
    // True on this function's worker thread.
    bool IsWorkerThread() const;

    // The reading fetch shared by the measuring functions: `query` (such as
    // QueryMeasurement); an empty text ends the worker, any other is stored.
    bool FetchReadingWith(TextQuery query);

    // The relative-value pattern: the number in `text` clamped to
    // [low, high], written with "%.12f", sent with `setNullValue` under the
    // lock, relValue := `queryNullValue`, PublishRel.
    void SendRelValue(const std::string& text, double low, double high, TextCommand setNullValue,
                      TextQuery queryNullValue);
    // The "Rel" apply pattern (worker): sends relState; if the meter reports
    // it back, re-reads relValue and publishes it; otherwise adopts the
    // meter's state, marks it on item `relItemId` and asks for a soft-key redraw.
    void ApplyRelWith(TextCommand setNull, TextQuery queryNull, TextQuery queryNullValue,
                      int relItemId);

    voltora::functions::SharedText readingText;
    voltora::functions::SharedText relState;
    voltora::functions::SharedText relValue;

private:
    // Worker: one cycle of `kind`; false ends the worker (the panel is told).
    bool RunCycle(voltora::functions::WorkerKind kind, const boost::function<bool()>& fetch);
    // Worker: one reading fetch, counted and logged; false when it failed.
    bool FetchOnce(const boost::function<bool()>& fetch);
    void FetchViewData();
    // Worker: hands the reading just fetched to the active reading log, if any.
    void LogLatestReading();
    void WaitForStoredReadings();

    IFrontPanel* const panel;
    voltora::functions::MenuModel menu;
    voltora::functions::PendingSettings pending;
    std::atomic<std::uint32_t> elapsedOrigin;
    mutable std::mutex statisticsMutex;
    voltora::functions::StatisticsBlock statistics;
    unsigned dataPointsWaitLimitMs = 5000;
    // Last, so that it is destroyed first: its thread runs this object's cycle.
    voltora::functions::AcquisitionWorker worker;
};
