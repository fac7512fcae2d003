#pragma once
// TFrmAbout: the about box. It shows the maker's branding and contact details,
// the program's product name, version and build date from the program file's
// own version information, and two links, to the maker's web site and a mail
// to the author. It borrows the main window's language manager and log.

#include <QDialog>

#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;
class TArloUrlLabel;
class TCalibLog;
class TLangManager;

class TFrmAbout : public QDialog {
    Q_OBJECT
public:
    // The maker's details shown in the box.
    static inline const QString MakerName = QStringLiteral("Norvane");
    static inline const QString MakerWeb = QStringLiteral("https://www.example.com");
    static inline const QString AuthorMail = QStringLiteral("calvista@example.com");

    explicit TFrmAbout(QWidget* Parent = nullptr);

    // Set by the main window before PrepareInfo; not owned.
    TLangManager* LangManager = nullptr;
    TCalibLog* AppLog = nullptr;

    // Translates the box into Language (0 English, 1 German) and fills the
    // version fields.
    void PrepareInfo(std::uint8_t Language);
    void FillVersionInfo();
    void FormShow();
    void btnOKClick();

    // Caption used as a format pattern with one text argument: the first "%s"
    // becomes Argument and "%%" a single "%"; anything else stays as it is.
    static QString FormatCaption(const QString& Pattern, const QString& Argument);

    // --- components (named as their objectName) ------------------------------------
    QFrame* pnlAboutNorvane = nullptr;
    QLabel *stLogoInitials = nullptr, *stLogoBar = nullptr, *stLogoName = nullptr, *stSlogan = nullptr;
    QFrame* bvlDivider = nullptr;
    QLabel *stMakerName = nullptr, *stMakerStreet = nullptr, *stMakerCity = nullptr;
    QLabel *stMakerPhone = nullptr, *stMakerFax = nullptr;
    QFrame* bvlVertical = nullptr;
    QLabel *sttProgrammName = nullptr, *sttVersion = nullptr;
    QLabel *lblCreatedBy = nullptr, *lblAuthor = nullptr, *lblInfoDate = nullptr;
    TArloUrlLabel *ulblFirma = nullptr, *ulblAuthor = nullptr;
    QPushButton* btnOK = nullptr;

    QFrame* pnlAboutAnonym = nullptr;
    QLabel* imgBackGround = nullptr;
    QLabel *sttExternProductName = nullptr, *sttExternProductVersion = nullptr, *sttExternCompilationDate = nullptr;

protected:
    void showEvent(QShowEvent* Event) override;

private:
    void BuildNorvanePanel();
    void BuildAnonymPanel();
};
