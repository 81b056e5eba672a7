#pragma once
// Every reader of the program's files, and every check of names that end up in files, as a
// function of arbitrary bytes. libFuzzer drives each one (scripts/fuzz); the normal test suite
// runs the seed corpus and every input that once found a fault through the same functions
// (tests/fuzz), so a fixed crash stays fixed.
//
// A target returns normally for any input; a broken promise (a round trip that changes the
// data) aborts, which both libFuzzer and the tests report.

#include <cstddef>
#include <cstdint>
#include <span>

namespace corvin::fuzz {

struct FuzzTarget {
    const char* name; // also the folder of its corpus: fuzz/corpus/<name>, fuzz/regressions/<name>
    void (*run)(const uint8_t* data, std::size_t size);
};

void FuzzTestDataFile(const uint8_t* data, std::size_t size);  // test data files (.DAT)
void FuzzProbeFile(const uint8_t* data, std::size_t size);     // probe files (.prb)
void FuzzBarColourFile(const uint8_t* data, std::size_t size); // BAR.CFG
void FuzzSimulatorProfile(const uint8_t* data, std::size_t size);
void FuzzRecoveryJournal(const uint8_t* data, std::size_t size);
void FuzzTestRecord(const uint8_t* data, std::size_t size);  // NAME.DAT.json
void FuzzProbeLimits(const uint8_t* data, std::size_t size); // NAME.limits.json, and a verdict over them
// Probe names and channel texts as typed: the checks, and what a probe file keeps of them.
void FuzzProbeNames(const uint8_t* data, std::size_t size);
// The spreadsheet writers with the names they take: the seven channel names and a chosen file
// name, into both workbook formats.
void FuzzWorkbookNames(const uint8_t* data, std::size_t size);

// The address of a lab's history server as a user types it (--history, Preferences).
void FuzzHistoryAddress(const uint8_t* data, std::size_t size);

// Every target above, for the regression test.
std::span<const FuzzTarget> AllTargets();

} // namespace corvin::fuzz
