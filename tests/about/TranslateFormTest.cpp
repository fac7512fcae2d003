// Translating a form: which Qt classes get which texts, and what is left alone.

#include "about/FormTranslator.h"
#include "services/UnitLangManager.h"
#include "tests/common/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// A label class of its own, like the about box's link label.
class TDerivedLabel : public QLabel {
    Q_OBJECT
public:
    using QLabel::QLabel;
};

const QByteArray LanguageFile = R"([English]
frmMain.Caption=Calvista
lblTag.Caption=Tag
lblDerived.Caption=Derived
LBLShout.Caption=Shout
chbUseUSB.Caption=Use USB
grbPressure.Caption=Pressure
bbtnSetZero.Caption=Set zero
tbtnRead.Hint=Read the sensor
tbnMain.Pages[0]=Sensordata
tbnMain.Pages[1]=Datalog
mmiApp.Caption=&Application
mmiApp.Hint=Application menu
mmiRead.Caption=&Read
mmiRead.Hint=Read the sensor
cmbUnit.Item0=bar
cmbUnit.Item1=mbar
cmbSensorType.Item0=Other
cmbPort.Item0=Port text
lblPressureUnit.Caption=Pressure unit
[German]
frmMain.Caption=Calvista (deutsch)
lblTag.Caption=Messstelle
chbUseUSB.Caption=USB verwenden
grbPressure.Caption=Druck
bbtnSetZero.Caption=Nullpunkt setzen
tbtnRead.Hint=Sensor lesen
tbnMain.Pages[0]=Sensordaten
tbnMain.Pages[1]=Datenaufzeichnung
mmiApp.Caption=&Programm
mmiApp.Hint=Programmmenü
mmiRead.Caption=&Lesen
mmiRead.Hint=Sensor lesen
cmbUnit.Item0=bar
cmbUnit.Item1=mbar
)";

// A small main window with one component of each kind the translator knows.
struct TTestForm {
    QMainWindow Window;
    QLabel* Tag;
    QLabel* Static;
    QLabel* Shout;
    TDerivedLabel* Derived;
    QLabel* PressureUnit;
    QLabel* CurrentUnit;
    QCheckBox* UseUsb;
    QGroupBox* Pressure;
    QPushButton* SetZero;
    QToolButton* Read;
    QTabWidget* Notebook;
    QMenu* AppMenu;
    QAction* ReadItem;
    QAction* Separator;
    QAction* DashItem;
    QAction* ReadAction;
    QComboBox* Unit;
    QComboBox* SensorType;
    QComboBox* Port;
    QComboBox* Empty;
    QLineEdit* Edit;
    QFrame* Panel;

    TTestForm()
    {
        Window.setObjectName(QStringLiteral("frmMain"));
        Window.setWindowTitle(QStringLiteral("design"));
        auto* central = new QWidget(&Window);
        Window.setCentralWidget(central);
        auto* layout = new QVBoxLayout(central);
        Notebook = Named(new QTabWidget, "tbnMain");
        layout->addWidget(Notebook);
        Panel = Named(new QFrame, "pnlDataMain");
        Notebook->addTab(Panel, QStringLiteral("page 0"));
        Notebook->addTab(new QWidget, QStringLiteral("page 1"));
        auto* inner = new QVBoxLayout(Panel);
        Pressure = Named(new QGroupBox(QStringLiteral("design")), "grbPressure");
        inner->addWidget(Pressure);
        auto* nested = new QVBoxLayout(Pressure);
        // Nested two levels deep: translated all the same.
        nested->addWidget(Tag = Named(new QLabel(QStringLiteral("design")), "lblTag"));
        nested->addWidget(Static = Named(new QLabel(QStringLiteral("12.5")), "stCurrentPressureValue"));
        nested->addWidget(Shout = Named(new QLabel(QStringLiteral("design")), "LBLShout"));
        nested->addWidget(Derived = Named(new TDerivedLabel(QStringLiteral("design")), "lblDerived"));
        nested->addWidget(PressureUnit = Named(new QLabel(QStringLiteral("lblPressureUnit")), "lblPressureUnit"));
        nested->addWidget(CurrentUnit = Named(new QLabel(QStringLiteral("mA")), "lblCurrentUnit"));
        nested->addWidget(Edit = Named(new QLineEdit(QStringLiteral("PT-101")), "edTag"));
        nested->addWidget(Unit = Named(new QComboBox, "cmbUnit"));
        Unit->addItems({QStringLiteral("u0"), QStringLiteral("u1")});
        inner->addWidget(UseUsb = Named(new QCheckBox(QStringLiteral("design")), "chbUseUSB"));
        inner->addWidget(SetZero = Named(new QPushButton(QStringLiteral("design")), "bbtnSetZero"));
        inner->addWidget(Read = Named(new QToolButton, "tbtnRead"));
        Read->setText(QStringLiteral("R"));
        inner->addWidget(SensorType = Named(new QComboBox, "cmbSensorType"));
        SensorType->addItems({QStringLiteral("HART"), QStringLiteral("Orsa / Quill")});
        SensorType->setCurrentIndex(1);
        inner->addWidget(Port = Named(new QComboBox, "cmbPort"));
        Port->addItems({QStringLiteral("COM1"), QStringLiteral("COM3")});
        Port->setCurrentIndex(1);
        inner->addWidget(Empty = Named(new QComboBox, "cmbEmpty"));

        AppMenu = Named(Window.menuBar()->addMenu(QStringLiteral("design")), "mmiApp");
        ReadAction = Named(new QAction(QStringLiteral("Read action"), &Window), "acRead");
        ReadItem = Named(AppMenu->addAction(QStringLiteral("design")), "mmiRead");
        Separator = Named(AppMenu->addSeparator(), "mmiN1");
        DashItem = Named(AppMenu->addAction(QStringLiteral("-")), "mmiN2");
    }

    template <typename T> static T* Named(T* Object, const char* Name)
    {
        Object->setObjectName(QString::fromLatin1(Name));
        return Object;
    }
};

class TranslateFormTest : public ::testing::Test {
protected:
    TTempCurrentDir Dir;
    QString File() const { return Dir.File(QStringLiteral("language.ini")); }
};

TEST_F(TranslateFormTest, EachClassGetsItsTexts)
{
    ASSERT_TRUE(WriteAll(File(), LanguageFile));
    TLangManager manager(File());
    struct Expected {
        std::uint8_t Language;
        const char* Caption;
        const char* Tag;
        const char* UseUsb;
        const char* Pressure;
        const char* SetZero;
        const char* ReadHint;
        const char* Page0;
        const char* Page1;
        const char* Menu;
        const char* MenuHint;
        const char* Item;
        const char* ItemHint;
    };
    const Expected cases[] = {
        {0, "Calvista", "Tag", "Use USB", "Pressure", "Set zero", "Read the sensor", "Sensordata", "Datalog",
         "&Application", "Application menu", "&Read", "Read the sensor"},
        {1, "Calvista (deutsch)", "Messstelle", "USB verwenden", "Druck", "Nullpunkt setzen", "Sensor lesen",
         "Sensordaten", "Datenaufzeichnung", "&Programm", "Programmmenü", "&Lesen", "Sensor lesen"},
    };
    TTestForm form;
    for (const Expected& e : cases) {
        SCOPED_TRACE(e.Language);
        manager.SetLanguage(e.Language);
        TranslateForm(manager, &form.Window);
        EXPECT_EQ(form.Window.windowTitle().toStdString(), e.Caption);
        EXPECT_EQ(form.Tag->text().toStdString(), e.Tag);
        EXPECT_EQ(form.UseUsb->text().toStdString(), e.UseUsb);
        EXPECT_EQ(form.Pressure->title().toStdString(), e.Pressure);
        EXPECT_EQ(form.SetZero->text().toStdString(), e.SetZero);
        EXPECT_EQ(form.Read->toolTip().toStdString(), e.ReadHint);
        EXPECT_EQ(form.Read->statusTip().toStdString(), e.ReadHint);
        EXPECT_EQ(form.Read->text(), QStringLiteral("R"));
        EXPECT_EQ(form.Notebook->tabText(0).toStdString(), e.Page0);
        EXPECT_EQ(form.Notebook->tabText(1).toStdString(), e.Page1);
        EXPECT_EQ(form.AppMenu->title().toStdString(), e.Menu);
        EXPECT_EQ(form.AppMenu->menuAction()->statusTip().toStdString(), e.MenuHint);
        EXPECT_EQ(form.ReadItem->text().toStdString(), e.Item);
        EXPECT_EQ(form.ReadItem->statusTip().toStdString(), e.ItemHint);
        EXPECT_EQ(form.Unit->itemText(0), QStringLiteral("bar"));
        EXPECT_EQ(form.Unit->itemText(1), QStringLiteral("mbar"));
    }
}

TEST_F(TranslateFormTest, ComponentsThatAreLeftAlone)
{
    ASSERT_TRUE(WriteAll(File(), LanguageFile));
    TLangManager manager(File());
    TTestForm form;
    // The tab bar's own scroll buttons and the menu bar's overflow button are
    // Qt's parts, not the form's.
    QList<QToolButton*> tabBarButtons = form.Notebook->tabBar()->findChildren<QToolButton*>();
    ASSERT_FALSE(tabBarButtons.isEmpty());
    const QList<QToolButton*> menuBarButtons
        = form.Window.menuBar()->findChildren<QToolButton*>(Qt::FindDirectChildrenOnly);
    ASSERT_FALSE(menuBarButtons.isEmpty());
    tabBarButtons += menuBarButtons;
    QStringList tabBarHints;
    for (const QToolButton* button : tabBarButtons)
        tabBarHints << button->toolTip() + QLatin1Char('|') + button->statusTip();
    TranslateForm(manager, &form.Window);

    EXPECT_EQ(form.Static->text(), QStringLiteral("12.5"));  // name without "lbl"
    EXPECT_EQ(form.Shout->text(), QStringLiteral("design"));  // "LBL" is not "lbl"
    EXPECT_EQ(form.Derived->text(), QStringLiteral("design"));  // derived label class
    EXPECT_EQ(form.Edit->text(), QStringLiteral("PT-101"));  // edits
    EXPECT_EQ(form.ReadAction->text(), QStringLiteral("Read action"));  // actions outside menus
    EXPECT_TRUE(form.Separator->isSeparator());
    EXPECT_EQ(form.DashItem->text(), QStringLiteral("-"));  // separator-like item
    EXPECT_EQ(form.SensorType->itemText(0), QStringLiteral("HART"));
    EXPECT_EQ(form.SensorType->itemText(1), QStringLiteral("Orsa / Quill"));
    EXPECT_EQ(form.SensorType->currentIndex(), 1);
    // The port list holds ports found at run time: the selected name stays a port.
    EXPECT_EQ(form.Port->itemText(0), QStringLiteral("COM1"));
    EXPECT_EQ(form.Port->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(form.Empty->count(), 0);
    for (qsizetype i = 0; i < tabBarButtons.size(); ++i)
        EXPECT_EQ((tabBarButtons[i]->toolTip() + QLatin1Char('|') + tabBarButtons[i]->statusTip()).toStdString(),
                  tabBarHints[i].toStdString())
            << tabBarButtons[i]->objectName().toStdString();
}

TEST_F(TranslateFormTest, UnitLabelsLoseOnlyTheirDesignText)
{
    ASSERT_TRUE(WriteAll(File(), LanguageFile));
    TLangManager manager(File());
    TTestForm form;
    TranslateForm(manager, &form.Window);
    // Never the language file's text, even where it has one.
    EXPECT_EQ(form.PressureUnit->text(), QStringLiteral("__"));
    EXPECT_EQ(form.CurrentUnit->text(), QStringLiteral("mA"));
    form.PressureUnit->setText(QStringLiteral("bar"));
    manager.SetLanguage(1);
    TranslateForm(manager, &form.Window);
    EXPECT_EQ(form.PressureUnit->text(), QStringLiteral("bar"));
    EXPECT_EQ(form.CurrentUnit->text(), QStringLiteral("mA"));
}

TEST_F(TranslateFormTest, WithoutLanguageFileEveryTranslatedTextIsNotDefined)
{
    TLangManager manager(File());
    TTestForm form;
    manager.SetLanguage(1);
    TranslateForm(manager, &form.Window);
    const QString nd = QStringLiteral("n.d.");
    EXPECT_EQ(form.Window.windowTitle(), nd);
    EXPECT_EQ(form.Tag->text(), nd);
    EXPECT_EQ(form.UseUsb->text(), nd);
    EXPECT_EQ(form.Pressure->title(), nd);
    EXPECT_EQ(form.SetZero->text(), nd);
    EXPECT_EQ(form.Read->toolTip(), nd);
    EXPECT_EQ(form.Notebook->tabText(0), nd);
    EXPECT_EQ(form.Notebook->tabText(1), nd);
    EXPECT_EQ(form.AppMenu->title(), nd);
    EXPECT_EQ(form.ReadItem->text(), nd);
    EXPECT_EQ(form.Unit->itemText(0), nd);
    EXPECT_EQ(form.Unit->itemText(1), nd);
    EXPECT_EQ(form.Static->text(), QStringLiteral("12.5"));
    EXPECT_EQ(form.Port->currentText(), QStringLiteral("COM3"));
    EXPECT_EQ(form.PressureUnit->text(), QStringLiteral("__"));
}

}  // namespace

#include "TranslateFormTest.moc"
