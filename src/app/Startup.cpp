#include "app/Startup.h"

#include "instrument/CardRegistration.h"

namespace corvin::app {

bool PrinterCheckPasses(const platform::Printers& printers) {
    for (const QString& name : printers.names()) {
        const int orientation = printers.orientation(name);
        if (orientation == 1 || orientation == 2)
            return true;
    }
    return false;
}

void StartCard(instrument::CardLibrary& card, InstrumentState& state, platform::Dialogs& dialogs) {
    const instrument::Registration registration = instrument::RegisterBoard(card);
    state.BoardHandle = registration.BoardHandle;
    state.BoardModel = registration.BoardModel;
    if (!registration.found())
        dialogs.message({kNoCardMessage, platform::Icon::Critical});
    instrument::StartupCardSetup(card, registration);
}

void ReleaseCard(instrument::CardLibrary& card, const InstrumentState& state) {
    if (state.BoardHandle != -1)
        card.FreeBoard(state.BoardHandle);
}

} // namespace corvin::app
