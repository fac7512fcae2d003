#pragma once
// Each exchange on the line as hex with its fields decoded: calvista-cli's
// --frames and the window's Frames view print the same text.

#include "hart/HartCom.h"

#include <QString>

// The lines for one exchange: the request and the reply as hex, each followed
// by its decoded fields (delimiter, address, command, byte count, for the
// reply response code and device status in words, data, check byte), then the
// time from the write to the end and the failure's key, if any.
QString FormatExchange(const THartExchangeTrace& Trace);
