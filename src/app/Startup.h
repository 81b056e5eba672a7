#pragma once
// The GUI-free steps of the program's start-up: the printer check and the acquisition card.

#include "common/SharedState.h"
#include "instrument/CardLibrary.h"
#include "platform/Dialogs.h"
#include "platform/Printers.h"

namespace corvin::app {

inline const QString kNoPrinterMessage =
    QStringLiteral("This program requires a printer driver to be installed to operate");
inline const QString kNoCardMessage = QStringLiteral("Amplicon Card not Found");

// True at the first printer whose orientation reads portrait or landscape.
bool PrinterCheckPasses(const platform::Printers& printers);

// Registers the card (indexes 0..7), says "Amplicon Card not Found" when there is none, then
// clears the digital outputs and sets the analogue side up, with handle -1 when there is no card.
void StartCard(instrument::CardLibrary& card, InstrumentState& state, platform::Dialogs& dialogs);

// The card released, when one is registered.
void ReleaseCard(instrument::CardLibrary& card, const InstrumentState& state);

} // namespace corvin::app
