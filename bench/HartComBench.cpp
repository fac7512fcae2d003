// CPU cost of one SendCommand on the instant simulated line: frame building,
// the write, the hunt and the byte-by-byte read of the reply, all checks on.

#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "hart/HartCom.h"
#include "sim/SimSerialDevice.h"

namespace {

// Answers every request with the same reply bytes, keeping no record.
class TFixedReplyPeer : public TSimPeer {
public:
    explicit TFixedReplyPeer(std::vector<uint8_t> Reply)
        : FReply(std::move(Reply))
    {
    }
    void OnMasterBytes(TSimSerialDevice& Line, const uint8_t*, size_t, int64_t EndUs) override
    {
        for (uint8_t B : FReply)
            Line.Deliver(B, EndUs);
    }

private:
    std::vector<uint8_t> FReply;
};

std::vector<uint8_t> Frame(uint8_t Delimiter, std::vector<uint8_t> Address, uint8_t Command,
                           const std::vector<uint8_t>& Data)
{
    std::vector<uint8_t> F(5, 0xFF);
    std::vector<uint8_t> Body {Delimiter};
    Body.insert(Body.end(), Address.begin(), Address.end());
    Body.push_back(Command);
    Body.push_back(uint8_t(Data.size()));
    Body.insert(Body.end(), Data.begin(), Data.end());
    uint8_t Check = 0;
    for (uint8_t B : Body)
        Check ^= B;
    Body.push_back(Check);
    F.insert(F.end(), Body.begin(), Body.end());
    return F;
}

const uint8_t Address[5] = {0x26, 0x06, 0x12, 0x34, 0x56};

void RunTransactions(benchmark::State& State, uint8_t Command, const std::vector<uint8_t>& Reply,
                     const std::vector<uint8_t>& Request)
{
    TFixedReplyPeer Peer(Reply);
    auto Device = std::make_unique<TSimSerialDevice>();
    Device->SetPeer(&Peer);
    Device->SetRecording(false);
    THartCom Com(std::move(Device));
    Com.OpenPort("SIM");
    Com.SetLongAddress(Address);
    Com.SetLongAddressValid(true);
    THartDeviceResponse Response;
    for (auto _ : State) {
        Com.SendCommand(Command, Request.empty() ? nullptr : Request.data(), uint8_t(Request.size()), Response);
        benchmark::DoNotOptimize(Response.Data[2]);
    }
    State.counters["reply_bytes"] = double(Reply.size());
}

// Command 0: short request, 14 status and identity bytes back.
void BM_SendCommand0(benchmark::State& State)
{
    RunTransactions(State, 0, Frame(0x06, {0x00}, 0, {0, 0, 0xFE, 0x26, 0x06, 5, 7, 1, 8, 0x0C, 0x12, 0x34, 0x56, 0}),
                    {});
}

// Command 3: long request, status plus current and four variables back.
void BM_SendCommand3(benchmark::State& State)
{
    std::vector<uint8_t> Data(26, 0x41);
    Data[0] = 0;
    Data[1] = 0;
    RunTransactions(State, 3, Frame(0x86, {Address, Address + 5}, 3, Data), {});
}

// Command 35: long request with 9 data bytes, the same 9 bytes echoed.
void BM_SendCommand35(benchmark::State& State)
{
    const std::vector<uint8_t> Request = {0x0C, 0x42, 0xC8, 0, 0, 0x41, 0x20, 0, 0};
    std::vector<uint8_t> Data = {0, 0};
    Data.insert(Data.end(), Request.begin(), Request.end());
    RunTransactions(State, 35, Frame(0x86, {Address, Address + 5}, 35, Data), Request);
}

}  // namespace

BENCHMARK(BM_SendCommand0);
BENCHMARK(BM_SendCommand3);
BENCHMARK(BM_SendCommand35);
BENCHMARK_MAIN();
