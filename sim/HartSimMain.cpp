// hart-sim: one simulated HART pressure transmitter on a pseudo-terminal, or
// over HART-IP on the loopback address.

#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <getopt.h>
#include <stdexcept>
#include <string>
#include <system_error>

#include "sim/SimHartIpServer.h"
#include "sim/SimDeviceList.h"
#include "sim/SimPtyServer.h"
#include "sim/SimTransmitter.h"
#include "sim/SimUnits.h"

namespace {

const char* const Usage = R"(Usage: hart-sim [OPTION]...
Serves one simulated HART pressure transmitter on a pseudo-terminal, at the pace
of a 1200-baud line (11 bits per character), until interrupted with Ctrl+C.

On start it prints the path of the terminal's slave side, such as /dev/pts/4.
Point a HART master at that path as if it were its serial port: in Calvista,
type the path into the port box; any other tool opens it like /dev/ttyS0. With
--link the same terminal is also reachable under a fixed name of your choice.
The transmitter answers a short frame to polling address 0 (command 0) and long
frames to its own long address (manufacturer 185, device type and id below).
With --hartip it is served over HART-IP instead, on 127.0.0.1, TCP and UDP on
the same port, without line pacing: in Calvista the port is
hartip://127.0.0.1:PORT (TCP) or hartip+udp://127.0.0.1:PORT (UDP).

Line:
  --link PATH           also make PATH a symbolic link to the slave side (only
                        a symbolic link already there is replaced)
  --instant             answer at once instead of at 1200-baud pace
  --turnaround MS       silence between a request and its answer (default 20)
  --preambles N         preambles in each answer (default 5)
  --leading-fe          send 0xFE as the first preamble of each answer
  --burst               start in burst mode, publishing command 3 unasked
                        (commands 108 and 109 change it); a request is
                        answered in the gap after a burst frame
HART-IP:
  --hartip PORT         serve over HART-IP on 127.0.0.1:PORT (0: a free port,
                        printed on start) instead of a pseudo-terminal
  --hartip-delay MS     send each reply MS milliseconds late
  --hartip-drop N       leave the N-th request (counting from 1) unanswered
  --hartip-close N      close the connection on the N-th request
  --hartip-nak N        answer the N-th request with a NAK
  --hartip-wrong-sequence N  answer the N-th request under another number
  --hartip-refuse       refuse every session
Device:
  --manufacturer CODE   manufacturer code (default 185)
  --device-type CODE    device type code (default 24)
  --device-id N         24-bit device identification number (default 1234567)
  --software-rev N      software revision byte (default 33)
  --tag TEXT            tag, up to 8 characters (default PT-101)
  --descriptor TEXT     descriptor, up to 16 characters (default SIMULATED PT)
  --date D.M.YYYY       date, year 1900 to 2155 (default 15.6.2024)
  --unit NAME           PV unit: bar, mbar, psi, kPa, Pa, inH2O, mH2O, ... or a
                        HART unit code (default bar); all values below use it
  --range LRV:URV       lower and upper range values (default 0:10)
  --limits LSL:USL      lower and upper transducer limits (default -1:40)
  --min-span X          minimum span (default 0.4)
  --damping S           damping in seconds (default 0.4)
  --write-protect       refuse every write with response code 7
Health (every accepted write sets "configuration changed", command 38 clears it):
  --status-bits HEX     device status bits set in every reply, e.g. 0x08
  --sensor-failure      device malfunction and PV out of limits; command 3 reads
                        the PV as NaN and the current at the alarm level
  --saturated           loop current saturated at 20.5 mA
  --no-cold-start       no cold start bit in the first reply
  --more-status BYTES   command 48 answers these hex bytes (up to 25, such as
                        00:00:00:00:00:00:04); a set bit among them sets "more
                        status available" (default: command 48 not implemented)
  --keep-values         acknowledge every write but keep the old values
  --address N           polling address, 0-63 (default 0)
  --rev 5|6|7           HART revision: 6 and 7 send a longer command 0 and keep
                        a long tag (default 5)
  --long-tag TEXT       long tag, up to 32 characters (HART 6 and 7)
  --busy N              answer the first N requests busy (response code 32)
  --delayed S           start a delayed response with the first request (33),
                        running for S seconds (34) before the real answer
Several transmitters on the line:
  --devices N|FILE      N transmitters at polling addresses 0 to N-1 (HART 5,
                        6, 7 in turn), or one per line of FILE, described as
                        address=4 rev=6 id=1001 tag=PT-104 long-tag="..."
                        busy=N delayed=S; the options above give the defaults
Output stage (commands 40, 45 and 46):
  --dac-offset MA       offset error of the D/A converter in mA (default 0)
  --dac-gain X          gain error of the D/A converter, e.g. 0.002 (default 0)
Pressure signal applied to the transmitter:
  --signal SHAPE        constant, ramp or sine (default constant)
  --level X             constant value, ramp start, sine centre (default 2.5)
  --amplitude X         sine amplitude, or the rise of the ramp per period (default 0)
  --period S            period of ramp and sine in seconds (default 30)
  --noise X             standard deviation of added white noise (default 0)
  --noise-series N      number of the noise series, for repeatable runs
Output:
  -v, --verbose         print each request and its response code
  -h, --help            show this text
)";

TSimPtyServer* Server = nullptr;
TSimHartIpServer* NetServer = nullptr;

void OnSignal(int)
{
    if (Server)
        Server->Stop();
    if (NetServer)
        NetServer->Stop();
}

void PrintRequest(const TSimRequest& R)
{
    std::printf("command %u (%s frame, %zu data bytes): %s\n", R.Command, R.LongFrame ? "long" : "short", R.Data.size(),
                R.ResponseCode < 0 ? "no answer" : ("response code " + std::to_string(R.ResponseCode)).c_str());
    std::fflush(stdout);
}

void CatchSignals()
{
    struct sigaction Action {};
    Action.sa_handler = OnSignal;
    sigaction(SIGINT, &Action, nullptr);
    sigaction(SIGTERM, &Action, nullptr);
    sigaction(SIGHUP, &Action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
}

int ServeHartIp(TSimTransmitter& Transmitter, long Port, const TSimHartIpFaults& Faults, bool Verbose)
{
    // No line between the server and the transmitter: answers come at once.
    Transmitter.SetPacing(TSimPacing::Instant());
    try {
        TSimHartIpServer Net(Transmitter, static_cast<uint16_t>(Port));
        Net.SetFaults(Faults);
        if (Verbose)
            Net.OnRequest = PrintRequest;
        NetServer = &Net;
        CatchSignals();
        std::printf("hart-sim: serving HART-IP on 127.0.0.1:%u (TCP and UDP); Ctrl+C ends\n", Net.Port());
        std::fflush(stdout);
        Net.Run();
        NetServer = nullptr;
    } catch (const std::system_error& E) {
        std::fprintf(stderr, "hart-sim: %s\n", E.what());
        return 1;
    }
    std::printf("hart-sim: stopped\n");
    return 0;
}

[[noreturn]] void Fail(const std::string& Message)
{
    std::fprintf(stderr, "hart-sim: %s\nTry 'hart-sim --help'.\n", Message.c_str());
    std::exit(2);
}

double Number(const char* Text, const char* Option)
{
    char* End = nullptr;
    const double Value = std::strtod(Text, &End);
    if (End == Text || *End != '\0')
        Fail(std::string("invalid number for ") + Option + ": " + Text);
    return Value;
}

long Integer(const char* Text, const char* Option, long Min, long Max)
{
    char* End = nullptr;
    const long Value = std::strtol(Text, &End, 0);
    if (End == Text || *End != '\0' || Value < Min || Value > Max)
        Fail(std::string("invalid value for ") + Option + ": " + Text);
    return Value;
}

void Pair(const char* Text, const char* Option, float& First, float& Second)
{
    const std::string S = Text;
    const size_t Colon = S.find(':');
    if (Colon == std::string::npos)
        Fail(std::string(Option) + " takes two numbers separated by a colon");
    First = static_cast<float>(Number(S.substr(0, Colon).c_str(), Option));
    Second = static_cast<float>(Number(S.substr(Colon + 1).c_str(), Option));
}

std::string Upper(std::string Text)
{
    for (char& C : Text)
        C = static_cast<char>(std::toupper(static_cast<unsigned char>(C)));
    return Text;
}

enum : int {
    OptLink = 1000,
    OptInstant,
    OptTurnaround,
    OptPreambles,
    OptLeadingFE,
    OptManufacturer,
    OptDeviceType,
    OptDeviceId,
    OptSoftwareRev,
    OptTag,
    OptDescriptor,
    OptDate,
    OptUnit,
    OptRange,
    OptLimits,
    OptMinSpan,
    OptDamping,
    OptWriteProtect,
    OptSignal,
    OptLevel,
    OptAmplitude,
    OptPeriod,
    OptNoise,
    OptNoiseSeries,
    OptStatusBits,
    OptSensorFailure,
    OptSaturated,
    OptNoColdStart,
    OptMoreStatus,
    OptKeepValues,
    OptDacOffset,
    OptDacGain,
    OptBurst,
    OptHartIp,
    OptHartIpDelay,
    OptHartIpDrop,
    OptHartIpClose,
    OptHartIpNak,
    OptHartIpWrongSequence,
    OptHartIpRefuse,
    OptAddress,
    OptRev,
    OptLongTag,
    OptBusy,
    OptDelayed,
    OptDevices,
};

const option Options[] = {
    {"link", required_argument, nullptr, OptLink},
    {"instant", no_argument, nullptr, OptInstant},
    {"turnaround", required_argument, nullptr, OptTurnaround},
    {"preambles", required_argument, nullptr, OptPreambles},
    {"leading-fe", no_argument, nullptr, OptLeadingFE},
    {"manufacturer", required_argument, nullptr, OptManufacturer},
    {"device-type", required_argument, nullptr, OptDeviceType},
    {"device-id", required_argument, nullptr, OptDeviceId},
    {"software-rev", required_argument, nullptr, OptSoftwareRev},
    {"tag", required_argument, nullptr, OptTag},
    {"descriptor", required_argument, nullptr, OptDescriptor},
    {"date", required_argument, nullptr, OptDate},
    {"unit", required_argument, nullptr, OptUnit},
    {"range", required_argument, nullptr, OptRange},
    {"limits", required_argument, nullptr, OptLimits},
    {"min-span", required_argument, nullptr, OptMinSpan},
    {"damping", required_argument, nullptr, OptDamping},
    {"write-protect", no_argument, nullptr, OptWriteProtect},
    {"signal", required_argument, nullptr, OptSignal},
    {"level", required_argument, nullptr, OptLevel},
    {"amplitude", required_argument, nullptr, OptAmplitude},
    {"period", required_argument, nullptr, OptPeriod},
    {"noise", required_argument, nullptr, OptNoise},
    {"noise-series", required_argument, nullptr, OptNoiseSeries},
    {"status-bits", required_argument, nullptr, OptStatusBits},
    {"sensor-failure", no_argument, nullptr, OptSensorFailure},
    {"dac-offset", required_argument, nullptr, OptDacOffset},
    {"dac-gain", required_argument, nullptr, OptDacGain},
    {"saturated", no_argument, nullptr, OptSaturated},
    {"no-cold-start", no_argument, nullptr, OptNoColdStart},
    {"more-status", required_argument, nullptr, OptMoreStatus},
    {"keep-values", no_argument, nullptr, OptKeepValues},
    {"burst", no_argument, nullptr, OptBurst},
    {"hartip", required_argument, nullptr, OptHartIp},
    {"hartip-delay", required_argument, nullptr, OptHartIpDelay},
    {"hartip-drop", required_argument, nullptr, OptHartIpDrop},
    {"hartip-close", required_argument, nullptr, OptHartIpClose},
    {"hartip-nak", required_argument, nullptr, OptHartIpNak},
    {"hartip-wrong-sequence", required_argument, nullptr, OptHartIpWrongSequence},
    {"hartip-refuse", no_argument, nullptr, OptHartIpRefuse},
    {"address", required_argument, nullptr, OptAddress},
    {"rev", required_argument, nullptr, OptRev},
    {"long-tag", required_argument, nullptr, OptLongTag},
    {"busy", required_argument, nullptr, OptBusy},
    {"delayed", required_argument, nullptr, OptDelayed},
    {"devices", required_argument, nullptr, OptDevices},
    {"verbose", no_argument, nullptr, 'v'},
    {"help", no_argument, nullptr, 'h'},
    {nullptr, 0, nullptr, 0},
};

}  // namespace

int main(int argc, char** argv)
{
    TSimDeviceState State;
    TSimSignal Signal;
    TSimPacing Pacing = TSimPacing::Baud1200(20000);
    std::string LinkPath;
    int Preambles = 5;
    bool LeadingFE = false, Verbose = false, Burst = false;
    long NoiseSeries = -1;
    long HartIpPort = -1;
    TSimHartIpFaults Faults;
    uint32_t Busy = 0;
    double DelayedS = -1;
    std::string Devices;

    int Opt;
    while ((Opt = getopt_long(argc, argv, "vh", Options, nullptr)) != -1) {
        switch (Opt) {
            case OptLink: LinkPath = optarg; break;
            case OptInstant: Pacing.CharTimeUs = 0; break;
            case OptTurnaround:
                Pacing.TurnaroundUs = static_cast<int64_t>(Number(optarg, "--turnaround") * 1000);
                break;
            case OptPreambles: Preambles = static_cast<int>(Integer(optarg, "--preambles", 2, 30)); break;
            case OptLeadingFE: LeadingFE = true; break;
            case OptManufacturer:
                State.Manufacturer = static_cast<uint8_t>(Integer(optarg, "--manufacturer", 0, 255));
                break;
            case OptDeviceType:
                State.DeviceType = static_cast<uint8_t>(Integer(optarg, "--device-type", 0, 255));
                break;
            case OptDeviceId:
                State.DeviceId = static_cast<uint32_t>(Integer(optarg, "--device-id", 0, 0xFFFFFF));
                break;
            case OptSoftwareRev:
                State.SoftwareRev = static_cast<uint8_t>(Integer(optarg, "--software-rev", 0, 255));
                break;
            case OptTag: State.Tag = Upper(optarg); break;
            case OptDescriptor: State.Descriptor = Upper(optarg); break;
            case OptDate: {
                int D = 0, M = 0, Y = 0;
                if (std::sscanf(optarg, "%d.%d.%d", &D, &M, &Y) != 3 || D < 1 || D > 31 || M < 1 || M > 12 || Y < 1900
                    || Y > 2155)
                    Fail(std::string("invalid date: ") + optarg);
                State.Day = static_cast<uint8_t>(D);
                State.Month = static_cast<uint8_t>(M);
                State.Year = static_cast<uint16_t>(Y);
                break;
            }
            case OptUnit: {
                const auto Code = SimUnits::Parse(optarg);
                if (!Code)
                    Fail(std::string("unknown pressure unit: ") + optarg);
                State.PvUnit = State.RangeUnit = State.SensorUnit = Signal.Unit = *Code;
                break;
            }
            case OptRange: Pair(optarg, "--range", State.LowerRange, State.UpperRange); break;
            case OptLimits: Pair(optarg, "--limits", State.LowerLimit, State.UpperLimit); break;
            case OptMinSpan: State.MinSpan = static_cast<float>(Number(optarg, "--min-span")); break;
            case OptDamping: State.Damping = static_cast<float>(Number(optarg, "--damping")); break;
            case OptWriteProtect: State.WriteProtected = true; break;
            case OptSignal: {
                const std::string S = optarg;
                if (S == "constant")
                    Signal.Shape = TSimSignalShape::Constant;
                else if (S == "ramp")
                    Signal.Shape = TSimSignalShape::Ramp;
                else if (S == "sine")
                    Signal.Shape = TSimSignalShape::Sine;
                else
                    Fail("unknown signal shape: " + S);
                break;
            }
            case OptLevel: Signal.Level = Number(optarg, "--level"); break;
            case OptDacOffset: State.DacOffsetMa = Number(optarg, "--dac-offset"); break;
            case OptDacGain: State.DacGainError = Number(optarg, "--dac-gain"); break;
            case OptAmplitude: Signal.Amplitude = Number(optarg, "--amplitude"); break;
            case OptPeriod: Signal.PeriodS = Number(optarg, "--period"); break;
            case OptNoise: Signal.Noise = Number(optarg, "--noise"); break;
            case OptNoiseSeries: NoiseSeries = Integer(optarg, "--noise-series", 0, 0x7FFFFFFF); break;
            case OptStatusBits:
                State.Health.StatusBits = static_cast<uint8_t>(Integer(optarg, "--status-bits", 0, 255));
                break;
            case OptSensorFailure: State.Health.SensorFailure = true; break;
            case OptSaturated: State.Health.Saturated = true; break;
            case OptNoColdStart: State.Health.ColdStart = false; break;
            case OptMoreStatus:
                if (!ParseSimStatusBytes(optarg, State.Health.AdditionalStatus))
                    Fail(std::string("--more-status takes up to 25 hex bytes: ") + optarg);
                break;
            case OptKeepValues: State.Health.KeepsOldValues = true; break;
            case OptHartIp: HartIpPort = Integer(optarg, "--hartip", 0, 65535); break;
            case OptHartIpDelay:
                Faults.ReplyDelayMs = static_cast<uint32_t>(Integer(optarg, "--hartip-delay", 0, 600000));
                break;
            case OptHartIpDrop: Faults.DropReplyAt = int(Integer(optarg, "--hartip-drop", 1, 0x7FFFFFFF)); break;
            case OptHartIpClose: Faults.CloseAt = int(Integer(optarg, "--hartip-close", 1, 0x7FFFFFFF)); break;
            case OptHartIpNak: Faults.NakAt = int(Integer(optarg, "--hartip-nak", 1, 0x7FFFFFFF)); break;
            case OptHartIpWrongSequence:
                Faults.WrongSequenceAt = int(Integer(optarg, "--hartip-wrong-sequence", 1, 0x7FFFFFFF));
                break;
            case OptHartIpRefuse: Faults.RefuseSession = true; break;
            case OptAddress: State.PollingAddress = static_cast<uint8_t>(Integer(optarg, "--address", 0, 63)); break;
            case OptRev: State.UnivCmdRev = static_cast<uint8_t>(Integer(optarg, "--rev", 5, 7)); break;
            case OptLongTag: State.LongTag = Latin1FromUtf8(optarg).substr(0, 32); break;
            case OptBusy: Busy = static_cast<uint32_t>(Integer(optarg, "--busy", 0, 1000)); break;
            case OptDelayed: DelayedS = Number(optarg, "--delayed"); break;
            case OptDevices: Devices = optarg; break;
            case OptBurst: Burst = true; break;
            case 'v': Verbose = true; break;
            case 'h': std::fputs(Usage, stdout); return 0;
            default: std::fputs("Try 'hart-sim --help'.\n", stderr); return 2;
        }
    }
    if (optind < argc)
        Fail(std::string("unexpected argument: ") + argv[optind]);

    State.LoopCurrentEnabled = State.PollingAddress == 0;
    TSimTransmitter Transmitter(State, Signal);
    Transmitter.SetBusyFor(Busy);
    if (DelayedS >= 0)
        Transmitter.StartDelayedResponse(static_cast<int64_t>(DelayedS * 1e6));
    if (!Devices.empty()) {
        try {
            PutDevicesOnLine(Transmitter, LoadDeviceList(Devices, State));
        } catch (const std::exception& E) {
            Fail(std::string("--devices: ") + E.what());
        }
    }
    Transmitter.SetPacing(Pacing);
    Transmitter.SetReplyPreambles(static_cast<uint8_t>(Preambles));
    Transmitter.SetLeadingFE(LeadingFE);
    if (Burst)
        Transmitter.SetBurstMode(true, 0);
    if (NoiseSeries >= 0)
        Transmitter.SetNoiseSeries(static_cast<uint32_t>(NoiseSeries));
    if (HartIpPort >= 0)
        return ServeHartIp(Transmitter, HartIpPort, Faults, Verbose);

    try {
        TSimPtyServer Pty(Transmitter);
        if (!LinkPath.empty())
            Pty.MakeLink(LinkPath);
        if (Verbose)
            Pty.OnRequest = PrintRequest;
        Server = &Pty;
        CatchSignals();

        std::printf("hart-sim: serving a simulated transmitter on %s\n", Pty.SlavePath().c_str());
        if (!LinkPath.empty())
            std::printf("hart-sim: %s -> %s\n", LinkPath.c_str(), Pty.SlavePath().c_str());
        std::printf("hart-sim: %s, %s %s, unit %s, range %g to %g; Ctrl+C ends\n",
                    Pacing.CharTimeUs ? "1200 baud" : "instant", State.WriteProtected ? "write-protected" : "writable",
                    "device", SimUnits::Name(State.PvUnit).c_str(), State.LowerRange, State.UpperRange);
        std::fflush(stdout);
        Pty.Run();
        Server = nullptr;
    } catch (const std::system_error& E) {
        std::fprintf(stderr, "hart-sim: %s\n", E.what());
        return 1;
    }
    std::printf("hart-sim: stopped\n");
    return 0;
}
