#include "sim/SimDeviceList.h"

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::vector<std::string> Words(const std::string& Line)
{
    std::vector<std::string> Words;
    std::string Word;
    bool Quoted = false, Any = false;
    for (char C : Line) {
        if (C == '"') {
            Quoted = !Quoted;
            Any = true;
        } else if (!Quoted && std::isspace(static_cast<unsigned char>(C))) {
            if (Any)
                Words.push_back(Word);
            Word.clear();
            Any = false;
        } else {
            Word += C;
            Any = true;
        }
    }
    if (Any)
        Words.push_back(Word);
    return Words;
}

long Integer(const std::string& Value, long Min, long Max, const std::string& Where)
{
    char* End = nullptr;
    const long Number = std::strtol(Value.c_str(), &End, 0);
    if (Value.empty() || *End != '\0' || Number < Min || Number > Max)
        throw std::invalid_argument(Where + ": " + Value + " is out of range");
    return Number;
}

std::string Upper(std::string Text)
{
    for (char& C : Text)
        C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
    return Text;
}

void ApplyWord(TSimDeviceEntry& Entry, const std::string& Word, const std::string& Where)
{
    const size_t Equal = Word.find('=');
    const std::string Key = Word.substr(0, Equal);
    const std::string Value = Equal == std::string::npos ? std::string() : Word.substr(Equal + 1);
    const std::string At = Where + ", " + Key;
    TSimDeviceState& S = Entry.State;
    if (Key == "address")
        S.PollingAddress = static_cast<uint8_t>(Integer(Value, 0, 63, At));
    else if (Key == "rev")
        S.UnivCmdRev = static_cast<uint8_t>(Integer(Value, 5, 7, At));
    else if (Key == "id")
        S.DeviceId = static_cast<uint32_t>(Integer(Value, 0, 0xFFFFFF, At));
    else if (Key == "manufacturer")
        S.Manufacturer = static_cast<uint8_t>(Integer(Value, 0, 255, At));
    else if (Key == "device-type")
        S.DeviceType = static_cast<uint8_t>(Integer(Value, 0, 255, At));
    else if (Key == "tag")
        S.Tag = Upper(Value).substr(0, 8);
    else if (Key == "long-tag")
        S.LongTag = Latin1FromUtf8(Value).substr(0, 32);
    else if (Key == "descriptor")
        S.Descriptor = Upper(Value).substr(0, 16);
    else if (Key == "busy")
        Entry.Busy = static_cast<uint32_t>(Integer(Value, 0, 1000, At));
    else if (Key == "delayed")
        Entry.DelayedS = static_cast<double>(Integer(Value, 0, 3600, At));
    else if (Key == "delayed-dies" && Equal == std::string::npos)
        Entry.DelayedDies = true;
    else
        throw std::invalid_argument(Where + ": unknown word " + Word);
}

}  // namespace

std::string Latin1FromUtf8(const std::string& Text)
{
    std::string Latin1;
    for (size_t I = 0; I < Text.size(); ++I) {
        const auto C = static_cast<unsigned char>(Text[I]);
        if (C < 0x80) {
            Latin1 += static_cast<char>(C);
            continue;
        }
        // A two-byte sequence of U+0080..U+00FF is one Latin-1 character.
        const bool TwoBytes = (C == 0xC2 || C == 0xC3) && I + 1 < Text.size();
        Latin1
            += TwoBytes ? static_cast<char>(((C & 0x03) << 6) | (static_cast<unsigned char>(Text[++I]) & 0x3F)) : '?';
        while (!TwoBytes && I + 1 < Text.size() && (static_cast<unsigned char>(Text[I + 1]) & 0xC0) == 0x80)
            ++I;  // the rest of a character Latin-1 has not
    }
    return Latin1;
}

std::vector<TSimDeviceEntry> ParseDeviceList(const std::string& Text, const TSimDeviceState& Base)
{
    std::vector<TSimDeviceEntry> Devices;
    std::istringstream In(Text);
    std::string Line;
    for (int Number = 1; std::getline(In, Line); ++Number) {
        const std::vector<std::string> Found = Words(Line.substr(0, Line.find('#')));
        if (Found.empty())
            continue;
        TSimDeviceEntry Entry;
        Entry.State = Devices.empty() ? Base : Devices.front().State;
        Entry.State.LongTag.clear();
        for (const std::string& Word : Found)
            ApplyWord(Entry, Word, "line " + std::to_string(Number));
        // Multidrop: at any address but 0 a HART 6 or 7 device starts with a fixed current too.
        Entry.State.LoopCurrentEnabled = Entry.State.PollingAddress == 0;
        Devices.push_back(Entry);
    }
    if (Devices.empty())
        throw std::invalid_argument("no transmitter described");
    return Devices;
}

std::vector<TSimDeviceEntry> LoadDeviceList(const std::string& CountOrFile, const TSimDeviceState& Base)
{
    const bool Count = !CountOrFile.empty() && CountOrFile.find_first_not_of("0123456789") == std::string::npos;
    if (!Count) {
        std::ifstream File(CountOrFile);
        if (!File)
            throw std::runtime_error("cannot read " + CountOrFile);
        std::stringstream Text;
        Text << File.rdbuf();
        return ParseDeviceList(Text.str(), Base);
    }
    const long N = Integer(CountOrFile, 1, 64, "number of transmitters");
    std::ostringstream Text;
    for (long K = 0; K < N; ++K) {
        Text << "address=" << K << " rev=" << 5 + K % 3 << " id=" << Base.DeviceId + K << " tag=PT-" << 101 + K;
        if (K % 3)
            Text << " long-tag=\"Pressure transmitter " << 101 + K << "\"";
        Text << '\n';
    }
    return ParseDeviceList(Text.str(), Base);
}

void PutDevicesOnLine(TSimTransmitter& First, const std::vector<TSimDeviceEntry>& Devices)
{
    for (size_t K = 0; K < Devices.size(); ++K) {
        const TSimDeviceEntry& Entry = Devices[K];
        TSimTransmitter& Device = K == 0 ? First : First.AddLineDevice(Entry.State);
        if (K == 0)
            Device.SetState(Entry.State);
        Device.SetBusyFor(Entry.Busy);
        if (Entry.DelayedS >= 0)
            Device.StartDelayedResponse(static_cast<int64_t>(Entry.DelayedS * 1e6), Entry.DelayedDies);
    }
}
