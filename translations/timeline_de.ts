<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>MainWindow</name>
    <message>
        <source>Time axis</source>
        <translation>Zeitachse</translation>
    </message>
    <message>
        <source>Thumbwheel</source>
        <translation>Daumenrad</translation>
    </message>
    <message>
        <source>Hour</source>
        <translation>Stunde</translation>
    </message>
    <message>
        <source>Day</source>
        <translation>Tag</translation>
    </message>
    <message>
        <source>Week</source>
        <translation>Woche</translation>
    </message>
    <message>
        <source>Month</source>
        <translation>Monat</translation>
    </message>
    <message>
        <source>Year</source>
        <translation>Jahr</translation>
    </message>
    <message>
        <source>MainWindow</source>
        <extracomment>The window&apos;s title, which stays the same in every language.</extracomment>
        <translation>MainWindow</translation>
    </message>
    <message>
        <source>The current time</source>
        <translation>Die aktuelle Zeit</translation>
    </message>
    <message>
        <source>The analog clock widget displays the current time.</source>
        <translation>Das Widget der Analoguhr zeigt die aktuelle Zeit an.</translation>
    </message>
    <message>
        <source>&lt;</source>
        <translation>&lt;</translation>
    </message>
    <message>
        <source>&gt;</source>
        <translation>&gt;</translation>
    </message>
    <message>
        <source>%1 seconds per 100 px</source>
        <translation>%1 Sekunden pro 100 px</translation>
    </message>
    <message>
        <source>%1 minutes per 100 px</source>
        <translation>%1 Minuten pro 100 px</translation>
    </message>
    <message>
        <source>%1 hours per 100 px</source>
        <translation>%1 Stunden pro 100 px</translation>
    </message>
    <message>
        <source>%1 days per 100 px</source>
        <translation>%1 Tage pro 100 px</translation>
    </message>
    <message>
        <source>%1 – %2 (%3)</source>
        <extracomment>The instants at the left and right edges of the view, then its scale.</extracomment>
        <translation>%1 – %2 (%3)</translation>
    </message>
</context>
</TS>
