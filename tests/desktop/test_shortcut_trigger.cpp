#include "shortcut_trigger.h"
#include "virtual_key_map.h"

#include <QRegularExpression>
#include <QTest>

#include <xkbcommon/xkbcommon.h>

class TestShortcutTrigger : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void stored_hot_keys_data()
    {
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<quint32>("virtual_key");
        QTest::addColumn<QString>("trigger");
        const auto row = [](quint32 modifiers, quint32 key, const char* trigger) {
            QTest::addRow("%u %#x", modifiers, key)
                << modifiers << key << QString::fromLatin1(trigger);
        };
        row(3, 0x42, "CTRL+ALT+b"); // the defaults
        row(4, 0x78, "SHIFT+F9");
        row(15, 0x31, "CTRL+ALT+SHIFT+LOGO+1");
        row(8, 0x0D, "LOGO+Return");
        row(2, 0x6B, "CTRL+KP_Add");
        row(0, 0xAF, "XF86AudioRaiseVolume");
        row(16, 0x42, ""); // a modifier bit with no meaning here
        row(3, 0, "");     // no key
        row(3, 0x07, "");  // a code no key has
        row(0, 0x42, "");  // a text key alone
    }

    void stored_hot_keys()
    {
        QFETCH(quint32, modifiers);
        QFETCH(quint32, virtual_key);
        QFETCH(QString, trigger);
        QCOMPARE(shortcut_trigger(modifiers, virtual_key), trigger);
    }

    // Every key the program can grab under X11 has a trigger that names the same keysym, in
    // the characters the shortcut notation allows, after the modifiers it was given.
    void every_known_key_round_trips()
    {
        const QRegularExpression notation(
            QStringLiteral("^(CTRL\\+)?(ALT\\+)?(SHIFT\\+)?(LOGO\\+)?([A-Za-z0-9_]+)$"));
        for (quint32 key = 0; key < 256; ++key) {
            const quint32 keysym = VirtualKeyMap::keysym(key);
            for (quint32 modifiers = 0; modifiers < 16; ++modifiers) {
                const QString trigger = shortcut_trigger(modifiers, key);
                QCOMPARE(trigger.isEmpty(),
                         keysym == 0 || (modifiers == 0 && VirtualKeyMap::types_text(key)));
                if (trigger.isEmpty())
                    continue;
                const QRegularExpressionMatch match = notation.match(trigger);
                QVERIFY2(match.hasMatch(), qPrintable(trigger));
                const quint32 named =
                    (match.hasCaptured(1) ? 2 : 0) | (match.hasCaptured(2) ? 1 : 0) |
                    (match.hasCaptured(3) ? 4 : 0) | (match.hasCaptured(4) ? 8 : 0);
                QCOMPARE(named, modifiers);
                QCOMPARE(xkb_keysym_from_name(match.captured(5).toLatin1().constData(),
                                              XKB_KEYSYM_NO_FLAGS),
                         keysym);
            }
        }
    }
};

QTEST_APPLESS_MAIN(TestShortcutTrigger)
#include "test_shortcut_trigger.moc"
