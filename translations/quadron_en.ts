<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en" sourcelanguage="ru">
<context>
    <name>CommandLine</name>
    <message>
        <source>Show the running copy&apos;s window.</source>
        <translation>Show the running copy&apos;s window.</translation>
    </message>
    <message>
        <source>Print what the running copy knows, one &quot;key: value&quot; line each.</source>
        <translation>Print what the running copy knows, one &quot;key: value&quot; line each.</translation>
    </message>
    <message>
        <source>Print the settings named (all with none), one &quot;name: value&quot; line each, after the connection&apos;s fields.</source>
        <translation>Print the settings named (all with none), one &quot;name: value&quot; line each, after the connection&apos;s fields.</translation>
    </message>
    <message>
        <source>Change the settings given as NAME=VALUE words, all in one write to the amplifier.</source>
        <translation>Change the settings given as NAME=VALUE words, all in one write to the amplifier.</translation>
    </message>
    <message>
        <source>Print each change of a setting or of the connection, until interrupted.</source>
        <translation>Print each change of a setting or of the connection, until interrupted.</translation>
    </message>
    <message>
        <source>Print the equalizer&apos;s nominal response (not a measurement) at the 31 third-octave frequencies from 20 Hz to 20 kHz: the sum, each band and the subwoofer&apos;s low-pass, in dB.</source>
        <translation>Print the equalizer&apos;s nominal response (not a measurement) at the 31 third-octave frequencies from 20 Hz to 20 kHz: the sum, each band and the subwoofer&apos;s low-pass, in dB.</translation>
    </message>
    <message>
        <source>Brenvik Quadron keeps a USB car-audio amplifier in step with its window in the system tray.
Without options it starts, or shows the copy that runs already; an option is handed to that copy.</source>
        <translation>Brenvik Quadron keeps a USB car-audio amplifier in step with its window in the system tray.
Without options it starts, or shows the copy that runs already; an option is handed to that copy.</translation>
    </message>
    <message>
        <source>Settings for --get and --set.</source>
        <translation>Settings for --get and --set.</translation>
    </message>
    <message>
        <source>The demo&apos;s copy (started by quadron-demo).</source>
        <translation>The demo&apos;s copy (started by quadron-demo).</translation>
    </message>
    <message>
        <source>one action at a time: %1</source>
        <translation>one action at a time: %1</translation>
    </message>
    <message>
        <source>unexpected argument &apos;%1&apos;</source>
        <translation>unexpected argument &apos;%1&apos;</translation>
    </message>
    <message>
        <source>&apos;%1&apos; holds a tab or a line break</source>
        <translation>&apos;%1&apos; holds a tab or a line break</translation>
    </message>
    <message>
        <source>no setting named &apos;%1&apos;</source>
        <translation>no setting named &apos;%1&apos;</translation>
    </message>
    <message>
        <source>--set takes NAME=VALUE words</source>
        <translation>--set takes NAME=VALUE words</translation>
    </message>
    <message>
        <source>quadron: %1 (see quadron --help)
</source>
        <translation>quadron: %1 (see quadron --help)
</translation>
    </message>
    <message>
        <source>quadron: no running copy of Brenvik Quadron to take %1
</source>
        <translation>quadron: no running copy of Brenvik Quadron to take %1
</translation>
    </message>
    <message>
        <source>quadron: the running copy does not know %1 (an older version? restart it)
</source>
        <translation>quadron: the running copy does not know %1 (an older version? restart it)
</translation>
    </message>
    <message>
        <source>quadron: the running copy of Brenvik Quadron did not answer %1 within 5 s; it may still act on it
</source>
        <translation>quadron: the running copy of Brenvik Quadron did not answer %1 within 5 s; it may still act on it
</translation>
    </message>
    <message>
        <source>No private directory for the single-instance lock: %1</source>
        <translation>No private directory for the single-instance lock: %1</translation>
    </message>
    <message>
        <source>quadron: the running copy of Brenvik Quadron did not answer within 5 s; its window may still open
</source>
        <translation>quadron: the running copy of Brenvik Quadron did not answer within 5 s; its window may still open
</translation>
    </message>
    <message>
        <source>Undo the last edit of the settings, whatever made it.</source>
        <translation>Undo the last edit of the settings, whatever made it.</translation>
    </message>
    <message>
        <source>Redo the edit last undone.</source>
        <translation>Redo the edit last undone.</translation>
    </message>
    <message>
        <source>Print the presets&apos; names, one a line.</source>
        <translation>Print the presets&apos; names, one a line.</translation>
    </message>
    <message>
        <source>Apply the preset NAME, all in one write to the amplifier.</source>
        <translation>Apply the preset NAME, all in one write to the amplifier.</translation>
    </message>
    <message>
        <source>Save the current settings as the preset NAME (replacing one).</source>
        <translation>Save the current settings as the preset NAME (replacing one).</translation>
    </message>
    <message>
        <source>Write the preset NAME to the file given after it.</source>
        <translation>Write the preset NAME to the file given after it.</translation>
    </message>
    <message>
        <source>Read a preset from FILE, under the name given after it or its own.</source>
        <translation>Read a preset from FILE, under the name given after it or its own.</translation>
    </message>
    <message>
        <source>With --get, --watch and --response: JSON objects, one a line; with --presets: a JSON list.</source>
        <translation>With --get, --watch and --response: JSON objects, one a line; with --presets: a JSON list.</translation>
    </message>
    <message>
        <source>%1 takes %2 and a file</source>
        <translation>%1 takes %2 and a file</translation>
    </message>
    <message>
        <source>--json goes with --get, --watch, --response or --presets</source>
        <translation>--json goes with --get, --watch, --response or --presets</translation>
    </message>
</context>
<context>
    <name>QuadronCore</name>
    <message>
        <source>Показать</source>
        <translation>Show</translation>
    </message>
    <message>
        <source>Частотная характеристика</source>
        <translation>Response curve</translation>
    </message>
    <message>
        <source>Выход</source>
        <translation>Exit</translation>
    </message>
    <message>
        <source>Brenvik Quadron</source>
        <translation>Brenvik Quadron</translation>
    </message>
    <message>
        <source>Спрятать</source>
        <translation>Hide</translation>
    </message>
    <message>
        <source>Не удалось опознать устройство!</source>
        <translation>The device could not be identified!</translation>
    </message>
    <message>
        <source>Неверная версия устройства!</source>
        <translation>Wrong device version!</translation>
    </message>
    <message>
        <source>Ошибка!</source>
        <translation>Error!</translation>
    </message>
    <message>
        <source>Нет пресетов</source>
        <translation>No presets</translation>
    </message>
    <message>
        <source>Пресет не применён</source>
        <translation>Preset not applied</translation>
    </message>
    <message>
        <source>Пресеты</source>
        <translation>Presets</translation>
    </message>
</context>
<context>
    <name>ResponsePlot</name>
    <message>
        <source>Бас</source>
        <translation>Bass</translation>
    </message>
    <message>
        <source>Середина</source>
        <translation>Middle</translation>
    </message>
    <message>
        <source>Верх</source>
        <translation>Treble</translation>
    </message>
    <message>
        <source>%1 дБ</source>
        <translation>%1 dB</translation>
    </message>
    <message>
        <source>%1 Гц</source>
        <translation>%1 Hz</translation>
    </message>
    <message>
        <source>%1 Гц, %2 дБ</source>
        <translation>%1 Hz, %2 dB</translation>
    </message>
    <message>
        <source>, Q %1</source>
        <translation>, Q %1</translation>
    </message>
    <message>
        <source>Сабвуфер: нет у этого усилителя</source>
        <translation>Subwoofer: not on this amplifier</translation>
    </message>
    <message>
        <source>Сабвуфер: без фильтра</source>
        <translation>Subwoofer: flat</translation>
    </message>
    <message>
        <source>Сабвуфер: ФНЧ %1 Гц</source>
        <translation>Subwoofer: low-pass %1 Hz</translation>
    </message>
</context>
<context>
    <name>ResponseWindow</name>
    <message>
        <source>Brenvik Quadron: частотная характеристика</source>
        <translation>Brenvik Quadron: response curve</translation>
    </message>
    <message>
        <source>Номинальная характеристика по настройкам эквалайзера, а не измерение. Перетащите точку полосы, чтобы изменить её частоту и усиление; колесо мыши меняет добротность (Q).</source>
        <translation>The nominal response of the equalizer&apos;s settings, not a measurement. Drag a band&apos;s point to change its frequency and gain; the mouse wheel changes its quality factor (Q).</translation>
    </message>
</context>
<context>
    <name>Widget</name>
    <message>
        <source>Brenvik Quadron for Mac v.1.0</source>
        <translation>Brenvik Quadron for Mac v.1.0</translation>
    </message>
    <message>
        <source>Статус устройства :</source>
        <translation>Device status :</translation>
    </message>
    <message>
        <source>Версия :</source>
        <translation>Version :</translation>
    </message>
    <message>
        <source>N/A</source>
        <translation>N/A</translation>
    </message>
    <message>
        <source>Автозагрузка</source>
        <translation>Autostart</translation>
    </message>
    <message>
        <source>Volume</source>
        <translation>Volume</translation>
    </message>
    <message>
        <source>0 db</source>
        <translation>0 db</translation>
    </message>
    <message>
        <source>Mute</source>
        <translation>Mute</translation>
    </message>
    <message>
        <source>Main Mute</source>
        <translation>Main Mute</translation>
    </message>
    <message>
        <source>Hard Mute</source>
        <translation>Hard Mute</translation>
    </message>
    <message>
        <source>Soft Mute</source>
        <translation>Soft Mute</translation>
    </message>
    <message>
        <source>Pri. Source Gain</source>
        <translation>Pri. Source Gain</translation>
    </message>
    <message>
        <source>Pri. Source</source>
        <translation>Pri. Source</translation>
    </message>
    <message>
        <source>Input 1</source>
        <translation>Input 1</translation>
    </message>
    <message>
        <source>Input 2</source>
        <translation>Input 2</translation>
    </message>
    <message>
        <source>Input 3</source>
        <translation>Input 3</translation>
    </message>
    <message>
        <source>Input 4</source>
        <translation>Input 4</translation>
    </message>
    <message>
        <source>AutoZero</source>
        <translation>AutoZero</translation>
    </message>
    <message>
        <source>Sec. Source</source>
        <translation>Sec. Source</translation>
    </message>
    <message>
        <source>Sec. Source Gain</source>
        <translation>Sec. Source Gain</translation>
    </message>
    <message>
        <source>RL + RR Source :</source>
        <translation>RL + RR Source :</translation>
    </message>
    <message>
        <source>Pri. source</source>
        <translation>Pri. source</translation>
    </message>
    <message>
        <source>Sec. source</source>
        <translation>Sec. source</translation>
    </message>
    <message>
        <source>Faders</source>
        <translation>Faders</translation>
    </message>
    <message>
        <source>Front Left</source>
        <translation>Front Left</translation>
    </message>
    <message>
        <source>Front Right</source>
        <translation>Front Right</translation>
    </message>
    <message>
        <source>Rear Left</source>
        <translation>Rear Left</translation>
    </message>
    <message>
        <source>Rear Right</source>
        <translation>Rear Right</translation>
    </message>
    <message>
        <source>Subwoofer</source>
        <translation>Subwoofer</translation>
    </message>
    <message>
        <source>Sub. cut-off :</source>
        <translation>Sub. cut-off :</translation>
    </message>
    <message>
        <source>Equalizer</source>
        <translation>Equalizer</translation>
    </message>
    <message>
        <source>Bass</source>
        <translation>Bass</translation>
    </message>
    <message>
        <source>Center Freq. :</source>
        <translation>Center Freq. :</translation>
    </message>
    <message>
        <source>Quality Factor :</source>
        <translation>Quality Factor :</translation>
    </message>
    <message>
        <source>Middle</source>
        <translation>Middle</translation>
    </message>
    <message>
        <source>Treble</source>
        <translation>Treble</translation>
    </message>
    <message>
        <source>Delays</source>
        <translation>Delays</translation>
    </message>
    <message>
        <source>ACC_ON Delay :</source>
        <translation>ACC_ON Delay :</translation>
    </message>
    <message>
        <source>Ошибка!</source>
        <translation>Error!</translation>
    </message>
    <message>
        <source>Негде хранить блокировку единственного экземпляра программы.</source>
        <translation>There is nowhere to keep the program&apos;s single-instance lock.</translation>
    </message>
    <message>
        <source>Brenvik Quadron v.%1</source>
        <translation>Brenvik Quadron v.%1</translation>
    </message>
    <message>
        <source>АЧХ…</source>
        <translation>Response curve…</translation>
    </message>
    <message>
        <source> db</source>
        <translation> db</translation>
    </message>
    <message>
        <source>Усилитель подключён</source>
        <translation>Amplifier connected</translation>
    </message>
    <message>
        <source>Усилитель подключён, но у вас нет прав на доступ к нему (см. раздел «Device permissions» в README)</source>
        <translation>The amplifier is connected, but you have no permission to open it (see &quot;Device permissions&quot; in the README)</translation>
    </message>
    <message>
        <source>Усилитель подключён, но открыть его не удалось</source>
        <translation>The amplifier is connected, but it could not be opened</translation>
    </message>
    <message>
        <source>Усилитель не отвечает</source>
        <translation>The amplifier does not answer</translation>
    </message>
    <message>
        <source>Усилитель не найден</source>
        <translation>No amplifier found</translation>
    </message>
    <message>
        <source>60 Hz</source>
        <translation>60 Hz</translation>
    </message>
    <message>
        <source>80 Hz</source>
        <translation>80 Hz</translation>
    </message>
    <message>
        <source>100 Hz</source>
        <translation>100 Hz</translation>
    </message>
    <message>
        <source>200 Hz</source>
        <translation>200 Hz</translation>
    </message>
    <message>
        <source>1.0</source>
        <translation>1.0</translation>
    </message>
    <message>
        <source>1.25</source>
        <translation>1.25</translation>
    </message>
    <message>
        <source>1.5</source>
        <translation>1.5</translation>
    </message>
    <message>
        <source>2.0</source>
        <translation>2.0</translation>
    </message>
    <message>
        <source>500 Hz</source>
        <translation>500 Hz</translation>
    </message>
    <message>
        <source>1000 Hz</source>
        <translation>1000 Hz</translation>
    </message>
    <message>
        <source>1500 Hz</source>
        <translation>1500 Hz</translation>
    </message>
    <message>
        <source>2500 Hz</source>
        <translation>2500 Hz</translation>
    </message>
    <message>
        <source>0.5</source>
        <translation>0.5</translation>
    </message>
    <message>
        <source>0.75</source>
        <translation>0.75</translation>
    </message>
    <message>
        <source>1</source>
        <translation>1</translation>
    </message>
    <message>
        <source>10.0 kHz</source>
        <translation>10.0 kHz</translation>
    </message>
    <message>
        <source>12.5 kHz</source>
        <translation>12.5 kHz</translation>
    </message>
    <message>
        <source>15.0 kHz</source>
        <translation>15.0 kHz</translation>
    </message>
    <message>
        <source>17.5 kHz</source>
        <translation>17.5 kHz</translation>
    </message>
    <message>
        <source>flat</source>
        <translation>flat</translation>
    </message>
    <message>
        <source>120 Hz</source>
        <translation>120 Hz</translation>
    </message>
    <message>
        <source>160 Hz</source>
        <translation>160 Hz</translation>
    </message>
    <message>
        <source>Пресеты</source>
        <translation>Presets</translation>
    </message>
    <message>
        <source>Отменить</source>
        <translation>Undo</translation>
    </message>
    <message>
        <source>Повторить</source>
        <translation>Redo</translation>
    </message>
    <message>
        <source>Не отменено</source>
        <translation>Not undone</translation>
    </message>
    <message>
        <source>Не повторено</source>
        <translation>Not redone</translation>
    </message>
    <message>
        <source>Несохранённые изменения</source>
        <translation>Unsaved changes</translation>
    </message>
    <message>
        <source>Пресет: %1</source>
        <translation>Preset: %1</translation>
    </message>
    <message>
        <source>Пресет не применён</source>
        <translation>Preset not applied</translation>
    </message>
    <message>
        <source>Пресет применён не полностью</source>
        <translation>Preset applied in part</translation>
    </message>
    <message>
        <source>Нет пресетов</source>
        <translation>No presets</translation>
    </message>
    <message>
        <source>Сохранить как…</source>
        <translation>Save as…</translation>
    </message>
    <message>
        <source>Перезаписать</source>
        <translation>Overwrite</translation>
    </message>
    <message>
        <source>Пресет не сохранён</source>
        <translation>Preset not saved</translation>
    </message>
    <message>
        <source>Переименовать…</source>
        <translation>Rename…</translation>
    </message>
    <message>
        <source>Удалить…</source>
        <translation>Delete…</translation>
    </message>
    <message>
        <source>Экспорт…</source>
        <translation>Export…</translation>
    </message>
    <message>
        <source>Импорт…</source>
        <translation>Import…</translation>
    </message>
    <message>
        <source>Сохранить пресет</source>
        <translation>Save preset</translation>
    </message>
    <message>
        <source>Название:</source>
        <translation>Name:</translation>
    </message>
    <message>
        <source>Пресет «%1» уже есть. Заменить его?</source>
        <translation>A preset “%1” already exists. Replace it?</translation>
    </message>
    <message>
        <source>Переименовать пресет</source>
        <translation>Rename preset</translation>
    </message>
    <message>
        <source>Новое название:</source>
        <translation>New name:</translation>
    </message>
    <message>
        <source>Пресет не переименован</source>
        <translation>Preset not renamed</translation>
    </message>
    <message>
        <source>Удалить пресет</source>
        <translation>Delete preset</translation>
    </message>
    <message>
        <source>Удалить пресет «%1»?</source>
        <translation>Delete the preset “%1”?</translation>
    </message>
    <message>
        <source>Пресет не удалён</source>
        <translation>Preset not deleted</translation>
    </message>
    <message>
        <source>Экспорт пресета</source>
        <translation>Export preset</translation>
    </message>
    <message>
        <source>Пресеты (%1)</source>
        <translation>Presets (%1)</translation>
    </message>
    <message>
        <source>Пресет не экспортирован</source>
        <translation>Preset not exported</translation>
    </message>
    <message>
        <source>Импорт пресета</source>
        <translation>Import preset</translation>
    </message>
    <message>
        <source>Пресет не импортирован</source>
        <translation>Preset not imported</translation>
    </message>
</context>
</TS>
