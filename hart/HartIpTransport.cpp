#include "hart/HartIpTransport.h"

#include <algorithm>

#include "hart/ErrorKeys.h"
#include "hart/HartCom.h"

namespace {

// How long a closing session waits for the server's answer.
constexpr uint32_t CloseWaitMs = 200;
// One read from the socket at most; a TCP stream is taken in pieces this big.
constexpr size_t ReceiveChunk = 4096;

const char* ConnectKey(TNetResult Result)
{
    switch (Result) {
        case TNetResult::HostUnknown: return HartKey::NetHostUnknown;
        case TNetResult::Timeout:
        case TNetResult::Refused: return HartKey::NetRefused;
        default: return HartKey::NetClosed;
    }
}

}  // namespace

THartIpTransport::THartIpTransport(THartIpAddress Address, std::unique_ptr<TNetSocket> Socket)
    : FAddress(std::move(Address))
    , FSocket(std::move(Socket))
{
}

THartIpTransport::~THartIpTransport()
{
    THartIpTransport::Close();
}

void THartIpTransport::Open()
{
    Connect();
    InitiateSession();
}

void THartIpTransport::Connect()
{
    FInput.clear();
    const TNetResult Result = FSocket->Connect(FAddress.Host, FAddress.Port, FAddress.Protocol, FConnectTimeoutMs);
    if (Result != TNetResult::Ok)
        throw EHartComError(ConnectKey(Result));
}

void THartIpTransport::InitiateSession()
{
    const uint16_t Sequence = SendMessage(HartIp::SessionInitiate, HartIp::SessionInitiateBody(FInactivityCloseMs));
    TMessage Answer;
    try {
        Answer = AwaitResponse(Sequence, HartIp::SessionInitiate, NowUs() + int64_t(FConnectTimeoutMs) * 1000);
    } catch (const EHartComError& Error) {
        // An error or NAK message to the initiate is a refusal of the session.
        if (std::string(Error.what()) == HartKey::NetErrorReply)
            Fail(HartKey::NetSessionRefused);
        FSocket->Close();
        throw;
    }
    if (Answer.Header.Status != HartIp::Success && Answer.Header.Status != HartIp::SetToNearestValue)
        Fail(HartKey::NetSessionRefused);
    FGrantedInactivityMs = HartIp::GrantedInactivityMs(Answer.Body.data(), Answer.Body.size());
    if (FGrantedInactivityMs == 0)
        FGrantedInactivityMs = FInactivityCloseMs;
    FSessionOpen = true;
}

void THartIpTransport::Close()
{
    if (FSessionOpen) {
        FSessionOpen = false;
        try {
            const uint16_t Sequence = SendMessage(HartIp::SessionClose, {});
            AwaitResponse(Sequence, HartIp::SessionClose, NowUs() + int64_t(CloseWaitMs) * 1000);
        } catch (const EHartComError&) {
            // The server is gone or does not answer: the connection goes anyway.
        }
    }
    FSocket->Close();
    FInput.clear();
}

[[noreturn]] void THartIpTransport::Fail(const char* Key)
{
    // Whatever failed, the stream is of no further use: a TCP stream cannot be
    // taken up again in the middle of a message.
    FSessionOpen = false;
    FSocket->Close();
    FInput.clear();
    throw EHartComError(Key);
}

uint16_t THartIpTransport::SendMessage(uint8_t MessageId, const std::vector<uint8_t>& Body)
{
    HartIp::THeader Header;
    Header.MessageType = HartIp::Request;
    Header.MessageId = MessageId;
    Header.Sequence = FSequence++;
    const std::vector<uint8_t> Message = HartIp::EncodeMessage(Header, Body.data(), Body.size());
    if (FSocket->Send(Message.data(), Message.size()) != TNetResult::Ok)
        Fail(HartKey::NetClosed);
    FLastSentUs = NowUs();
    return Header.Sequence;
}

int64_t THartIpTransport::ReplyDeadlineUs() const
{
    return NowUs() + (int64_t(FTimeOutMs) + FGatewayAllowanceMs) * 1000;
}

void THartIpTransport::PrepareExchange(uint32_t TimeOutMs)
{
    FTimeOutMs = TimeOutMs;
    FPdu.clear();
    FPduAt = 0;
    if (!FSessionOpen)
        Fail(HartKey::NetClosed);
    // A server closes a session that stayed quiet past its inactivity time;
    // after such a pause the session is opened afresh instead of failing.
    if (NowUs() - FLastSentUs >= int64_t(FGrantedInactivityMs) * 1000) {
        FSocket->Close();
        FSessionOpen = false;
        Open();
    }
}

void THartIpTransport::SendRequest(const uint8_t* Request, size_t Length)
{
    FAwaited = SendMessage(HartIp::TokenPassingPdu, std::vector<uint8_t>(Request, Request + Length));
}

uint8_t THartIpTransport::ReceiveDelimiter(THartDeviceResponse&)
{
    TMessage Answer = AwaitResponse(FAwaited, HartIp::TokenPassingPdu, ReplyDeadlineUs());
    // A status without a frame is the server's refusal of the request.
    if (Answer.Body.empty())
        throw EHartComError(Answer.Header.Status != HartIp::Success ? HartKey::NetErrorReply : HartKey::NetMalformed);
    FPdu = std::move(Answer.Body);
    return ReceiveByte();
}

uint8_t THartIpTransport::ReceiveByte()
{
    // The PDU ends before the frame it carries: a message cut short.
    if (FPduAt >= FPdu.size())
        throw EHartComError(HartKey::NetMalformed);
    return FPdu[FPduAt++];
}

void THartIpTransport::KeepAlive()
{
    if (!FSessionOpen || NowUs() - FLastSentUs < int64_t(FGrantedInactivityMs) * 500)
        return;
    const uint16_t Sequence = SendMessage(HartIp::KeepAlive, {});
    AwaitResponse(Sequence, HartIp::KeepAlive, ReplyDeadlineUs());
}

THartIpTransport::TMessage THartIpTransport::AwaitResponse(uint16_t Sequence, uint8_t MessageId, int64_t DeadlineUs)
{
    for (;;) {
        TMessage Message;
        while (!TakeMessage(Message))
            ReceiveMore(DeadlineUs);
        const HartIp::THeader& H = Message.Header;
        if (H.Sequence != Sequence || H.MessageType == HartIp::Request || H.MessageType == HartIp::Publish)
            continue;  // a late reply, a notification, or not ours
        if (H.MessageType == HartIp::Error || H.MessageType == HartIp::Nak)
            throw EHartComError(HartKey::NetErrorReply);
        if (H.MessageId != MessageId)
            Fail(HartKey::NetMalformed);
        return Message;
    }
}

bool THartIpTransport::TakeMessage(TMessage& Message)
{
    const HartIp::TDecoded Decoded = HartIp::DecodeMessage(FInput.data(), FInput.size());
    const bool Datagram = FAddress.Protocol == TNetProtocol::Udp;
    if (Decoded.Result == HartIp::TDecode::Malformed
        || (Datagram && !FInput.empty() && Decoded.Result == HartIp::TDecode::NeedMore)) {
        if (!Datagram)
            Fail(HartKey::NetMalformed);
        // One bad datagram spoils nothing after it.
        FInput.clear();
        throw EHartComError(HartKey::NetMalformed);
    }
    if (Decoded.Result != HartIp::TDecode::Message)
        return false;
    Message.Header = Decoded.Header;
    Message.Body.assign(Decoded.Body, Decoded.Body + Decoded.BodySize);
    if (Datagram)
        FInput.clear();  // a datagram holds one message; what trails it is dropped
    else
        FInput.erase(FInput.begin(), FInput.begin() + ptrdiff_t(Decoded.Consumed));
    return true;
}

void THartIpTransport::ReceiveMore(int64_t DeadlineUs)
{
    const int64_t LeftUs = DeadlineUs - NowUs();
    if (LeftUs <= 0)
        throw EHartComError(HartKey::NetTimeout);
    uint8_t Buffer[ReceiveChunk];
    size_t Received = 0;
    const TNetResult Result = FSocket->Receive(Buffer, sizeof Buffer, Received, uint32_t((LeftUs + 999) / 1000));
    if (Result == TNetResult::Timeout)
        throw EHartComError(HartKey::NetTimeout);
    // Over UDP the host's refusal (nobody at the port) only shows on a receive.
    if (Result == TNetResult::Refused)
        Fail(HartKey::NetRefused);
    if (Result != TNetResult::Ok)
        Fail(HartKey::NetClosed);
    // A datagram longer than any message is refused whole.
    if (FAddress.Protocol == TNetProtocol::Udp && Received > HartIp::MaxMessageSize)
        throw EHartComError(HartKey::NetMalformed);
    FInput.insert(FInput.end(), Buffer, Buffer + Received);
}
