#pragma once
// The workflows of the main window, created together once its form is built.
// A new workflow is a member here, its entry points in the window, and the
// line that connects its action.

#include "app/workflows/CalibrationWorkflow.h"
#include "app/workflows/ChartPanels.h"
#include "app/workflows/ConfigWorkflow.h"
#include "app/workflows/DatalogViewer.h"
#include "app/workflows/LinkKeepAlive.h"
#include "app/workflows/FindWorkflow.h"
#include "app/workflows/MainView.h"
#include "app/workflows/MonitorWorkflow.h"
#include "app/workflows/PrintWorkflow.h"
#include "app/workflows/ReadWorkflow.h"
#include "app/workflows/ReferenceWorkflow.h"
#include "app/workflows/StatusWorkflow.h"
#include "app/workflows/WriteWorkflow.h"

struct TMainWorkflows {
    TMainWorkflows(TMainView& View, TSerialDeviceFactory& Factory)
        : Write(View)
        , Read(View, Factory, Write.Edits)
        , Reference(View)
        , Config(View)
        , Monitor(View, Read.SensorInfo)
        , ChartPanels(View.Ui())
        , Print(View)
        , Status(View, *View.Ui().stDeviceStatus)
        , KeepAlive(View)
        , Find(View, Read)
        , Calibration(View)
        , Viewer(View, Monitor)
    {
    }

    TWriteWorkflow Write;
    TReadWorkflow Read;
    TReferenceWorkflow Reference;
    TConfigWorkflow Config;
    TMonitorWorkflow Monitor;
    TChartPanels ChartPanels;
    TPrintWorkflow Print;
    TStatusWorkflow Status;
    TLinkKeepAlive KeepAlive;
    TFindWorkflow Find;
    TCalibrationWorkflow Calibration;
    TDatalogViewer Viewer;
};
