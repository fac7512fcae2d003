#include "about/ArloUrlLabel.h"

#include <QDesktopServices>
#include <QEnterEvent>
#include <QFontDatabase>
#include <QMouseEvent>
#include <QUrl>

namespace {

// A line break of the mail body as the mail link writes it.
const QString LineBreak = QStringLiteral("\r\n");
const QString EncodedLineBreak = QStringLiteral("%0A%0D");

TArloUrlLabel::TOpenUrlHook& OpenUrlHook()
{
    static TArloUrlLabel::TOpenUrlHook Hook;
    return Hook;
}

}  // namespace

QString UrlLabelFontFamily()
{
    for (const QString& family : {QStringLiteral("Tahoma"), QStringLiteral("Arial")})
        if (QFontDatabase::hasFamily(family))
            return family;
    return QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
}

TArloUrlLabel::TArloUrlLabel(QWidget* Parent)
    : QLabel(Parent)
{
    QFont font = this->font();
    font.setFamily(UrlLabelFontFamily());
    font.setStyleHint(QFont::SansSerif);
    setFont(font);
    SetFontColor(FInactiveColor);
    setCursor(Qt::PointingHandCursor);
}

void TArloUrlLabel::SetBcc(const QString& Value)
{
    FBcc = Value;
    RefreshHint();
}

void TArloUrlLabel::SetCc(const QString& Value)
{
    FCc = Value;
    RefreshHint();
}

void TArloUrlLabel::SetDetectMouse(bool Value)
{
    FDetectMouse = Value;
    QFont font = this->font();
    font.setUnderline(!Value);
    setFont(font);
}

void TArloUrlLabel::SetMailBody(const QStringList& Value)
{
    FMailBody = Value;
    RefreshHint();
}

void TArloUrlLabel::SetMailSubject(const QString& Value)
{
    FMailSubject = Value;
    RefreshHint();
}

void TArloUrlLabel::SetShowUrlHint(bool Value)
{
    FShowUrlHint = Value;
    const QString url = BuildURL();
    if (Value)
        SetHint(url);
    else if (Hint() == url)
        SetHint(QString());  // a hint set by hand stays
}

void TArloUrlLabel::SetURLType(TUrlType Value)
{
    FURLType = Value;
    RefreshHint();
}

void TArloUrlLabel::SetURL(const QString& Value)
{
    FURL = Value;
    RefreshHint();
}

void TArloUrlLabel::SetHint(const QString& Value)
{
    setToolTip(Value);
    setStatusTip(Value);
}

void TArloUrlLabel::RefreshHint()
{
    if (FShowUrlHint)
        SetHint(BuildURL());
}

QString TArloUrlLabel::Prefix(TUrlType Type) const
{
    switch (Type) {
        case utCustom: return FCustomURLType;
        case utFile: return QStringLiteral("file://");
        case utFtp: return QStringLiteral("ftp://");
        case utGopher: return QStringLiteral("gopher://");
        case utHttp: return QStringLiteral("http://");
        case utHttps: return QStringLiteral("https://");
        case utMail: return QStringLiteral("mailto:");
        case utNews: return QStringLiteral("news:");
        case utTelnet: return QStringLiteral("telnet:");
        case utWais: return QStringLiteral("wais:");
    }
    return QString();
}

QString TArloUrlLabel::BuildURL() const
{
    QString url = Prefix(FURLType) + FURL;
    if (FURLType != utMail)
        return url;
    if (!FMailSubject.isEmpty())
        url += QStringLiteral("?Subject=") + FMailSubject;
    if (!FMailBody.isEmpty()) {
        QString body;
        for (const QString& line : FMailBody)
            body += line + LineBreak;
        url += QStringLiteral("&Body=") + ReplaceText(body, LineBreak, EncodedLineBreak);
    }
    if (!FBcc.isEmpty())
        url += QStringLiteral("&Bcc=") + FBcc;
    if (!FCc.isEmpty())
        url += QStringLiteral("&Cc=") + FCc;
    return url;
}

QString TArloUrlLabel::ReplaceText(const QString& Text, const QString& Pattern, const QString& Replacement)
{
    if (Pattern.isEmpty())
        return Text;
    QString result;
    qsizetype from = 0;
    for (qsizetype at; (at = Text.indexOf(Pattern, from, Qt::CaseInsensitive)) >= 0; from = at + Pattern.size())
        result += Text.mid(from, at - from) + Replacement;
    return result + Text.mid(from);
}

void TArloUrlLabel::Click()
{
    const QString url = BuildURL();
    if (OpenUrlHook())
        OpenUrlHook()(url);
    else
        QDesktopServices::openUrl(QUrl(url));  // a failure is not reported
}

void TArloUrlLabel::SetOpenUrlHook(TOpenUrlHook Hook)
{
    OpenUrlHook() = std::move(Hook);
}

void TArloUrlLabel::enterEvent(QEnterEvent* Event)
{
    QLabel::enterEvent(Event);
    if (FDetectMouse) {
        SetFontColor(FActiveColor);
        if (FUnderlineOnEnter)
            SetUnderlineOnly(true);
    }
    if (FOnMouseEnter)
        FOnMouseEnter(this);
}

void TArloUrlLabel::leaveEvent(QEvent* Event)
{
    QLabel::leaveEvent(Event);
    if (FDetectMouse) {
        SetFontColor(FInactiveColor);
        SetUnderlineOnly(false);
    }
    if (FOnMouseLeave)
        FOnMouseLeave(this);
}

void TArloUrlLabel::mousePressEvent(QMouseEvent* Event)
{
    FPressed = Event->button() == Qt::LeftButton;
    QLabel::mousePressEvent(Event);
}

void TArloUrlLabel::mouseReleaseEvent(QMouseEvent* Event)
{
    QLabel::mouseReleaseEvent(Event);
    const bool click = FPressed && Event->button() == Qt::LeftButton && rect().contains(Event->position().toPoint());
    FPressed = false;
    if (click)
        Click();
}

void TArloUrlLabel::SetFontColor(const QColor& Color)
{
    QPalette palette = this->palette();
    palette.setColor(QPalette::WindowText, Color);
    setPalette(palette);
}

// Underline alone, or the plain style: bold, italic and strike-out go.
void TArloUrlLabel::SetUnderlineOnly(bool Underline)
{
    QFont font = this->font();
    font.setBold(false);
    font.setItalic(false);
    font.setStrikeOut(false);
    font.setUnderline(Underline);
    setFont(font);
}
