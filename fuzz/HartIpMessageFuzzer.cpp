// The HART-IP message decoder and the link's reply path behind it: the input
// is what a server sends back to one command of THart over an open session.
//
// Input: byte 0 chooses TCP or UDP (bit 0) and whether the server's messages
// carry the request's sequence number patched in (bit 1, so that the search
// reaches the frame checks); the rest is a list of pieces, each a length byte
// and that many bytes, handed out one per receive (a stream piece on TCP, a
// datagram on UDP). Silence follows the last piece.
//
// Expected outcomes: the command returns or raises EHartComError. Anything else
// is a finding, and so is a decoded message that claims more bytes than it
// has, or an exchange that outlasts the reply deadline or asks for more
// receives than there are pieces.

#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <vector>

#include "hart/HartCommand.h"
#include "hart/HartIpTransport.h"
#include "sim/SimSerialDevice.h"

namespace {

constexpr uint32_t TimeOutMs = 500;
constexpr uint32_t AllowanceMs = 100;

// What the server says and the virtual clock; it outlives the socket, which
// goes with the link when the link gives up the connection.
struct TScript {
    std::deque<std::vector<uint8_t>> Pieces;
    bool PatchSequence = false;
    int64_t Now = 0;
    size_t Receives = 0;
};

// A server that opens the session properly and then says what the script says.
class TScriptedSocket : public TNetSocket {
public:
    explicit TScriptedSocket(TScript& Script)
        : S(Script)
    {
    }

    TNetResult Connect(const std::string&, uint16_t, TNetProtocol, uint32_t) override
    {
        FOpen = true;
        return TNetResult::Ok;
    }
    void Close() override { FOpen = false; }
    bool IsOpen() const override { return FOpen; }
    TNetResult Send(const uint8_t* Data, size_t Count) override
    {
        if (Count >= 8)
            FSequence = uint16_t(Data[4] << 8 | Data[5]);
        if (Count >= 8 && Data[2] == HartIp::SessionInitiate) {
            const uint8_t Body[5] = {1, 0, 0, 0xEA, 0x60};
            HartIp::THeader H;
            H.MessageType = HartIp::Response;
            H.Sequence = FSequence;
            FAnswer = HartIp::EncodeMessage(H, Body, sizeof Body);
        }
        return TNetResult::Ok;
    }
    TNetResult Receive(uint8_t* Buffer, size_t Capacity, size_t& Received, uint32_t TimeoutMs) override
    {
        ++S.Receives;
        Received = 0;
        std::vector<uint8_t> Piece;
        if (!FAnswer.empty()) {
            Piece.swap(FAnswer);
            --S.Receives;  // the session's own answer is not the input's
        } else if (!S.Pieces.empty()) {
            Piece = std::move(S.Pieces.front());
            S.Pieces.pop_front();
            if (S.PatchSequence && Piece.size() >= 6) {
                Piece[4] = uint8_t(FSequence >> 8);
                Piece[5] = uint8_t(FSequence);
            }
        } else {
            S.Now += int64_t(TimeoutMs) * 1000;
            return TNetResult::Timeout;
        }
        Received = std::min(Piece.size(), Capacity);
        std::copy_n(Piece.begin(), Received, Buffer);
        S.Now += 1000;
        return TNetResult::Ok;
    }
    int64_t NowUs() const override { return S.Now; }

private:
    TScript& S;
    bool FOpen = false;
    uint16_t FSequence = 0;
    std::vector<uint8_t> FAnswer;
};

void CheckDecoder(const uint8_t* Data, size_t Size)
{
    // Message after message, as a TCP stream is taken apart.
    while (Size > 0) {
        const HartIp::TDecoded D = HartIp::DecodeMessage(Data, Size);
        if (D.Result != HartIp::TDecode::Message)
            return;
        if (D.Consumed > Size || D.Consumed != HartIp::HeaderSize + D.BodySize || D.Consumed > HartIp::MaxMessageSize
            || D.Body != Data + HartIp::HeaderSize)
            std::abort();
        Data += D.Consumed;
        Size -= D.Consumed;
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size)
{
    if (Size < 1)
        return 0;
    CheckDecoder(Data + 1, Size - 1);

    TScript Server;
    Server.PatchSequence = (Data[0] & 2) != 0;
    size_t Pieces = 0;
    for (size_t I = 1; I < Size;) {
        const size_t Length = std::min<size_t>(Data[I], Size - I - 1);
        Server.Pieces.emplace_back(Data + I + 1, Data + I + 1 + Length);
        I += 1 + Length;
        ++Pieces;
    }
    THartIpAddress Address {"server", HartIp::DefaultPort, (Data[0] & 1) ? TNetProtocol::Udp : TNetProtocol::Tcp};
    auto Link = std::make_unique<THartIpTransport>(Address, std::make_unique<TScriptedSocket>(Server));
    Link->SetGatewayAllowanceMs(AllowanceMs);
    THart Hart(std::make_unique<TSimSerialDevice>());
    Hart.SetTimeOut(TimeOutMs);
    std::unique_ptr<THartTransport> Pending = std::move(Link);
    Hart.SetTransportOpener([&](const std::string&) { return std::move(Pending); });
    Hart.OpenPort("hartip");

    const int64_t StartUs = Server.Now;
    try {
        THartDevInfo Info;
        Hart.ReadUniqueIdentifier(Info);
    } catch (const EHartComError&) {
        // a declared outcome
    }
    if (Server.Now - StartUs > int64_t(TimeOutMs + AllowanceMs) * 1000 + int64_t(Pieces) * 1000)
        std::abort();
    if (Server.Receives > Pieces + 1)
        std::abort();
    return 0;
}
