// A connected receiver on a pseudo-terminal: the monitor's port opened on its
// slave side and the configuration saying the port is open. The test reads
// the wire on the master side.
#pragma once

#include <memory>

#include "ControlFixture.h"
#include "link/Connection.h"
#include "serial/YComPort.h"
#include "tests/serial/PtyPair.h"

class LinkFixture : public ControlFixture {
  protected:
    void SetUp() override {
        ControlFixture::SetUp();
        ASSERT_TRUE(Pty.Ok());
    }
    void TearDown() override {
        EXPECT_TRUE(Link->WaitSendersIdle(std::chrono::seconds(10)));
        Disconnect();
        ControlFixture::TearDown();
    }
    void Connect() {
        ASSERT_TRUE(Port.OpenPort(Pty.Port(), 115200));
        GpsConfig->SetPort(Pty.Port());
        GpsConfig->SetPortOpen(true);
    }
    void Disconnect() {
        GpsConfig->SetPortOpen(false);
        Port.ClosePort();
    }

    PtyPair Pty;
    YComPort& Port = *ComPort;
    // The connection the panels send on; Connect opens its port directly.
    Connection* const Link = &Parts->Link;
};
