#include "about/UnitFrmAbout.h"

#include "about/ArloUrlLabel.h"
#include "about/FormTranslator.h"
#include "services/UnitLangManager.h"
#include "services/UnitLogger.h"

#include <QCoreApplication>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QLabel* NewLabel(QWidget* Parent, const char* Name, const QString& Caption)
{
    auto* label = new QLabel(Caption, Parent);
    label->setObjectName(QString::fromLatin1(Name));
    return label;
}

QFrame* NewLine(QWidget* Parent, const char* Name, QFrame::Shape Shape)
{
    auto* line = new QFrame(Parent);
    line->setObjectName(QString::fromLatin1(Name));
    line->setFrameShape(Shape);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

void SetPointSize(QLabel* Label, int Size, bool Bold = false)
{
    QFont font = Label->font();
    font.setPointSize(Size);
    font.setBold(Bold);
    Label->setFont(font);
}

const QString VersionPrefix = QStringLiteral("Version: ");

}  // namespace

TFrmAbout::TFrmAbout(QWidget* Parent)
    : QDialog(Parent)
{
    setObjectName(QStringLiteral("FrmAbout"));
    setWindowTitle(QStringLiteral("Info"));
    setFixedSize(440, 250);

    BuildNorvanePanel();
    BuildAnonymPanel();

    // Both panels lie in the same place; only one is ever shown.
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(pnlAboutNorvane, 0, 0);
    layout->addWidget(pnlAboutAnonym, 0, 0);

    connect(btnOK, &QPushButton::clicked, this, &TFrmAbout::btnOKClick);
}

void TFrmAbout::BuildNorvanePanel()
{
    pnlAboutNorvane = new QFrame(this);
    pnlAboutNorvane->setObjectName(QStringLiteral("pnlAboutNorvane"));
    pnlAboutNorvane->setAutoFillBackground(true);
    QPalette palette = pnlAboutNorvane->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    pnlAboutNorvane->setPalette(palette);
    QWidget* p = pnlAboutNorvane;

    // The logo: initials, bar and the rest of the name, the slogan below.
    stLogoInitials = NewLabel(p, "stLogoInitials", QStringLiteral("N"));
    stLogoBar = NewLabel(p, "stLogoBar", QStringLiteral("|"));
    stLogoName = NewLabel(p, "stLogoName", QStringLiteral("orvane"));
    stSlogan = NewLabel(p, "stSlogan", QStringLiteral("pressure measurement"));
    SetPointSize(stLogoInitials, 24, true);
    SetPointSize(stLogoBar, 24);
    SetPointSize(stLogoName, 24);
    QFont slogan = stSlogan->font();
    slogan.setItalic(true);
    stSlogan->setFont(slogan);
    for (QLabel* label : {stLogoInitials, stLogoName})
        label->setStyleSheet(QStringLiteral("color: #000080"));
    stLogoBar->setStyleSheet(QStringLiteral("color: #808080"));

    auto* logoName = new QVBoxLayout;
    logoName->setSpacing(0);
    logoName->addWidget(stLogoName);
    logoName->addWidget(stSlogan, 0, Qt::AlignRight);
    auto* logo = new QHBoxLayout;
    logo->setSpacing(4);
    logo->addWidget(stLogoInitials, 0, Qt::AlignTop);
    logo->addWidget(stLogoBar, 0, Qt::AlignTop);
    logo->addLayout(logoName);
    logo->addStretch();

    bvlDivider = NewLine(p, "bvlDivider", QFrame::HLine);

    // Left: the maker's postal address and numbers.
    stMakerName = NewLabel(p, "stMakerName", MakerName);
    SetPointSize(stMakerName, stMakerName->font().pointSize(), true);
    stMakerStreet = NewLabel(p, "stMakerStreet", QStringLiteral("1 Example Road"));
    stMakerCity = NewLabel(p, "stMakerCity", QStringLiteral("Exampleton XX9 9XX"));
    stMakerPhone = NewLabel(p, "stMakerPhone", QStringLiteral("Tel. +44 1632 960100"));
    stMakerFax = NewLabel(p, "stMakerFax", QStringLiteral("Fax +44 1632 960101"));
    auto* address = new QVBoxLayout;
    address->setSpacing(2);
    for (QLabel* label : {stMakerName, stMakerStreet, stMakerCity, stMakerPhone, stMakerFax})
        address->addWidget(label);
    address->addStretch();

    bvlVertical = NewLine(p, "bvlVertical", QFrame::VLine);

    // Right: the program, its maker and author as links, the build date.
    sttProgrammName = NewLabel(p, "sttProgrammName", QString());
    SetPointSize(sttProgrammName, sttProgrammName->font().pointSize(), true);
    sttVersion = NewLabel(p, "sttVersion", QString());
    lblCreatedBy = NewLabel(p, "lblCreatedBy", QStringLiteral("Created by"));
    lblAuthor = NewLabel(p, "lblAuthor", QStringLiteral("Author:"));
    lblInfoDate = NewLabel(p, "lblInfoDate", QStringLiteral("Build date: %s"));

    ulblFirma = new TArloUrlLabel(p);
    ulblFirma->setObjectName(QStringLiteral("ulblFirma"));
    ulblFirma->SetURLType(utCustom);
    ulblFirma->SetURL(MakerWeb);
    ulblAuthor = new TArloUrlLabel(p);
    ulblAuthor->setObjectName(QStringLiteral("ulblAuthor"));
    ulblAuthor->SetURLType(utMail);
    ulblAuthor->SetURL(AuthorMail);
    ulblAuthor->setWordWrap(true);
    for (TArloUrlLabel* link : {ulblFirma, ulblAuthor})
        link->SetDetectMouse(true);

    auto* program = new QGridLayout;
    program->setHorizontalSpacing(4);
    program->setVerticalSpacing(2);
    program->addWidget(sttProgrammName, 0, 0, 1, 2);
    program->addWidget(sttVersion, 1, 0, 1, 2);
    program->addWidget(lblCreatedBy, 2, 0, Qt::AlignTop);
    program->addWidget(ulblFirma, 2, 1, Qt::AlignTop);
    program->addWidget(lblAuthor, 3, 0, Qt::AlignTop);
    program->addWidget(ulblAuthor, 3, 1, Qt::AlignTop);
    program->addWidget(lblInfoDate, 4, 0, 1, 2);
    program->setColumnStretch(1, 1);
    program->setRowStretch(5, 1);

    auto* details = new QHBoxLayout;
    details->setSpacing(10);
    details->addLayout(address, 0);
    details->addWidget(bvlVertical);
    details->addLayout(program, 1);

    btnOK = new QPushButton(QStringLiteral("Ok"), p);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);

    auto* layout = new QVBoxLayout(p);
    layout->setContentsMargins(12, 6, 12, 10);
    layout->setSpacing(6);
    layout->addLayout(logo);
    layout->addWidget(bvlDivider);
    layout->addLayout(details, 1);
    layout->addWidget(btnOK, 0, Qt::AlignHCenter);
}

// The second panel is never shown: it is filled like the first for a build
// without the maker's branding. Its background picture is left out.
void TFrmAbout::BuildAnonymPanel()
{
    pnlAboutAnonym = new QFrame(this);
    pnlAboutAnonym->setObjectName(QStringLiteral("pnlAboutAnonym"));
    imgBackGround = NewLabel(pnlAboutAnonym, "imgBackGround", QString());
    imgBackGround->setAlignment(Qt::AlignCenter);
    sttExternProductName = NewLabel(pnlAboutAnonym, "sttExternProductName", QString());
    sttExternProductVersion = NewLabel(pnlAboutAnonym, "sttExternProductVersion", QString());
    sttExternCompilationDate = NewLabel(pnlAboutAnonym, "sttExternCompilationDate", QString());
    auto* layout = new QVBoxLayout(pnlAboutAnonym);
    layout->addWidget(imgBackGround, 1);
    for (QLabel* label : {sttExternProductName, sttExternProductVersion, sttExternCompilationDate})
        layout->addWidget(label);
    pnlAboutAnonym->hide();
}

void TFrmAbout::PrepareInfo(std::uint8_t Language)
{
    if (LangManager) {
        LangManager->SetLanguage(Language);
        TranslateForm(*LangManager, this);
    }
    FillVersionInfo();
}

void TFrmAbout::FillVersionInfo()
{
    TVersionInfo info;
    if (AppLog)
        AppLog->GetVersionInfo(QCoreApplication::applicationFilePath(), info);

    sttVersion->setText(VersionPrefix + info.FileVersion);
    sttProgrammName->setText(info.ProductName);
    ulblAuthor->setText(info.Comments);
    ulblFirma->setText(info.CompanyName);
    lblInfoDate->setText(FormatCaption(lblInfoDate->text(), info.FileDate));

    sttExternProductName->setText(info.ProductName);
    sttExternProductVersion->setText(VersionPrefix + info.FileVersion);
    sttExternCompilationDate->setText(lblInfoDate->text());
}

QString TFrmAbout::FormatCaption(const QString& Pattern, const QString& Argument)
{
    QString result;
    bool used = false;
    for (qsizetype i = 0; i < Pattern.size(); ++i) {
        const QChar next = i + 1 < Pattern.size() ? Pattern[i + 1] : QChar();
        if (Pattern[i] == u'%' && next == u'%') {
            result += u'%';
            ++i;
        } else if (Pattern[i] == u'%' && !used && (next == u's' || next == u'S')) {
            result += Argument;
            used = true;
            ++i;
        } else {
            result += Pattern[i];
        }
    }
    return result;
}

void TFrmAbout::FormShow()
{
    pnlAboutAnonym->hide();
    imgBackGround->hide();
    pnlAboutNorvane->show();
}

void TFrmAbout::btnOKClick()
{
    accept();
}

void TFrmAbout::showEvent(QShowEvent* Event)
{
    FormShow();
    QDialog::showEvent(Event);
}
