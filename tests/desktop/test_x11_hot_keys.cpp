#include "virtual_key_map.h"
#include "x11_hot_keys.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>
#include <xcb/xcb_keysyms.h>

#include <cstdlib>

namespace {

// Presses through the XTEST extension, exactly as a keyboard would reach the server.
bool press(const QString& keys)
{
    return QProcess::execute(QStringLiteral("xdotool"), QStringList{QStringLiteral("key")} +
                                                            keys.split(QLatin1Char(' '))) == 0;
}

xcb_connection_t* x_connection()
{
    return qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
}

quint16 modifier_state()
{
    xcb_connection_t* c = x_connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(c)).data->root;
    xcb_query_pointer_reply_t* reply =
        xcb_query_pointer_reply(c, xcb_query_pointer(c, root), nullptr);
    const quint16 mask = reply ? reply->mask & 0xff : 0;
    std::free(reply);
    return mask;
}

// Starts a rival client holding Ctrl+Alt+<letter>; true once it holds it.
bool hold_elsewhere(QProcess& holder, const QString& letter)
{
    holder.start(QStringLiteral(GRAB_HOLDER_PATH), {letter});
    return holder.waitForReadyRead(5000) && holder.readAll().startsWith("ready");
}

} // namespace

class TestX11HotKeys : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        if (QGuiApplication::platformName() != QLatin1String("xcb") &&
            QLatin1String(QTest::currentTestFunction()) != QLatin1String("refuses_without_x11"))
            QSKIP("needs an X11 display");
    }

    void press_arrives_data()
    {
        QTest::addColumn<quint32>("modifiers");
        QTest::addColumn<quint32>("virtual_key");
        QTest::addColumn<QString>("keys");
        QTest::newRow("Ctrl+Alt+B") << 3u << 0x42u << QStringLiteral("ctrl+alt+b");
        QTest::newRow("Alt+F5") << 1u << 0x74u << QStringLiteral("alt+F5");
        QTest::newRow("Ctrl+digit 5") << 2u << 0x35u << QStringLiteral("ctrl+5");
        QTest::newRow("Shift+keypad plus") << 4u << 0x6Bu << QStringLiteral("shift+KP_Add");
        QTest::newRow("Win+Alt+Home") << 9u << 0x24u << QStringLiteral("super+alt+Home");
        QTest::newRow("Ctrl+Shift+Up") << 6u << 0x26u << QStringLiteral("ctrl+shift+Up");
        QTest::newRow("all four+F12") << 15u << 0x7Bu << QStringLiteral("ctrl+alt+shift+super+F12");
        QTest::newRow("volume up key alone")
            << 0u << 0xAFu << QStringLiteral("XF86AudioRaiseVolume");
    }
    void press_arrives()
    {
        QFETCH(quint32, modifiers);
        QFETCH(quint32, virtual_key);
        QFETCH(QString, keys);
        X11HotKeys hot_keys;
        QSignalSpy spy(&hot_keys, &HotKeyService::activated);
        QVERIFY(hot_keys.register_hot_key(101, modifiers, virtual_key));
        QVERIFY(press(keys));
        QVERIFY(spy.wait(3000));
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 101);
    }

    void only_the_exact_combination_arrives()
    {
        X11HotKeys hot_keys;
        QSignalSpy spy(&hot_keys, &HotKeyService::activated);
        QVERIFY(hot_keys.register_hot_key(101, 3, 0x42));
        QVERIFY(hot_keys.register_hot_key(102, 3, 0x43));
        QVERIFY(press(QStringLiteral("ctrl+alt+shift+b ctrl+b alt+b b ctrl+alt+c")));
        QVERIFY(spy.wait(3000));
        QTest::qWait(300);
        QCOMPARE(spy.count(), 1);
        QCOMPARE(spy.at(0).at(0).toInt(), 102);
    }

    void locks_do_not_matter_data()
    {
        QTest::addColumn<QString>("locks");
        QTest::newRow("NumLock") << QStringLiteral("Num_Lock");
        QTest::newRow("CapsLock") << QStringLiteral("Caps_Lock");
        QTest::newRow("both") << QStringLiteral("Num_Lock Caps_Lock");
    }
    void locks_do_not_matter()
    {
        QFETCH(QString, locks);
        X11HotKeys hot_keys;
        QSignalSpy spy(&hot_keys, &HotKeyService::activated);
        QVERIFY(hot_keys.register_hot_key(101, 3, 0x42));
        const quint16 before = modifier_state();
        QVERIFY(press(locks));
        const bool locked = modifier_state() != before;
        const bool pressed = press(QStringLiteral("ctrl+alt+b"));
        const bool arrived = spy.wait(3000);
        QVERIFY(press(locks)); // back to where it was
        QVERIFY(locked);
        QVERIFY(pressed);
        QVERIFY(arrived);
        QCOMPARE(spy.at(0).at(0).toInt(), 101);
    }

    void combination_held_elsewhere_is_refused()
    {
        QProcess holder;
        QVERIFY(hold_elsewhere(holder, QStringLiteral("w")));
        X11HotKeys hot_keys;
        QSignalSpy spy(&hot_keys, &HotKeyService::activated);
        QVERIFY(!hot_keys.register_hot_key(103, 3, 0x57));
        QVERIFY(hot_keys.register_hot_key(101, 3, 0x42));
        QVERIFY(press(QStringLiteral("ctrl+alt+b")));
        QVERIFY(spy.wait(3000));
        QCOMPARE(spy.at(0).at(0).toInt(), 101);
        holder.kill();
        holder.waitForFinished();
        QVERIFY(hot_keys.register_hot_key(103, 3, 0x57));
    }

    void grabs_end_with_the_object()
    {
        QProcess holder;
        {
            X11HotKeys hot_keys;
            QVERIFY(hot_keys.register_hot_key(101, 3, 0x42));
            QVERIFY(!hold_elsewhere(holder, QStringLiteral("b")));
            holder.waitForFinished();
        }
        QVERIFY(hold_elsewhere(holder, QStringLiteral("b")));
        holder.kill();
        holder.waitForFinished();
    }

    // Key code 0 would be "any key" to the server: a refused key must leave every other
    // Ctrl+Alt combination free for other programs.
    void unusable_keys_grab_nothing()
    {
        X11HotKeys hot_keys;
        QVERIFY(!hot_keys.register_hot_key(101, 3, 0));
        QVERIFY(!hot_keys.register_hot_key(102, 3, 0x07));
        QVERIFY(!hot_keys.register_hot_key(103, 3, 0xFFFFFFFF));
        QVERIFY(!hot_keys.register_hot_key(104, 3 | 0x4000, 0x42));
        QVERIFY(!hot_keys.register_hot_key(105, 16, 0x42));
        QProcess holder;
        QVERIFY(hold_elsewhere(holder, QStringLiteral("z")));
        holder.kill();
        holder.waitForFinished();
    }

    // Whatever the key, a registration succeeds exactly when the key has a keysym and the
    // server's keymap can produce it.
    void registration_follows_the_keymap()
    {
        xcb_key_symbols_t* symbols = xcb_key_symbols_alloc(x_connection());
        int named_but_missing = 0;
        for (quint32 virtual_key = 0; virtual_key < 0x100; ++virtual_key) {
            const quint32 keysym = VirtualKeyMap::keysym(virtual_key);
            xcb_keycode_t* codes = keysym ? xcb_key_symbols_get_keycode(symbols, keysym) : nullptr;
            const bool producible = codes && codes[0] != XCB_NO_SYMBOL;
            std::free(codes);
            named_but_missing += keysym && !producible;
            X11HotKeys hot_keys;
            QVERIFY2(hot_keys.register_hot_key(1, 15, virtual_key) == producible,
                     qPrintable(QString::number(virtual_key, 16)));
        }
        xcb_key_symbols_free(symbols);
        QVERIFY(named_but_missing > 0); // F13..F24 and the like in a default keymap
    }

    void refuses_without_x11()
    {
        if (QGuiApplication::platformName() == QLatin1String("xcb")) {
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {QStringLiteral("-platform"), QStringLiteral("offscreen"),
                         QStringLiteral("refuses_without_x11")});
            QVERIFY(child.waitForFinished(10000));
            QCOMPARE(child.exitCode(), 0);
            return;
        }
        X11HotKeys hot_keys;
        QVERIFY(!hot_keys.register_hot_key(101, 3, 0x42));
        QVERIFY(!hot_keys.register_hot_key(103, 3, 0x57));
    }
};

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qEnvironmentVariableIsEmpty("DISPLAY") ? "offscreen" : "xcb");
    QGuiApplication app(argc, argv);
    TestX11HotKeys test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_x11_hot_keys.moc"
