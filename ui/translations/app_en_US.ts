<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>main</name>
    <message>
        <source>unknown</source>
        <translation>unknown</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Indoor</source>
        <translation>Indoor</translation>
    </message>
    <message>
        <source>Outdoor</source>
        <translation>Outdoor</translation>
    </message>
    <message>
        <source>One Push</source>
        <translation>One Push</translation>
    </message>
    <message>
        <source>Auto Tracking</source>
        <translation>Auto Tracking</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>One Push (lamp)</source>
        <translation>One Push (lamp)</translation>
    </message>
    <message>
        <source>MCU version</source>
        <translation>MCU version</translation>
    </message>
    <message>
        <source>Camera on screen</source>
        <translation>Camera on screen</translation>
    </message>
    <message>
        <source>Video mode</source>
        <translation>Video mode</translation>
    </message>
    <message>
        <source>Vertical flip</source>
        <translation>Vertical flip</translation>
    </message>
    <message>
        <source>On</source>
        <translation>On</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Off</translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation>Mirror</translation>
    </message>
    <message>
        <source>White balance</source>
        <translation>White balance</translation>
    </message>
    <message>
        <source>Red / blue gain</source>
        <translation>Red / blue gain</translation>
    </message>
    <message>
        <source>Shutter</source>
        <translation>Shutter</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Gain</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>Focus</translation>
    </message>
</context>
</TS>
