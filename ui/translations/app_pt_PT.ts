<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="pt_PT" sourcelanguage="en_US">
<context>
    <name>AboutPage</name>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Reinicie o ZEK710A</translation>
    </message>
    <message>
        <source>Update failed.
Try Again?</source>
        <translation>A atualização falhou.
Tentar novamente?</translation>
    </message>
    <message>
        <source>Latest APP revision</source>
        <translation>Última versão APP</translation>
    </message>
    <message>
        <source>Latest MCU revision</source>
        <translation>Última versão MCU</translation>
    </message>
    <message>
        <source>About</source>
        <translation>Sobre</translation>
    </message>
    <message>
        <source>APP Revision</source>
        <translation>Versão APP</translation>
    </message>
    <message>
        <source>MCU Revision</source>
        <translation>Versão MCU</translation>
    </message>
    <message>
        <source>Latest APP Revision</source>
        <translation>Última versão APP</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Voltar</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>Atualizar</translation>
    </message>
</context>
<context>
    <name>AutomationPage</name>
    <message>
        <source>Automation</source>
        <translation>Automação</translation>
    </message>
    <message>
        <source>Off: nothing listens.</source>
        <translation>Desligada: nada está à escuta.</translation>
    </message>
    <message>
        <source>Waiting for the panel&apos;s network address…</source>
        <translation>À espera do endereço de rede do painel…</translation>
    </message>
    <message>
        <source>New read-only token</source>
        <translation>Novo token só de leitura</translation>
    </message>
    <message>
        <source>New control token</source>
        <translation>Novo token de controlo</translation>
    </message>
    <message>
        <source>Control token</source>
        <translation>Token de controlo</translation>
    </message>
    <message>
        <source>Read-only token</source>
        <translation>Token só de leitura</translation>
    </message>
    <message>
        <source>shown only now; the one made before no longer works:</source>
        <translation>mostrado só agora; o anterior deixou de funcionar:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Fechar</translation>
    </message>
</context>
<context>
    <name>Camera</name>
    <message>
        <source>Not connected</source>
        <translation>Não ligada</translation>
    </message>
</context>
<context>
    <name>CameraCell</name>
    <message>
        <source>Camera</source>
        <translation>Câmara</translation>
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
        <translation>DESLIGADO</translation>
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
        <translation>Saturação</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>Exposição</translation>
    </message>
    <message>
        <source>HUE</source>
        <translation>Matiz</translation>
    </message>
    <message>
        <source>AGC</source>
        <translation>AGC</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>Gama</translation>
    </message>
    <message>
        <source>HDR</source>
        <translation>HDR</translation>
    </message>
    <message>
        <source>Video Setting</source>
        <translation>Definição de vídeo</translation>
    </message>
    <message>
        <source>Video Mode</source>
        <translation>Modo de vídeo</translation>
    </message>
    <message>
        <source>Video Orientation</source>
        <translation>Orientação do vídeo</translation>
    </message>
    <message>
        <source>3DNR</source>
        <translation>3DNR</translation>
    </message>
    <message>
        <source>Firmware Status</source>
        <translation>Estado do firmware</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Voltar</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Please wait
</source>
        <translation>Aguarde, por favor
</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Rede</translation>
    </message>
    <message>
        <source>Host Name</source>
        <translation>Nome do host</translation>
    </message>
    <message>
        <source>Model Name</source>
        <translation>Modelo</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>Endereço IP</translation>
    </message>
    <message>
        <source>Network Mask</source>
        <translation>Máscara de rede</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>Primary DNS</source>
        <translation>DNS primário</translation>
    </message>
    <message>
        <source>Secondary DNS</source>
        <translation>DNS secundário</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>Endereço MAC</translation>
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
        <translation>Definir endereço IP e protocolo</translation>
    </message>
    <message>
        <source>Input IP Address</source>
        <translation>Introduzir endereço IP</translation>
    </message>
    <message>
        <source>Enter an IP address first.</source>
        <translation>Introduza primeiro um endereço IP.</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>Standard VISCA</source>
        <translation>VISCA padrão</translation>
    </message>
    <message>
        <source>Simple VISCA</source>
        <translation>VISCA simples</translation>
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
        <translation>Não voltar a mostrar esta mensagem.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
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
        <translation>Voltar</translation>
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
        <translation>Gerir equipamentos</translation>
    </message>
    <message>
        <source>Device List</source>
        <translation>Equipamentos</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Pesquisar</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Carregar</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>Scan: search the network for HCIP cameras.
Load: load the saved device list.
Save: save the current device list.</source>
        <translation>Pesquisar: procura câmaras HCIP na rede.
Carregar: carrega a lista de equipamentos guardada.
Guardar: guarda a lista de equipamentos atual.</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Voltar</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Equipamento</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
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
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>NetworkSetting</name>
    <message>
        <source>Are you sure to reset ZEK710A network configuration?</source>
        <translation>Tem a certeza de que pretende repor a configuração de rede do ZEK710A?</translation>
    </message>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Reinicie o ZEK710A</translation>
    </message>
    <message>
        <source>Network Setting</source>
        <translation>Configuração de rede</translation>
    </message>
    <message>
        <source>Host Name</source>
        <translation>Nome do host</translation>
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
        <translation>Endereço MAC</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>Endereço IP</translation>
    </message>
    <message>
        <source>Network Mask</source>
        <translation>Máscara de rede</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>Primary DNS</source>
        <translation>DNS primário</translation>
    </message>
    <message>
        <source>Secondary DNS</source>
        <translation>DNS secundário</translation>
    </message>
    <message>
        <source>Invalid address.</source>
        <translation>Endereço inválido.</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Repor</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Voltar</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>The network settings could not be saved.
Nothing was changed.</source>
        <translation>Não foi possível guardar as definições de rede.
Nada foi alterado.</translation>
    </message>
</context>
<context>
    <name>NumberPad</name>
    <message>
        <source>Clear</source>
        <translation>Limpar</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Invalid address.</source>
        <translation>Endereço inválido.</translation>
    </message>
</context>
<context>
    <name>PageCameraInfo</name>
    <message>
        <source>WB Auto</source>
        <translation>Branco auto.</translation>
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
        <translation>Ganho</translation>
    </message>
    <message>
        <source>Focus</source>
        <translation>Foco</translation>
    </message>
    <message>
        <source>Video Mode</source>
        <translation>Modo de vídeo</translation>
    </message>
    <message>
        <source>White Balance</source>
        <translation>Equilíbrio de brancos</translation>
    </message>
    <message>
        <source>Preset</source>
        <translation>Predefinição</translation>
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
        <translation>Definição de vídeo</translation>
    </message>
    <message>
        <source>Audio Setting</source>
        <translation>Definição de áudio</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Voltar</translation>
    </message>
    <message>
        <source>R Gain</source>
        <translation>Ganho R</translation>
    </message>
    <message>
        <source>B Gain</source>
        <translation>Ganho B</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Color Temperature</source>
        <translation>Temperatura de cor</translation>
    </message>
</context>
<context>
    <name>PageCameraList</name>
    <message>
        <source>Camera</source>
        <translation>Câmara</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Please wait...</source>
        <translation>Aguarde...</translation>
    </message>
</context>
<context>
    <name>SerialParameters</name>
    <message>
        <source>Serial Port Parameters</source>
        <translation>Parâmetros da porta série</translation>
    </message>
    <message>
        <source>BaudRate</source>
        <translation>Velocidade</translation>
    </message>
    <message>
        <source>Data Bits</source>
        <translation>Bits de dados</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>Paridade</translation>
    </message>
    <message>
        <source>Stop Bits</source>
        <translation>Bits de paragem</translation>
    </message>
    <message>
        <source>Flow Control</source>
        <translation>Controlo de fluxo</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Voltar</translation>
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
        <translation>Ímpar</translation>
    </message>
    <message>
        <source>None</source>
        <translation>Nenhum</translation>
    </message>
    <message>
        <source>One Stop</source>
        <translation>1 bit de paragem</translation>
    </message>
    <message>
        <source>Two Stop</source>
        <translation>2 bits de paragem</translation>
    </message>
    <message>
        <source>1.5 Stop</source>
        <translation>1,5 bits de paragem</translation>
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
        <translation>Velocidade da porta série</translation>
    </message>
    <message>
        <source>Serial Port Data Bits</source>
        <translation>Bits de dados da porta série</translation>
    </message>
    <message>
        <source>Serial Port Parity</source>
        <translation>Paridade da porta série</translation>
    </message>
    <message>
        <source>Serial Port Stop Bits</source>
        <translation>Bits de paragem da porta série</translation>
    </message>
    <message>
        <source>Serial Port Flow Control</source>
        <translation>Controlo de fluxo da porta série</translation>
    </message>
</context>
<context>
    <name>ShutdownDialog</name>
    <message>
        <source>System Shutdown</source>
        <translation>Encerramento do sistema</translation>
    </message>
    <message>
        <source>Do You Want to Shut Down?</source>
        <translation>Pretende desligar o equipamento?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>SpeedMode</name>
    <message>
        <source>Joystick Speed Mode</source>
        <translation>Modo de velocidade do joystick</translation>
    </message>
    <message>
        <source>Nonlinear</source>
        <translation>Não linear</translation>
    </message>
    <message>
        <source>Arithmetic</source>
        <translation>Aritmético</translation>
    </message>
    <message>
        <source>Fixed</source>
        <translation>Fixo</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Voltar</translation>
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
        <translation>Fixo</translation>
    </message>
    <message>
        <source>Nonlinear</source>
        <translation>Não linear</translation>
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
        <translation>DESLIGADO</translation>
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
        <translation>Sobre</translation>
    </message>
    <message>
        <source>APP v</source>
        <translation>APP v</translation>
    </message>
    <message>
        <source>Serial Ports</source>
        <translation>Portas série</translation>
    </message>
    <message>
        <source>Network Setting</source>
        <translation>Configuração de rede</translation>
    </message>
    <message>
        <source>Camera Tally</source>
        <translation>Tally da câmara</translation>
    </message>
    <message>
        <source>Joystick Speed Mode</source>
        <translation>Modo de velocidade do joystick</translation>
    </message>
    <message>
        <source>Auto HCIP Scan</source>
        <translation>Pesquisa HCIP automática</translation>
    </message>
    <message>
        <source>Screen Saver</source>
        <translation>Proteção de ecrã</translation>
    </message>
    <message>
        <source> min.</source>
        <translation> min.</translation>
    </message>
    <message>
        <source>Shut Down</source>
        <translation>Desligar</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Voltar</translation>
    </message>
    <message>
        <source>Automation</source>
        <translation>Automação</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>LIGADO</translation>
    </message>
    <message>
        <source>Remote setup</source>
        <translation>Configuração remota</translation>
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
        <translation>Mapa de tally</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Repor</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Voltar</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <source>System Message</source>
        <translation>Mensagem do sistema</translation>
    </message>
    <message>
        <source>Work done.</source>
        <translation>Concluído.</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>TallyMode</name>
    <message>
        <source>Camera Tally</source>
        <translation>Tally da câmara</translation>
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
        <translation>DESLIGADO</translation>
    </message>
    <message>
        <source>Tally Mapping</source>
        <translation>Mapa de tally</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Repor</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Voltar</translation>
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
        <translation>Teste de laço RS-422</translation>
    </message>
    <message>
        <source>USB test</source>
        <translation>Teste USB</translation>
    </message>
    <message>
        <source>T-Bar calibration</source>
        <translation>Calibração T-Bar</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Baixo</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Cima</translation>
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
        <translation>Teste do painel</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Tecla</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>Atualizar</translation>
    </message>
    <message>
        <source>Start panel</source>
        <translation>Iniciar painel</translation>
    </message>
</context>
<context>
    <name>TextKeyboard</name>
    <message>
        <source>Shift</source>
        <translation>Shift</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
</context>
<context>
    <name>main</name>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Reinicie o ZEK710A</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Câmara</translation>
    </message>
    <message>
        <source>Switcher</source>
        <translation>Misturador</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>Gravador</translation>
    </message>
    <message>
        <source>Camera1</source>
        <translation>Câmara1</translation>
    </message>
    <message>
        <source>Preset1</source>
        <translation>Preset1</translation>
    </message>
    <message>
        <source>Camera Shift</source>
        <translation>Desl. câmara</translation>
    </message>
    <message>
        <source>Preset Shift</source>
        <translation>Desl. preset</translation>
    </message>
    <message>
        <source>SW Function</source>
        <translation>Função SW</translation>
    </message>
    <message>
        <source>Manage Device</source>
        <translation>Gerir equipamentos</translation>
    </message>
    <message>
        <source>System</source>
        <translation>Sistema</translation>
    </message>
    <message>
        <source>ZEK-710A is going to reboot.</source>
        <translation>O ZEK-710A vai reiniciar.</translation>
    </message>
</context>
<context>
    <name>mainControl</name>
    <message>
        <source>No device connect to Camera %1.
Please select another one.</source>
        <translation>Nenhum dispositivo ligado à câmara %1.
Selecione outra.</translation>
    </message>
    <message>
        <source>Camera %1 is not in the correct network.
Please configure its IP address then scan again.</source>
        <translation>A câmara %1 não está na rede correta.
Configure o endereço IP e procure novamente.</translation>
    </message>
    <message>
        <source>Cannot connect to Camera %1.
Please reboot that device then scan again.</source>
        <translation>Não é possível ligar à câmara %1.
Reinicie esse dispositivo e procure novamente.</translation>
    </message>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Reinicie o ZEK710A</translation>
    </message>
    <message>
        <source>The network settings could not be reset.
Nothing was changed.</source>
        <translation>Não foi possível repor as definições de rede.
Nada foi alterado.</translation>
    </message>
    <message>
        <source>The panel is busy.
Please try again.</source>
        <translation>O painel está ocupado.
Tente novamente.</translation>
    </message>
</context>
</TS>
