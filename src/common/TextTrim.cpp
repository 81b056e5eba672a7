#include "common/TextTrim.h"

namespace corvin {
namespace {

bool IsSpace(QChar c) {
    return c == QLatin1Char(' ');
}

bool IsPadding(QChar c) {
    return c == QLatin1Char(' ') || c == QChar(0);
}

template <typename Trimmable> QString Trim(const QString& text, Trimmable trimmable, bool front) {
    qsizetype first = 0;
    qsizetype last = text.size();
    while (front && first < last && trimmable(text.at(first)))
        ++first;
    while (last > first && trimmable(text.at(last - 1)))
        --last;
    return text.mid(first, last - first);
}

} // namespace

QString TrimSpaces(const QString& text) {
    return Trim(text, IsSpace, true);
}

QString TrimPadding(const QString& field) {
    return Trim(field, IsPadding, true);
}

QString TrimPaddingEnd(const QString& field) {
    return Trim(field, IsPadding, false);
}

} // namespace corvin
