// Every seed of the fuzz corpus, and every input that once found a fault, through its fuzz
// target: the faults fuzzing found stay fixed in the normal (and the sanitizer) build.
#include "FuzzTargets.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <ostream>

using corvin::fuzz::FuzzTarget;

namespace corvin::fuzz {
// Test names and CTest show the target by its name.
void PrintTo(const FuzzTarget& target, std::ostream* out) {
    *out << target.name;
}
} // namespace corvin::fuzz

namespace {

class FuzzCorpus : public ::testing::TestWithParam<FuzzTarget> {};

QStringList InputsOf(const QString& name) {
    QStringList inputs;
    for (const char* kind : {"corpus", "regressions"}) {
        const QDir folder(QStringLiteral(CORVIN_FUZZ_DIR "/") + QLatin1String(kind) + QLatin1Char('/') +
                          name);
        for (const QString& file : folder.entryList(QDir::Files | QDir::Hidden, QDir::Name))
            inputs << folder.filePath(file);
    }
    return inputs;
}

} // namespace

TEST_P(FuzzCorpus, EveryKeptInputRunsThrough) {
    const FuzzTarget& target = GetParam();
    const QStringList inputs = InputsOf(QString::fromLatin1(target.name));
    EXPECT_FALSE(inputs.isEmpty()) << "no seed corpus for " << target.name;
    for (const QString& path : inputs) {
        SCOPED_TRACE(path.toStdString());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        target.run(reinterpret_cast<const uint8_t*>(bytes.constData()), std::size_t(bytes.size()));
    }
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzCorpus,
                         ::testing::ValuesIn(corvin::fuzz::AllTargets().begin(),
                                             corvin::fuzz::AllTargets().end()),
                         [](const ::testing::TestParamInfo<FuzzTarget>& info) {
                             return std::string(info.param.name);
                         });
