#include "about/FormTranslator.h"

#include "services/UnitLangManager.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>

namespace {

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

void TranslateComponent(const TLangManager& Lang, QObject* Component)
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
        label->setText(Lang.Translate(caption));
    } else if (IsClass(Component, "QCheckBox")) {
        static_cast<QCheckBox*>(Component)->setText(Lang.Translate(caption));
    } else if (IsClass(Component, "QGroupBox")) {
        static_cast<QGroupBox*>(Component)->setTitle(Lang.Translate(caption));
    } else if (IsClass(Component, "QPushButton")) {
        static_cast<QPushButton*>(Component)->setText(Lang.Translate(caption));
    } else if (IsClass(Component, "QToolButton")) {
        auto* button = static_cast<QToolButton*>(Component);
        const QString text = Lang.Translate(hint);
        button->setToolTip(text);
        button->setStatusTip(text);
    } else if (IsClass(Component, "QTabWidget")) {
        auto* tabs = static_cast<QTabWidget*>(Component);
        for (int i = 0; i < tabs->count(); ++i)
            tabs->setTabText(i, Lang.Translate(QStringLiteral("%1.Pages[%2]").arg(name).arg(i)));
    } else if (IsClass(Component, "QMenu")) {
        auto* menu = static_cast<QMenu*>(Component);
        if (name.isEmpty() || menu->title() == QLatin1String("-"))
            return;
        menu->setTitle(Lang.Translate(caption));
        const QString text = Lang.Translate(hint);
        menu->setToolTip(text);
        menu->setStatusTip(text);
        menu->menuAction()->setToolTip(text);
        menu->menuAction()->setStatusTip(text);
    } else if (IsClass(Component, "QAction")) {
        auto* action = static_cast<QAction*>(Component);
        if (name.isEmpty() || action->isSeparator() || action->text() == QLatin1String("-") || !IsMenuItem(action)
            || IsMenuOwnAction(action))
            return;
        action->setText(Lang.Translate(caption));
        const QString text = Lang.Translate(hint);
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
            combo->setItemText(i, Lang.Translate(name + QStringLiteral(".Item") + QString::number(i)));
    }
    // Panels (QFrame) have no caption of their own; edits, tool bars, actions
    // outside menus, charts, timers and derived classes are left alone.
}

}  // namespace

void TranslateForm(const TLangManager& Lang, QWidget* Form)
{
    if (!Form)
        return;
    Form->setWindowTitle(Lang.Translate(Form->objectName() + QStringLiteral(".Caption")));
    const QList<QObject*> components = Form->findChildren<QObject*>();
    for (QObject* component : components)
        if (!IsQtOwnPart(component, Form))
            TranslateComponent(Lang, component);
}
