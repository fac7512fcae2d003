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

    // The actions run on the port and with the address a read left: Read
    // tells whether it completed, and after every event the actions are
    // enabled exactly while that port stays open and no recording holds it.
    void SetDeviceRead(bool Read) { FPortFromRead = Read; }
    void UpdateEnabled(bool Recording);

private:
    void RunReferenceAction(int32_t (THart::*Command)(), const QString& DoneLine);

    TMainView& FView;
    bool FPortFromRead = false;
};
