#pragma once
// A session bus of the test's own, up before the program connects to one: the desktop's own
// services (notifications, the settings portal) are never touched, and none is started by
// activation. It ends with the test.

#include <QByteArray>
#include <csignal>
#include <cstdio>
#include <cstdlib>

struct PrivateSessionBus {
    int pid = 0;
    PrivateSessionBus()
    {
        FILE *bus = popen("conf=$(mktemp) && echo '<busconfig><type>session</type><listen>unix:tmpdir=/tmp</listen>"
                          "<policy context=\"default\"><allow send_destination=\"*\" eavesdrop=\"true\"/>"
                          "<allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>' >$conf && "
                          "dbus-daemon --fork --print-address=1 --print-pid=1 --config-file=$conf; rm -f $conf",
                          "r");
        char line[512] = {};
        if (bus && std::fgets(line, sizeof line, bus))
            qputenv("DBUS_SESSION_BUS_ADDRESS", QByteArray(line).trimmed());
        if (bus && std::fgets(line, sizeof line, bus))
            pid = std::atoi(line);
        if (bus)
            pclose(bus);
    }
    ~PrivateSessionBus()
    {
        if (pid > 0)
            kill(pid, SIGTERM);
    }
    PrivateSessionBus(const PrivateSessionBus &) = delete;
    PrivateSessionBus &operator=(const PrivateSessionBus &) = delete;
};
