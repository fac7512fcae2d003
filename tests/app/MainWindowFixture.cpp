#include "MainWindowFixture.h"

#include "app/Application.h"
#include "services/UnitLogger.h"

#include <QDir>
#include <QFile>
#include <QLocale>

void TMainWindowTest::SetUp()
{
    ASSERT_TRUE(FDir.isValid());
    FPreviousDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(FDir.path()));
    ASSERT_TRUE(QFile::copy(QStringLiteral(CALVISTA_SOURCE_DIR "/language.ini"), QStringLiteral("language.ini")));
    const QString settingsDir = FDir.filePath(QStringLiteral("settings"));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settingsDir);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsDir);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    TApplication::SetErrorDisplay([this](const QString& Message) { ApplicationErrors << Message; });
    TCalibLog::SetMessageBoxHook([](const QString& Message) { ADD_FAILURE() << "log box: " << Message.toStdString(); });
    Factory = std::make_shared<TSimPortFactory>();
    // A window that has been placed before: no first-run message.
    StorePreferences(10, 20, 700, 540, 0, 70);
}

void TMainWindowTest::TearDown()
{
    Window.reset();
    Factory.reset();
    Transmitters.clear();
    TApplication::SetErrorDisplay(nullptr);
    TCalibLog::SetMessageBoxHook(nullptr);
    QLocale::setDefault(QLocale::c());
    QDir::setCurrent(FPreviousDir);
}

TSimTransmitter& TMainWindowTest::AddTransmitter(const std::string& Port, const TSimDeviceState& State)
{
    Transmitters.push_back(std::make_unique<TSimTransmitter>(State));
    Transmitters.back()->SetPacing(TSimPacing::Instant());
    Factory->AddPort(Port, *Transmitters.back());
    return *Transmitters.back();
}

QSettings TMainWindowTest::Registry() const
{
    return QSettings(TfrmMain::RegistryOrganization, TfrmMain::RegistryApplication);
}

void TMainWindowTest::StorePreferences(int Left, int Top, int Width, int Height, int State, int Splitter)
{
    QSettings settings(TfrmMain::RegistryOrganization, TfrmMain::RegistryApplication);
    settings.beginGroup(TfrmMain::PreferencesKey);
    settings.setValue(QStringLiteral("WindowLeft"), Left);
    settings.setValue(QStringLiteral("WindowTop"), Top);
    settings.setValue(QStringLiteral("WindowWidth"), Width);
    settings.setValue(QStringLiteral("WindowHeight"), Height);
    settings.setValue(QStringLiteral("WindowState"), State);
    settings.setValue(QStringLiteral("SplitterPos"), Splitter);
}

void TMainWindowTest::RemovePreferences()
{
    QSettings settings(TfrmMain::RegistryOrganization, TfrmMain::RegistryApplication);
    settings.remove(TfrmMain::PreferencesKey);
}

TfrmMain& TMainWindowTest::Create()
{
    auto dialogs = std::make_unique<TScriptedOperatorDialogs>();
    Dialogs = dialogs.get();
    Window = std::make_unique<TfrmMain>(Factory, std::move(dialogs));
    return *Window;
}

TfrmMain& TMainWindowTest::Start()
{
    Create();
    Window->show();
    return *Window;
}

QString TMainWindowTest::Text(const QString& Key, int Language) const
{
    TLangManager texts(QStringLiteral("language.ini"));
    texts.SetLanguage(std::uint8_t(Language));
    return texts.Translate(Key);
}

QStringList TMainWindowTest::LogMessages() const
{
    QFile file(QStringLiteral("log.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList messages;
    for (const QString& line : QString::fromLocal8Bit(file.readAll()).split(QStringLiteral("\r\n"))) {
        const int separator = line.indexOf(QStringLiteral("  "));
        if (separator >= 0)
            messages << line.mid(separator + 2);
    }
    return messages;
}
