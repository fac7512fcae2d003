// Calvista: configure and watch one HART pressure transmitter over a serial line.
//
//   calvista          the serial ports of this machine
//   calvista --demo   the same, and a simulated transmitter on the port "SIM"
//   --read            presses Read once the window is shown (scripts/screenshot)
//   --record          after that read, records a datalog on the "Datalog" page
//   --find            opens "Find transmitters" and scans (CALVISTA_SIM_DEVICES
//                     puts more transmitters on the demo line)

#include "app/Application.h"
#include "app/OperatorDialogs.h"
#include "app/PortComboBox.h"
#include "ports/SerialDeviceFactory.h"
#include "app/UnitFrmMain.h"
#include "services/UnitLogger.h"

#include <QAction>
#include <QCheckBox>
#include <QTabWidget>
#include <QToolButton>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <cstring>
#include <memory>

int main(int argc, char** argv)
{
    bool demo = false;
    bool readAtStart = false;
    bool recordAtStart = false;
    bool findAtStart = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo") == 0)
            demo = true;
        else if (std::strcmp(argv[i], "--read") == 0)
            readAtStart = true;
        else if (std::strcmp(argv[i], "--record") == 0)
            readAtStart = recordAtStart = true;
        else if (std::strcmp(argv[i], "--find") == 0)
            findAtStart = true;
    }

    TApplication app(argc, argv);
    TApplication::SetTitle(QStringLiteral("Calvista HART-/i-Devices"));
    TCalibLog::SetMessageBoxHook(
        [](const QString& Message) { QMessageBox::information(nullptr, TApplication::Title(), Message); });

    std::shared_ptr<TSerialDeviceFactory> factory;
    if (demo)
        factory = std::make_shared<TDemoSerialDeviceFactory>();
    else
        factory = std::make_shared<TPlatformSerialDeviceFactory>();

    TfrmMain frmMain(factory, std::make_unique<TQtOperatorDialogs>());
    if (demo) {
        // The demo port stands last in the list and is chosen at start.
        frmMain.Ui().cmbPort->setCurrentIndex(frmMain.Ui().cmbPort->count() - 1);
    }
    frmMain.show();
    if (readAtStart && !recordAtStart)
        QTimer::singleShot(0, frmMain.Ui().acRead, &QAction::trigger);
    if (recordAtStart) {
        // One call: the read lets pending events run while it waits for the line.
        QTimer::singleShot(0, &frmMain, [&frmMain] {
            frmMain.Ui().acRead->trigger();
            frmMain.Ui().tbnMain->setCurrentIndex(1);
            frmMain.Ui().chbSaveDatalog->click();
            frmMain.Ui().tbtnStartDatalog->click();
        });
    }
    if (findAtStart) {
        QTimer::singleShot(0, &frmMain, [&frmMain] {
            frmMain.findChild<QAction*>(QStringLiteral("acFind"))->trigger();
            if (auto* scan = frmMain.findChild<QPushButton*>(QStringLiteral("bbtnScan")))
                scan->click();
        });
    }
    return app.exec();
}
