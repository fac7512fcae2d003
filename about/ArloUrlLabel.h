#pragma once
// TArloUrlLabel: a label that looks and acts like a hyperlink. It shows its
// text in the inactive colour, lights up (and may underline) under the mouse,
// and on a click hands its full URL (BuildURL) to the desktop's "open".
// A QLabel subclass, so the form translator leaves its caption alone.

#include <QColor>
#include <QLabel>
#include <QString>
#include <QStringList>

#include <functional>

// The kind of URL and so the prefix put before URL.
enum TUrlType { utCustom, utFile, utFtp, utGopher, utHttp, utHttps, utMail, utNews, utTelnet, utWais };

class TArloUrlLabel : public QLabel {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(QObject* Sender)>;
    // Hands a URL to the desktop. The program opens it with QDesktopServices;
    // tests install a hook that records it instead.
    using TOpenUrlHook = std::function<void(const QString& Url)>;

    explicit TArloUrlLabel(QWidget* Parent = nullptr);

    QColor ActiveColor() const { return FActiveColor; }
    void SetActiveColor(const QColor& Value) { FActiveColor = Value; }
    QColor InactiveColor() const { return FInactiveColor; }
    void SetInactiveColor(const QColor& Value) { FInactiveColor = Value; }
    QString Bcc() const { return FBcc; }
    void SetBcc(const QString& Value);
    QString Cc() const { return FCc; }
    void SetCc(const QString& Value);
    // The prefix of a utCustom URL.
    QString CustomURLType() const { return FCustomURLType; }
    void SetCustomURLType(const QString& Value) { FCustomURLType = Value; }
    // True: plain until the mouse comes; false: underlined all the time.
    bool DetectMouse() const { return FDetectMouse; }
    void SetDetectMouse(bool Value);
    QStringList MailBody() const { return FMailBody; }
    void SetMailBody(const QStringList& Value);
    QString MailSubject() const { return FMailSubject; }
    void SetMailSubject(const QString& Value);
    bool ShowUrlHint() const { return FShowUrlHint; }
    void SetShowUrlHint(bool Value);
    bool UnderlineOnEnter() const { return FUnderlineOnEnter; }
    void SetUnderlineOnEnter(bool Value) { FUnderlineOnEnter = Value; }
    TUrlType URLType() const { return FURLType; }
    void SetURLType(TUrlType Value);
    QString URL() const { return FURL; }
    void SetURL(const QString& Value);
    TNotifyEvent OnMouseEnter() const { return FOnMouseEnter; }
    void SetOnMouseEnter(TNotifyEvent Value) { FOnMouseEnter = std::move(Value); }
    TNotifyEvent OnMouseLeave() const { return FOnMouseLeave; }
    void SetOnMouseLeave(TNotifyEvent Value) { FOnMouseLeave = std::move(Value); }

    // The hint: tool tip and status tip.
    QString Hint() const { return toolTip(); }
    void SetHint(const QString& Value);

    // Prefix of URLType, URL and, for a mail, its subject, body, Bcc and Cc.
    QString BuildURL() const;
    // Text with every Pattern, in any letter case, replaced by Replacement.
    static QString ReplaceText(const QString& Text, const QString& Pattern, const QString& Replacement);
    // The prefix that a URL type puts before URL (utCustom: CustomURLType).
    QString Prefix(TUrlType Type) const;

    // Opens the full URL with the desktop.
    void Click();
    static void SetOpenUrlHook(TOpenUrlHook Hook);

protected:
    void enterEvent(QEnterEvent* Event) override;
    void leaveEvent(QEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;

private:
    void RefreshHint();
    void SetFontColor(const QColor& Color);
    void SetUnderlineOnly(bool Underline);

    QColor FActiveColor {0, 0, 255};
    QColor FInactiveColor {0, 0, 128};
    QString FBcc, FCc, FCustomURLType, FMailSubject, FURL;
    QStringList FMailBody;
    bool FDetectMouse = true;
    bool FShowUrlHint = true;
    bool FUnderlineOnEnter = true;
    bool FPressed = false;
    TUrlType FURLType = utCustom;
    TNotifyEvent FOnMouseEnter, FOnMouseLeave;
};

// Tahoma if installed, else Arial, else the system's sans-serif face.
QString UrlLabelFontFamily();
