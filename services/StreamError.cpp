#include "services/StreamError.h"

#include "services/ShownText.h"

namespace {

const QString InFileKey = QStringLiteral("E40.INFILE");
const QString InFileEnglish = QStringLiteral("%1: %2");
const QString NotDefined = QStringLiteral("n.d.");

QStringList Shown(const QStringList& Arguments)
{
    QStringList shown;
    for (const QString& argument : Arguments)
        shown << ShownText(argument);
    return shown;
}

QString Compose(const QString& English, const QStringList& Arguments, const QString& FileName)
{
    const QString text = FillPattern(English, Arguments);
    return FileName.isEmpty() ? text : FillPattern(InFileEnglish, {ShownText(FileName), text});
}

}  // namespace

QString FillPattern(const QString& Pattern, const QStringList& Arguments)
{
    QString text;
    text.reserve(Pattern.size());
    for (qsizetype i = 0; i < Pattern.size(); ++i) {
        const QChar c = Pattern[i];
        if (c == QLatin1Char('%') && i + 1 < Pattern.size() && Pattern[i + 1] >= QLatin1Char('1')
            && Pattern[i + 1] <= QLatin1Char('9')) {
            const qsizetype n = Pattern[i + 1].unicode() - '1';
            if (n < Arguments.size()) {
                text += Arguments[n];
                ++i;
                continue;
            }
        }
        text += c;
    }
    return text;
}

EStreamError::EStreamError(const QString& Message)
    : std::runtime_error(Message.toStdString())
    , FEnglish(Message)
{
}

EStreamError::EStreamError(const QString& Key, const QString& English, const QStringList& Arguments)
    : std::runtime_error(Compose(English, Shown(Arguments), QString()).toStdString())
    , FKey(Key)
    , FEnglish(English)
    , FArguments(Shown(Arguments))
{
}

EStreamError EStreamError::InFile(const QString& FileName) const
{
    EStreamError error(*this);
    error.FFileName = FileName;
    static_cast<std::runtime_error&>(error)
        = std::runtime_error(Compose(error.FEnglish, error.FArguments, FileName).toStdString());
    return error;
}

QString EStreamError::Text(const std::function<QString(const QString&)>& Translate) const
{
    const auto pattern = [&Translate](const QString& Key, const QString& English) {
        if (Key.isEmpty())
            return English;
        const QString text = Translate(Key);
        return text.isEmpty() || text == NotDefined ? English : text;
    };
    const QString text = FillPattern(pattern(FKey, FEnglish), FArguments);
    return FFileName.isEmpty() ? text : FillPattern(pattern(InFileKey, InFileEnglish), {ShownText(FFileName), text});
}
