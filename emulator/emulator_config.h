#pragma once

#include "amplifier_model.h"

#include <QByteArray>
#include <QString>

#include <optional>

// The emulator's control file, section [amplifier]. Parsing never fails: a key
// that is missing or malformed keeps its default.
class EmulatorConfig
{
public:
    static constexpr int max_reply_delay_ms = 600000;
    static constexpr int max_other_interfaces = 128;
    static constexpr int max_stray_reports = 64;

    bool attached = true;
    std::uint8_t variant = 2;
    // Missing or malformed: the emulator keeps (or starts with) its own image.
    std::optional<AmplifierModel::Image> image;
    AmplifierModel::CommandSet silent;
    AmplifierModel::CommandSet wrong_echo;
    // Commands whose write fails with an I/O error while the amplifier stays plugged in.
    AmplifierModel::CommandSet io_error;
    // Reports the amplifier sends unasked before each reply.
    int stray_reports = 0;
    // File mode of the amplifier's node (octal), or -1 to leave it as it is.
    int node_mode = -1;
    int reply_delay_ms = 0;
    int other_interfaces = 0;
    QString traffic_log;

    static EmulatorConfig parse(const QByteArray& ini_text);
};
