// The serial port's own operations on the simulated line: line set-up, the
// open/close cycle, reads with NUL padding and temporary time-outs, held
// writes. The purge's wait is in every identification's time, its discard in
// the pseudo-terminal test, with a second opener, closing twice and empty writes.
#include <gtest/gtest.h>

#include "SerialRig.h"

namespace nubo::test {
namespace {

TEST(ComPort, OpenAppliesFixedLineSetupAndWriteTimeoutsOnly) {
    SerialRig rig;
    SerialTimeouts before;
    before.readInterval = 7;
    before.readTotalConstant = 33;
    {
        auto device = rig.driver.Open("COM1");
        device->SetTimeouts(before);
    }
    ASSERT_EQ(rig.port->SetPortName("COM1"), 4);
    ASSERT_EQ(rig.port->Open(), 1);
    EXPECT_TRUE(rig.port->IsOpen());
    const LineSettings& s = rig.line->Settings();
    EXPECT_EQ(s.baudRate, 115200u);
    EXPECT_EQ(s.byteSize, 8);
    EXPECT_EQ(s.parity, Parity::None);
    EXPECT_EQ(s.stopBits, StopBits::One);
    EXPECT_TRUE(s.binary);
    EXPECT_TRUE(s.outxCtsFlow);
    EXPECT_FALSE(s.outxDsrFlow);
    EXPECT_EQ(s.dtrControl, DtrControl::Enable);
    EXPECT_EQ(s.rtsControl, RtsControl::Handshake);
    EXPECT_FALSE(s.outX || s.inX);

    EXPECT_TRUE(rig.line->InUse());
    EXPECT_EQ(rig.port->Close(), 1);
    auto device = rig.driver.Open("COM1");
    SerialTimeouts after;
    ASSERT_TRUE(device->GetTimeouts(after));
    EXPECT_EQ(after.writeTotalPerByte, 10u);
    EXPECT_EQ(after.writeTotalConstant, 1000u);
    EXPECT_EQ(after.readInterval, 7u);
    EXPECT_EQ(after.readTotalConstant, 33u);
}

TEST(ComPort, OpenCloseCycle) {
    SerialRig rig;
    EXPECT_EQ(rig.port->SetPortName(""), 0);
    EXPECT_EQ(rig.port->Open(), 0);
    EXPECT_TRUE(rig.trace.Has("Open: <>\nClose: <>\nOpen: Abort Open <>\n"));

    rig.port->SetPortName("COM1");
    ASSERT_EQ(rig.port->Open(), 1);
    ASSERT_EQ(rig.port->Open(), 1);  // closes and opens again
    EXPECT_EQ(rig.line->OpenCount(), 2);
    EXPECT_EQ(rig.port->Close(), 1);
    EXPECT_FALSE(rig.line->InUse());

    // Settings the device rejects: the new handle is closed again.
    rig.line->rejectLineSettings = true;
    EXPECT_EQ(rig.port->Open(), 0);
    EXPECT_FALSE(rig.port->IsOpen());
    EXPECT_FALSE(rig.line->InUse());
    rig.line->rejectLineSettings = false;
    rig.line->rejectTimeouts = true;
    EXPECT_EQ(rig.port->Open(), 0);
    EXPECT_FALSE(rig.line->InUse());
}

TEST(ComPort, ReadsPadWithNulAndRestoreTimeouts) {
    SerialRig rig(Profile({{"reply-delay", "100"}}));
    rig.Connect();
    std::string out;

    // Silent line: a read of one byte gives up after its total time-out.
    std::uint32_t t0 = rig.clock.TickCount();
    EXPECT_EQ(rig.port->ReadWithTimeout(out, 1, 500, 0), 0);
    EXPECT_EQ(rig.Elapsed(t0), 500u);
    EXPECT_EQ(out, std::string(1, '\0'));

    // "AT" + CR gives an echo now and "\r\nOK\r\n" 100 ms later.
    ASSERT_EQ(rig.port->Write("AT\r", 3), 3);
    t0 = rig.clock.TickCount();
    EXPECT_EQ(rig.port->ReadWithTimeout(out, 4, 50, 0), 3);
    EXPECT_EQ(out, std::string("AT\r\0", 4));
    EXPECT_EQ(rig.Elapsed(t0), 50u);
    EXPECT_EQ(rig.port->ReadWithTimeout(out, 6, 500, 0), 6);
    EXPECT_EQ(rig.Elapsed(t0), 100u);
    EXPECT_EQ(out, "\r\nOK\r\n");
    EXPECT_EQ(rig.port->BytesWaiting(), 0);

    // The device's own time-outs are back after each temporary read.
    rig.port->Close();
    auto device = rig.driver.Open("COM1");
    SerialTimeouts t;
    device->GetTimeouts(t);
    EXPECT_EQ(t.readTotalConstant, 0u);
    EXPECT_EQ(t.readInterval, 0u);
}

TEST(ComPort, WritesCountsAndFlowControl) {
    SerialRig rig;
    rig.Connect();
    EXPECT_EQ(rig.port->Write("AT", 99), 2);  // never past the end of the text
    rig.line->ctsLow = true;
    const std::uint32_t t0 = rig.clock.TickCount();
    EXPECT_EQ(rig.port->Write("A", 1), 0);
    EXPECT_EQ(rig.Elapsed(t0), 1010u);
    rig.port->Close();
    EXPECT_EQ(rig.port->Write("A", 1), 0);
    EXPECT_TRUE(rig.trace.Has("Write:Critial Error: 6\n"));
    EXPECT_EQ(rig.port->BytesWaiting(), 0);
}

}  // namespace
}  // namespace nubo::test
