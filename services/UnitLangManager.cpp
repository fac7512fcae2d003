#include "services/UnitLangManager.h"
#include "services/TrimControl.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QStringDecoder>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace {

const char* const LanguageFileName = "language.ini";

// Windows-1252 differs from Latin 1 only in 0x80 to 0x9F.
QString DecodeWindows1252(const QByteArray& Bytes)
{
    static const char16_t High[32]
        = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
           0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
           0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(Bytes.size());
    for (char c : Bytes) {
        const auto b = static_cast<unsigned char>(c);
        text += (b >= 0x80 && b <= 0x9F) ? QChar(High[b - 0x80]) : QChar(b);
    }
    return text;
}

// UTF-8, with or without a byte-order mark; anything that is not valid UTF-8
// is taken as Windows-1252, the code page such files are written in elsewhere.
QString DecodeLanguageFile(const QByteArray& Bytes)
{
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = utf8.decode(Bytes);
    if (!utf8.hasError())
        return text.startsWith(QChar(0xFEFF)) ? text.mid(1) : text;
    return DecodeWindows1252(Bytes);
}

// Comparison of class names, as the translator does it: exact, ignoring case.
bool IsClass(const QObject* Object, const char* ClassName)
{
    return QLatin1String(Object->metaObject()->className()).compare(QLatin1String(ClassName), Qt::CaseInsensitive) == 0;
}

// A QAction stands for a menu item when it is shown in a menu or menu bar.
bool IsMenuItem(const QAction* Action)
{
    for (const QObject* owner : Action->associatedObjects())
        if (qobject_cast<const QMenu*>(owner) || qobject_cast<const QMenuBar*>(owner))
            return true;
    return false;
}

// The action through which a named QMenu appears in its parent menu: the
// QMenu itself is translated, not this action.
bool IsMenuOwnAction(const QAction* Action)
{
    const auto* menu = qobject_cast<const QMenu*>(Action->parent());
    return menu && menu->menuAction() == Action && !menu->objectName().isEmpty();
}

// Qt builds parts of its own inside a notebook's tab bar (the scroll
// buttons) and a menu bar (the overflow button), tool buttons like ours, and
// names its internal children "qt_..."; they are not components of the form
// and must keep their own hints instead of getting "n.d.".
bool IsQtOwnPart(const QObject* Object, const QObject* Form)
{
    if (Object->objectName().startsWith(QLatin1String("qt_")))
        return true;
    if (qobject_cast<const QToolButton*>(Object) && qobject_cast<const QMenuBar*>(Object->parent()))
        return true;
    for (const QObject* owner = Object->parent(); owner && owner != Form; owner = owner->parent())
        if (qobject_cast<const QTabBar*>(owner))
            return true;
    return false;
}

}  // namespace

TLangManager::TLangManager()
{
    const QString here = QDir::current().absoluteFilePath(QLatin1String(LanguageFileName));
    FFileName = here;
    // Started from a desktop launcher, the current directory is seldom the
    // program's own; the file beside the program is the fallback.
    if (!QFileInfo::exists(here) && QCoreApplication::instance()) {
        const QString besideProgram
            = QDir(QCoreApplication::applicationDirPath()).absoluteFilePath(QLatin1String(LanguageFileName));
        if (QFileInfo::exists(besideProgram))
            FFileName = besideProgram;
    }
    Load();
}

TLangManager::TLangManager(const QString& FileName)
    : FFileName(FileName)
{
    Load();
}

QString TLangManager::SectionName(std::uint8_t Language)
{
    return Language == 1 ? QStringLiteral("German") : QStringLiteral("English");
}

void TLangManager::Load()
{
    FSections.clear();
    FLoadError.clear();
    QFile file(FFileName);
    if (!file.exists())
        return;
    if (!file.open(QIODevice::ReadOnly)) {
        // The program goes on with "n.d." texts; the caller can report this.
        FLoadError = QStringLiteral("Cannot open the language file %1: %2")
                         .arg(QDir::toNativeSeparators(FFileName), file.errorString());
        return;
    }
    Parse(DecodeLanguageFile(file.readAll()));
}

void TLangManager::Parse(const QString& Text)
{
    TSection* current = nullptr;
    QString normalized = Text;
    normalized.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalized.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    const QStringList lines = normalized.split(QLatin1Char('\n'));
    for (const QString& raw : lines) {
        const QString line = TrimControl(raw);
        if (line.isEmpty() || line.startsWith(QLatin1Char(';')))
            continue;
        if (line.startsWith(QLatin1Char('[')) && line.endsWith(QLatin1Char(']'))) {
            // A section named again starts afresh: only its last block counts.
            const QString name = TrimControl(line.mid(1, line.size() - 2)).toUpper();
            current = &FSections[name];
            current->clear();
            continue;
        }
        if (!current)
            continue;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        // Later occurrences of a key replace earlier ones.
        current->insert(TrimControl(line.left(equals)).toUpper(), TrimControl(line.mid(equals + 1)));
    }
}

QString TLangManager::Translate(const QString& Key) const
{
    const auto section = FSections.constFind(SectionName(FLanguage).toUpper());
    if (section == FSections.constEnd())
        return NotDefined;
    const auto entry = section->constFind(Key.toUpper());
    return entry == section->constEnd() ? NotDefined : entry.value();
}

void TLangManager::TranslateForm(QWidget* Form) const
{
    if (!Form)
        return;
    Form->setWindowTitle(Translate(Form->objectName() + QStringLiteral(".Caption")));
    const QList<QObject*> components = Form->findChildren<QObject*>();
    for (QObject* component : components)
        if (!IsQtOwnPart(component, Form))
            TranslateComponent(component);
}

void TLangManager::TranslateComponent(QObject* Component) const
{
    const QString name = Component->objectName();
    const QString caption = name + QStringLiteral(".Caption");
    const QString hint = name + QStringLiteral(".Hint");

    if (IsClass(Component, "QLabel")) {
        auto* label = static_cast<QLabel*>(Component);
        if (!name.contains(QLatin1String("lbl")))
            return;
        if (name.compare(QLatin1String("lblPressureUnit"), Qt::CaseInsensitive) == 0
            || name.compare(QLatin1String("lblCurrentUnit"), Qt::CaseInsensitive) == 0) {
            // Unit labels show the device's unit; only their design text goes.
            if (label->text().contains(QLatin1String("lbl")))
                label->setText(QStringLiteral("__"));
            return;
        }
        label->setText(Translate(caption));
    } else if (IsClass(Component, "QCheckBox")) {
        static_cast<QCheckBox*>(Component)->setText(Translate(caption));
    } else if (IsClass(Component, "QGroupBox")) {
        static_cast<QGroupBox*>(Component)->setTitle(Translate(caption));
    } else if (IsClass(Component, "QPushButton")) {
        static_cast<QPushButton*>(Component)->setText(Translate(caption));
    } else if (IsClass(Component, "QToolButton")) {
        auto* button = static_cast<QToolButton*>(Component);
        const QString text = Translate(hint);
        button->setToolTip(text);
        button->setStatusTip(text);
    } else if (IsClass(Component, "QTabWidget")) {
        auto* tabs = static_cast<QTabWidget*>(Component);
        for (int i = 0; i < tabs->count(); ++i)
            tabs->setTabText(i, Translate(QStringLiteral("%1.Pages[%2]").arg(name).arg(i)));
    } else if (IsClass(Component, "QMenu")) {
        auto* menu = static_cast<QMenu*>(Component);
        if (name.isEmpty() || menu->title() == QLatin1String("-"))
            return;
        menu->setTitle(Translate(caption));
        const QString text = Translate(hint);
        menu->setToolTip(text);
        menu->setStatusTip(text);
        menu->menuAction()->setToolTip(text);
        menu->menuAction()->setStatusTip(text);
    } else if (IsClass(Component, "QAction")) {
        auto* action = static_cast<QAction*>(Component);
        if (name.isEmpty() || action->isSeparator() || action->text() == QLatin1String("-") || !IsMenuItem(action)
            || IsMenuOwnAction(action))
            return;
        action->setText(Translate(caption));
        const QString text = Translate(hint);
        action->setToolTip(text);
        action->setStatusTip(text);
    } else if (IsClass(Component, "QComboBox")) {
        // The sensor types are fixed names; the port list holds the ports
        // found at run time, and replacing them would make the selected port
        // name a text of the language file.
        if (name == QLatin1String("cmbSensorType") || name == QLatin1String("cmbPort"))
            return;
        auto* combo = static_cast<QComboBox*>(Component);
        for (int i = 0; i < combo->count(); ++i)
            combo->setItemText(i, Translate(name + QStringLiteral(".Item") + QString::number(i)));
    }
    // Panels (QFrame) have no caption of their own; edits, tool bars, actions
    // outside menus, charts, timers and derived classes are left alone.
}
