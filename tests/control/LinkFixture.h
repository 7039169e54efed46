// A connected receiver on a pseudo-terminal: the process-wide port opened on
// its slave side, a reader object standing for the connection and the
// configuration saying the port is open. The test reads the wire on the
// master side.
#pragma once

#include <memory>

#include "ControlFixture.h"
#include "link/Connection.h"
#include "link/ThreadNMEAFetch.h"
#include "link/UbxRestart.h"
#include "serial/YComPort.h"
#include "tests/serial/PtyPair.h"

class LinkFixture : public ControlFixture {
  protected:
    void SetUp() override {
        ControlFixture::SetUp();
        ASSERT_TRUE(Pty.Ok());
        ComPort = &Port;
        UbxRestarts.Clear();
        Link = std::make_unique<Connection>(*GpsConfig, &Port);
        Link->SetRestartRequests(&UbxRestarts);
    }
    void TearDown() override {
        EXPECT_TRUE(Link->WaitSendersIdle(std::chrono::seconds(10)));
        Disconnect();
        Link.reset();
        ComPort = nullptr;
        UbxRestarts.Clear();
        ControlFixture::TearDown();
    }
    void Connect() {
        ASSERT_TRUE(Port.OpenPort(Pty.Number(), 115200));
        GpsConfig->PortNumber = Pty.Number();
        GpsConfig->SetPortOpen(true);
        FReader = std::make_unique<TNmeaFetch>(true, [] {});
        NmeaFetch = FReader.get();
    }
    void Disconnect() {
        GpsConfig->SetPortOpen(false);
        NmeaFetch = nullptr;
        FReader.reset();
        Port.ClosePort();
    }

    PtyPair Pty;
    YComPort Port;
    // The connection the panels send on; Connect opens its port directly.
    std::unique_ptr<Connection> Link;

  private:
    std::unique_ptr<TNmeaFetch> FReader;
};
