<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de">
<context>
    <name>Strings</name>
    <message>
        <source>Strings.About</source>
        <translation>Über</translation>
    </message>
    <message>
        <source>Strings.Change</source>
        <translation>Änderungen übernehmen</translation>
    </message>
    <message>
        <source>Strings.Created</source>
        <translation>Erstellungsdatum:</translation>
    </message>
    <message>
        <source>Strings.DropFile</source>
        <translation>Datei oder Ordner hierher ziehen</translation>
    </message>
    <message>
        <source>Strings.Modified</source>
        <translation>Änderungsdatum:</translation>
    </message>
</context>
</TS>
