// calvista-cli run in-process (RunCli) against the simulated transmitter "SIM"
// at instant pace, and through the real POSIX back end against the simulated
// transmitter served on a pseudo-terminal, as hart-sim serves it.
#include <gtest/gtest.h>

#include "cli/CliTool.h"
#include "transmitter/ConfigFile.h"
#include "sim/SimHartIpServer.h"
#include "sim/SimPtyServer.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QTemporaryDir>
#include <QTextStream>

#include <csignal>
#include <functional>
#include <thread>

#include <sys/stat.h>

namespace {

struct TRun {
    int Status = -1;
    QString Out, Err;
};

// The transmitter's defaults, as read by the window.
const char* const DefaultReadText = "Manufacturer:     Norvane\n"
                                    "Transmitter type: Quill 20\n"
                                    "Serial number:    1234567\n"
                                    "Revision:         3/2.1\n"
                                    "Univ. command:    5\n"
                                    "Upper limit:      40 bar\n"
                                    "Lower limit:      -1  bar\n"
                                    "Min. span:        0.4  bar\n"
                                    "Upper range:      10\n"
                                    "Lower range:      0\n"
                                    "Unit:             bar\n"
                                    "Damping:          0.4\n"
                                    "Tag:              PT-101\n"
                                    "Descriptor:       SIMULATED PT\n"
                                    "Date:             15.06.2024\n";

enum class TLine { Sim, Pty, HartIp };

class CliTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        QLocale::setDefault(QLocale::c());
        ASSERT_TRUE(Dir.isValid());
    }
    void TearDown() override
    {
        if (Server) {
            Server->Stop();
            Thread.join();
        }
        if (NetServer) {
            NetServer->Stop();
            NetThread.join();
        }
    }

    // The port name of a line to Transmitter: "SIM", the pseudo-terminal's
    // path, or the HART-IP server's address.
    QString Port(TLine Line)
    {
        if (Line == TLine::Sim)
            return QStringLiteral("SIM");
        if (Line == TLine::HartIp) {
            if (!NetServer) {
                NetServer = std::make_unique<TSimHartIpServer>(PtyTransmitter, 0);
                NetThread = std::thread([this] { NetServer->Run(); });
            }
            return QStringLiteral("hartip://127.0.0.1:%1").arg(NetServer->Port());
        }
        if (!Server) {
            Server = std::make_unique<TSimPtyServer>(PtyTransmitter);
            Thread = std::thread([this] { Server->Run(); });
        }
        return QString::fromStdString(Server->SlavePath());
    }
    // The transmitter behind a line, to set up or to look at.
    void With(TLine Line, const std::function<void(TSimTransmitter&)>& Fn)
    {
        if (Line == TLine::Sim)
            Fn(Sim);
        else if (Line == TLine::HartIp)
            NetServer->WithTransmitter([&](TSimTransmitter& T) {
                Fn(T);
                return 0;
            });
        else
            Server->WithTransmitter([&](TSimTransmitter& T) {
                Fn(T);
                return 0;
            });
    }

    TRun Run(QStringList Arguments)
    {
        // On the pseudo-terminal as behind a USB adapter: the link switching RTS
        // itself re-applies the line settings, which a pty answers with 259.
        if (Server && Arguments.contains(QString::fromStdString(Server->SlavePath())))
            Arguments << QStringLiteral("--usb");
        // Messages in English unless a case asks for German, whatever the system's language.
        if (!Arguments.isEmpty() && !Arguments.contains(QStringLiteral("--lang")))
            Arguments.insert(1, QStringLiteral("--lang=en"));
        TRun run;
        QTextStream out(&run.Out), err(&run.Err);
        TCliEnvironment environment;
        environment.Out = &out;
        environment.Err = &err;
        environment.LanguageFile = QStringLiteral(CALVISTA_SOURCE_LANGUAGE_FILE);
        environment.AfterSample = AfterSample;
        environment.WhileHeld = WhileHeld;
        QString input = Input;
        QTextStream in(&input);
        if (!Input.isNull())
            environment.In = &in;
        environment.CreateDevice = [this](const QString& Port) -> std::unique_ptr<TSerialDevice> {
            if (Port == QLatin1String("SIM")) {
                auto device = std::make_unique<TCliSimDevice>(Sim);
                if (SetUpSim)
                    SetUpSim(*device);
                return device;
            }
            if (Port == QLatin1String("SIM2"))
                return std::make_unique<TCliSimDevice>(Second);
            if (Port.startsWith(QLatin1Char('/')))
                return CreateCliDevice(Port);
            auto missing = std::make_unique<TSimSerialDevice>();  // never a real port
            missing->SetOpenResult(TSerialOpenResult::NotFound);
            return missing;
        };
        Arguments.prepend(QStringLiteral("calvista-cli"));
        run.Status = RunCli(Arguments, environment);
        out.flush();
        err.flush();
        return run;
    }
    QString File(const char* Name) const { return Dir.filePath(QString::fromLatin1(Name)); }
    static void WriteAll(const QString& Name, const QByteArray& Bytes)
    {
        QFile file(Name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(Bytes) == Bytes.size());
    }
    static QByteArray FileBytes(const QString& Name)
    {
        QFile file(Name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    TSimTransmitter Sim, Second, PtyTransmitter;
    std::unique_ptr<TSimPtyServer> Server;
    std::thread Thread;
    std::unique_ptr<TSimHartIpServer> NetServer;
    std::thread NetThread;
    std::function<void(int)> AfterSample;
    std::function<void(TSimSerialDevice&)> SetUpSim;
    std::function<void()> WhileHeld;
    QString Input;  // typed answers; null: none
    QTemporaryDir Dir;
};

TEST_F(CliTest, ReadPrintsTheWindowsFieldsAndJson)
{
    for (TLine line : {TLine::Sim, TLine::Pty, TLine::HartIp}) {
        SCOPED_TRACE(line == TLine::Sim ? "SIM" : line == TLine::Pty ? "pty" : "HART-IP");
        const QString port = Port(line);
        TRun run = Run({QStringLiteral("read"), QStringLiteral("--port"), port});
        EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
        EXPECT_EQ(run.Out.toStdString(), DefaultReadText);

        run = Run({QStringLiteral("read"), QStringLiteral("--port"), port, QStringLiteral("--json")});
        ASSERT_EQ(run.Status, 0);
        const QJsonObject json = QJsonDocument::fromJson(run.Out.toUtf8()).object();
        EXPECT_EQ(json.value(QStringLiteral("manufacturer")).toString(), QStringLiteral("Norvane"));
        EXPECT_EQ(json.value(QStringLiteral("serialNumber")).toString(), QStringLiteral("1234567"));
        EXPECT_EQ(json.value(QStringLiteral("softwareRevision")).toString(), QStringLiteral("2.1"));
        EXPECT_EQ(json.value(QStringLiteral("upperLimit")).toDouble(), 40.0);
        EXPECT_EQ(json.value(QStringLiteral("minSpan")).toDouble(), 0.4);
        EXPECT_EQ(json.value(QStringLiteral("upperRange")).toDouble(), 10.0);
        EXPECT_EQ(json.value(QStringLiteral("damping")).toDouble(), 0.4);
        EXPECT_EQ(json.value(QStringLiteral("unit")).toString(), QStringLiteral("bar"));
        EXPECT_EQ(json.value(QStringLiteral("descriptor")).toString(), QStringLiteral("SIMULATED PT"));
        EXPECT_EQ(json.value(QStringLiteral("date")).toString(), QStringLiteral("15.06.2024"));
    }
}

TEST_F(CliTest, FramesShowTheRequestAndReplyDecoded)
{
    const TRun run
        = Run({QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("SIM"), QStringLiteral("--frames"),
               QStringLiteral("--secondary")});  // master bit clear, as the link had it always
    ASSERT_EQ(run.Status, 0);
    const std::string err = run.Err.toStdString();
    EXPECT_NE(err.find("> FF FF FF FF FF FF 02 00 00 00 02\n"
                       "  preambles 6, delimiter 02 (short frame, master to slave), address 00, command 0, "
                       "byte count 0, data none, check byte 02\n"
                       "< FF FF FF FF FF 06 00 00 0E 00 20 FE B9 18"),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("command 0, byte count 14, response code 0 (0.NONE), device status 20 (cold start), "
                       "data FE B9 18 05 05 03 21 20 00 12 D6 87, check byte 36\n  time "),
              std::string::npos)
        << err;
    EXPECT_NE(err.find("command 13, byte count 0"), std::string::npos);
}

// Each write is verified on the transmitter's own state, over both lines.
TEST_F(CliTest, WriteChangesOnlyWhatIsGiven)
{
    struct TCase {
        const char* Name;
        QStringList Arguments;
        const char* Status;
        std::function<void(const TSimDeviceState&)> Check;
    };
    const std::vector<TCase> cases = {
        {"tag keeps descriptor and date",
         {QStringLiteral("--tag"), QStringLiteral("ft-7")},
         "Tag, descriptor and date written",
         [](const TSimDeviceState& S) {
             EXPECT_EQ(QString::fromStdString(S.Tag).trimmed(), QStringLiteral("FT-7"));
             EXPECT_EQ(QString::fromStdString(S.Descriptor).trimmed(), QStringLiteral("SIMULATED PT"));
             EXPECT_EQ(S.Day * 10000 + S.Month * 100 + S.Year % 100, 150624);
         }},
        {"descriptor and date",
         {QStringLiteral("--descriptor"), QStringLiteral("LINE 4"), QStringLiteral("--date"),
          QStringLiteral("01.02.2025")},
         "Tag, descriptor and date written",
         [](const TSimDeviceState& S) {
             EXPECT_EQ(QString::fromStdString(S.Descriptor).trimmed(), QStringLiteral("LINE 4"));
             EXPECT_EQ(QString::fromStdString(S.Tag).trimmed(), QStringLiteral("PT-101"));
             EXPECT_EQ(S.Day * 1000000 + S.Month * 10000 + S.Year, 1022025);
         }},
        {"unit",
         {QStringLiteral("--unit"), QStringLiteral("MBAR")},
         "Pressure unit and range values written",
         [](const TSimDeviceState& S) {
             EXPECT_EQ(S.PvUnit, 8);
             EXPECT_FLOAT_EQ(S.UpperRange, 10000.0f);  // converted by the transmitter
         }},
        {"range in the transmitter's unit",
         {QStringLiteral("--range"), QStringLiteral("-0,5:12.5")},
         "Pressure unit and range values written",
         [](const TSimDeviceState& S) {
             EXPECT_EQ(S.RangeUnit, 7);
             EXPECT_FLOAT_EQ(S.LowerRange, -0.5f);
             EXPECT_FLOAT_EQ(S.UpperRange, 12.5f);
         }},
        {"unit then range",
         {QStringLiteral("--range"), QStringLiteral("0:400"), QStringLiteral("--unit"), QStringLiteral("kPa")},
         "Pressure unit and range values written",
         [](const TSimDeviceState& S) {
             EXPECT_EQ(S.RangeUnit, 12);
             EXPECT_FLOAT_EQ(S.UpperRange, 400.0f);
         }},
        {"unit spelt inH2O",
         {QStringLiteral("--unit"), QStringLiteral("inH2O")},
         "Pressure unit and range values written",
         [](const TSimDeviceState& S) { EXPECT_EQ(S.PvUnit, 1); }},
        {"damping",
         {QStringLiteral("--damping"), QStringLiteral("2.5")},
         "Damping written",
         [](const TSimDeviceState& S) { EXPECT_FLOAT_EQ(S.Damping, 2.5f); }},
    };
    for (TLine line : {TLine::Sim, TLine::Pty}) {
        for (const TCase& c : cases) {
            SCOPED_TRACE(std::string(c.Name) + (line == TLine::Sim ? " on SIM" : " on pty"));
            const QString port = Port(line);
            With(line, [](TSimTransmitter& T) { T.SetState({}); });
            const TRun run = Run(QStringList {QStringLiteral("write"), QStringLiteral("--port"), port} + c.Arguments);
            EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
            EXPECT_TRUE(run.Out.contains(QString::fromLatin1(c.Status))) << run.Out.toStdString();
            With(line, [&](TSimTransmitter& T) { c.Check(T.State()); });
        }
    }
}

// Failures end with their exit status and say why; usage errors send nothing.
TEST_F(CliTest, FailuresGiveTheirExitStatusAndKey)
{
    const auto writeProtect = [](TSimTransmitter& T) { T.SetWriteProtected(true); };
    // The transmitter reports another damping than it was sent, at every attempt.
    const auto keepsAnotherDamping = [](TSimTransmitter& T) {
        T.QueueFault({});  // command 0
        T.QueueFault({});  // command 15: the settings before writing
        for (int attempt = 0; attempt < 3; ++attempt) {
            T.QueueFault({});  // command 34
            TSimFault cut;
            cut.DataBytes = 11;  // command 15 without its damping
            T.QueueFault(cut);
        }
    };
    struct TCase {
        const char* Name;
        TLine Line;
        QStringList Arguments;
        std::function<void(TSimTransmitter&)> Setup;
        int Status;
        const char* Err;
    };
    const QString sim = QStringLiteral("SIM");
    const std::vector<TCase> cases = {
        {"write-protected",
         TLine::Sim,
         {QStringLiteral("write"), QStringLiteral("--damping"), QStringLiteral("1")},
         writeProtect,
         1,
         "The transmitter is write-protected. Remove the write protection and try again. (8.WRITEPROTECT)"},
        {"write-protected on the pty",
         TLine::Pty,
         {QStringLiteral("write"), QStringLiteral("--tag"), QStringLiteral("X")},
         writeProtect,
         1,
         "(8.WRITEPROTECT)"},
        {"write-protected over HART-IP",
         TLine::HartIp,
         {QStringLiteral("write"), QStringLiteral("--tag"), QStringLiteral("X")},
         writeProtect,
         1,
         "(8.WRITEPROTECT)"},
        {"German text",
         TLine::Sim,
         {QStringLiteral("write"), QStringLiteral("--damping"), QStringLiteral("1"), QStringLiteral("--lang"),
          QStringLiteral("de")},
         writeProtect,
         1,
         "schreibgeschützt"},
        {"keeps another value",
         TLine::Sim,
         {QStringLiteral("write"), QStringLiteral("--damping"), QStringLiteral("0.7")},
         keepsAnotherDamping,
         3,
         "did not keep the value that was written. Check the entry and try again. (E7.frmMain) Kept: 0 s"},
        {"acknowledges a write but keeps another value",
         TLine::Sim,
         {QStringLiteral("write"), QStringLiteral("--damping"), QStringLiteral("2")},
         [](TSimTransmitter& T) { T.MutableState().Health.KeepsOldValues = true; },
         3,
         "(E7.frmMain) Kept: 0.4 s"},
        {"reset-changed write-protected",
         TLine::Sim,
         {QStringLiteral("reset-changed"), QStringLiteral("--yes")},
         writeProtect,
         1,
         "(8.WRITEPROTECT)"},
        {"reset-changed without --yes", TLine::Sim, {QStringLiteral("reset-changed")}, {}, 2, "add --yes"},
        {"fail-on what",
         TLine::Sim,
         {QStringLiteral("status"), QStringLiteral("--fail-on"), QStringLiteral("bad")},
         {},
         2,
         "--fail-on takes"},
        {"no such port",
         TLine::Sim,
         {QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("COM7")},
         {},
         1,
         "(134.INVALIDPORT)"},
        {"HART-IP connection refused",
         TLine::Sim,
         {QStringLiteral("read"), QStringLiteral("--port"), QStringLiteral("hartip://127.0.0.1:1")},
         {},
         1,
         "The HART-IP host refused the network connection or cannot be reached. Check the host, the port number and "
         "the gateway, then try again. (401.NETREFUSED)"},
        {"no command", TLine::Sim, {}, {}, 2, "No command given."},
        {"unknown command", TLine::Sim, {QStringLiteral("erase")}, {}, 2, "Unknown command: erase"},
        {"unknown option",
         TLine::Sim,
         {QStringLiteral("read"), QStringLiteral("--fast")},
         {},
         2,
         "Unknown option 'fast'."},
        {"missing value",
         TLine::Sim,
         {QStringLiteral("read"), QStringLiteral("--port")},
         {},
         2,
         "Missing value after '--port'."},
        {"missing port", TLine::Sim, {QStringLiteral("read"), QStringLiteral("--port=")}, {}, 2, "--port is missing."},
        {"nothing to write", TLine::Sim, {QStringLiteral("write")}, {}, 2, "Nothing to write"},
        {"damping above 100",
         TLine::Sim,
         {QStringLiteral("write"), QStringLiteral("--damping"), QStringLiteral("100.5")},
         {},
         2,
         "The damping must lie between 0 and 100 s."},
        {"range no pair",
         TLine::Sim,
         {QStringLiteral("write"), QStringLiteral("--range"), QStringLiteral("10")},
         {},
         2,
         "--range takes LRV:URV"},
        {"unknown unit",
         TLine::Sim,
         {QStringLiteral("write"), QStringLiteral("--unit"), QStringLiteral("furlong")},
         {},
         2,
         "Unknown unit 'furlong'"},
        {"tag too long",
         TLine::Sim,
         {QStringLiteral("write"), QStringLiteral("--tag"), QStringLiteral("ABCDEFGHI")},
         {},
         2,
         "--tag holds at most 8"},
        {"tag not storable",
         TLine::Sim,
         {QStringLiteral("write"), QStringLiteral("--tag"), QStringLiteral("A~B")},
         {},
         2,
         "character '~'"},
        {"no date",
         TLine::Sim,
         {QStringLiteral("write"), QStringLiteral("--date"), QStringLiteral("31.02.2025")},
         {},
         2,
         "The date is not valid."},
        {"trim without --yes",
         TLine::Sim,
         {QStringLiteral("trim"), QStringLiteral("zero")},
         {},
         2,
         "trim would set the zero"},
        {"trim what",
         TLine::Sim,
         {QStringLiteral("trim"), QStringLiteral("middle"), QStringLiteral("--yes")},
         {},
         2,
         "upper, lower or zero"},
        {"rate shorter than one exchange",
         TLine::Sim,
         {QStringLiteral("monitor"), QStringLiteral("--rate"), QStringLiteral("0.5")},
         {},
         2,
         "at least 0.53 s"},
        {"count not positive",
         TLine::Sim,
         {QStringLiteral("monitor"), QStringLiteral("--rate"), QStringLiteral("1"), QStringLiteral("--count"),
          QStringLiteral("0")},
         {},
         2,
         "--count takes a whole number"},
        {"sensor",
         TLine::Sim,
         {QStringLiteral("read"), QStringLiteral("--sensor"), QStringLiteral("other")},
         {},
         2,
         "--sensor takes"},
        {"cfg file missing",
         TLine::Sim,
         {QStringLiteral("apply-cfg"), QStringLiteral("/nonexistent/x.cfg")},
         {},
         1,
         "x.cfg"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        const QString port = Port(c.Line);
        With(c.Line, [&](TSimTransmitter& T) {
            T.SetState({});
            if (c.Setup)
                c.Setup(T);
        });
        QStringList arguments = c.Arguments;
        if (!arguments.isEmpty() && !arguments.join(QLatin1Char(' ')).contains(QStringLiteral("--port")))
            arguments << QStringLiteral("--port") << port;
        const uint64_t requests = c.Line == TLine::Sim ? Sim.RequestCount() : 0;
        const TRun run = Run(arguments);
        EXPECT_EQ(run.Status, c.Status) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.Err))) << run.Err.toStdString();
        if (c.Status == 2 && c.Line == TLine::Sim) {
            EXPECT_EQ(Sim.RequestCount(), requests) << "a usage error sent a request";
        }
    }
}

// The status of the simulator in each failure mode, as JSON, and --fail-on.
TEST_F(CliTest, StatusShowsEveryFailureModeInWords)
{
    struct TCase {
        const char* Name;
        std::function<void(TSimDeviceState&)> Setup;
        QStringList Options;
        int Status;
        QStringList Flags, AdditionalFlags;
        const char* Ne107;
        bool WriteProtected = false;
    };
    const auto more
        = [](std::vector<uint8_t> Bytes) { return [Bytes](TSimDeviceState& S) { S.Health.AdditionalStatus = Bytes; }; };
    const std::vector<TCase> cases = {
        {"cold start after power-up",
         [](TSimDeviceState& S) { S.Health.ColdStart = true; },
         {},
         0,
         {QStringLiteral("cold start")},
         {},
         "Function check"},
        {"sensor failure",
         [](TSimDeviceState& S) { S.Health.SensorFailure = true; },
         {},
         0,
         {QStringLiteral("device malfunction"), QStringLiteral("primary variable out of limits")},
         {},
         "Failure"},
        {"saturated",
         [](TSimDeviceState& S) { S.Health.Saturated = true; },
         {},
         0,
         {QStringLiteral("loop current saturated")},
         {},
         "Out of specification"},
        {"any status bits",
         [](TSimDeviceState& S) { S.Health.StatusBits = 0x0A; },
         {},
         0,
         {QStringLiteral("loop current fixed"), QStringLiteral("non-primary variable out of limits")},
         {},
         "Function check"},
        {"more status: maintenance",
         more({0, 0, 0, 0, 0, 0, 0x01}),
         {},
         0,
         {QStringLiteral("more status available")},
         {QStringLiteral("maintenance required")},
         "Maintenance required"},
        {"more status: HART 5 device bits",
         more({0, 0x40}),
         {},
         0,
         {QStringLiteral("more status available")},
         {QStringLiteral("status byte 1 bit 6")},
         "Good"},
        {"command 48 with nothing to add", more({0, 0, 0, 0, 0, 0}), {}, 0, {}, {}, "Good"},
        {"write-protected", [](TSimDeviceState& S) { S.WriteProtected = true; }, {}, 0, {}, {}, "Good", true},
        {"fail-on failure, failed",
         [](TSimDeviceState& S) { S.Health.SensorFailure = true; },
         {QStringLiteral("--fail-on"), QStringLiteral("failure")},
         4,
         {QStringLiteral("device malfunction"), QStringLiteral("primary variable out of limits")},
         {},
         "Failure"},
        {"fail-on failure, out of specification",
         [](TSimDeviceState& S) { S.Health.Saturated = true; },
         {QStringLiteral("--fail-on"), QStringLiteral("FAILURE")},
         0,
         {QStringLiteral("loop current saturated")},
         {},
         "Out of specification"},
        {"fail-on maintenance, out of specification",
         [](TSimDeviceState& S) { S.Health.Saturated = true; },
         {QStringLiteral("--fail-on"), QStringLiteral("maintenance")},
         4,
         {QStringLiteral("loop current saturated")},
         {},
         "Out of specification"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TSimDeviceState state;
        state.Health.ColdStart = false;
        c.Setup(state);
        Sim = TSimTransmitter(state);
        const TRun run = Run(QStringList {QStringLiteral("status"), QStringLiteral("--port"), QStringLiteral("SIM"),
                                          QStringLiteral("--json")}
                             + c.Options);
        EXPECT_EQ(run.Status, c.Status) << run.Err.toStdString();
        const QJsonObject json = QJsonDocument::fromJson(run.Out.toUtf8()).object();
        const QJsonObject device = json.value(QStringLiteral("deviceStatus")).toObject();
        const QJsonObject additional = json.value(QStringLiteral("additionalStatus")).toObject();
        EXPECT_EQ(device.value(QStringLiteral("flags")).toVariant().toStringList(), c.Flags);
        EXPECT_EQ(additional.value(QStringLiteral("flags")).toVariant().toStringList(), c.AdditionalFlags);
        EXPECT_EQ(additional.value(QStringLiteral("supported")).toBool(), !state.Health.AdditionalStatus.empty());
        EXPECT_EQ(json.value(QStringLiteral("ne107")).toString(), QLatin1String(c.Ne107));
        EXPECT_EQ(json.value(QStringLiteral("writeProtected")).toBool(), c.WriteProtected);
        EXPECT_FALSE(json.value(QStringLiteral("configurationChanged")).toBool());
    }
}

// A write sets the configuration-changed flag; reset-changed clears it and
// shows the status read back, in the language asked for.
TEST_F(CliTest, ResetChangedClearsTheFlagAWriteSet)
{
    ASSERT_EQ(Run({QStringLiteral("write"), QStringLiteral("--port"), QStringLiteral("SIM"),
                   QStringLiteral("--damping"), QStringLiteral("1")})
                  .Status,
              0);
    TRun run = Run({QStringLiteral("status"), QStringLiteral("--port"), QStringLiteral("SIM")});
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Device status:         40 (configuration changed)\n")))
        << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Configuration changed: yes\n")));
    run = Run({QStringLiteral("reset-changed"), QStringLiteral("--port"), QStringLiteral("SIM"),
               QStringLiteral("--yes"), QStringLiteral("--lang"), QStringLiteral("de")});
    EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Configuration changed: nein\n"))) << run.Out.toStdString();
    EXPECT_TRUE(run.Out.contains(QStringLiteral("NE 107 class:          Gut\n")));
    EXPECT_EQ(Sim.Requests().back().Command, 48);
    EXPECT_EQ(Sim.Requests()[Sim.Requests().size() - 4].Command, 38);
}

TEST_F(CliTest, SaveCfgThenApplyCfgCopiesRangeUnitAndDamping)
{
    TSimDeviceState source;
    source.PvUnit = source.RangeUnit = 8;  // mbar
    source.LowerRange = -100.0f;
    source.UpperRange = 2500.0f;
    source.Damping = 1.5f;
    Sim.SetState(source);
    const QString file = File("line.cfg");
    TRun run = Run({QStringLiteral("save-cfg"), QStringLiteral("--port"), QStringLiteral("SIM"), file});
    ASSERT_EQ(run.Status, 0) << run.Err.toStdString();

    // The window saves the texts of its fields after a read: 2500, -100, mbar, 1.5.
    QFile saved(file);
    ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
    EXPECT_EQ(saved.readAll(), QByteArray::fromHex("06043235303006042d31303006046d6261720603312e35"));

    run = Run({QStringLiteral("apply-cfg"), QStringLiteral("--port"), QStringLiteral("SIM2"), file});
    EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
    EXPECT_EQ(Second.State().PvUnit, 8);
    EXPECT_EQ(Second.State().RangeUnit, 8);
    EXPECT_FLOAT_EQ(Second.State().LowerRange, -100.0f);
    EXPECT_FLOAT_EQ(Second.State().UpperRange, 2500.0f);
    EXPECT_FLOAT_EQ(Second.State().Damping, 1.5f);
}

// A write the transmitter cannot take whole leaves it as it was, says why and
// prints no "written" line.
TEST_F(CliTest, ARefusedWriteChangesNothing)
{
    const QString cfg = File("damping50.cfg");
    TConfigFile::Save(cfg, {QStringLiteral("400"), QStringLiteral("0"), QStringLiteral("kPa"), QStringLiteral("50")});
    struct TCase {
        const char* Name;
        QStringList Arguments;
        const char* Err;
    };
    const std::vector<TCase> cases = {
        {"psi with an upper range of 1000, refused before sending",
         {QStringLiteral("write"), QStringLiteral("--unit"), QStringLiteral("psi"), QStringLiteral("--range"),
          QStringLiteral("0:1000"), QStringLiteral("--damping"), QStringLiteral("2")},
         "does not lie within the sensor limits -14.50377 … 580.151 psi. Enter values within the limits. "
         "(E16.frmMain)"},
        {"damping refused after unit and range, which are put back",
         {QStringLiteral("apply-cfg"), cfg},
         "(4.TOOLARGEPARAM)\ncalvista-cli: Writing the damping failed, so nothing was changed"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Sim.SetState({});
        const TRun run = Run(c.Arguments + QStringList {QStringLiteral("--port"), QStringLiteral("SIM")});
        EXPECT_EQ(run.Status, 1);
        EXPECT_TRUE(run.Err.contains(QString::fromUtf8(c.Err))) << run.Err.toStdString();
        EXPECT_FALSE(run.Out.contains(QStringLiteral("written"))) << run.Out.toStdString();
        const TSimDeviceState& now = Sim.State();
        EXPECT_EQ(now.PvUnit, 7);
        EXPECT_EQ(now.RangeUnit, 7);
        EXPECT_FLOAT_EQ(now.UpperRange, 10.0f);
        EXPECT_FLOAT_EQ(now.Damping, 0.4f);
    }
}

TEST_F(CliTest, TrimSetsTheRangeToTheAppliedPressure)
{
    const TRun run = Run({QStringLiteral("trim"), QStringLiteral("--port"), QStringLiteral("SIM"),
                          QStringLiteral("upper"), QStringLiteral("--yes")});
    EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
    EXPECT_NEAR(Sim.State().UpperRange, 2.5, 1e-3);  // the simulated pressure
    EXPECT_EQ(Sim.Requests().back().Command, 15);
    EXPECT_EQ(Sim.Requests()[Sim.Requests().size() - 2].Command, 36);
    EXPECT_TRUE(run.Out.contains(QStringLiteral("Range: 0 ... 2.5 bar"))) << run.Out.toStdString();
}

// Lines on standard output and the log, in each format; Ctrl+C after the
// second sample keeps the two samples taken.
TEST_F(CliTest, MonitorPrintsAndLogsEverySample)
{
    struct TCase {
        const char* Name;
        TLine Line;
        QStringList Extra;
        int InterruptAfter;
        int Samples;
        bool Csv;
        int Status = 0;
        const char* Err = "samples saved";
        int Signal = SIGINT;
        bool DtrStuck = false;  // the port cannot drop DTR once the link is lost
    };
    const QStringList five = {QStringLiteral("--count"), QStringLiteral("5")};
    const std::vector<TCase> cases = {
        {"data log", TLine::Sim, {QStringLiteral("--count"), QStringLiteral("3")}, 0, 3, false},
        {"csv", TLine::Sim, {QStringLiteral("--count"), QStringLiteral("3"), QStringLiteral("--csv")}, 0, 3, true},
        {"ctrl+c", TLine::Sim, {}, 2, 2, false},
        {"link lost at the third sample", TLine::Sim, {}, 0, 2, false, 1, "(141.TRANSMITTERTIMEOUT)"},
        {"pty", TLine::Pty, {QStringLiteral("--count"), QStringLiteral("1")}, 0, 1, false},
        // Stopped before the count: 128 + the signal, after the save.
        {"SIGINT", TLine::Sim, five, 2, 2, false, 130},
        {"SIGTERM", TLine::Sim, five, 2, 2, false, 143, "samples saved", SIGTERM},
        {"SIGHUP", TLine::Sim, five, 2, 2, false, 129, "samples saved", SIGHUP},
        {"SIGTERM without a count", TLine::Sim, {}, 2, 2, false, 0, "samples saved", SIGTERM},
        {"DTR stuck at the close", TLine::Sim, {}, 0, 2, false, 1, "(260.ESCCOMMFUNCTION)", 0, true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        if (c.Status == 1) {  // the third sample gets no answer
            for (int answered = 0; answered < 3; ++answered)  // commands 0, 3, 3
                Sim.QueueFault({});
            TSimFault silent;
            silent.NoAnswer = true;
            Sim.QueueFault(silent);
        }
        const QString log = File(c.Name);
        TSimSerialDevice* device = nullptr;
        SetUpSim = [&](TSimSerialDevice& D) { device = &D; };
        AfterSample = [&](int Samples) {
            if (Samples == c.InterruptAfter)
                std::raise(c.Signal);
            if (Samples == 2 && c.DtrStuck)
                device->SetOpFails(TSimOp::SetDtr, true);
        };
        const TRun run = Run(QStringList {QStringLiteral("monitor"), QStringLiteral("--port"), Port(c.Line),
                                          QStringLiteral("--rate"), QStringLiteral("1"), QStringLiteral("--log"), log}
                             + c.Extra);
        EXPECT_EQ(run.Status, c.Status) << run.Err.toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromLatin1(c.Err))) << run.Err.toStdString();
        EXPECT_EQ(run.Err.split(QLatin1Char('\n')).removeDuplicates(), 0) << run.Err.toStdString();
        const QStringList lines = run.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        ASSERT_EQ(lines.size(), c.Samples) << run.Out.toStdString();
        // At 2.5 bar on a 0 to 10 bar range the loop carries 8 mA.
        EXPECT_EQ(lines.last(), QStringLiteral("%1 s  8.0000 mA  2.5000 bar").arg(c.Samples - 1));

        QFile file(log);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QList<QByteArray> rows = file.readAll().split('\n');
        ASSERT_EQ(rows.size(), c.Samples + (c.Csv ? 2 : 1));
        if (c.Csv) {
            EXPECT_EQ(rows[0], "time,current_mA,pressure_bar\r");
            EXPECT_TRUE(rows[1].endsWith(",8,2.5\r")) << rows[1].toStdString();
        } else {
            // Date and time columns, current, two TABs, pressure, CR LF.
            EXPECT_TRUE(rows[0].endsWith("\t8\t\t2.5\r")) << rows[0].toStdString();
        }
    }
}

// Files are never lost, emptied or waited on for ever; what is wrong with one
// is found before the first exchange where it can be, and said with the file's
// name, its values escaped and shortened.
TEST_F(CliTest, FileFaultsKeepOldFilesAndNameTheFile)
{
    const QString old = File("old.log"), cfg = File("bad.cfg"), fifo = File("fifo.cfg");
    ASSERT_EQ(mkfifo(qPrintable(fifo), 0600), 0);
    const QStringList monitor = {QStringLiteral("monitor"), QStringLiteral("--rate"), QStringLiteral("1"),
                                 QStringLiteral("--count"), QStringLiteral("3"),      QStringLiteral("--log")};
    const QString hostile = QStringLiteral("\x1b[2J") + QString(1 << 20, QLatin1Char('9'));
    struct TCase {
        const char* Name;
        QStringList Arguments;
        QByteArray Cfg;  // the bytes of bad.cfg
        const char* Err;
        bool Silent = false;  // no answer to the first sample
    };
    const std::vector<TCase> cases = {
        {"log is a directory", monitor + QStringList {Dir.path()}, {}, "It is a directory"},
        {"log in a missing folder", monitor + QStringList {File("no/night.log")}, {}, "no/night.log"},
        {"no sample keeps the old log", monitor + QStringList {old}, {}, "no samples taken", true},
        {"cfg FIFO", {"apply-cfg", fifo}, {}, "not a regular file"},
        {"cfg bad damping", {"apply-cfg", cfg}, TConfigFile::Encode({"10", "0", "bar", "fast"}), "bad.cfg: damping"},
        {"cfg damaged", {"apply-cfg", cfg}, "\x06\x09", "bad.cfg: Stream read error"},
        {"cfg hostile value", {"apply-cfg", cfg}, TConfigFile::Encode({hostile, "0", "bar", "1"}), "'\\x1b[2J999"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        WriteAll(cfg, c.Cfg);
        WriteAll(old, "old\r\n");
        if (c.Silent) {
            Sim.QueueFault({});  // command 0
            TSimFault silent;
            silent.NoAnswer = true;
            Sim.QueueFault(silent);
        }
        const uint64_t requests = Sim.RequestCount();
        const TRun run = Run(c.Arguments + QStringList {QStringLiteral("--port"), QStringLiteral("SIM")});
        EXPECT_EQ(run.Status, 1) << run.Err.left(2000).toStdString();
        EXPECT_TRUE(run.Err.contains(QString::fromLatin1(c.Err))) << run.Err.left(2000).toStdString();
        EXPECT_LT(run.Err.size(), 1000);  // one line, no usage block
        EXPECT_EQ(Sim.RequestCount() > requests, c.Arguments.contains(old));
        EXPECT_EQ(FileBytes(old), "old\r\n");
    }
}

TEST_F(CliTest, PortsListsWhatCanBeOpenedAndSim)
{
    const TRun run = Run({QStringLiteral("ports")});
    EXPECT_EQ(run.Status, 0);
    EXPECT_TRUE(run.Out.endsWith(QStringLiteral("SIM\n"))) << run.Out.toStdString();
}

}  // namespace

// loop-test, trim-output and calibrate: the exit status of each way a run
// ends, and the loop current never left fixed where the link still answers.
TEST_F(CliTest, CalibrationCommandsReleaseTheCurrentAndSayTheResult)
{
    struct TCase {
        const char* Name;
        QStringList Arguments;
        QString Input;
        int Signal;  // raised while the current is fixed
        int Status;
        const char* Said;  // in standard output or error
        bool StillFixed = false;
    };
    const QString csv = File("points.csv"), pdf = File("certificate.pdf");
    const std::vector<TCase> cases = {
        {"loop test without --yes", {"loop-test", "--current", "12"}, {}, 0, 2, "put the loop in manual first"},
        {"loop test outside the range", {"loop-test", "--current", "22", "--yes"}, {}, 0, 2, "3.8 to 21 mA"},
        {"loop test held for a time",
         {"loop-test", "--current", "12", "--hold", "2", "--yes"},
         {},
         0,
         0,
         "Loop current released."},
        {"loop test until Enter", {"loop-test", "--current", "20", "--yes"}, "\n", 0, 0, "fixed at 20.000 mA"},
        {"loop test stopped by SIGINT",
         {"loop-test", "--current", "12", "--hold", "60", "--yes"},
         {},
         SIGINT,
         130,
         "Loop current released."},
        {"loop test stopped by SIGTERM",
         {"loop-test", "--current", "12", "--yes"},
         "\n",
         SIGTERM,
         143,
         "Loop current released."},
        {"trim with the readings given",
         {"trim-output", "--zero", "4.01", "--gain", "19.99", "--yes"},
         {},
         0,
         0,
         "Trimmed: zero with 4.010 mA, gain with 19.990 mA."},
        {"trim asked on the terminal",
         {"trim-output", "--yes"},
         "4.002\nabc\n20.004\n4.000\n20.000\n",
         0,
         0,
         "meter reads 4.000 mA at 4 mA and 20.000 mA at 20 mA"},
        {"trim input ends", {"trim-output", "--yes"}, "4.002\n", 0, 1, "cancelled"},
        {"trim refused by the transmitter",
         {"trim-output", "--zero", "2", "--gain", "20", "--yes"},
         {},
         0,
         1,
         "(34.TRIMTOOSMALL)"},
        {"trim stopped by SIGHUP", {"trim-output", "--yes"}, "4\n", SIGHUP, 129, ""},
        {"calibrate passes",
         {"calibrate", "--points", "0,25", "--reference", "2.5,2.5", "--tolerance", "25"},
         {},
         0,
         0,
         "Result: pass"},
        {"calibrate fails",
         {"calibrate", "--points", "25,50", "--csv", csv, "--pdf", pdf},
         "2.5\n5\n",
         0,
         4,
         "Result: FAIL"},
        {"calibrate needs a reference per point",
         {"calibrate", "--points", "0,50", "--reference", "1"},
         {},
         0,
         2,
         "one value per point"},
        {"link lost while fixed",
         {"loop-test", "--current", "12", "--hold", "1", "--yes"},
         {},
         -1,
         1,
         "may still hold it",
         true},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Input = c.Input;
        bool raised = false;
        WhileHeld = [&] {
            if (raised || !c.Signal)
                return;
            raised = true;
            if (c.Signal > 0) {
                std::raise(c.Signal);
                return;
            }
            TSimFault silent;
            silent.NoAnswer = true;
            for (int i = 0; i < 20; ++i)
                Sim.QueueFault(silent);
        };
        QStringList arguments = c.Arguments;
        arguments.insert(1, QStringLiteral("--port=SIM"));
        const TRun run = Run(arguments);
        EXPECT_EQ(run.Status, c.Status) << run.Err.toStdString();
        EXPECT_TRUE((run.Out + run.Err).contains(QString::fromLatin1(c.Said)))
            << run.Out.toStdString() << run.Err.toStdString();
        EXPECT_EQ(Sim.FixedCurrent() != 0, c.StillFixed);
    }
    EXPECT_TRUE(FileBytes(csv).startsWith("point_percent,reference,pv,"));
    EXPECT_TRUE(FileBytes(csv).contains("\n50.00,5.00000,2.50000,-25.0000,8.0000,12.0000,-25.0000,fail\n"));
    EXPECT_TRUE(FileBytes(pdf).startsWith("%PDF-1.4"));
}

// monitor --burst records the frames the transmitter publishes and leaves it
// out of burst mode however the run ends: the count, a stop signal, a
// transmitter that stops sending.
TEST_F(CliTest, MonitorBurstAlwaysEndsBurstMode)
{
    struct TCase {
        const char* Name;
        QStringList Extra;
        int InterruptAfter;
        int Signal;
        int Samples;
        int Status;
    };
    const QStringList five = {QStringLiteral("--count"), QStringLiteral("5")};
    const std::vector<TCase> cases = {
        {"count", five, 0, 0, 5, 0},
        {"SIGINT", {}, 2, SIGINT, 2, 0},
        {"SIGTERM before the count", five, 3, SIGTERM, 3, 143},
        {"SIGHUP before the count", five, 1, SIGHUP, 1, 129},
        {"frames stop", five, 2, 0, 2, 1},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        Sim.SetPacing(TSimPacing::Baud1200());
        Sim.ClearRequests();
        AfterSample = [&](int Samples) {
            if (Samples != c.InterruptAfter)
                return;
            if (c.Signal)
                std::raise(c.Signal);
            else
                Sim.SetBurstMode(false, 0);  // as if the transmitter had been reset
        };
        const TRun run = Run(QStringList {QStringLiteral("monitor"), QStringLiteral("--port"), QStringLiteral("SIM"),
                                          QStringLiteral("--burst")}
                             + c.Extra);
        EXPECT_EQ(run.Status, c.Status) << run.Err.toStdString();
        EXPECT_EQ(run.Out.split(QLatin1Char('\n'), Qt::SkipEmptyParts).size(), c.Samples) << run.Out.toStdString();
        EXPECT_FALSE(Sim.BurstMode());
        ASSERT_FALSE(Sim.Requests().empty());
        EXPECT_EQ(Sim.Requests().back().Command, 109);
        EXPECT_EQ(Sim.Requests().back().Data, std::vector<uint8_t> {0});
    }
}
