// The port operations of the link on the simulated line: opening with its
// settings and failures, closing, the RTS and DTR levels, property writes on an
// open port, and the byte-level read and write with their error keys.

#include "tests/hart/LinkTestSupport.h"

namespace {

TEST(LinkPort, OpenAppliesThePortSettings)
{
    TSimLink L;
    L.Com->SetTimeOut(700);
    ASSERT_TRUE(L.Com->OpenPort("COM3"));
    const TSimSerialDevice& D = *L.Line;
    EXPECT_TRUE(L.Com->PortOpen());
    EXPECT_EQ(L.Com->CommDevice(), TSimSerialDevice::SimHandle);
    EXPECT_EQ(D.OpenedName(), "COM3");
    EXPECT_EQ(D.EventMask(), 0u);
    EXPECT_EQ(D.Timeouts().ReadIntervalMs, 0u);
    EXPECT_EQ(D.Timeouts().ReadPerByteMs, 10u);
    EXPECT_EQ(D.Timeouts().ReadConstantMs, 700u);
    EXPECT_EQ(D.Timeouts().WritePerByteMs, 10u);
    EXPECT_EQ(D.Timeouts().WriteConstantMs, 1000u);
    EXPECT_EQ(D.InputQueueSize(), 256u);
    EXPECT_EQ(D.OutputQueueSize(), 256u);
    EXPECT_EQ(D.LineSettings().BaudRate, 1200u);
    EXPECT_EQ(D.LineSettings().Parity, SerialParityOdd);
    EXPECT_EQ(D.LineSettings().StopBits, SerialStopBits1);
    EXPECT_EQ(D.LineSettings().DataBits, 8);
    EXPECT_TRUE(D.LineSettings().Binary);
    EXPECT_TRUE(D.LineSettings().ParityCheck);
    EXPECT_FALSE(D.LineSettings().RtsToggle);
    EXPECT_EQ(D.EventTrace(true), "OPEN LINE RTS- DTR+");

    // A changed TimeOut waits for the next open.
    L.Com->SetTimeOut(100);
    EXPECT_EQ(D.Timeouts().ReadConstantMs, 700u);
    EXPECT_TRUE(L.Com->OpenPort("COM3"));  // already open: nothing happens
    EXPECT_EQ(D.OpenCount(), 1);
    EXPECT_EQ(D.Timeouts().ReadConstantMs, 700u);
    ASSERT_TRUE(L.Com->ClosePort());
    ASSERT_TRUE(L.Com->OpenPort("COM3"));
    EXPECT_EQ(D.Timeouts().ReadConstantMs, 100u);
}

TEST(LinkPort, OpenFailures)
{
    struct TCase {
        const char* Name;
        TSerialOpenResult Result;
        bool HasOp;
        TSimOp Op;
        const char* Key;
    } Cases[] = {
        {"not found", TSerialOpenResult::NotFound, false, TSimOp::Purge, "134.INVALIDPORT"},
        {"in use", TSerialOpenResult::AccessDenied, false, TSimOp::Purge, "133.PORTALREADYUSED"},
        {"other", TSerialOpenResult::OtherError, false, TSimOp::Purge, "300.FILECREATE"},
        {"event mask", TSerialOpenResult::Ok, true, TSimOp::SetEventMask, "257.SETCOMMMASK"},
        {"time-outs", TSerialOpenResult::Ok, true, TSimOp::SetTimeouts, "258.SETCOMMTIMEOUT"},
        {"queue sizes", TSerialOpenResult::Ok, true, TSimOp::SetQueueSizes, "256.SETUPCOMM"},
        {"reading line settings", TSerialOpenResult::Ok, true, TSimOp::GetLineSettings, "259.SETCOMMSTATE"},
        {"line settings", TSerialOpenResult::Ok, true, TSimOp::SetLineSettings, "259.SETCOMMSTATE"},
        {"RTS", TSerialOpenResult::Ok, true, TSimOp::SetRts, "260.ESCCOMMFUNCTION"},
        {"DTR", TSerialOpenResult::Ok, true, TSimOp::SetDtr, "260.ESCCOMMFUNCTION"},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L;
        L.Line->SetOpenResult(C.Result);
        if (C.HasOp)
            L.Line->SetOpFails(C.Op, true);
        EXPECT_EQ(KeyOfCall([&] { L.Com->OpenPort("COM1"); }), C.Key);
        EXPECT_FALSE(L.Com->PortOpen());
        EXPECT_FALSE(L.Line->IsOpen());  // the handle is released
        EXPECT_EQ(L.Com->CommDevice(), THartCom::InvalidHandle);
        // Once the fault is gone the port opens normally.
        L.Line->SetOpenResult(TSerialOpenResult::Ok);
        if (C.HasOp)
            L.Line->SetOpFails(C.Op, false);
        EXPECT_TRUE(L.Com->OpenPort("COM1"));
    }
}

TEST(LinkPort, ClosePort)
{
    TSimLink L;
    EXPECT_FALSE(L.Com->ClosePort());  // nothing open: no error
    L.Open();
    L.Line->ClearEvents();
    EXPECT_TRUE(L.Com->ClosePort());
    EXPECT_EQ(L.Line->EventTrace(true), "DTR- CLOSE");
    EXPECT_EQ(L.Com->CommDevice(), THartCom::InvalidHandle);
    EXPECT_FALSE(L.Com->ClosePort());

    // Lowering DTR refused: the port stays open.
    L.Open();
    L.Line->SetOpFails(TSimOp::SetDtr, true);
    EXPECT_EQ(KeyOfCall([&] { L.Com->ClosePort(); }), "260.ESCCOMMFUNCTION");
    EXPECT_TRUE(L.Com->PortOpen());
    EXPECT_TRUE(L.Line->IsOpen());
}

TEST(LinkPort, CloseWithDriverToggleLeavesDtr)
{
    TSimLink L(SerialPlatformWinNT);
    L.Com->SetUseRTS(true);
    L.Open();
    L.Line->ClearEvents();
    EXPECT_TRUE(L.Com->ClosePort());
    EXPECT_EQ(L.Line->EventTrace(true), "CLOSE");
}

TEST(LinkPort, LongAddressSurvivesClosing)
{
    TSimLink L;
    L.OpenAddressed();
    L.Com->ClosePort();
    L.Open();
    EXPECT_TRUE(L.Com->LongAddressValid());
    EXPECT_EQ(TBytes(L.Com->LongAddress().begin(), L.Com->LongAddress().end()), TestAddress);
}

TEST(LinkPort, IdleLineLevels)
{
    struct TCase {
        const char* Name;
        bool UseRTS;
        TPhysLayer Layer;
        uint32_t Platform;
        bool Rts;
        bool Toggle;
    } Cases[] = {
        {"Bell 202", false, BELL202, 0, true, false},
        {"RS-232", false, RS232C, 0, false, false},
        {"UseRTS, driver toggle", true, BELL202, SerialPlatformWinNT, false, true},
        {"UseRTS, manual", true, BELL202, 0, false, false},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L(C.Platform);
        L.Com->SetUseRTS(C.UseRTS);
        L.Com->SetPhysLayer(C.Layer);
        EXPECT_EQ(L.Line->EventTrace(true), "");  // closed: only stored
        L.Open();
        EXPECT_EQ(L.Line->Rts(), C.Rts);
        EXPECT_TRUE(L.Line->Dtr());
        EXPECT_EQ(L.Line->LineSettings().RtsToggle, C.Toggle);
        EXPECT_EQ(L.Com->PlatformId(), C.Platform);
    }
}

TEST(LinkPort, PropertyWritesOnAnOpenPort)
{
    struct TCase {
        const char* Name;
        uint32_t Platform;
        void (*Write)(THartCom&);
        const char* Trace;
    } Cases[] = {
        {"baud rate unchanged", 0, [](THartCom& C) { C.SetBaudrate(br1200); }, ""},
        {"baud rate", 0, [](THartCom& C) { C.SetBaudrate(br9600); }, "LINE RTS- DTR+"},
        {"parity", 0, [](THartCom& C) { C.SetParity(paEven); }, "LINE RTS- DTR+"},
        {"parity unchanged", 0, [](THartCom& C) { C.SetParity(paOdd); }, ""},
        {"stop bits", 0, [](THartCom& C) { C.SetStopBits(sb20); }, "LINE RTS- DTR+"},
        {"data bits", 0, [](THartCom& C) { C.SetDataBits(da7); }, "LINE RTS- DTR+"},
        {"UseRTS on, manual", 0, [](THartCom& C) { C.SetUseRTS(true); }, "LINE RTS- DTR+"},
        {"UseRTS on, driver toggle", SerialPlatformWinNT, [](THartCom& C) { C.SetUseRTS(true); }, "LINE LINE DTR+"},
        {"UseRTS unchanged", 0, [](THartCom& C) { C.SetUseRTS(false); }, ""},
        {"PhysLayer unchanged switches again", 0, [](THartCom& C) { C.SetPhysLayer(RS232C); }, "RTS-"},
        {"PhysLayer to Bell 202", 0, [](THartCom& C) { C.SetPhysLayer(BELL202); }, "RTS+"},
        {"time-out", 0, [](THartCom& C) { C.SetTimeOut(900); }, ""},
        {"transaction settings", 0,
         [](THartCom& C) {
             C.SetRTSDelay(5);
             C.SetNumPreamble(10);
             C.SetPreamble(0xFE);
             C.SetCheckCRC(false);
             C.SetCheckLongAddress(false);
             C.SetCheckCommError(false);
             C.SetCommPort(Com4);
         },
         ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L(C.Platform);
        L.Open();
        L.Line->ClearEvents();
        C.Write(*L.Com);
        EXPECT_EQ(L.Line->EventTrace(true), C.Trace);
    }
}

TEST(LinkPort, PhysLayerSwitchesRtsBackAndForth)
{
    TSimLink L;
    L.Open();
    L.Com->SetPhysLayer(BELL202);
    EXPECT_TRUE(L.Line->Rts());
    L.Com->SetPhysLayer(RS232C);
    EXPECT_FALSE(L.Line->Rts());
}

TEST(LinkPort, LineSettingsReachThePort)
{
    TSimLink L;
    L.Open();
    L.Com->SetBaudrate(br19200);
    L.Com->SetParity(paSpace);
    L.Com->SetStopBits(sb15);
    L.Com->SetDataBits(da5);
    EXPECT_EQ(L.Line->LineSettings().BaudRate, 19200u);
    EXPECT_EQ(L.Line->LineSettings().Parity, SerialParitySpace);
    EXPECT_EQ(L.Line->LineSettings().StopBits, SerialStopBits15);
    EXPECT_EQ(L.Line->LineSettings().DataBits, 5);
}

TEST(LinkPort, RtsAroundEachTransmission)
{
    struct TCase {
        const char* Name;
        bool UseRTS;
        TPhysLayer Layer;
        uint32_t Platform;
        uint32_t RtsDelay;
        const char* Trace;
        bool RtsAfter;
    } Cases[] = {
        {"manual RTS", true, RS232C, 0, 20, "RTS+ PURGE W11 RTS-", false},
        {"manual RTS, longer hold", true, BELL202, 0, 75, "RTS+ PURGE W11 RTS-", false},
        {"driver toggle", true, BELL202, SerialPlatformWinNT, 20, "PURGE W11", false},
        {"UseRTS off, Bell 202", false, BELL202, 0, 20, "PURGE W11", true},
        {"UseRTS off, RS-232", false, RS232C, 0, 20, "PURGE W11", false},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(C.Name);
        TSimLink L(C.Platform);
        L.Line->SetCharTimeUs(TSimSerialDevice::CharTimeUs1200);
        L.Com->SetUseRTS(C.UseRTS);
        L.Com->SetPhysLayer(C.Layer);
        L.Com->SetRTSDelay(C.RtsDelay);
        L.Open();
        L.Line->ClearEvents();
        L.Peer.AddReply(TSimReply(ShortReply(0, {0, 0})));
        THartDeviceResponse R;
        ASSERT_EQ(KeyOf(*L.Com, 0, {}, R), "");
        EXPECT_EQ(L.Line->EventTrace(), C.Trace);
        EXPECT_EQ(L.Line->Rts(), C.RtsAfter);
        const auto& E = L.Line->Events();
        if (C.UseRTS && C.Platform != SerialPlatformWinNT) {
            // RTS rises before the purge and falls RtsDelay after the write has ended,
            // which is 11 characters after it began.
            ASSERT_EQ(E.size(), 4u);
            EXPECT_EQ(E[2].Us - E[0].Us, 11 * TSimSerialDevice::CharTimeUs1200);
            EXPECT_EQ(E[3].Us - E[2].Us, int64_t(C.RtsDelay) * 1000);
        }
    }
}

TEST(LinkPort, RtsRefused)
{
    TSimLink L;
    L.Com->SetUseRTS(true);
    L.OpenAddressed();
    L.Line->SetOpFails(TSimOp::SetRts, true);
    THartDeviceResponse R;
    EXPECT_EQ(KeyOf(*L.Com, 3, {}, R), "260.ESCCOMMFUNCTION");
    EXPECT_TRUE(L.Line->Written().empty());
    EXPECT_EQ(KeyOfCall([&] { L.Com->SetRTS(); }), "260.ESCCOMMFUNCTION");
    EXPECT_EQ(KeyOfCall([&] { L.Com->ClearRTS(); }), "260.ESCCOMMFUNCTION");
}

TEST(LinkPort, ReadPortLineErrors)
{
    struct TCase {
        uint32_t Flags;
        bool CheckCommError;
        const char* Key;
    } Cases[] = {
        {SerialErrRxOver, true, "1.RXOVER"},
        {SerialErrOverrun, true, "2.OVERRUN"},
        {SerialErrParity, true, "3.RXPARITY"},
        {SerialErrFrame, true, "4.FRAME"},
        {SerialErrBreak, true, "5.BREAK"},
        {SerialErrOverrun | SerialErrParity, true, "135.COMMERROR"},
        {SerialErrFrame | SerialErrBreak, true, "135.COMMERROR"},
        {SerialErrRxOver | SerialErrOverrun | SerialErrParity | SerialErrFrame | SerialErrBreak, true, "135.COMMERROR"},
        {0x0100, true, "135.COMMERROR"},  // another flag of the driver
        {SerialErrFrame, false, ""},
        {SerialErrOverrun | SerialErrParity, false, ""},
        {0, true, ""},
    };
    for (const auto& C : Cases) {
        SCOPED_TRACE(testing::Message() << "flags " << C.Flags << " check " << C.CheckCommError);
        TSimLink L;
        L.Open();
        L.Com->SetCheckCommError(C.CheckCommError);
        L.Line->Deliver(0x5A, 0, C.Flags);
        L.Line->Deliver(0x5B, 0);
        L.Line->ClearEvents();
        uint8_t Byte = 0;
        EXPECT_EQ(KeyOfCall([&] { L.Com->ReadPort(&Byte, 1); }), C.Key);
        EXPECT_EQ(Byte, 0x5A);
        if (*C.Key != 0) {
            EXPECT_EQ(L.Line->EventTrace(), "PURGE");  // the next read starts on fresh input
            EXPECT_EQ(L.Line->PendingInput(), 0u);
        } else {
            EXPECT_EQ(L.Line->PendingInput(), 1u);
        }
    }
}

TEST(LinkPort, ReadPortShortAndFailedReads)
{
    TSimLink L;
    L.Open();
    uint8_t Buffer[4] = {};
    const int64_t Start = L.Line->NowUs();
    EXPECT_EQ(KeyOfCall([&] { L.Com->ReadPort(Buffer, 1); }), "141.TRANSMITTERTIMEOUT");
    EXPECT_EQ(L.Line->NowUs() - Start, 510'000);  // TimeOut + 10 ms for one byte

    L.Line->Deliver(1, L.Line->NowUs());
    L.Line->Deliver(2, L.Line->NowUs());
    L.Line->AddReadFault(TSimReadFault::Fail);
    EXPECT_EQ(KeyOfCall([&] { L.Com->ReadPort(Buffer, 3); }), "301.FILEREAD");
    // The failed port is released, so the next OpenPort opens it afresh.
    EXPECT_FALSE(L.Com->PortOpen());
    EXPECT_FALSE(L.Line->IsOpen());
    L.Open();

    // Failing without data is a port that is gone, not a silent transmitter.
    L.Line->AddReadFault(TSimReadFault::Fail);
    EXPECT_EQ(KeyOfCall([&] { L.Com->ReadPort(Buffer, 1); }), "301.FILEREAD");
    EXPECT_FALSE(L.Com->PortOpen());
    L.Open();

    for (uint8_t B : {7, 8, 9})
        L.Line->Deliver(B, L.Line->NowUs());
    EXPECT_EQ(L.Com->ReadPort(Buffer, 3), 3);
    EXPECT_EQ(TBytes(Buffer, Buffer + 3), (TBytes {7, 8, 9}));
}

TEST(LinkPort, WritePort)
{
    TSimLink L;
    L.Open();
    const uint8_t Data[] = {1, 2, 3, 4, 5};
    EXPECT_EQ(L.Com->WritePort(Data, 5), 5);
    L.Line->FailNextWrite(0);
    EXPECT_EQ(L.Com->WritePort(Data, 5), 0);
    L.Line->FailNextWrite(2);
    EXPECT_EQ(KeyOfCall([&] { L.Com->WritePort(Data, 5); }), "302.FILEWRITE");
    EXPECT_EQ(L.Line->Written(), (TBytes {1, 2, 3, 4, 5, 1, 2}));
}

}  // namespace
