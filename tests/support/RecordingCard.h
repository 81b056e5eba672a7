#pragma once
// A card for tests: it logs every call with its arguments, in order, as text such as
// "DIOsetData(0,0,4,0)", and answers as scripted. By default it is a model-230 card that registers
// at board index 0 with handle 0, every set-up call succeeds and every conversion reads 0.
//
//     RecordingCard card;
//     card.setRegisteredIndexes({{3, 7}});         // only index 3 registers, handle 7
//     card.setResult("DIOsetMode(7,0,2,0)", -1);   // one exact call fails
//     card.setResult("AIOgetADCdata", -4);         // every call of that name fails
//     card.setCount(11, 1234);                     // input 11 converts to 1234
//     card.queueCounts({5, 6, 7});                 // the next three reads, whatever the input
//     card.setReadResult(11, -4);                  // reading input 11 fails
//     card.calls("DIOsetData")                     // the log filtered by name
//
// Log entries of AIOgetADCdata show the handle and converter only: "AIOgetADCdata(0,0)".

#include "instrument/CardLibrary.h"

#include <QHash>
#include <QMap>
#include <QString>
#include <QStringList>
#include <deque>
#include <initializer_list>
#include <map>
#include <optional>

namespace corvin::testing {

class RecordingCard : public instrument::CardLibrary {
public:
    // ---- scripting ----
    // Which board indexes register, and the handle each returns; others return -10.
    void setRegisteredIndexes(const std::map<int16_t, int16_t>& indexToHandle) {
        m_registered = indexToHandle;
    }
    void setModel(int16_t model) { m_model = model; }
    // The result of calls: `call` is either an exact log entry ("DIOsetMode(0,0,2,0)") or a function
    // name ("AIOgetADCdata"); an exact entry wins over a name. For registerBoardEx and GetBoardModel
    // the result replaces the handle or model.
    void setResult(const QString& call, int16_t result) { m_results[call] = result; }
    // The count a conversion of `input` gives (0 unless set).
    void setCount(int16_t input, int32_t count) { m_counts[input] = count; }
    // The result of AIOgetADCdata while `input` is selected (a failure leaves the count alone).
    void setReadResult(int16_t input, int16_t result) { m_readResults[input] = result; }
    // Counts handed out by the next AIOgetADCdata calls in turn, before the per-input counts.
    void queueCounts(std::initializer_list<int32_t> counts) { m_queue.insert(m_queue.end(), counts); }

    // ---- the log ----
    const QStringList& log() const { return m_log; }
    // Entries of the calls with any of these function names, in order.
    QStringList calls(std::initializer_list<const char*> names) const;
    QStringList calls(const char* name) const { return calls({name}); }
    // Everything except these functions (e.g. without the register/free noise).
    QStringList callsExcept(std::initializer_list<const char*> names) const;
    void clearLog() { m_log.clear(); }
    // Lets a pauser or a test put its own marker into the log ("Pause(20)").
    void note(const QString& entry) { m_log.append(entry); }

    // The last value written to digital output `bit` of `group`, if any.
    std::optional<int16_t> outputBit(int16_t bit, int16_t group = 0) const;

    // ---- the card ----
    int16_t registerBoardEx(int16_t boardIndex) override;
    int16_t GetBoardModel(int16_t h) override;
    int16_t FreeBoard(int16_t h) override;
    int16_t DIOisAvailable(int16_t h, int16_t group) override;
    int16_t DIOsetChanWidth(int16_t h, int16_t group, int16_t width) override;
    int16_t DIOsetMode(int16_t h, int16_t group, int16_t port, int16_t mode) override;
    int16_t DIOsetData(int16_t h, int16_t group, int16_t bit, int16_t value) override;
    int16_t AIOsetADCconvSource(int16_t h, int16_t adc, int16_t source) override;
    int16_t AIOsetHWADCchanDiff(int16_t h, int16_t adc, int16_t differential) override;
    int16_t AIOsetHWADCchanGain(int16_t h, int16_t adc, int16_t channel, int32_t gain) override;
    int16_t AIOsetAllADCchanMode(int16_t h, int16_t adc, int16_t mode) override;
    int16_t AIOsetADCmultiplexer(int16_t h, int16_t adc, int16_t channel) override;
    int16_t AIOstartADCconversion(int16_t h, int16_t adc) override;
    int16_t AIOgetADCdata(int16_t h, int16_t adc, int32_t& count) override;

private:
    // Logs the call and returns its scripted result, or `fallback`.
    int16_t record(const char* name, std::initializer_list<long> args, int16_t fallback);

    QStringList m_log;
    std::map<int16_t, int16_t> m_registered{{0, 0}};
    int16_t m_model = 230;
    QHash<QString, int16_t> m_results;
    QMap<int16_t, int32_t> m_counts;
    QMap<int16_t, int16_t> m_readResults;
    std::deque<int32_t> m_queue;
    std::map<std::pair<int16_t, int16_t>, int16_t> m_outputs;
    int16_t m_selected = 0;
    int32_t m_converted = 0;
};

} // namespace corvin::testing
