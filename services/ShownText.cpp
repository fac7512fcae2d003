#include "services/ShownText.h"

QString ShownText(const QString& Text)
{
    // Long enough for every message with a file path in it.
    constexpr qsizetype Longest = 400, Head = 300, Tail = 60;
    QString text = Text;
    if (text.size() > Longest)
        text = text.left(Head) + QStringLiteral(" ... (%1 characters left out) ... ").arg(text.size() - Head - Tail)
               + text.right(Tail);
    QString shown;
    shown.reserve(text.size());
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u'\n')
            shown += QStringLiteral("\\n");
        else if (u == u'\r')
            shown += QStringLiteral("\\r");
        else if (u == u'\t')
            shown += QStringLiteral("\\t");
        else if (u < 0x20 || (u >= 0x7F && u <= 0x9F))
            shown += QStringLiteral("\\x%1").arg(unsigned(u), 2, 16, QLatin1Char('0'));
        else if (!c.isPrint() && !c.isSurrogate())
            shown += QStringLiteral("\\u%1").arg(unsigned(u), 4, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    return shown;
}
