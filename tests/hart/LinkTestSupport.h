#pragma once
// A THartCom on the simulated line with a scripted peer, and reply frames as a
// field device sends them (built here from the bytes, not with the link's code).

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "hart/HartCom.h"
#include "sim/SimScriptedPeer.h"
#include "sim/SimSerialDevice.h"

using TBytes = std::vector<uint8_t>;

inline const TBytes TestAddress = {0x26, 0x06, 0x12, 0x34, 0x56};

struct TSimLink {
    TSimScriptedPeer Peer;
    TSimSerialDevice* Line = nullptr;
    std::unique_ptr<THartCom> Com;

    explicit TSimLink(uint32_t PlatformId = 0)
    {
        auto Device = std::make_unique<TSimSerialDevice>();
        Line = Device.get();
        Line->SetPeer(&Peer);
        Line->SetPlatformId(PlatformId);
        Com = std::make_unique<THartCom>(std::move(Device));
    }
    void Open() { ASSERT_TRUE(Com->OpenPort("COM1")); }
    void OpenAddressed()
    {
        Open();
        Com->SetLongAddress(TestAddress.data());
        Com->SetLongAddressValid(true);
    }
};

inline uint8_t Xor(const TBytes& Bytes, size_t From = 0)
{
    uint8_t X = 0;
    for (size_t I = From; I < Bytes.size(); ++I)
        X ^= Bytes[I];
    return X;
}

// A complete reply frame: Preambles 0xFF bytes, delimiter, address, command,
// byte count, data, check byte.
inline TBytes ReplyFrame(uint8_t Delimiter, const TBytes& Address, uint8_t Command, const TBytes& Data,
                         size_t Preambles = 5)
{
    TBytes Frame(Preambles, 0xFF);
    TBytes Body = {Delimiter};
    Body.insert(Body.end(), Address.begin(), Address.end());
    Body.push_back(Command);
    Body.push_back(uint8_t(Data.size()));
    Body.insert(Body.end(), Data.begin(), Data.end());
    Body.push_back(Xor(Body));
    Frame.insert(Frame.end(), Body.begin(), Body.end());
    return Frame;
}

inline TBytes ShortReply(uint8_t Command, const TBytes& Data, size_t Preambles = 5)
{
    return ReplyFrame(0x06, {0x00}, Command, Data, Preambles);
}

inline TBytes LongReply(uint8_t Command, const TBytes& Data, size_t Preambles = 5)
{
    return ReplyFrame(0x86, TestAddress, Command, Data, Preambles);
}

inline TBytes Concat(TBytes A, const TBytes& B)
{
    A.insert(A.end(), B.begin(), B.end());
    return A;
}

inline std::string Hex(const TBytes& Bytes)
{
    static const char* Digits = "0123456789ABCDEF";
    std::string Text;
    for (uint8_t B : Bytes) {
        Text += Digits[B >> 4];
        Text += Digits[B & 15];
    }
    return Text;
}

// Runs a transaction and returns the key it failed with, or "" on success.
inline std::string KeyOf(THartCom& Com, uint8_t Command, const TBytes& Request, THartDeviceResponse& Reply)
{
    try {
        Com.SendCommand(Command, Request.empty() ? nullptr : Request.data(), uint8_t(Request.size()), Reply);
        return "";
    } catch (const EHartComError& E) {
        EXPECT_EQ(E.HelpContext(), 0);
        return E.what();
    }
}

template <typename F> std::string KeyOfCall(F&& Call)
{
    try {
        Call();
        return "";
    } catch (const EHartComError& E) {
        return E.what();
    }
}
