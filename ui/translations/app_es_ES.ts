<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es_ES" sourcelanguage="en_US">
<context>
    <name>AboutPage</name>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Reinicie el ZEK710A</translation>
    </message>
    <message>
        <source>Update failed.
Try Again?</source>
        <translation>Error de actualización.
¿Reintentar?</translation>
    </message>
    <message>
        <source>Latest APP revision</source>
        <translation>Última versión APP</translation>
    </message>
    <message>
        <source>Latest MCU revision</source>
        <translation>Última versión MCU</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>APP Revision</source>
        <translation>Versión APP</translation>
    </message>
    <message>
        <source>MCU Revision</source>
        <translation>Versión MCU</translation>
    </message>
    <message>
        <source>Latest APP Revision</source>
        <translation>Última versión APP</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>Actualizar</translation>
    </message>
</context>
<context>
    <name>AutomationPage</name>
    <message>
        <source>Automation</source>
        <translation>Automatización</translation>
    </message>
    <message>
        <source>Off: nothing listens.</source>
        <translation>Desactivada: no escucha nada.</translation>
    </message>
    <message>
        <source>Waiting for the panel&apos;s network address…</source>
        <translation>Esperando la dirección de red del panel…</translation>
    </message>
    <message>
        <source>New read-only token</source>
        <translation>Nuevo token de solo lectura</translation>
    </message>
    <message>
        <source>New control token</source>
        <translation>Nuevo token de control</translation>
    </message>
    <message>
        <source>Control token</source>
        <translation>Token de control</translation>
    </message>
    <message>
        <source>Read-only token</source>
        <translation>Token de solo lectura</translation>
    </message>
    <message>
        <source>shown only now; the one made before no longer works:</source>
        <translation>solo se muestra ahora; el anterior ya no funciona:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
</context>
<context>
    <name>Camera</name>
    <message>
        <source>Not connected</source>
        <translation>No conectada</translation>
    </message>
</context>
<context>
    <name>CameraCell</name>
    <message>
        <source>Camera</source>
        <translation>Cámara</translation>
    </message>
    <message>
        <source>CH</source>
        <translation>CH</translation>
    </message>
</context>
<context>
    <name>CameraPage</name>
    <message>
        <source>Horizontal</source>
        <translation>Horizontal</translation>
    </message>
    <message>
        <source>Vertical</source>
        <translation>Vertical</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>APAGADO</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>Contraste</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>Nitidez</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>Saturación</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>Exposición</translation>
    </message>
    <message>
        <source>HUE</source>
        <translation>Tono</translation>
    </message>
    <message>
        <source>AGC</source>
        <translation>AGC</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>Gamma</translation>
    </message>
    <message>
        <source>HDR</source>
        <translation>HDR</translation>
    </message>
    <message>
        <source>Video Setting</source>
        <translation>Ajuste de vídeo</translation>
    </message>
    <message>
        <source>Video Mode</source>
        <translation>Modo de vídeo</translation>
    </message>
    <message>
        <source>Video Orientation</source>
        <translation>Orientación de vídeo</translation>
    </message>
    <message>
        <source>3DNR</source>
        <translation>3DNR</translation>
    </message>
    <message>
        <source>Firmware Status</source>
        <translation>Estado del firmware</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Please wait
</source>
        <translation>Espere, por favor
</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Red</translation>
    </message>
    <message>
        <source>Host Name</source>
        <translation>Nombre de host</translation>
    </message>
    <message>
        <source>Model Name</source>
        <translation>Modelo</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>Dirección IP</translation>
    </message>
    <message>
        <source>Network Mask</source>
        <translation>Máscara de red</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Puerta de enlace</translation>
    </message>
    <message>
        <source>Primary DNS</source>
        <translation>DNS primario</translation>
    </message>
    <message>
        <source>Secondary DNS</source>
        <translation>DNS secundario</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>Dirección MAC</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
    </message>
    <message>
        <source>Set IP Address and Protocol</source>
        <translation>Configurar dirección IP y protocolo</translation>
    </message>
    <message>
        <source>Input IP Address</source>
        <translation>Introducir dirección IP</translation>
    </message>
    <message>
        <source>Enter an IP address first.</source>
        <translation>Introduzca primero una dirección IP.</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>Standard VISCA</source>
        <translation>VISCA estándar</translation>
    </message>
    <message>
        <source>Simple VISCA</source>
        <translation>VISCA simple</translation>
    </message>
    <message>
        <source>NDI</source>
        <translation>NDI</translation>
    </message>
</context>
<context>
    <name>ConnectionWarning</name>
    <message>
        <source>Stop showing this message anymore.</source>
        <translation>No volver a mostrar este mensaje.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>LanguagePage</name>
    <message>
        <source>Language</source>
        <translation>Idioma</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
</context>
<context>
    <name>ManageDevice</name>
    <message>
        <source>Manage Device</source>
        <translation>Gestionar equipos</translation>
    </message>
    <message>
        <source>Device List</source>
        <translation>Lista de equipos</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Buscar</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Cargar</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Scan: search the network for HCIP cameras.
Load: load the saved device list.
Save: save the current device list.</source>
        <translation>Buscar: busca cámaras HCIP en la red.
Cargar: carga la lista de equipos guardada.
Guardar: guarda la lista de equipos actual.</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Equipo</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>MessageDialog</name>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>NetworkSetting</name>
    <message>
        <source>Are you sure to reset ZEK710A network configuration?</source>
        <translation>¿Seguro que desea restablecer la configuración de red del ZEK710A?</translation>
    </message>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Reinicie el ZEK710A</translation>
    </message>
    <message>
        <source>Network Setting</source>
        <translation>Configuración de red</translation>
    </message>
    <message>
        <source>Host Name</source>
        <translation>Nombre de host</translation>
    </message>
    <message>
        <source>Model Name</source>
        <translation>Modelo</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>Dirección MAC</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>Dirección IP</translation>
    </message>
    <message>
        <source>Network Mask</source>
        <translation>Máscara de red</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Puerta de enlace</translation>
    </message>
    <message>
        <source>Primary DNS</source>
        <translation>DNS primario</translation>
    </message>
    <message>
        <source>Secondary DNS</source>
        <translation>DNS secundario</translation>
    </message>
    <message>
        <source>Invalid address.</source>
        <translation>Dirección no válida.</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Restablecer</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>The network settings could not be saved.
Nothing was changed.</source>
        <translation>No se pudo guardar la configuración de red.
No se ha cambiado nada.</translation>
    </message>
</context>
<context>
    <name>NumberPad</name>
    <message>
        <source>Clear</source>
        <translation>Borrar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Invalid address.</source>
        <translation>Dirección no válida.</translation>
    </message>
</context>
<context>
    <name>PageCameraInfo</name>
    <message>
        <source>WB Auto</source>
        <translation>Balance auto.</translation>
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
        <source>OnePush</source>
        <translation>OnePush</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
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
    <message>
        <source>Video Mode</source>
        <translation>Modo de vídeo</translation>
    </message>
    <message>
        <source>White Balance</source>
        <translation>Balance de blancos</translation>
    </message>
    <message>
        <source>Preset</source>
        <translation>Preset</translation>
    </message>
    <message>
        <source>MWB Pro</source>
        <translation>MWB Pro</translation>
    </message>
    <message>
        <source>MWB</source>
        <translation>MWB</translation>
    </message>
    <message>
        <source>Video Setting</source>
        <translation>Ajuste de vídeo</translation>
    </message>
    <message>
        <source>Audio Setting</source>
        <translation>Ajuste de audio</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>R Gain</source>
        <translation>Ganancia R</translation>
    </message>
    <message>
        <source>B Gain</source>
        <translation>Ganancia B</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <source>Color Temperature</source>
        <translation>Temperatura de color</translation>
    </message>
</context>
<context>
    <name>PageCameraList</name>
    <message>
        <source>Camera</source>
        <translation>Cámara</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Please wait...</source>
        <translation>Espere...</translation>
    </message>
</context>
<context>
    <name>SerialParameters</name>
    <message>
        <source>Serial Port Parameters</source>
        <translation>Parámetros del puerto serie</translation>
    </message>
    <message>
        <source>BaudRate</source>
        <translation>Velocidad</translation>
    </message>
    <message>
        <source>Data Bits</source>
        <translation>Bits de datos</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>Paridad</translation>
    </message>
    <message>
        <source>Stop Bits</source>
        <translation>Bits de parada</translation>
    </message>
    <message>
        <source>Flow Control</source>
        <translation>Control de flujo</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>Par</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>Impar</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Ninguno</translation>
    </message>
    <message>
        <source>One Stop</source>
        <translation>1 bit de parada</translation>
    </message>
    <message>
        <source>Two Stop</source>
        <translation>2 bits de parada</translation>
    </message>
    <message>
        <source>1.5 Stop</source>
        <translation>1,5 bits de parada</translation>
    </message>
    <message>
        <source>Hard</source>
        <translation>Hardware</translation>
    </message>
    <message>
        <source>Soft</source>
        <translation>Software</translation>
    </message>
    <message>
        <source>Serial Port Baudrate</source>
        <translation>Velocidad del puerto serie</translation>
    </message>
    <message>
        <source>Serial Port Data Bits</source>
        <translation>Bits de datos del puerto serie</translation>
    </message>
    <message>
        <source>Serial Port Parity</source>
        <translation>Paridad del puerto serie</translation>
    </message>
    <message>
        <source>Serial Port Stop Bits</source>
        <translation>Bits de parada del puerto serie</translation>
    </message>
    <message>
        <source>Serial Port Flow Control</source>
        <translation>Control de flujo del puerto serie</translation>
    </message>
</context>
<context>
    <name>ShutdownDialog</name>
    <message>
        <source>System Shutdown</source>
        <translation>Apagado del sistema</translation>
    </message>
    <message>
        <source>Do You Want to Shut Down?</source>
        <translation>¿Desea apagar el equipo?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>SpeedMode</name>
    <message>
        <source>Joystick Speed Mode</source>
        <translation>Modo de velocidad del joystick</translation>
    </message>
    <message>
        <source>Nonlinear</source>
        <translation>No lineal</translation>
    </message>
    <message>
        <source>Arithmetic</source>
        <translation>Aritmético</translation>
    </message>
    <message>
        <source>Fixed</source>
        <translation>Fijo</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
</context>
<context>
    <name>SystemSetting</name>
    <message>
        <source>Arithmetic</source>
        <translation>Aritmético</translation>
    </message>
    <message>
        <source>Fixed</source>
        <translation>Fijo</translation>
    </message>
    <message>
        <source>Nonlinear</source>
        <translation>No lineal</translation>
    </message>
    <message>
        <source>GPI Tally</source>
        <translation>Tally GPI</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>APAGADO</translation>
    </message>
    <message>
        <source>ZEK-710A</source>
        <translation>ZEK-710A</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Idioma</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Acerca de</translation>
    </message>
    <message>
        <source>APP v</source>
        <translation>APP v</translation>
    </message>
    <message>
        <source>Serial Ports</source>
        <translation>Puertos serie</translation>
    </message>
    <message>
        <source>Network Setting</source>
        <translation>Configuración de red</translation>
    </message>
    <message>
        <source>Camera Tally</source>
        <translation>Tally de cámara</translation>
    </message>
    <message>
        <source>Joystick Speed Mode</source>
        <translation>Modo de velocidad del joystick</translation>
    </message>
    <message>
        <source>Auto HCIP Scan</source>
        <translation>Búsqueda HCIP automática</translation>
    </message>
    <message>
        <source>Screen Saver</source>
        <translation>Salvapantallas</translation>
    </message>
    <message>
        <source> min.</source>
        <translation> min.</translation>
    </message>
    <message>
        <source>Shut Down</source>
        <translation>Apagar</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Automation</source>
        <translation>Automatización</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ACTIVADO</translation>
    </message>
    <message>
        <source>Remote setup</source>
        <translation>Configuración remota</translation>
    </message>
    <message>
        <source>allowed</source>
        <translation>permitida</translation>
    </message>
    <message>
        <source>locked</source>
        <translation>bloqueada</translation>
    </message>
</context>
<context>
    <name>TallyMapping</name>
    <message>
        <source>Tally Mapping</source>
        <translation>Asignación de tally</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Restablecer</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>System Message</source>
        <translation>Mensaje del sistema</translation>
    </message>
    <message>
        <source>Work done.</source>
        <translation>Hecho.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>TallyMode</name>
    <message>
        <source>Camera Tally</source>
        <translation>Tally de cámara</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Modo</translation>
    </message>
    <message>
        <source>GPI Tally</source>
        <translation>Tally GPI</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>APAGADO</translation>
    </message>
    <message>
        <source>Tally Mapping</source>
        <translation>Asignación de tally</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Restablecer</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Atrás</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
</context>
<context>
    <name>TestScreens</name>
    <message>
        <source>RS-422 loop test</source>
        <translation>Prueba de bucle RS-422</translation>
    </message>
    <message>
        <source>USB test</source>
        <translation>Prueba USB</translation>
    </message>
    <message>
        <source>T-Bar calibration</source>
        <translation>Calibración T-Bar</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Abajo</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Arriba</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>Verificar</translation>
    </message>
    <message>
        <source>GPI tally</source>
        <translation>Tally GPI</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Iniciar</translation>
    </message>
    <message>
        <source>Panel test</source>
        <translation>Prueba del panel</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Tecla</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>Actualizar</translation>
    </message>
    <message>
        <source>Start panel</source>
        <translation>Iniciar panel</translation>
    </message>
</context>
<context>
    <name>TextKeyboard</name>
    <message>
        <source>Shift</source>
        <translation>Mayús</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Reinicie el ZEK710A</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Cámara</translation>
    </message>
    <message>
        <source>Switcher</source>
        <translation>Mezclador</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>Grabador</translation>
    </message>
    <message>
        <source>Camera1</source>
        <translation>Cámara1</translation>
    </message>
    <message>
        <source>Preset1</source>
        <translation>Preset1</translation>
    </message>
    <message>
        <source>Camera Shift</source>
        <translation>Despl. cámara</translation>
    </message>
    <message>
        <source>Preset Shift</source>
        <translation>Despl. preset</translation>
    </message>
    <message>
        <source>SW Function</source>
        <translation>Función SW</translation>
    </message>
    <message>
        <source>Manage Device</source>
        <translation>Gestionar equipos</translation>
    </message>
    <message>
        <source>System</source>
        <translation>Sistema</translation>
    </message>
    <message>
        <source>ZEK-710A is going to reboot.</source>
        <translation>ZEK-710A se va a reiniciar.</translation>
    </message>
</context>
<context>
    <name>mainControl</name>
    <message>
        <source>No device connect to Camera %1.
Please select another one.</source>
        <translation>No hay ningún dispositivo en la cámara %1.
Seleccione otra.</translation>
    </message>
    <message>
        <source>Camera %1 is not in the correct network.
Please configure its IP address then scan again.</source>
        <translation>La cámara %1 no está en la red correcta.
Configure su dirección IP y busque de nuevo.</translation>
    </message>
    <message>
        <source>Cannot connect to Camera %1.
Please reboot that device then scan again.</source>
        <translation>No se puede conectar con la cámara %1.
Reinicie ese dispositivo y busque de nuevo.</translation>
    </message>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Reinicie el ZEK710A</translation>
    </message>
    <message>
        <source>The network settings could not be reset.
Nothing was changed.</source>
        <translation>No se pudo restablecer la configuración de red.
No se ha cambiado nada.</translation>
    </message>
    <message>
        <source>The panel is busy.
Please try again.</source>
        <translation>El panel está ocupado.
Inténtelo de nuevo.</translation>
    </message>
</context>
</TS>
