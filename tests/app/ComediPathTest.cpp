// A lab user on a real card through Comedi (a stand-in for libcomedi underneath): two tests in a
// row both read the card and switch its relays, and a PC without a usable device runs as with no
// card, saying why on standard error.
#include "app/MainWindow.h"
#include "instrument/ComediCard.h"
#include "instrument/NoPause.h"
#include "livetest/TestSession.h"
#include "livetest/frmInstrumentRange.h"
#include "livetest/frmRangeScale.h"
#include "livetest/frmStdTestLogging.h"
#include "probes/ProbeFile.h"
#include "settings/DefaultProbeSetting.h"
#include "settings/RegistryStore.h"
#include "support/FakeComedi.h"
#include "support/ScriptedDesktop.h"
#include "support/TempHome.h"

#include <QCoreApplication>
#include <QLineEdit>
#include <gtest/gtest.h>

#include <cerrno>
#include <sstream>

using namespace corvin;
using corvin::testing::FakeComedi;
using corvin::testing::ScriptedDesktop;
using corvin::testing::TempHome;

namespace {

class ComediPath : public ::testing::Test {
protected:
    void SetUp() override {
        state.folders.Home = home.path();
        cProbe probe;
        probe.setProbe_Name(QStringLiteral("BENCH"));
        ASSERT_TRUE(probes::WriteProbeFile(home.file(QStringLiteral("Probes")), probe).ok());
        settings::WriteDefaultProbeName(registry, QStringLiteral("BENCH"));
    }

    void start() {
        window =
            std::make_unique<app::MainWindow>(app::AppServices{state, card, pauser, desk.desktop, registry});
        ASSERT_TRUE(window->Form_Load());
        window->show();
    }

    // Auto, HIGH at 10 µA, channel 5 on, START, one live tick, STOP, EXIT; the reading of channel 5.
    QString runOneTest() {
        window->ActiveBar21_ToolClick(QStringLiteral("miTAuto"));
        livetest::frmStdTestLogging* test = window->testWindow();
        if (test == nullptr)
            return QStringLiteral("no test window");
        test->Command6_Click();
        test->rangeDialog()->Command1_Click();
        test->scaleDialog()->Command1_Click();
        livetest::TestSession& session = test->session();
        session.ToggleChannel(5);
        session.cmdStart_Click();
        session.Timer1_Timer();
        const QString reading = test->findChild<QLineEdit*>(QStringLiteral("Text1_13"))->text();
        session.cmdStop_Click();
        test->cmdExit_Click();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return reading;
    }

    TempHome home;
    SharedState state;
    FakeComedi comedi;
    std::ostringstream report;
    instrument::ComediCard card{comedi, {}, report};
    instrument::NoPause pauser;
    ScriptedDesktop desk;
    settings::RegistryStore registry{home.file(QStringLiteral("registry.sqlite")), desk.clock};
    std::unique_ptr<app::MainWindow> window;
};

TEST_F(ComediPath, TwoTestsInARowBothReadTheCardAndSwitchItsRelays) {
    comedi.addDevice("/dev/comedi0");
    comedi.setSample(13, 39321); // 1.0 V: 2.2 µA on HIGH
    start();
    EXPECT_TRUE(desk.dialogs.messages.empty());

    for (int test = 1; test <= 2; ++test) {
        comedi.clearLog();
        EXPECT_EQ(runOneTest(), QStringLiteral("2.2")) << "test " << test;
        // Channel 5 went on HIGH (lines 8/9 = 0/1) and its input was read.
        const QStringList writes = comedi.calls("dioWrite");
        EXPECT_GE(writes.indexOf(QStringLiteral("dioWrite(2,9,1)")), 0) << "test " << test;
        EXPECT_EQ(comedi.calls("dataRead").size(), 7) << "test " << test;
    }
    EXPECT_TRUE(comedi.isOpen("/dev/comedi0"));

    // The card is released when the program ends.
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(comedi.isOpen("/dev/comedi0"));
    EXPECT_TRUE(report.str().empty());
}

TEST_F(ComediPath, WithoutPermissionTheProgramRunsAsWithNoCardAndSaysWhy) {
    comedi.refuseDevice("/dev/comedi0", EACCES);
    start();
    EXPECT_EQ(desk.dialogs.messageTexts(), QStringList{QStringLiteral("Amplicon Card not Found")});
    EXPECT_EQ(
        QString::fromStdString(report.str()),
        QString::fromUtf8("corvin: /dev/comedi0: permission denied — add yourself to the iocard group\n"));
    // As with no card: no model, so the live sweep reads nothing and the reading box stays empty.
    EXPECT_EQ(runOneTest(), QString());
    EXPECT_EQ(state.display.LastBarValue[4], 0.0);
    EXPECT_TRUE(comedi.calls("dataRead").isEmpty());
    EXPECT_TRUE(comedi.calls("dioWrite").isEmpty());
}

} // namespace
