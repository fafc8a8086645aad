#include "emulator_config.h"

#include <QList>

#include <algorithm>
#include <cctype>

namespace {

std::optional<int> parse_int(const QByteArray& text, int min, int max)
{
    bool ok = false;
    const QByteArray lower = text.toLower();
    // Only decimal and 0x-hex: a leading zero must not turn a value into octal.
    const long long value =
        lower.startsWith("0x") ? lower.mid(2).toLongLong(&ok, 16) : lower.toLongLong(&ok, 10);
    if (!ok || value < min || value > max)
        return std::nullopt;
    return static_cast<int>(value);
}

std::optional<int> parse_octal(const QByteArray& text)
{
    bool ok = false;
    const int value = text.toInt(&ok, 8);
    if (!ok || value < 0 || value > 07777)
        return std::nullopt;
    return value;
}

std::optional<bool> parse_bool(const QByteArray& text)
{
    const QByteArray lower = text.toLower();
    if (lower == "true" || lower == "1" || lower == "yes" || lower == "on")
        return true;
    if (lower == "false" || lower == "0" || lower == "no" || lower == "off")
        return false;
    return std::nullopt;
}

std::optional<AmplifierModel::Image> parse_image(const QByteArray& text)
{
    QByteArray digits;
    for (const char c : text) {
        if (c == ' ' || c == '\t')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        digits.append(c);
    }
    if (digits.size() != static_cast<qsizetype>(2 * AmplifierModel::image_size))
        return std::nullopt;
    const QByteArray bytes = QByteArray::fromHex(digits);
    AmplifierModel::Image image{};
    std::copy(bytes.begin(), bytes.end(), image.begin());
    return image;
}

// Entries that are not command codes are skipped; the valid ones still count.
AmplifierModel::CommandSet parse_commands(const QByteArray& text)
{
    AmplifierModel::CommandSet commands;
    const QList<QByteArray> items = text.split(',');
    for (const QByteArray& item : items) {
        if (const auto code = parse_int(item.trimmed(), 0, 255))
            commands.set(static_cast<std::size_t>(*code));
    }
    return commands;
}

QByteArray unquoted(const QByteArray& value)
{
    if (value.size() >= 2 && value.startsWith('"') && value.endsWith('"'))
        return value.mid(1, value.size() - 2);
    return value;
}

} // namespace

EmulatorConfig EmulatorConfig::parse(const QByteArray& ini_text)
{
    EmulatorConfig config;
    bool in_amplifier = false;
    const QList<QByteArray> lines = ini_text.split('\n');
    for (const QByteArray& raw_line : lines) {
        const QByteArray line = raw_line.trimmed();
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            in_amplifier =
                line.endsWith(']') && line.mid(1, line.size() - 2).trimmed() == "amplifier";
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (!in_amplifier || equals < 0)
            continue;
        const QByteArray key = line.left(equals).trimmed();
        QByteArray value = line.mid(equals + 1);
        // A comment may follow a value, as in the README's example.
        const qsizetype comment = value.indexOf(" ;");
        if (comment >= 0)
            value.truncate(comment);
        value = unquoted(value.trimmed());

        if (key == "attached") {
            config.attached = parse_bool(value).value_or(true);
        } else if (key == "variant") {
            config.variant = static_cast<std::uint8_t>(parse_int(value, 0, 255).value_or(2));
        } else if (key == "image") {
            config.image = parse_image(value);
        } else if (key == "silent") {
            config.silent = parse_commands(value);
        } else if (key == "wrong_echo") {
            config.wrong_echo = parse_commands(value);
        } else if (key == "io_error") {
            config.io_error = parse_commands(value);
        } else if (key == "stray_reports") {
            config.stray_reports = parse_int(value, 0, max_stray_reports).value_or(0);
        } else if (key == "node_mode") {
            config.node_mode = parse_octal(value).value_or(-1);
        } else if (key == "reply_delay_ms") {
            config.reply_delay_ms = parse_int(value, 0, max_reply_delay_ms).value_or(0);
        } else if (key == "other_interfaces") {
            config.other_interfaces = parse_int(value, 0, max_other_interfaces).value_or(0);
        } else if (key == "traffic_log") {
            config.traffic_log = QString::fromUtf8(value);
        }
    }
    return config;
}
