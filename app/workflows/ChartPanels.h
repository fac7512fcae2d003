#pragma once
// The two charts of the "Datalog" page as panels: which is shown, whether the
// lower one shows current or voltage, and the height the splitter gives the
// current chart (kept across hiding the pressure chart and in the preferences).

struct TfrmMainUi;

class TChartPanels {
public:
    explicit TChartPanels(const TfrmMainUi& Ui)
        : FUi(Ui)
    {
    }

    void acShowCurrentExecute();
    void acShowVoltageExecute();
    void acCurrentLineVisibleChangedExecute();
    void acPressureLineVisibleChangedExecute();
    void Splitter2Moved();

    // The current chart's height: wanted, or as the splitter shows it.
    int CurrentLineHeightNow() const;
    void SetCurrentLineHeight(int Height);
    // Gives the splitter the wanted height once it has a height to divide.
    void ApplyCurrentLineHeight();

    // The height the splitter gave the current chart when last moved.
    int CurrentLineHeight = 0;

private:
    void ArrangeChartPanels();

    const TfrmMainUi& FUi;
    // Height of the current chart waiting for the splitter to be laid out:
    // half of the chart area unless the preferences give one, Applied once
    // the splitter has it.
    static constexpr int Applied = -1;
    static constexpr int HalfTheCharts = -2;
    int FWantedCurrentLineHeight = HalfTheCharts;
};
