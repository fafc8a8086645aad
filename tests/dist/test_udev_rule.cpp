// The amplifier's udev rule: well-formed for udev, matching the amplifier's hidraw node and
// nothing else, and granting access through the seat rather than to everyone.
//
// Matching follows udev: SUBSYSTEM, KERNEL and ATTR look at the event's device; SUBSYSTEMS,
// KERNELS, DRIVERS and ATTRS at the device or one of its parents, all of them at the same one.

#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QTest>

namespace {

struct Token
{
    QString key;
    QString attribute;
    QString op;
    QString value;
};

using Rule = QList<Token>;

struct SysDevice
{
    QString kernel;
    QString subsystem;
    QString driver;
    QMap<QString, QString> attributes;
};

// From the event's device up to the root.
using DeviceChain = QList<SysDevice>;

QString sysfs_id(quint16 id)
{
    return QStringLiteral("%1").arg(id, 4, 16, QLatin1Char('0'));
}

// A hidraw node as the kernel lays it out: hidraw -> hid -> USB interface -> USB device.
DeviceChain hid_chain(quint16 vendor, quint16 product)
{
    const QString hid_name = QStringLiteral("0003:%1:%2.0001")
                                 .arg(sysfs_id(vendor).toUpper(), sysfs_id(product).toUpper());
    return {
        {QStringLiteral("hidraw0"), QStringLiteral("hidraw"), QString(), {}},
        {hid_name, QStringLiteral("hid"), QStringLiteral("hid-generic"), {}},
        {QStringLiteral("1-1:1.0"),
         QStringLiteral("usb"),
         QStringLiteral("usbhid"),
         {{QStringLiteral("bInterfaceNumber"), QStringLiteral("00")}}},
        {QStringLiteral("1-1"),
         QStringLiteral("usb"),
         QStringLiteral("usb"),
         {{QStringLiteral("idVendor"), sysfs_id(vendor)},
          {QStringLiteral("idProduct"), sysfs_id(product)}}},
    };
}

QStringList rule_lines()
{
    QFile file(QStringLiteral(UDEV_RULE_FILE));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    const QStringList all = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    for (const QString& line : all) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('#')))
            lines.append(trimmed);
    }
    return lines;
}

// One rule line as udev reads it: comma-separated KEY[{attribute}] OPERATOR "value".
// An empty result means the line does not parse.
Rule parse(const QString& line)
{
    static const QRegularExpression token(QStringLiteral(
        "\\s*([A-Z]+)(?:\\{([^}]+)\\})?\\s*(==|!=|\\+=|-=|:=|=)\\s*\"([^\"]*)\"\\s*(,|$)"));
    Rule rule;
    qsizetype at = 0;
    while (at < line.size()) {
        const QRegularExpressionMatch m =
            token.match(line, at, QRegularExpression::NormalMatch,
                        QRegularExpression::AnchorAtOffsetMatchOption);
        if (!m.hasMatch())
            return {};
        rule.append({m.captured(1), m.captured(2), m.captured(3), m.captured(4)});
        at = m.capturedEnd();
        if (m.captured(5).isEmpty() && at < line.size())
            return {};
    }
    return rule;
}

bool is_match_operator(const QString& op)
{
    return op == QLatin1String("==") || op == QLatin1String("!=");
}

QStringList words(const char* text)
{
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

// Which operators udev allows for each key, and whether it takes an {attribute}.
bool key_accepts(const Token& t)
{
    static const QStringList match_only = words("ACTION DEVPATH KERNEL KERNELS SUBSYSTEM "
                                                "SUBSYSTEMS DRIVER DRIVERS ATTRS TAGS TEST "
                                                "PROGRAM RESULT CONST");
    static const QStringList assign_only =
        words("OWNER GROUP MODE RUN LABEL GOTO IMPORT OPTIONS SECLABEL");
    static const QStringList either = words("NAME SYMLINK TAG ENV ATTR SYSCTL");
    static const QStringList attribute_required =
        words("ATTR ATTRS ENV SYSCTL IMPORT CONST SECLABEL");
    static const QStringList attribute_optional = words("RUN TEST");
    if (t.attribute.isEmpty()
            ? attribute_required.contains(t.key)
            : !attribute_required.contains(t.key) && !attribute_optional.contains(t.key))
        return false;
    if (match_only.contains(t.key))
        return is_match_operator(t.op);
    if (assign_only.contains(t.key))
        return !is_match_operator(t.op);
    return either.contains(t.key);
}

// udev's patterns: shell globs, with '|' between alternatives.
bool glob_matches(const QString& pattern, const QString& value)
{
    const QStringList alternatives = pattern.split(QLatin1Char('|'));
    for (const QString& alternative : alternatives) {
        const QRegularExpression glob(QRegularExpression::wildcardToRegularExpression(alternative));
        if (glob.match(value).hasMatch())
            return true;
    }
    return false;
}

bool compare(const Token& t, const QString& actual, bool present = true)
{
    const bool equal = present && glob_matches(t.value, actual);
    return t.op == QLatin1String("==") ? equal : !equal;
}

// Whether every match key of the rule holds for the device chain.
bool rule_matches(const Rule& rule, const DeviceChain& chain)
{
    const SysDevice& self = chain.first();
    Rule parent_keys;
    for (const Token& t : rule) {
        if (!is_match_operator(t.op))
            continue;
        if (t.key == QLatin1String("SUBSYSTEM")) {
            if (!compare(t, self.subsystem))
                return false;
        } else if (t.key == QLatin1String("KERNEL")) {
            if (!compare(t, self.kernel))
                return false;
        } else if (t.key == QLatin1String("ATTR")) {
            if (!compare(t, self.attributes.value(t.attribute),
                         self.attributes.contains(t.attribute)))
                return false;
        } else if (t.key == QLatin1String("SUBSYSTEMS") || t.key == QLatin1String("KERNELS") ||
                   t.key == QLatin1String("DRIVERS") || t.key == QLatin1String("ATTRS")) {
            parent_keys.append(t);
        } else {
            return false; // a key this check does not model cannot be shown to match
        }
    }
    if (parent_keys.isEmpty())
        return true;
    for (const SysDevice& device : chain) {
        bool all = true;
        for (const Token& t : parent_keys) {
            if (t.key == QLatin1String("SUBSYSTEMS"))
                all = all && compare(t, device.subsystem);
            else if (t.key == QLatin1String("KERNELS"))
                all = all && compare(t, device.kernel);
            else if (t.key == QLatin1String("DRIVERS"))
                all = all && compare(t, device.driver);
            else
                all = all && compare(t, device.attributes.value(t.attribute),
                                     device.attributes.contains(t.attribute));
        }
        if (all)
            return true;
    }
    return false;
}

// The tags the rules give the device chain's first device.
QStringList tags_for(const DeviceChain& chain)
{
    QStringList tags;
    const QStringList lines = rule_lines();
    for (const QString& line : lines) {
        const Rule rule = parse(line);
        if (!rule_matches(rule, chain))
            continue;
        for (const Token& t : rule) {
            if (t.key == QLatin1String("TAG") && t.op == QLatin1String("+="))
                tags.append(t.value);
        }
    }
    return tags;
}

} // namespace

class TestUdevRule : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void every_line_is_well_formed()
    {
        const QStringList lines = rule_lines();
        QVERIFY2(!lines.isEmpty(), UDEV_RULE_FILE);
        for (const QString& line : lines) {
            const Rule rule = parse(line);
            QVERIFY2(!rule.isEmpty(), qUtf8Printable(line));
            for (const Token& t : rule)
                QVERIFY2(key_accepts(t), qUtf8Printable(t.key + t.op + t.value));
        }
    }

    void tags_exactly_the_amplifier_hidraw_node_data()
    {
        QTest::addColumn<int>("vendor");
        QTest::addColumn<int>("product");
        // How many levels above the hidraw node the event's device sits.
        QTest::addColumn<int>("level");
        QTest::addColumn<bool>("granted");
        QTest::newRow("amplifier hidraw node") << 0x8D88 << 0x0066 << 0 << true;
        QTest::newRow("other product of the maker") << 0x8D88 << 0x0067 << 0 << false;
        QTest::newRow("same product id, other maker") << 0x8C88 << 0x0066 << 0 << false;
        QTest::newRow("keyboard") << 0x046d << 0xc31c << 0 << false;
        // Only the hidraw node is opened; the HID and USB devices stay root's.
        QTest::newRow("amplifier HID device") << 0x8D88 << 0x0066 << 1 << false;
        QTest::newRow("amplifier USB device") << 0x8D88 << 0x0066 << 3 << false;
    }

    void tags_exactly_the_amplifier_hidraw_node()
    {
        QFETCH(int, vendor);
        QFETCH(int, product);
        QFETCH(int, level);
        QFETCH(bool, granted);
        const DeviceChain chain = hid_chain(quint16(vendor), quint16(product)).mid(level);
        QCOMPARE(tags_for(chain).contains(QStringLiteral("uaccess")), granted);
    }

    // Access comes from the seat alone: no owner or group of its own, nothing for others.
    void grants_through_the_seat_only()
    {
        const QStringList lines = rule_lines();
        for (const QString& line : lines) {
            for (const Token& t : parse(line)) {
                if (t.key == QLatin1String("MODE")) {
                    bool ok = false;
                    const int mode = t.value.toInt(&ok, 8);
                    QVERIFY2(ok && (mode & 0007) == 0, qUtf8Printable(line));
                }
                QVERIFY2(t.key != QLatin1String("OWNER") && t.key != QLatin1String("GROUP"),
                         qUtf8Printable(line));
            }
        }
    }

    // The seat rules turn the uaccess tag into an ACL; they run after every rule file whose
    // name sorts before theirs.
    void runs_before_the_seat_rules()
    {
        const QString name = QFileInfo(QStringLiteral(UDEV_RULE_FILE)).fileName();
        QVERIFY(name.endsWith(QLatin1String(".rules")));
        QVERIFY2(name < QLatin1String("71-seat.rules"), qUtf8Printable(name));
        QVERIFY2(name < QLatin1String("73-seat-late.rules"), qUtf8Printable(name));
    }
};

QTEST_APPLESS_MAIN(TestUdevRule)
#include "test_udev_rule.moc"
