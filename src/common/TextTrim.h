#pragma once
// Trimming as the program has always done it: spaces only (not tabs or other blanks), and for
// stored fixed-width fields also the zero bytes a short file reads as.

#include <QString>

namespace corvin {

// Spaces off both ends.
QString TrimSpaces(const QString& text);

// A stored field without its padding (spaces and zero bytes) at both ends.
QString TrimPadding(const QString& field);

// A stored field without the padding after it; leading spaces stay.
QString TrimPaddingEnd(const QString& field);

} // namespace corvin
