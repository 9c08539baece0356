<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN" sourcelanguage="en_US">
<context>
    <name>main</name>
    <message>
        <source>unknown</source>
        <translation>未知</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>自动</translation>
    </message>
    <message>
        <source>Indoor</source>
        <translation>室内</translation>
    </message>
    <message>
        <source>Outdoor</source>
        <translation>室外</translation>
    </message>
    <message>
        <source>One Push</source>
        <translation>一键</translation>
    </message>
    <message>
        <source>Auto Tracking</source>
        <translation>自动跟踪</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>手动</translation>
    </message>
    <message>
        <source>One Push (lamp)</source>
        <translation>一键 (灯光)</translation>
    </message>
    <message>
        <source>MCU version</source>
        <translation>MCU 版本</translation>
    </message>
    <message>
        <source>Camera on screen</source>
        <translation>屏幕上的摄像机</translation>
    </message>
    <message>
        <source>Video mode</source>
        <translation>视频格式</translation>
    </message>
    <message>
        <source>Vertical flip</source>
        <translation>垂直翻转</translation>
    </message>
    <message>
        <source>On</source>
        <translation>开</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>关</translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation>镜像</translation>
    </message>
    <message>
        <source>White balance</source>
        <translation>白平衡</translation>
    </message>
    <message>
        <source>Red / blue gain</source>
        <translation>红 / 蓝增益</translation>
    </message>
    <message>
        <source>Shutter</source>
        <translation>快门</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>对焦</translation>
    </message>
</context>
</TS>
