<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_PT" sourcelanguage="en_US">
<context>
    <name>main</name>
    <message>
        <source>unknown</source>
        <translation>desconhecido</translation>
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
        <translation>Um toque</translation>
    </message>
    <message>
        <source>Auto Tracking</source>
        <translation>Seguimento auto</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>One Push (lamp)</source>
        <translation>Um toque (lâmpada)</translation>
    </message>
    <message>
        <source>MCU version</source>
        <translation>Versão MCU</translation>
    </message>
    <message>
        <source>Camera on screen</source>
        <translation>Câmara no ecrã</translation>
    </message>
    <message>
        <source>Video mode</source>
        <translation>Modo de vídeo</translation>
    </message>
    <message>
        <source>Vertical flip</source>
        <translation>Inversão vertical</translation>
    </message>
    <message>
        <source>On</source>
        <translation>Ligado</translation>
    </message>
    <message>
        <source>Off</source>
        <translation>Desligado</translation>
    </message>
    <message>
        <source>Mirror</source>
        <translation>Espelho</translation>
    </message>
    <message>
        <source>White balance</source>
        <translation>Equilíbrio de brancos</translation>
    </message>
    <message>
        <source>Red / blue gain</source>
        <translation>Ganho V / A</translation>
    </message>
    <message>
        <source>Shutter</source>
        <translation>Obturador</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>Ganho</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>Foco</translation>
    </message>
</context>
</TS>
