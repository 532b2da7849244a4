#pragma once
// "Panel seen" records, the same for the window and the command-line tool.
// A connected panel answers its identification every second, and each
// record is a write to the library (a server's, for a team): a panel is
// written down when it is new or changed (model, version), and otherwise
// at most once a minute per serial. Panels of a model the tool does not
// configure are not recorded.

#include <QDateTime>
#include <map>

#include "core/panel/device_identity.h"

class Clock;
class PanelLibrary;

class SeenRecorder {
public:
    SeenRecorder(PanelLibrary& library, const Clock& clock) : library_(library), clock_(clock) {}

    // True when the library wrote the sighting down now.
    bool Record(const Identification& panel);

private:
    struct Sighting {
        Identification panel;
        QDateTime at;
    };
    PanelLibrary& library_;
    const Clock& clock_;
    std::map<quint32, Sighting> written_;  // by serial: the last one asked for
};
