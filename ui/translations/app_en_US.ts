<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US" sourcelanguage="en_US">
<context>
    <name>AboutPage</name>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Please reboot ZEK710A</translation>
    </message>
    <message>
        <source>Update failed.
Try Again?</source>
        <translation>Update failed.
Try Again?</translation>
    </message>
    <message>
        <source>Latest APP revision</source>
        <translation>Latest APP revision</translation>
    </message>
    <message>
        <source>Latest MCU revision</source>
        <translation>Latest MCU revision</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>APP Revision</source>
        <translation>APP Revision</translation>
    </message>
    <message>
        <source>MCU Revision</source>
        <translation>MCU Revision</translation>
    </message>
    <message>
        <source>Latest APP Revision</source>
        <translation>Latest APP Revision</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>Upgrade</translation>
    </message>
</context>
<context>
    <name>AutomationPage</name>
    <message>
        <source>Automation</source>
        <translation>Automation</translation>
    </message>
    <message>
        <source>Off: nothing listens.</source>
        <translation>Off: nothing listens.</translation>
    </message>
    <message>
        <source>Waiting for the panel&apos;s network address…</source>
        <translation>Waiting for the panel&apos;s network address…</translation>
    </message>
    <message>
        <source>New read-only token</source>
        <translation>New read-only token</translation>
    </message>
    <message>
        <source>New control token</source>
        <translation>New control token</translation>
    </message>
    <message>
        <source>Control token</source>
        <translation>Control token</translation>
    </message>
    <message>
        <source>Read-only token</source>
        <translation>Read-only token</translation>
    </message>
    <message>
        <source>shown only now; the one made before no longer works:</source>
        <translation>shown only now; the one made before no longer works:</translation>
    </message>
    <message>
        <source>Close</source>
        <translation>Close</translation>
    </message>
</context>
<context>
    <name>Camera</name>
    <message>
        <source>Not connected</source>
        <translation>Not connected</translation>
    </message>
</context>
<context>
    <name>CameraCell</name>
    <message>
        <source>Camera</source>
        <translation>Camera</translation>
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
        <translation>OFF</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>Contrast</translation>
    </message>
    <message>
        <source>Sharpness</source>
        <translation>Sharpness</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>Saturation</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>Exposure</translation>
    </message>
    <message>
        <source>HUE</source>
        <translation>HUE</translation>
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
        <translation>Video Setting</translation>
    </message>
    <message>
        <source>Video Mode</source>
        <translation>Video Mode</translation>
    </message>
    <message>
        <source>Video Orientation</source>
        <translation>Video Orientation</translation>
    </message>
    <message>
        <source>3DNR</source>
        <translation>3DNR</translation>
    </message>
    <message>
        <source>Firmware Status</source>
        <translation>Firmware Status</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Please wait
</source>
        <translation>Please wait
</translation>
    </message>
    <message>
        <source>Network</source>
        <translation>Network</translation>
    </message>
    <message>
        <source>Host Name</source>
        <translation>Host Name</translation>
    </message>
    <message>
        <source>Model Name</source>
        <translation>Model Name</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>Network Mask</source>
        <translation>Network Mask</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>Primary DNS</source>
        <translation>Primary DNS</translation>
    </message>
    <message>
        <source>Secondary DNS</source>
        <translation>Secondary DNS</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC Address</translation>
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
        <translation>Set IP Address and Protocol</translation>
    </message>
    <message>
        <source>Input IP Address</source>
        <translation>Input IP Address</translation>
    </message>
    <message>
        <source>Enter an IP address first.</source>
        <translation>Enter an IP address first.</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>Standard VISCA</source>
        <translation>Standard VISCA</translation>
    </message>
    <message>
        <source>Simple VISCA</source>
        <translation>Simple VISCA</translation>
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
        <translation>Stop showing this message anymore.</translation>
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
        <translation>Language</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>ManageDevice</name>
    <message>
        <source>Manage Device</source>
        <translation>Manage Device</translation>
    </message>
    <message>
        <source>Device List</source>
        <translation>Device List</translation>
    </message>
    <message>
        <source>Scan</source>
        <translation>Scan</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>Load</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Scan: search the network for HCIP cameras.
Load: load the saved device list.
Save: save the current device list.</source>
        <translation>Scan: search the network for HCIP cameras.
Load: load the saved device list.
Save: save the current device list.</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Device</source>
        <translation>Device</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
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
        <translation>Cancel</translation>
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
        <translation>Are you sure to reset ZEK710A network configuration?</translation>
    </message>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Please reboot ZEK710A</translation>
    </message>
    <message>
        <source>Network Setting</source>
        <translation>Network Setting</translation>
    </message>
    <message>
        <source>Host Name</source>
        <translation>Host Name</translation>
    </message>
    <message>
        <source>Model Name</source>
        <translation>Model Name</translation>
    </message>
    <message>
        <source>DHCP</source>
        <translation>DHCP</translation>
    </message>
    <message>
        <source>MAC Address</source>
        <translation>MAC Address</translation>
    </message>
    <message>
        <source>IP Address</source>
        <translation>IP Address</translation>
    </message>
    <message>
        <source>Network Mask</source>
        <translation>Network Mask</translation>
    </message>
    <message>
        <source>Gateway</source>
        <translation>Gateway</translation>
    </message>
    <message>
        <source>Primary DNS</source>
        <translation>Primary DNS</translation>
    </message>
    <message>
        <source>Secondary DNS</source>
        <translation>Secondary DNS</translation>
    </message>
    <message>
        <source>Invalid address.</source>
        <translation>Invalid address.</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>The network settings could not be saved.
Nothing was changed.</source>
        <translation>The network settings could not be saved.
Nothing was changed.</translation>
    </message>
</context>
<context>
    <name>NumberPad</name>
    <message>
        <source>Clear</source>
        <translation>Clear</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Invalid address.</source>
        <translation>Invalid address.</translation>
    </message>
</context>
<context>
    <name>PageCameraInfo</name>
    <message>
        <source>WB Auto</source>
        <translation>WB Auto</translation>
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
        <source>OnePush</source>
        <translation>OnePush</translation>
    </message>
    <message>
        <source>Manual</source>
        <translation>Manual</translation>
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
    <message>
        <source>Video Mode</source>
        <translation>Video Mode</translation>
    </message>
    <message>
        <source>White Balance</source>
        <translation>White Balance</translation>
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
        <translation>Video Setting</translation>
    </message>
    <message>
        <source>Audio Setting</source>
        <translation>Audio Setting</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>R Gain</source>
        <translation>R Gain</translation>
    </message>
    <message>
        <source>B Gain</source>
        <translation>B Gain</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
    </message>
    <message>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <source>Color Temperature</source>
        <translation>Color Temperature</translation>
    </message>
</context>
<context>
    <name>PageCameraList</name>
    <message>
        <source>Camera</source>
        <translation>Camera</translation>
    </message>
</context>
<context>
    <name>ProgressDialog</name>
    <message>
        <source>Please wait...</source>
        <translation>Please wait...</translation>
    </message>
</context>
<context>
    <name>SerialParameters</name>
    <message>
        <source>Serial Port Parameters</source>
        <translation>Serial Port Parameters</translation>
    </message>
    <message>
        <source>BaudRate</source>
        <translation>BaudRate</translation>
    </message>
    <message>
        <source>Data Bits</source>
        <translation>Data Bits</translation>
    </message>
    <message>
        <source>Parity</source>
        <translation>Parity</translation>
    </message>
    <message>
        <source>Stop Bits</source>
        <translation>Stop Bits</translation>
    </message>
    <message>
        <source>Flow Control</source>
        <translation>Flow Control</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>Even</source>
        <translation>Even</translation>
    </message>
    <message>
        <source>Odd</source>
        <translation>Odd</translation>
    </message>
    <message>
        <source>None</source>
        <translation>None</translation>
    </message>
    <message>
        <source>One Stop</source>
        <translation>One Stop</translation>
    </message>
    <message>
        <source>Two Stop</source>
        <translation>Two Stop</translation>
    </message>
    <message>
        <source>1.5 Stop</source>
        <translation>1.5 Stop</translation>
    </message>
    <message>
        <source>Hard</source>
        <translation>Hard</translation>
    </message>
    <message>
        <source>Soft</source>
        <translation>Soft</translation>
    </message>
    <message>
        <source>Serial Port Baudrate</source>
        <translation>Serial Port Baudrate</translation>
    </message>
    <message>
        <source>Serial Port Data Bits</source>
        <translation>Serial Port Data Bits</translation>
    </message>
    <message>
        <source>Serial Port Parity</source>
        <translation>Serial Port Parity</translation>
    </message>
    <message>
        <source>Serial Port Stop Bits</source>
        <translation>Serial Port Stop Bits</translation>
    </message>
    <message>
        <source>Serial Port Flow Control</source>
        <translation>Serial Port Flow Control</translation>
    </message>
</context>
<context>
    <name>ShutdownDialog</name>
    <message>
        <source>System Shutdown</source>
        <translation>System Shutdown</translation>
    </message>
    <message>
        <source>Do You Want to Shut Down?</source>
        <translation>Do You Want to Shut Down?</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>Cancel</translation>
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
        <translation>Joystick Speed Mode</translation>
    </message>
    <message>
        <source>Nonlinear</source>
        <translation>Nonlinear</translation>
    </message>
    <message>
        <source>Arithmetic</source>
        <translation>Arithmetic</translation>
    </message>
    <message>
        <source>Fixed</source>
        <translation>Fixed</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
</context>
<context>
    <name>SystemSetting</name>
    <message>
        <source>Arithmetic</source>
        <translation>Arithmetic</translation>
    </message>
    <message>
        <source>Fixed</source>
        <translation>Fixed</translation>
    </message>
    <message>
        <source>Nonlinear</source>
        <translation>Nonlinear</translation>
    </message>
    <message>
        <source>GPI Tally</source>
        <translation>GPI Tally</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>ZEK-710A</source>
        <translation>ZEK-710A</translation>
    </message>
    <message>
        <source>Language</source>
        <translation>Language</translation>
    </message>
    <message>
        <source>About</source>
        <translation>About</translation>
    </message>
    <message>
        <source>APP v</source>
        <translation>APP v</translation>
    </message>
    <message>
        <source>Serial Ports</source>
        <translation>Serial Ports</translation>
    </message>
    <message>
        <source>Network Setting</source>
        <translation>Network Setting</translation>
    </message>
    <message>
        <source>Camera Tally</source>
        <translation>Camera Tally</translation>
    </message>
    <message>
        <source>Joystick Speed Mode</source>
        <translation>Joystick Speed Mode</translation>
    </message>
    <message>
        <source>Auto HCIP Scan</source>
        <translation>Auto HCIP Scan</translation>
    </message>
    <message>
        <source>Screen Saver</source>
        <translation>Screen Saver</translation>
    </message>
    <message>
        <source> min.</source>
        <translation> min.</translation>
    </message>
    <message>
        <source>Shut Down</source>
        <translation>Shut Down</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Automation</source>
        <translation>Automation</translation>
    </message>
    <message>
        <source>ON</source>
        <translation>ON</translation>
    </message>
    <message>
        <source>Remote setup</source>
        <translation>Remote setup</translation>
    </message>
    <message>
        <source>allowed</source>
        <translation>allowed</translation>
    </message>
    <message>
        <source>locked</source>
        <translation>locked</translation>
    </message>
</context>
<context>
    <name>TallyMapping</name>
    <message>
        <source>Tally Mapping</source>
        <translation>Tally Mapping</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
    <message>
        <source>System Message</source>
        <translation>System Message</translation>
    </message>
    <message>
        <source>Work done.</source>
        <translation>Work done.</translation>
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
        <translation>Camera Tally</translation>
    </message>
    <message>
        <source>Mode</source>
        <translation>Mode</translation>
    </message>
    <message>
        <source>GPI Tally</source>
        <translation>GPI Tally</translation>
    </message>
    <message>
        <source>HCIP</source>
        <translation>HCIP</translation>
    </message>
    <message>
        <source>OFF</source>
        <translation>OFF</translation>
    </message>
    <message>
        <source>Tally Mapping</source>
        <translation>Tally Mapping</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>Reset</translation>
    </message>
    <message>
        <source>Back</source>
        <translation>Back</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>Save</translation>
    </message>
</context>
<context>
    <name>TestScreens</name>
    <message>
        <source>RS-422 loop test</source>
        <translation>RS-422 loop test</translation>
    </message>
    <message>
        <source>USB test</source>
        <translation>USB test</translation>
    </message>
    <message>
        <source>T-Bar calibration</source>
        <translation>T-Bar calibration</translation>
    </message>
    <message>
        <source>Bottom</source>
        <translation>Bottom</translation>
    </message>
    <message>
        <source>Top</source>
        <translation>Top</translation>
    </message>
    <message>
        <source>Verify</source>
        <translation>Verify</translation>
    </message>
    <message>
        <source>GPI tally</source>
        <translation>GPI tally</translation>
    </message>
    <message>
        <source>Start</source>
        <translation>Start</translation>
    </message>
    <message>
        <source>Panel test</source>
        <translation>Panel test</translation>
    </message>
    <message>
        <source>Key</source>
        <translation>Key</translation>
    </message>
    <message>
        <source>Upgrade</source>
        <translation>Upgrade</translation>
    </message>
    <message>
        <source>Start panel</source>
        <translation>Start panel</translation>
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
        <translation>Cancel</translation>
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
        <translation>Please reboot ZEK710A</translation>
    </message>
    <message>
        <source>Camera</source>
        <translation>Camera</translation>
    </message>
    <message>
        <source>Switcher</source>
        <translation>Switcher</translation>
    </message>
    <message>
        <source>Recorder</source>
        <translation>Recorder</translation>
    </message>
    <message>
        <source>Camera1</source>
        <translation>Camera1</translation>
    </message>
    <message>
        <source>Preset1</source>
        <translation>Preset1</translation>
    </message>
    <message>
        <source>Camera Shift</source>
        <translation>Camera Shift</translation>
    </message>
    <message>
        <source>Preset Shift</source>
        <translation>Preset Shift</translation>
    </message>
    <message>
        <source>SW Function</source>
        <translation>SW Function</translation>
    </message>
    <message>
        <source>Manage Device</source>
        <translation>Manage Device</translation>
    </message>
    <message>
        <source>System</source>
        <translation>System</translation>
    </message>
    <message>
        <source>ZEK-710A is going to reboot.</source>
        <translation>ZEK-710A is going to reboot.</translation>
    </message>
</context>
<context>
    <name>mainControl</name>
    <message>
        <source>No device connect to Camera %1.
Please select another one.</source>
        <translation>No device connect to Camera %1.
Please select another one.</translation>
    </message>
    <message>
        <source>Camera %1 is not in the correct network.
Please configure its IP address then scan again.</source>
        <translation>Camera %1 is not in the correct network.
Please configure its IP address then scan again.</translation>
    </message>
    <message>
        <source>Cannot connect to Camera %1.
Please reboot that device then scan again.</source>
        <translation>Cannot connect to Camera %1.
Please reboot that device then scan again.</translation>
    </message>
    <message>
        <source>Please reboot ZEK710A</source>
        <translation>Please reboot ZEK710A</translation>
    </message>
    <message>
        <source>The network settings could not be reset.
Nothing was changed.</source>
        <translation>The network settings could not be reset.
Nothing was changed.</translation>
    </message>
    <message>
        <source>The panel is busy.
Please try again.</source>
        <translation>The panel is busy.
Please try again.</translation>
    </message>
</context>
</TS>
