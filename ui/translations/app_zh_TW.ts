<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_TW" sourcelanguage="en_US">
<context>
    <name>main</name>
    <message>
        <source>unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>自動</translation>
    </message>
    <message>
        <source>Indoor</source>
        <translation>室內</translation>
    </message>
    <message>
        <source>Outdoor</source>
        <translation>室外</translation>
    </message>
    <message>
        <source>One Push</source>
        <translation>單鍵</translation>
    </message>
    <message>
        <source>Auto Tracking</source>
        <translation>自動追蹤</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>手動</translation>
    </message>
    <message>
        <source>One Push (lamp)</source>
        <translation>單鍵 (燈光)</translation>
    </message>
    <message>
        <source>MCU version</source>
        <translation>MCU 版本</translation>
    </message>
    <message>
        <source>Camera on screen</source>
        <translation>畫面上的攝影機</translation>
    </message>
    <message>
        <source>Video mode</source>
        <translation>視訊格式</translation>
    </message>
    <message>
        <source>Vertical flip</source>
        <translation>垂直翻轉</translation>
    </message>
    <message>
        <source>On</source>
        <translation>開</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>關</translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation>鏡像</translation>
    </message>
    <message>
        <source>White balance</source>
        <translation>白平衡</translation>
    </message>
    <message>
        <source>Red / blue gain</source>
        <translation>紅 / 藍增益</translation>
    </message>
    <message>
        <source>Shutter</source>
        <translation>快門</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>對焦</translation>
    </message>
</context>
</TS>
