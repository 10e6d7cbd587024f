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
    <message>
        <source>Zoom to hours (%1)</source>
        <translation>Auf Stunden zoomen (%1)</translation>
    </message>
    <message>
        <source>Zoom to days (%1)</source>
        <translation>Auf Tage zoomen (%1)</translation>
    </message>
    <message>
        <source>Zoom to weeks (%1)</source>
        <translation>Auf Wochen zoomen (%1)</translation>
    </message>
    <message>
        <source>Zoom to months (%1)</source>
        <translation>Auf Monate zoomen (%1)</translation>
    </message>
    <message>
        <source>Zoom to years (%1)</source>
        <translation>Auf Jahre zoomen (%1)</translation>
    </message>
    <message>
        <source>Half a view earlier (%1: a tenth)</source>
        <translation>Eine halbe Ansicht früher (%1: ein Zehntel)</translation>
    </message>
    <message>
        <source>Half a view later (%1: a tenth)</source>
        <translation>Eine halbe Ansicht später (%1: ein Zehntel)</translation>
    </message>
    <message>
        <source>Zoom: up is finer, down coarser (%1, %2)</source>
        <translation>Zoom: oben feiner, unten gröber (%1, %2)</translation>
    </message>
    <message>
        <source>Drag to move through time, turn the wheel to zoom (%1: now)</source>
        <translation>Ziehen bewegt durch die Zeit, das Mausrad zoomt (%1: jetzt)</translation>
    </message>
</context>
</TS>
