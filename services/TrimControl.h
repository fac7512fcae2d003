#pragma once
// Blanks and control characters (everything up to 0x20) are stripped from
// both ends of language-file lines, log messages and version values alike.

#include <QString>

inline QString TrimControl(const QString& Text)
{
    qsizetype first = 0;
    qsizetype last = Text.size();
    while (first < last && Text.at(first).unicode() <= 0x20)
        ++first;
    while (last > first && Text.at(last - 1).unicode() <= 0x20)
        --last;
    return Text.mid(first, last - first);
}
