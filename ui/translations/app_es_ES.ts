<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en_US">
<context>
    <name>main</name>
    <message>
        <source>unknown</source>
        <translation>desconocido</translation>
    </message>
    <message>
        <source>Auto</source>
        <translation>Auto</translation>
    </message>
    <message>
        <source>Indoor</source>
        <translation>Interior</translation>
    </message>
    <message>
        <source>Outdoor</source>
        <translation>Exterior</translation>
    </message>
    <message>
        <source>One Push</source>
        <translation>Un toque</translation>
    </message>
    <message>
        <source>Auto Tracking</source>
        <translation>Seguimiento auto</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>One Push (lamp)</source>
        <translation>Un toque (lámpara)</translation>
    </message>
    <message>
        <source>MCU version</source>
        <translation>Versión MCU</translation>
    </message>
    <message>
        <source>Camera on screen</source>
        <translation>Cámara en pantalla</translation>
    </message>
    <message>
        <source>Video mode</source>
        <translation>Modo de vídeo</translation>
    </message>
    <message>
        <source>Vertical flip</source>
        <translation>Volteo vertical</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Encendido</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Apagado</translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation>Espejo</translation>
    </message>
    <message>
        <source>White balance</source>
        <translation>Balance de blancos</translation>
    </message>
    <message>
        <source>Red / blue gain</source>
        <translation>Ganancia R / A</translation>
    </message>
    <message>
        <source>Shutter</source>
        <translation>Obturador</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Ganancia</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>Enfoque</translation>
    </message>
</context>
</TS>
