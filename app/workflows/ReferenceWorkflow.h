#pragma once
// Configuration with reference: the upper range, the lower range or the zero
// set to the pressure applied to the transmitter now, each after the operator
// confirmed it.

#include <QString>

#include <cstdint>

class THart;
class TMainView;

class TReferenceWorkflow {
public:
    explicit TReferenceWorkflow(TMainView& View)
        : FView(View)
    {
    }

    void acSetURExecute();
    void acSetLRExecute();
    void acSetZeroExecute();

private:
    void RunReferenceAction(int32_t (THart::*Command)(), const QString& DoneLine);

    TMainView& FView;
};
