#include "shortcut_trigger.h"
#include "virtual_key_map.h"

#include <QRegularExpression>
#include <QTest>

#include <xkbcommon/xkbcommon.h>

class TestShortcutTrigger : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Every stored combination the program can grab under X11 has a trigger that names the
    // same keysym, in the characters the shortcut notation allows, after the modifiers it was
    // given; a modifier bit with no meaning, a key without a keysym or a text key alone or with
    // only Shift has none. The keysyms themselves are the X11 press test's: it presses them.
    void every_stored_hot_key()
    {
        const QRegularExpression notation(
            QStringLiteral("^(CTRL\\+)?(ALT\\+)?(SHIFT\\+)?(LOGO\\+)?([A-Za-z0-9_]+)$"));
        for (quint32 key = 0; key < 256; ++key) {
            const quint32 keysym = VirtualKeyMap::keysym(key);
            for (quint32 modifiers = 0; modifiers < 32; ++modifiers) {
                const QString trigger = shortcut_trigger(modifiers, key);
                QCOMPARE(trigger.isEmpty(), keysym == 0 || modifiers > 15 ||
                                                VirtualKeyMap::types_text(modifiers, key));
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
