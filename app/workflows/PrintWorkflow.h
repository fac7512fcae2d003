#pragma once
// Printing a chart of the "Datalog" page after page set-up and print dialog.

class TMainView;
class TNorvaneChart;

class TPrintWorkflow {
public:
    explicit TPrintWorkflow(TMainView& View)
        : FView(View)
    {
    }

    void acPrintPresChartExecute();
    void acPrintCurrChartExecute();
    void PrintChart(TNorvaneChart* Chart);

private:
    TMainView& FView;
};
