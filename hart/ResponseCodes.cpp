#include "hart/ResponseCodes.h"

#include <initializer_list>

namespace HartResponse {

namespace {

struct TRow {
    uint8_t Code;
    const char* Key;
};
using TRows = std::initializer_list<TRow>;

// Rows of the read commands 0, 13, 14 and 15.
const TRows ReadRows = {{6, "7.TRANSSPEC"}, {16, "19.ACCESSRESTRICTED"}};

const TRows Cmd3Rows = {{6, "7.TRANSSPEC"}, {8, "1.UPDATEFAILURE"}, {16, "19.ACCESSRESTRICTED"}};

const TRows Cmd18Rows = {{5, "6.TOOSHORTRESP"}, {6, "7.TRANSSPEC"}, {7, "8.WRITEPROTECT"}, {16, "19.ACCESSRESTRICTED"}};

const TRows Cmd34Rows = {{3, "4.TOOLARGEPARAM"}, {4, "5.TOOSMALLPARAM"}, {5, "6.TOOSHORTRESP"},      {6, "7.TRANSSPEC"},
                         {7, "8.WRITEPROTECT"},  {8, "0.TONEAREST"},     {16, "19.ACCESSRESTRICTED"}};

// Code 14 of command 35 has its own spelling of the span key.
const TRows Cmd35Rows
    = {{2, "1.INVALIDSELECTION"}, {5, "6.TOOSHORTRESP"},  {6, "7.TRANSSPEC"},     {7, "8.WRITEPROTECT"},
       {8, "0.TONEAREST"},        {9, "10.LOWERTOOHIGH"}, {10, "12.LOWERTOOLOW"}, {11, "14.UPPERTOOHIGH"},
       {12, "15.UPPERTOOLOW"},    {13, "17.OUTOFLIMITS"}, {14, "18.SPANTOOSMAL"}, {16, "19.ACCESSRESTRICTED"},
       {18, "20.INVALIDUNIT"},    {29, "21.INVALIDSPAN"}};

// Commands 36 and 37.
const TRows SetRangeRows = {{6, "7.TRANSSPEC"},    {7, "8.WRITEPROTECT"},   {9, "9.PROCTOOHIGH"},
                            {10, "11.PROCTOOLOW"}, {14, "18.SPANTOOSMALL"}, {16, "19.ACCESSRESTRICTED"}};

const TRows Cmd43Rows
    = {{7, "8.WRITEPROTECT"}, {9, "9.PROCTOOHIGH"}, {10, "11.PROCTOOLOW"}, {16, "19.ACCESSRESTRICTED"}};

const TRows Cmd44Rows
    = {{2, "1.INVALIDSELECTION"}, {5, "6.TOOSHORTRESP"}, {7, "8.WRITEPROTECT"}, {16, "19.ACCESSRESTRICTED"}};

const TRows Cmd38Rows = {{5, "6.TOOSHORTRESP"}, {7, "8.WRITEPROTECT"}, {16, "19.ACCESSRESTRICTED"}};
// Command 6: 12 is an invalid loop current mode.
const TRows Cmd6Rows = {{2, "1.INVALIDSELECTION"}, {5, "6.TOOSHORTRESP"},      {6, "7.TRANSSPEC"},
                        {7, "8.WRITEPROTECT"},     {12, "1.INVALIDSELECTION"}, {16, "19.ACCESSRESTRICTED"}};

const TRows Cmd22Rows = {{5, "6.TOOSHORTRESP"}, {6, "7.TRANSSPEC"}, {7, "8.WRITEPROTECT"}, {16, "19.ACCESSRESTRICTED"}};

// Command 40: a current outside what the output can drive, and a transmitter
// in multidrop mode, whose loop current is parked and cannot be fixed.
const TRows Cmd40Rows
    = {{3, "30.CURRENTTOOHIGH"}, {4, "31.CURRENTTOOLOW"},  {5, "6.TOOSHORTRESP"},      {6, "7.TRANSSPEC"},
       {7, "8.WRITEPROTECT"},    {11, "32.MULTIDROPMODE"}, {16, "19.ACCESSRESTRICTED"}};

// Commands 45 and 46: a reading too far from the fixed value to be trimmed, and
// a trim sent while the output is not fixed at the end the command trims.
const TRows OutputTrimRows
    = {{3, "33.TRIMTOOLARGE"}, {4, "34.TRIMTOOSMALL"},    {5, "6.TOOSHORTRESP"},    {6, "7.TRANSSPEC"},
       {7, "8.WRITEPROTECT"},  {9, "35.LOOPCURRENTMODE"}, {11, "32.MULTIDROPMODE"}, {16, "19.ACCESSRESTRICTED"}};

const TRows NoRows = {};

const TRows& OwnRows(uint8_t Command)
{
    switch (Command) {
        case 0:
        case 13:
        case 14:
        case 15:
        case 11:
        case 20: return ReadRows;
        case 6: return Cmd6Rows;
        case 22: return Cmd22Rows;
        case 3: return Cmd3Rows;
        case 18: return Cmd18Rows;
        case 34: return Cmd34Rows;
        case 35: return Cmd35Rows;
        case 36:
        case 37: return SetRangeRows;
        case 43: return Cmd43Rows;
        case 44: return Cmd44Rows;
        case 38: return Cmd38Rows;
        case 40: return Cmd40Rows;
        case 45:
        case 46: return OutputTrimRows;
        default: return NoRows;
    }
}

}  // namespace

std::string Key(uint8_t Command, uint8_t Code)
{
    for (const TRow& Row : OwnRows(Command))
        if (Row.Code == Code)
            return Row.Key;
    switch (Code) {
        case 0: return "0.NONE";
        case 32: return "22.BUSY";
        case 35: return "24.DELAYEDDEAD";
        case 64: return "137.COMMANDNOTIMPLEMENTED";
        default: return "23.UNDEFINED";
    }
}

}  // namespace HartResponse
