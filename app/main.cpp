// Calvista: configure and watch one HART pressure transmitter over a serial line.
//
//   calvista          the serial ports of this machine
//   calvista --demo   the same, and a simulated transmitter on the port "SIM"
//   --read            presses Read once the window is shown (scripts/screenshot)
//   --record          after that read, records a datalog on the "Datalog" page
//   --status          after that read, opens the device status window
//   --demo-fault NAME the demo transmitter misbehaves (repeatable): sensor-failure,
//                     saturated, current-fixed, power-failure, maintenance,
//                     variable-alert, keep-values, no-cold-start
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

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    bool demo = false;
    bool readAtStart = false;
    bool recordAtStart = false;
    bool statusAtStart = false;
    std::vector<std::string> demoFaults;
    bool findAtStart = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--demo-fault") == 0 && i + 1 < argc)
            demoFaults.push_back(argv[++i]);
        else if (std::strcmp(argv[i], "--demo") == 0)
            demo = true;
        else if (std::strcmp(argv[i], "--read") == 0)
            readAtStart = true;
        else if (std::strcmp(argv[i], "--status") == 0)
            readAtStart = statusAtStart = true;
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
    if (demo) {
        auto demoFactory = std::make_shared<TDemoSerialDeviceFactory>();
        for (const std::string& fault : demoFaults)
            if (!SetSimFaultByName(demoFactory->Transmitter().MutableState().Health, fault))
                std::fprintf(stderr, "calvista: unknown demo fault: %s\n", fault.c_str());
        factory = demoFactory;
    } else
        factory = std::make_shared<TPlatformSerialDeviceFactory>();

    TfrmMain frmMain(factory, std::make_unique<TQtOperatorDialogs>());
    if (demo) {
        // The demo port stands last in the list and is chosen at start.
        frmMain.Ui().cmbPort->setCurrentIndex(frmMain.Ui().cmbPort->count() - 1);
    }
    frmMain.show();
    if (readAtStart && !recordAtStart)
        QTimer::singleShot(0, frmMain.Ui().acRead, &QAction::trigger);
    if (statusAtStart)
        QTimer::singleShot(0, frmMain.Ui().acDeviceStatus, &QAction::trigger);
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
