// calvista-cli on a multidrop line: scan, --find-tag, --address, set-address,
// write --long-tag and the master bit, against simulated transmitters.
#include <gtest/gtest.h>

#include "cli/CliTool.h"
#include "sim/SimDeviceList.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>

namespace {

struct TRun {
    int Status = -1;
    QString Out, Err;
};

class CliScanTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        PutDevicesOnLine(Sim, ParseDeviceList("address=0 tag=PT-101\n"
                                              "address=5 rev=6 id=1001 tag=PT-105 long-tag=\"Feed pump 5\"\n"
                                              "address=11 rev=7 id=1002 tag=PT-111\n",
                                              Sim.State()));
    }
    TRun Run(QStringList Arguments)
    {
        TRun run;
        QTextStream out(&run.Out), err(&run.Err);
        TCliEnvironment environment;
        environment.Out = &out;
        environment.Err = &err;
        environment.LanguageFile = QStringLiteral(CALVISTA_SOURCE_LANGUAGE_FILE);
        environment.CreateDevice
            = [this](const QString&) -> std::unique_ptr<TSerialDevice> { return std::make_unique<TCliSimDevice>(Sim); };
        Arguments = QStringList {QStringLiteral("calvista-cli"), Arguments.takeFirst(), QStringLiteral("--lang=en"),
                                 QStringLiteral("--port"), QStringLiteral("SIM")}
                    + Arguments;
        run.Status = RunCli(Arguments, environment);
        out.flush();
        err.flush();
        return run;
    }
    TSimTransmitter& At(size_t K) { return K == 0 ? Sim : *Sim.LineDevices()[K - 1]; }

    TSimTransmitter Sim;
};

TEST_F(CliScanTest, ScanListsEveryTransmitterAsJson)
{
    const TRun run = Run(
        {QStringLiteral("scan"), QStringLiteral("--addresses"), QStringLiteral("0-15"), QStringLiteral("--json")});
    ASSERT_EQ(run.Status, 0) << run.Err.toStdString();
    const QJsonArray list = QJsonDocument::fromJson(run.Out.toUtf8()).array();
    ASSERT_EQ(list.size(), 3);
    const QJsonObject second = list[1].toObject();
    EXPECT_EQ(second.keys(),
              (QStringList {"address", "deviceId", "deviceType", "longTag", "manufacturer", "revision", "tag"}));
    EXPECT_EQ(second["address"].toInt(), 5);
    EXPECT_EQ(second["deviceId"].toInt(), 1001);
    EXPECT_EQ(second["revision"].toInt(), 6);
    EXPECT_EQ(second["tag"].toString(), "PT-105");
    EXPECT_EQ(second["longTag"].toString(), "Feed pump 5");
    EXPECT_EQ(list[2].toObject()["address"].toInt(), 11);
}

TEST_F(CliScanTest, TheTransmitterIsChosenByAddressOrByTag)
{
    struct TCase {
        QStringList Arguments;
        int Status;
        const char* Tag;  // in the JSON, or the key on standard error
        bool LongTag;
    } Cases[] = {
        {{"read", "--json"}, 0, "PT-101", false},
        {{"read", "--json", "--address", "11"}, 0, "PT-111", true},
        {{"read", "--json", "--find-tag", "pt-105"}, 0, "PT-105", true},
        {{"read", "--json", "--find-tag", "PT-999"}, 1, "146.TAGNOTFOUND", false},
        {{"read", "--address", "3"}, 1, "141.TRANSMITTERTIMEOUT", false},
        {{"read", "--address", "64"}, 2, "--address takes a polling address from 0 to 63.", false},
        {{"read", "--address", "5", "--find-tag", "PT-105"}, 2, "Give either --address or --find-tag.", false},
    };
    for (const TCase& C : Cases) {
        SCOPED_TRACE(C.Arguments.join(' ').toStdString());
        const TRun run = Run(C.Arguments);
        EXPECT_EQ(run.Status, C.Status) << run.Err.toStdString();
        if (C.Status != 0) {
            EXPECT_TRUE(run.Err.contains(QLatin1String(C.Tag))) << run.Err.toStdString();
            continue;
        }
        const QJsonObject json = QJsonDocument::fromJson(run.Out.toUtf8()).object();
        EXPECT_EQ(json["tag"].toString(), C.Tag);
        EXPECT_EQ(json.contains("longTag"), C.LongTag) << "longTag only for HART 6 and 7";
    }
}

TEST_F(CliScanTest, SetAddressAsksThenMovesAndLongTagIsWritten)
{
    TRun run
        = Run({QStringLiteral("set-address"), QStringLiteral("7"), QStringLiteral("--address"), QStringLiteral("5")});
    EXPECT_EQ(run.Status, 2);
    EXPECT_TRUE(run.Err.contains(QLatin1String("4 mA"))) << run.Err.toStdString();
    EXPECT_EQ(At(1).State().PollingAddress, 5) << "nothing sent without --yes";

    run = Run({QStringLiteral("set-address"), QStringLiteral("7"), QStringLiteral("--address"), QStringLiteral("5"),
               QStringLiteral("--yes")});
    EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
    EXPECT_EQ(At(1).State().PollingAddress, 7);
    EXPECT_FALSE(At(1).State().LoopCurrentEnabled);

    run = Run({QStringLiteral("write"), QStringLiteral("--find-tag"), QStringLiteral("PT-111"),
               QStringLiteral("--long-tag"), QStringLiteral("Kühlwasser Pumpe 11")});
    EXPECT_EQ(run.Status, 0) << run.Err.toStdString();
    EXPECT_EQ(At(2).State().LongTag, "K\xFChlwasser Pumpe 11");  // Latin-1 in the transmitter
    run = Run({QStringLiteral("write"), QStringLiteral("--long-tag"), QStringLiteral("HART 5 has none")});
    EXPECT_EQ(run.Status, 1);
}

TEST_F(CliScanTest, ThePrimaryMasterBitIsSetUnlessSecondary)
{
    for (const bool secondary : {false, true}) {
        QStringList arguments = {QStringLiteral("read"), QStringLiteral("--frames")};
        if (secondary)
            arguments << QStringLiteral("--secondary");
        const TRun run = Run(arguments);
        EXPECT_TRUE(run.Err.contains(secondary ? QLatin1String("> FF FF FF FF FF FF 02 00 00 00 02\n")
                                               : QLatin1String("> FF FF FF FF FF FF 02 80 00 00 82\n")));
    }
}

}  // namespace
