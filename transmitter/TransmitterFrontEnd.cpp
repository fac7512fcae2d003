#include "transmitter/TransmitterFrontEnd.h"

TTransmitterFrontEnd& TTransmitterFrontEnd::Silent()
{
    static TTransmitterFrontEnd silent;
    return silent;
}
