// corvin-data plot, run in-process: the picture it writes, and its refusals.
#include "playback/PlaybackFixtures.h"
#include "support/CorvinDataRun.h"
#include "support/TempHome.h"

#include <QFileInfo>
#include <QImage>
#include <gtest/gtest.h>

using corvin::testing::RunCorvinData;
using corvin::testing::TempHome;

namespace {

class CorvinDataPlot : public ::testing::Test {
protected:
    CorvinDataPlot() { EXPECT_TRUE(corvin::testing::WriteTest(data, 200)); }
    TempHome home;
    QString data = home.file(QStringLiteral("run.DAT"));
};

// The pixel colours present in a picture, by exact match.
bool Shows(const QImage& image, const QColor& colour) {
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                return true;
    return false;
}

} // namespace

TEST_F(CorvinDataPlot, DrawsTheChosenChannelsInTheGraphsColours) {
    const QString png = home.file(QStringLiteral("graph.png"));
    const auto run = RunCorvinData({"plot", data, png, "--channels", "5,2", "--size", "800x500", "--title",
                                    "A title longer than twenty"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_TRUE(run.err.isEmpty());
    QImage image(png);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(800, 500));
    EXPECT_TRUE(Shows(image, QColor(128, 0, 0)));    // set 1, channel 5: red
    EXPECT_TRUE(Shows(image, QColor(128, 0, 128)));  // set 2, channel 2: magenta
    EXPECT_FALSE(Shows(image, QColor(255, 255, 0))); // no third set

    const QString pdf = home.file(QStringLiteral("graph.PDF"));
    EXPECT_EQ(RunCorvinData({"plot", data, pdf, "--type=symbols"}).status, 0);
    EXPECT_TRUE(TempHome::read(pdf).startsWith("%PDF"));
}

TEST_F(CorvinDataPlot, TheClearStyleIsWhiteInOkabeItoColours) {
    const QString png = home.file(QStringLiteral("clear.png"));
    ASSERT_EQ(RunCorvinData({"plot", data, png, "--channels", "5,2", "--size", "800x500", "--style", "clear"})
                  .status,
              0);
    QImage image(png);
    EXPECT_EQ(image.pixelColor(2, 2), QColor(Qt::white));
    EXPECT_TRUE(Shows(image, QColor(0x00, 0x72, 0xB2))); // set 1: blue
    EXPECT_TRUE(Shows(image, QColor(0xD5, 0x5E, 0x00))); // set 2: vermillion
    EXPECT_FALSE(Shows(image, QColor(128, 0, 0)));       // nothing of the classic palette
}

TEST_F(CorvinDataPlot, RefusesBadArgumentsAndUnreadableFilesWithStatusTwo) {
    const QString out = home.file(QStringLiteral("out.png"));
    const QString bad = home.file(QStringLiteral("bad.DAT"));
    ASSERT_TRUE(TempHome::write(bad, QByteArray(10, 'x')));
    const std::vector<std::pair<QStringList, QString>> cases{
        {{"plot", bad, out}, "corvin-data: cannot read " + bad + ": The file is 10 bytes long"},
        {{"plot", home.file("missing.DAT"), out}, "corvin-data: cannot read"},
        {{"plot", data}, "plot takes a test data file and an output file"},
        {{"plot", data, home.file("out.jpg")}, "must end in .png or .pdf"},
        {{"plot", data, out, "--channels", "5,5"}, "--channels names channel 5 twice"},
        {{"plot", data, out, "--channels", "8"}, "--channels takes channel numbers 1 to 7"},
        {{"plot", data, out, "--type", "bars"}, "--type is lines, lines-symbols or symbols"},
        {{"plot", data, out, "--size", "10x10"}, "--size is WIDTHxHEIGHT"},
        {{"plot", data, out, "--colour", "red"}, "unknown plot option \"--colour\""},
        {{"plot", data, out, "--title"}, "--title needs a value"},
        {{"plot", data, out, "--style", "modern"}, "--style is classic or clear"},
    };
    for (const auto& [args, words] : cases) {
        const auto run = RunCorvinData(args);
        EXPECT_EQ(run.status, 2) << args.join(' ').toStdString();
        EXPECT_TRUE(run.err.startsWith(QStringLiteral("corvin-data: ")));
        EXPECT_TRUE(run.err.contains(words)) << run.err.toStdString();
        EXPECT_EQ(run.err.count(QLatin1Char('\n')), 1) << run.err.toStdString();
    }
    EXPECT_FALSE(QFileInfo::exists(out));
}

TEST_F(CorvinDataPlot, ATestOfOneSampleIsNotDrawn) {
    const QString one = home.file(QStringLiteral("one.DAT"));
    ASSERT_TRUE(corvin::testing::WriteTest(one, 1));
    const auto run = RunCorvinData({"plot", one, home.file(QStringLiteral("one.png"))});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, QStringLiteral("corvin-data: ") + one + QStringLiteral(": Less than 2 data_points\n"));
}
