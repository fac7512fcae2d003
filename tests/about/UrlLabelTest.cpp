// The hyperlink label: the URL it builds, its hint, its look under the mouse
// and the URL a click hands to the desktop.

#include "about/ArloUrlLabel.h"

#include <QEnterEvent>
#include <QTest>

#include <gtest/gtest.h>

namespace {

TEST(UrlLabel, BuildURL)
{
    struct TCase {
        TUrlType Type;
        const char *Custom, *Subject;
        QStringList Body;
        const char *Bcc, *Cc, *Expected;
    } const Cases[] = {
        {utCustom, "", "", {}, "", "", "a.example.com"},
        {utCustom, "irc://", "", {}, "", "", "irc://a.example.com"},
        {utFile, "x:", "", {}, "", "", "file://a.example.com"},
        {utFtp, "", "", {}, "", "", "ftp://a.example.com"},
        {utGopher, "", "", {}, "", "", "gopher://a.example.com"},
        {utHttp, "", "S", {"x"}, "b", "c", "http://a.example.com"},  // mail fields ignored
        {utHttps, "", "", {}, "", "", "https://a.example.com"},
        {utNews, "", "", {}, "", "", "news:a.example.com"},
        {utTelnet, "", "", {}, "", "", "telnet:a.example.com"},
        {utWais, "", "", {}, "", "", "wais:a.example.com"},
        {utMail, "", "", {}, "", "", "mailto:a.example.com"},
        {utMail, "", "Hello", {}, "", "", "mailto:a.example.com?Subject=Hello"},
        {utMail, "", "Hello", {"one", "two"}, "", "", "mailto:a.example.com?Subject=Hello&Body=one%0A%0Dtwo%0A%0D"},
        {utMail, "", "", {}, "b@x", "c@x", "mailto:a.example.com&Bcc=b@x&Cc=c@x"},
        {utMail, "", "S", {"x"}, "b@x", "c@x", "mailto:a.example.com?Subject=S&Body=x%0A%0D&Bcc=b@x&Cc=c@x"},
        // A line break inside a body line is written the same way.
        {utMail, "", "", {"one\r\ntwo"}, "", "", "mailto:a.example.com&Body=one%0A%0Dtwo%0A%0D"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Expected);
        TArloUrlLabel label;
        label.SetURLType(C.Type);
        label.SetCustomURLType(C.Custom);
        label.SetURL("a.example.com");
        label.SetMailSubject(C.Subject);
        label.SetMailBody(C.Body);
        label.SetBcc(C.Bcc);
        label.SetCc(C.Cc);
        EXPECT_EQ(label.BuildURL().toStdString(), C.Expected);
        EXPECT_EQ(label.toolTip(), label.BuildURL());  // the hint follows every field
    }
}

TEST(UrlLabel, ReplaceTextIgnoresLetterCase)
{
    EXPECT_EQ(TArloUrlLabel::ReplaceText("a%0d%0Ab%0D%0a", "%0D%0A", "<>"), "a<>b<>");
    EXPECT_EQ(TArloUrlLabel::ReplaceText("XyaxY", "xy", "xyxy"), "xyxyaxyxy");  // not searched again
    EXPECT_EQ(TArloUrlLabel::ReplaceText("abc", "", "-"), "abc");
}

TEST(UrlLabel, ShowUrlHint)
{
    struct TCase {
        const char* HandHint;  // set after the URL, or nullptr
        bool Show;
        const char* Expected;
    } const Cases[] = {
        {nullptr, true, "http://example.com"},
        {nullptr, false, ""},
        {"Our web site", false, "Our web site"},  // a hint set by hand stays
        {"Our web site", true, "http://example.com"},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Expected);
        TArloUrlLabel label;
        label.SetURLType(utHttp);
        label.SetURL("example.com");
        if (C.HandHint)
            label.SetHint(C.HandHint);
        label.SetShowUrlHint(C.Show);
        EXPECT_EQ(label.Hint().toStdString(), C.Expected);
    }
}

TEST(UrlLabel, LookUnderTheMouse)
{
    const QColor Active(0, 0, 255), Navy(0, 0, 128);
    struct TCase {
        const char* Name;
        bool DetectMouse, UnderlineOnEnter;
        bool UnderlinedOver, BoldOver, UnderlinedAfter;
        QColor ColorOver;
    } const Cases[] = {
        {"lights up and underlines; bold goes", true, true, true, false, false, Active},
        {"lights up only", true, false, false, true, false, Active},
        {"DetectMouse off: always underlined, always navy", false, true, true, true, true, Navy},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Name);
        TArloUrlLabel label;
        QFont bold = label.font();
        bold.setBold(true);
        label.setFont(bold);
        label.SetUnderlineOnEnter(C.UnderlineOnEnter);
        label.SetDetectMouse(C.DetectMouse);
        QStringList events;
        label.SetOnMouseEnter([&](QObject* Sender) { events << (Sender == &label ? "enter" : "?"); });
        label.SetOnMouseLeave([&](QObject* Sender) { events << (Sender == &label ? "leave" : "?"); });

        QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
        QCoreApplication::sendEvent(&label, &enter);
        EXPECT_EQ(label.font().underline(), C.UnderlinedOver);
        EXPECT_EQ(label.font().bold(), C.BoldOver);
        EXPECT_EQ(label.palette().color(QPalette::WindowText), C.ColorOver);

        QEvent leave(QEvent::Leave);
        QCoreApplication::sendEvent(&label, &leave);
        EXPECT_EQ(label.font().underline(), C.UnderlinedAfter);
        EXPECT_EQ(label.palette().color(QPalette::WindowText), Navy);
        EXPECT_EQ(events, QStringList({"enter", "leave"}));
    }
}

TEST(UrlLabel, LeftClickHandsTheURLToTheDesktop)
{
    QStringList opened;
    TArloUrlLabel::SetOpenUrlHook([&](const QString& Url) { opened << Url; });
    TArloUrlLabel label;
    label.resize(100, 20);
    label.SetURLType(utMail);
    label.SetURL("a@example.com");
    label.SetMailSubject("Calvista");
    QTest::mouseClick(&label, Qt::RightButton);
    QTest::mouseClick(&label, Qt::LeftButton);
    TArloUrlLabel::SetOpenUrlHook(nullptr);
    EXPECT_EQ(opened, QStringList({"mailto:a@example.com?Subject=Calvista"}));
    EXPECT_EQ(label.cursor().shape(), Qt::PointingHandCursor);
}

}  // namespace
